#pragma once

// Splits formula text into tokens on demand, so that a problem late in the text is reported
// only after everything before it was found sound.

#include "engine/core/Value.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace foliant::engine::formula {

enum class TokenKind {
    End,
    Number, // number: int64 (no point, fits) or double
    String, // text: the string's content, doubled quotes made single
    Field,  // text: the braced name, braces included
    Word,   // text: letters, digits and _ as written (keywords, periods, unknown words)
    LParen,
    RParen,
    LBracket,
    RBracket,
    Comma,
    Equal,
    NotEqual,
    Less,
    LessOrEqual,
    Greater,
    GreaterOrEqual,
    Plus,
    Minus,
    Ampersand,
    Star,
    Slash,
    Error, // text: the message; the position is where the problem is
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t position = 0; // byte offset of the token's first character
    std::string text;
    Value number;
    bool hasPoint = false; // Number written with a decimal point
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}
    Token Next();

private:
    Token LexNumber(std::size_t start);
    Token LexString(std::size_t start);
    Token LexField(std::size_t start);

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Whether `word` equals `keyword` ignoring ASCII case.
bool IsKeyword(std::string_view word, std::string_view keyword);

} // namespace foliant::engine::formula
