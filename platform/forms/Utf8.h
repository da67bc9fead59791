#pragma once

// Character positions in texts: the forms layer counts Unicode code points.

#include <string>
#include <string_view>
#include <vector>

namespace foliant::forms::utf8 {

// Decodes UTF-8; a byte that starts no valid sequence is taken as the character of that value.
std::vector<char32_t> Decode(std::string_view text);
std::string Encode(char32_t codePoint);
int Length(std::string_view text);
// The byte offset of the character at position `index` (clamped to the text's end).
std::size_t Offset(std::string_view text, int index);

} // namespace foliant::forms::utf8
