#include "engine/formula/Lexer.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace foliant::engine::formula {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Words are runs of ASCII letters, digits, _ and any non-ASCII byte, so that an unquoted word
// in any script is one token and gets one clear message.
bool IsWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordChar(char c) {
    return IsWordStart(c) || IsDigit(c);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

Token Make(TokenKind kind, std::size_t position) {
    Token t;
    t.kind = kind;
    t.position = position;
    return t;
}

Token MakeError(std::size_t position, std::string message) {
    Token t = Make(TokenKind::Error, position);
    t.text = std::move(message);
    return t;
}

} // namespace

bool IsKeyword(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        char a = word[i];
        char b = keyword[i];
        if (a >= 'A' && a <= 'Z') {
            a = static_cast<char>(a - 'A' + 'a');
        }
        if (b >= 'A' && b <= 'Z') {
            b = static_cast<char>(b - 'A' + 'a');
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

Token Lexer::Next() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) {
        ++pos_;
    }
    const std::size_t start = pos_;
    if (pos_ >= text_.size()) {
        return Make(TokenKind::End, start);
    }
    const char c = text_[pos_];
    if (IsDigit(c) || (c == '.' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) {
        return LexNumber(start);
    }
    if (c == '\'' || c == '"') {
        return LexString(start);
    }
    if (c == '{') {
        return LexField(start);
    }
    if (IsWordStart(c)) {
        while (pos_ < text_.size() && IsWordChar(text_[pos_])) {
            ++pos_;
        }
        Token t = Make(TokenKind::Word, start);
        t.text = std::string(text_.substr(start, pos_ - start));
        return t;
    }
    ++pos_;
    const char next = pos_ < text_.size() ? text_[pos_] : '\0';
    switch (c) {
    case '(':
        return Make(TokenKind::LParen, start);
    case ')':
        return Make(TokenKind::RParen, start);
    case '[':
        return Make(TokenKind::LBracket, start);
    case ']':
        return Make(TokenKind::RBracket, start);
    case ',':
        return Make(TokenKind::Comma, start);
    case '=':
        return Make(TokenKind::Equal, start);
    case '<':
        if (next == '>') {
            ++pos_;
            return Make(TokenKind::NotEqual, start);
        }
        if (next == '=') {
            ++pos_;
            return Make(TokenKind::LessOrEqual, start);
        }
        return Make(TokenKind::Less, start);
    case '>':
        if (next == '=') {
            ++pos_;
            return Make(TokenKind::GreaterOrEqual, start);
        }
        return Make(TokenKind::Greater, start);
    case '+':
        return Make(TokenKind::Plus, start);
    case '-':
        return Make(TokenKind::Minus, start);
    case '&':
        return Make(TokenKind::Ampersand, start);
    case '*':
        return Make(TokenKind::Star, start);
    case '/':
        return Make(TokenKind::Slash, start);
    case '}':
        return MakeError(start, "The { is missing.");
    default:
        return MakeError(start, "This character is not part of the formula language.");
    }
}

Token Lexer::LexNumber(std::size_t start) {
    bool point = false;
    while (pos_ < text_.size() && (IsDigit(text_[pos_]) || (!point && text_[pos_] == '.'))) {
        if (text_[pos_] == '.') {
            point = true;
        }
        ++pos_;
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + pos_;
    Token t = Make(TokenKind::Number, start);
    t.hasPoint = point;
    if (!point) {
        std::int64_t whole = 0;
        auto [end, ec] = std::from_chars(first, last, whole);
        if (ec == std::errc() && end == last) {
            t.number = whole;
            return t;
        }
    }
    // A trailing point ("12.") is accepted as "12.0"; from_chars needs a digit after it.
    std::string digits(first, last);
    if (!digits.empty() && digits.back() == '.') {
        digits.push_back('0');
    }
    double value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value)) {
        return MakeError(start, "This number is too large.");
    }
    t.number = value;
    return t;
}

Token Lexer::LexString(std::size_t start) {
    const char quote = text_[pos_++];
    std::string content;
    while (pos_ < text_.size()) {
        const char c = text_[pos_++];
        if (c == quote) {
            if (pos_ < text_.size() && text_[pos_] == quote) {
                content.push_back(quote);
                ++pos_;
                continue;
            }
            Token t = Make(TokenKind::String, start);
            t.text = std::move(content);
            return t;
        }
        content.push_back(c);
    }
    return MakeError(text_.size(), std::string("The ") + quote + " that ends the text is missing.");
}

Token Lexer::LexField(std::size_t start) {
    const std::size_t close = text_.find('}', start + 1);
    if (close == std::string_view::npos) {
        pos_ = text_.size();
        return MakeError(text_.size(), "The } is missing.");
    }
    pos_ = close + 1;
    Token t = Make(TokenKind::Field, start);
    t.text = std::string(text_.substr(start, pos_ - start));
    return t;
}

} // namespace foliant::engine::formula
