#pragma once

// The engine's font-metric model, used to lay text out the same way on every machine: every
// character (a UTF-8 code point) of a font is 0.6 of the font size wide, whatever its face,
// weight or slant, and a line is 1.2 of the font size high. At 10 points that is 120 twips
// (12 characters an inch) by 240 twips (6 lines an inch). Painters that use real fonts align
// each run within its box, so the model only decides where lines break and how much room a
// section takes.

#include "engine/core/Api.h"
#include "engine/page/PageModel.h"

#include <string>
#include <string_view>
#include <vector>

namespace foliant::engine::page {

int CharWidth(const Font& font);
FOLIANT_ENGINE_API int LineHeight(const Font& font);
// The number of code points in UTF-8 text (bytes that do not start a code point are skipped).
std::size_t CodePointCount(std::string_view text);
int TextWidth(std::string_view text, const Font& font);
// The first `count` code points of the text.
std::string CodePointPrefix(std::string_view text, std::size_t count);

// Breaks text into lines no wider than `width`: at line breaks in the text, then between words;
// a word wider than a line is broken between characters. Spaces at the end of a line are
// dropped. Empty text gives one empty line. At most maxLines lines (at least one) are made:
// a text that needs more is cut there, its last line ending in an ellipsis ("…"). The work
// grows with the length of the text used, never faster.
std::vector<std::string> WrapText(std::string_view text, int width, const Font& font,
                                  std::size_t maxLines = static_cast<std::size_t>(-1));

} // namespace foliant::engine::page
