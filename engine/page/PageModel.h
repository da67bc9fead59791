#pragma once

// The page model a run is laid out into: pages of positioned text runs, lines, boxes and
// fills, with their fonts and colours. Every painter (screen, PDF, PNG, HTML, plain text)
// draws this same model. All positions and sizes are in twips (1/1440 inch) from the page's
// top left corner.

#include "engine/core/Types.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace foliant::engine::page {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255};

struct Font {
    std::string family = "Sans"; // "Sans", "Serif" or "Mono": painters pick a real face
    int size = 200;              // twips: 200 is 10 points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const Font&, const Font&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

// One line of text, aligned within its box; painters clip it to the box.
struct TextRun {
    Rect box;
    std::string text; // UTF-8, no line breaks
    Font font;
    Colour colour = kBlack;
    HorizontalAlignment align = HorizontalAlignment::Left; // never Default
};

struct Line {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int thickness = 20; // twips
    Colour colour = kBlack;
};

struct Box {
    Rect rect;
    int thickness = 20;
    Colour colour = kBlack;
};

struct Fill {
    Rect rect;
    Colour colour = kWhite;
};

// Items are painted in order: later ones over earlier ones.
using PageItem = std::variant<Fill, Box, Line, TextRun>;

struct Page {
    int number = 1; // 1-based
    int width = 12240;
    int height = 15840;
    std::vector<PageItem> items;
};

struct Document {
    std::string title;
    std::vector<Page> pages;
};

} // namespace foliant::engine::page
