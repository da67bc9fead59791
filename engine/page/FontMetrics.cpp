#include "engine/page/FontMetrics.h"

#include <algorithm>

namespace foliant::engine::page {

namespace {

bool StartsCodePoint(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// Splits off whole code points from the front of `text` that fit in `chars` characters.
std::size_t BytesOfCodePoints(std::string_view text, std::size_t chars) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (StartsCodePoint(text[i])) {
            if (seen == chars) {
                return i;
            }
            ++seen;
        }
    }
    return text.size();
}

} // namespace

int CharWidth(const Font& font) {
    return std::max(1, font.size * 3 / 5);
}

int LineHeight(const Font& font) {
    return std::max(1, font.size * 6 / 5);
}

std::size_t CodePointCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), StartsCodePoint));
}

int TextWidth(std::string_view text, const Font& font) {
    return static_cast<int>(CodePointCount(text)) * CharWidth(font);
}

std::string CodePointPrefix(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, BytesOfCodePoints(text, count)));
}

std::vector<std::string> WrapText(std::string_view text, int width, const Font& font) {
    const std::size_t perLine = static_cast<std::size_t>(std::max(1, width / CharWidth(font)));
    std::vector<std::string> out;
    struct Lines {
        std::vector<std::string>& out;
        void push_back(std::string line) {
            while (!line.empty() && line.back() == ' ') {
                line.pop_back();
            }
            out.push_back(std::move(line));
        }
        void emplace_back(std::string_view line) { push_back(std::string(line)); }
    } lines{out};
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        std::string_view para = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!para.empty() && para.back() == '\r') {
            para.remove_suffix(1);
        }
        // Greedy filling of one paragraph.
        std::string line;
        std::size_t lineChars = 0;
        bool any = false;
        std::size_t i = 0;
        while (i < para.size()) {
            std::size_t j = para.find(' ', i);
            if (j == std::string_view::npos) {
                j = para.size();
            }
            std::string_view word = para.substr(i, j - i);
            const std::size_t wordChars = CodePointCount(word);
            const std::size_t need = lineChars == 0 ? wordChars : lineChars + 1 + wordChars;
            if (need <= perLine) {
                if (lineChars > 0) {
                    line += ' ';
                }
                line += word;
                lineChars = need;
            } else {
                if (lineChars > 0) {
                    lines.push_back(line);
                    any = true;
                    line.clear();
                    lineChars = 0;
                }
                // A word longer than a line is broken between characters.
                while (CodePointCount(word) > perLine) {
                    const std::size_t cut = BytesOfCodePoints(word, perLine);
                    lines.emplace_back(word.substr(0, cut));
                    any = true;
                    word.remove_prefix(cut);
                }
                line = std::string(word);
                lineChars = CodePointCount(word);
            }
            i = j + 1;
        }
        if (lineChars > 0 || !any) {
            lines.push_back(line);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return out;
}

} // namespace foliant::engine::page
