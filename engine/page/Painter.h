#pragma once

#include "engine/core/Api.h"

// One drawing interface for every output: a painter is told about each page and each item on
// it, in painting order.

#include "engine/page/PageModel.h"

#include <cstddef>

namespace foliant::engine::page {

class Painter {
public:
    virtual ~Painter() = default;
    virtual void BeginDocument(const Document&) {}
    virtual void BeginPage(const Page& page) = 0;
    virtual void DrawFill(const Fill& fill) = 0;
    virtual void DrawBox(const Box& box) = 0;
    virtual void DrawLine(const Line& line) = 0;
    virtual void DrawText(const TextRun& run) = 0;
    virtual void EndPage(const Page&) {}
    virtual void EndDocument(const Document&) {}
};

// Paints every page of the document.
FOLIANT_ENGINE_API void PaintDocument(const Document& document, Painter& painter);
// Paints one page's items between BeginPage and EndPage.
FOLIANT_ENGINE_API void PaintPage(const Page& page, Painter& painter);

} // namespace foliant::engine::page
