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

// The code points of text, counted no further than limit: a word is never counted further
// than a line needs.
std::size_t CountUpTo(std::string_view text, std::size_t limit) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(BytesOfCodePoints(text, limit)),
        StartsCodePoint));
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

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6"; // …

// The lines of one wrap, kept up to a limit. A line offered past the limit means the text
// was cut; the last line kept then ends with an ellipsis.
class WrappedLines {
public:
    WrappedLines(std::size_t maxLines, std::size_t perLine)
        : maxLines_(std::max<std::size_t>(1, maxLines)), perLine_(perLine) {}

    // False once the limit is passed: nothing more is needed.
    bool Add(std::string_view line) {
        if (lines_.size() == maxLines_) {
            cut_ = true;
            return false;
        }
        while (!line.empty() && line.back() == ' ') {
            line.remove_suffix(1);
        }
        lines_.emplace_back(line);
        return true;
    }

    std::vector<std::string> Take() && {
        if (cut_) {
            std::string& last = lines_.back();
            if (CodePointCount(last) + 1 > perLine_) {
                last = CodePointPrefix(last, perLine_ - 1);
            }
            last += kEllipsis;
        }
        return std::move(lines_);
    }

private:
    std::vector<std::string> lines_;
    std::size_t maxLines_;
    std::size_t perLine_;
    bool cut_ = false;
};

// Greedy filling of one paragraph (no line breaks in it); false when the lines are full.
bool WrapParagraph(std::string_view para, std::size_t perLine, WrappedLines& lines) {
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
        std::size_t wordChars = CountUpTo(word, perLine + 1); // more than perLine: too long
        const std::size_t need = lineChars == 0 ? wordChars : lineChars + 1 + wordChars;
        if (need <= perLine) {
            if (lineChars > 0) {
                line += ' ';
            }
            line += word;
            lineChars = need;
        } else {
            if (lineChars > 0 && !lines.Add(line)) {
                return false;
            }
            any = any || lineChars > 0;
            // A word longer than a line is broken between characters.
            while (wordChars > perLine) {
                const std::size_t cut = BytesOfCodePoints(word, perLine);
                if (!lines.Add(word.substr(0, cut))) {
                    return false;
                }
                any = true;
                word.remove_prefix(cut);
                wordChars = CountUpTo(word, perLine + 1);
            }
            line = std::string(word);
            lineChars = wordChars;
        }
        i = j + 1;
    }
    return lineChars == 0 && any ? true : lines.Add(line);
}

} // namespace

std::vector<std::string> WrapText(std::string_view text, int width, const Font& font,
                                  std::size_t maxLines) {
    const std::size_t perLine = static_cast<std::size_t>(std::max(1, width / CharWidth(font)));
    WrappedLines lines(maxLines, perLine);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        std::string_view para = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!para.empty() && para.back() == '\r') {
            para.remove_suffix(1);
        }
        if (!WrapParagraph(para, perLine, lines) || end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return std::move(lines).Take();
}

} // namespace foliant::engine::page
