#include "engine/page/Painter.h"

namespace foliant::engine::page {

namespace {

struct ItemPainter {
    Painter& painter;
    void operator()(const Fill& f) const { painter.DrawFill(f); }
    void operator()(const Box& b) const { painter.DrawBox(b); }
    void operator()(const Line& l) const { painter.DrawLine(l); }
    void operator()(const TextRun& t) const { painter.DrawText(t); }
};

} // namespace

void PaintPage(const Page& page, Painter& painter) {
    painter.BeginPage(page);
    for (const auto& item : page.items) {
        std::visit(ItemPainter{painter}, item);
    }
    painter.EndPage(page);
}

void PaintDocument(const Document& document, Painter& painter) {
    painter.BeginDocument(document);
    for (const auto& page : document.pages) {
        PaintPage(page, painter);
    }
    painter.EndDocument(document);
}

} // namespace foliant::engine::page
