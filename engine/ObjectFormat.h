#pragma once

#include "engine/core/Api.h"
#include "engine/page/PageModel.h"

#include <optional>
#include <string>

namespace foliant::engine {

// How one report object's text looks where it departs from the report's style. A member left
// unset takes the style's choice, so a report restyled later still follows its new style
// wherever nobody chose otherwise.
struct ObjectFormat {
    std::optional<std::string> fontFamily; // "Sans", "Serif" or "Mono"
    std::optional<int> fontSize;           // twips: 200 is 10 points
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<page::Colour> colour;

    bool Empty() const { return *this == ObjectFormat{}; }
    friend bool operator==(const ObjectFormat&, const ObjectFormat&) = default;
};

inline constexpr int kSmallestFontSize = 80;  // 4 points
inline constexpr int kLargestFontSize = 1440; // 72 points

// Whether the family is one the painters draw ("Sans", "Serif", "Mono").
FOLIANT_ENGINE_API bool IsKnownFontFamily(const std::string& family);

// The style's font and colour with the format's choices laid over them.
FOLIANT_ENGINE_API page::Font FormattedFont(page::Font font, const ObjectFormat& format);
FOLIANT_ENGINE_API page::Colour FormattedColour(page::Colour colour, const ObjectFormat& format);

// "#1a2b3c" for a colour, and back; ParseColour gives nothing for any other text.
FOLIANT_ENGINE_API std::string ColourText(page::Colour colour);
FOLIANT_ENGINE_API std::optional<page::Colour> ParseColour(const std::string& text);

} // namespace foliant::engine
