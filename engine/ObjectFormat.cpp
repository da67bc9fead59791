#include "engine/ObjectFormat.h"

#include <cstdio>

namespace foliant::engine {

bool IsKnownFontFamily(const std::string& family) {
    return family == "Sans" || family == "Serif" || family == "Mono";
}

page::Font FormattedFont(page::Font font, const ObjectFormat& format) {
    font.family = format.fontFamily.value_or(font.family);
    font.size = format.fontSize.value_or(font.size);
    font.bold = format.bold.value_or(font.bold);
    font.italic = format.italic.value_or(font.italic);
    return font;
}

page::Colour FormattedColour(page::Colour colour, const ObjectFormat& format) {
    return format.colour.value_or(colour);
}

std::string ColourText(page::Colour colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<page::Colour> ParseColour(const std::string& text) {
    if (text.size() != 7 || text[0] != '#') {
        return std::nullopt;
    }
    int parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigit(text[static_cast<std::size_t>(1 + 2 * i)]);
        const int low = HexDigit(text[static_cast<std::size_t>(2 + 2 * i)]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        parts[i] = high * 16 + low;
    }
    return page::Colour{static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
                        static_cast<std::uint8_t>(parts[2])};
}

} // namespace foliant::engine
