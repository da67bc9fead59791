#pragma once

// Character positions in texts: the forms layer counts Unicode code points.

#include <string>
#include <string_view>

namespace foliant::forms::utf8 {

// The character at `offset` (before the text's end), and moves `offset` past it. A byte that
// starts no valid sequence is taken as the character of that value.
char32_t DecodeNext(std::string_view text, std::size_t& offset);
std::string Encode(char32_t codePoint);
int Length(std::string_view text);
// The byte offset of the character at position `index` (clamped to the text's end).
std::size_t Offset(std::string_view text, int index);
// The byte offset after the character that starts at `offset`, and of the character that ends
// at `offset`; `offset` must be where a character starts (or the text's end).
std::size_t Next(std::string_view text, std::size_t offset);
std::size_t Previous(std::string_view text, std::size_t offset);
// Whether every byte belongs to a whole sequence, so that no two pieces of the text can join
// into another character when they are put side by side.
bool IsWellFormed(std::string_view text);

} // namespace foliant::forms::utf8
