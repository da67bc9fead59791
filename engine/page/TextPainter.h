#pragma once

#include "engine/core/Api.h"

// Plain-text output: each page as lines of characters on a grid of 120 by 240 twips (the
// metric model's 10-point character), text runs only. A run starts at the column nearest its
// box's left edge (right-aligned runs end at the column of the box's right edge, centred ones
// sit in the middle) and is cut to the columns its box spans. Lines, boxes and fills are not
// drawn. Trailing blanks of every line and blank lines at the end of a page are dropped;
// pages are separated by a form feed line.

#include "engine/page/Painter.h"

#include <string>
#include <utility>
#include <vector>

namespace foliant::engine::page {

class FOLIANT_ENGINE_API TextPainter : public Painter {
public:
    void BeginPage(const Page& page) override;
    void DrawFill(const Fill&) override {}
    void DrawBox(const Box&) override {}
    void DrawLine(const Line&) override {}
    void DrawText(const TextRun& run) override;
    void EndPage(const Page& page) override;

    // Everything painted so far.
    const std::string& Text() const { return text_; }
    // What was painted since the last call, taken out of the painter (to write page by page).
    std::string TakeText() { return std::exchange(text_, {}); }

    static constexpr int kColumnWidth = 120;
    static constexpr int kRowHeight = 240;

private:
    std::vector<std::vector<std::string>> grid_; // rows of cells, one code point each
    std::string text_;
    int pages_ = 0;
};

FOLIANT_ENGINE_API std::string RenderText(const Document& document);

} // namespace foliant::engine::page
