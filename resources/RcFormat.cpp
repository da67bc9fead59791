#include "resources/RcFormat.h"

#include <cctype>
#include <set>

namespace foliant::resources {

namespace {

std::string Located(const std::string& fileName, int line, int column, const std::string& problem) {
    return fileName + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + problem;
}

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not a valid one
// (overlong forms, surrogates and code points above U+10FFFF are refused).
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

class Parser {
public:
    Parser(std::string_view source, const std::string& fileName)
        : src_(source), fileName_(fileName) {
        if (src_.substr(0, 3) == "\xEF\xBB\xBF") {
            src_.remove_prefix(3);
        }
    }

    std::vector<RcString> Run() {
        CheckUtf8();
        std::vector<RcString> entries;
        std::set<int> seen;
        for (SkipBlanks(); !AtEnd(); SkipBlanks()) {
            const std::string word = Word();
            if (!EqualsNoCase(word, "STRINGTABLE")) {
                Fail(word.empty() ? "expected STRINGTABLE"
                                  : "expected STRINGTABLE, found '" + word + "'");
            }
            SkipBlanks();
            if (!OpenBlock()) {
                Fail("expected BEGIN or '{' after STRINGTABLE");
            }
            for (;;) {
                SkipBlanks();
                if (AtEnd()) {
                    Fail("the STRINGTABLE block is not closed (END or '}' missing)");
                }
                if (CloseBlock()) {
                    break;
                }
                entries.push_back(Entry());
                if (!seen.insert(entries.back().id).second) {
                    FailAt(entries.back().line, 1,
                           "string " + std::to_string(entries.back().id) + " is defined twice");
                }
            }
        }
        return entries;
    }

private:
    bool AtEnd() const { return pos_ >= src_.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0';
    }

    void Advance() {
        if (src_[pos_] == '\n') {
            ++line_;
            lineStart_ = pos_ + 1;
        }
        ++pos_;
    }

    int Column() const { return static_cast<int>(pos_ - lineStart_) + 1; }

    [[noreturn]] void Fail(const std::string& problem) const { FailAt(line_, Column(), problem); }
    [[noreturn]] void FailAt(int line, int column, const std::string& problem) const {
        throw RcSyntaxError(fileName_, line, column, problem);
    }

    void CheckUtf8() {
        for (std::size_t i = 0; i < src_.size();) {
            const std::size_t length = Utf8SequenceLength(src_, i);
            if (length == 0) {
                while (pos_ < i) {
                    Advance();
                }
                Fail("invalid UTF-8 byte sequence");
            }
            i += length;
        }
    }

    void SkipBlanks() {
        while (!AtEnd()) {
            const char c = Peek();
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                Advance();
            } else if (c == '/' && Peek(1) == '/') {
                while (!AtEnd() && Peek() != '\n') {
                    Advance();
                }
            } else if (c == '/' && Peek(1) == '*') {
                const int line = line_;
                const int column = Column();
                Advance();
                Advance();
                while (!(Peek() == '*' && Peek(1) == '/')) {
                    if (AtEnd()) {
                        FailAt(line, column, "comment not closed");
                    }
                    Advance();
                }
                Advance();
                Advance();
            } else {
                break;
            }
        }
    }

    std::string Word() {
        std::string word;
        while (!AtEnd() && (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '_')) {
            word += Peek();
            Advance();
        }
        return word;
    }

    static bool EqualsNoCase(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::toupper(static_cast<unsigned char>(a[i])) !=
                std::toupper(static_cast<unsigned char>(b[i]))) {
                return false;
            }
        }
        return true;
    }

    bool Keyword(std::string_view keyword) {
        std::size_t end = pos_;
        while (end < src_.size() &&
               (std::isalnum(static_cast<unsigned char>(src_[end])) || src_[end] == '_')) {
            ++end;
        }
        if (!EqualsNoCase(src_.substr(pos_, end - pos_), keyword)) {
            return false;
        }
        while (pos_ < end) {
            Advance();
        }
        return true;
    }

    bool OpenBlock() {
        if (Peek() == '{') {
            Advance();
            return true;
        }
        return Keyword("BEGIN");
    }

    bool CloseBlock() {
        if (Peek() == '}') {
            Advance();
            return true;
        }
        return Keyword("END");
    }

    RcString Entry() {
        RcString entry;
        entry.line = line_;
        if (!std::isdigit(static_cast<unsigned char>(Peek()))) {
            Fail("expected a string id (a decimal number) or END");
        }
        long id = 0;
        while (std::isdigit(static_cast<unsigned char>(Peek()))) {
            id = id * 10 + (Peek() - '0');
            if (id > 65535) {
                Fail("string id out of range 1..65535");
            }
            Advance();
        }
        if (id < 1) {
            Fail("string id out of range 1..65535");
        }
        entry.id = static_cast<int>(id);
        SkipBlanks();
        if (Peek() == ',') {
            Advance();
            SkipBlanks();
        }
        if (Peek() != '"') {
            Fail("expected the text of string " + std::to_string(entry.id) + " in double quotes");
        }
        entry.text = QuotedText();
        return entry;
    }

    std::string QuotedText() {
        const int line = line_;
        const int column = Column();
        Advance(); // opening quote
        std::string text;
        for (;;) {
            if (AtEnd() || Peek() == '\n' || Peek() == '\r') {
                FailAt(line, column, "text not closed on its line (closing quote missing)");
            }
            const char c = Peek();
            if (c == '"') {
                Advance();
                if (Peek() == '"') {
                    text += '"';
                    Advance();
                    continue;
                }
                return text;
            }
            if (c == '\\') {
                Advance();
                switch (Peek()) {
                case 'n':
                    text += '\n';
                    break;
                case 't':
                    text += '\t';
                    break;
                case '\\':
                    text += '\\';
                    break;
                case '"':
                    text += '"';
                    break;
                default:
                    Fail(std::string("unknown escape sequence \\") +
                         (AtEnd() ? std::string() : std::string(1, Peek())) +
                         " (write \\\\ for a backslash)");
                }
                Advance();
                continue;
            }
            text += c;
            Advance();
        }
    }

    std::string_view src_;
    const std::string& fileName_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 1;
};

} // namespace

RcSyntaxError::RcSyntaxError(std::string fileName, int line, int column, const std::string& problem)
    : std::runtime_error(Located(fileName, line, column, problem)), fileName_(std::move(fileName)),
      line_(line), column_(column) {}

std::vector<RcString> ParseStringTable(std::string_view source, const std::string& fileName) {
    return Parser(source, fileName).Run();
}

std::string QuoteRcString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            quoted += "\"\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace foliant::resources
