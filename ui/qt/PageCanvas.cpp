#include "ui/qt/PageCanvas.h"

#include "ui/qt/PagePainter.h"

#include <QPainter>

#include <cmath>

namespace foliant::qt {

PageCanvas::PageCanvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageCanvas::Show(const engine::page::Page* page, double scale) {
    page_ = page;
    scale_ = scale;
    const QSize size = page_ ? QSize(static_cast<int>(std::ceil(page_->width * scale_)),
                                     static_cast<int>(std::ceil(page_->height * scale_)))
                             : QSize(0, 0);
    resize(size + QSize(2 * kMargin, 2 * kMargin));
    update();
}

void PageCanvas::SetHighlights(std::vector<Highlight> highlights) {
    highlights_ = std::move(highlights);
    update();
}

QColor PageCanvas::MatchColour() {
    return {255, 235, 59};
}

QColor PageCanvas::CurrentMatchColour() {
    return {255, 140, 0};
}

void PageCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!page_) {
        return;
    }
    const QRectF sheet(kMargin, kMargin, page_->width * scale_, page_->height * scale_);
    painter.fillRect(sheet.translated(3, 3), QColor(0, 0, 0, 80)); // shadow
    PaintPageAt(painter, *page_, scale_, kMargin, kMargin);
    // Marks go under the text's ink: multiplied, the text stays black on the colour.
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const Highlight& h : highlights_) {
        const QRectF box(kMargin + h.box.left * scale_, kMargin + h.box.top * scale_,
                         h.box.width * scale_, h.box.height * scale_);
        painter.fillRect(box, h.current ? CurrentMatchColour() : MatchColour());
    }
}

} // namespace foliant::qt
