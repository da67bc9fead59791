#pragma once

// Small page-model documents for the painter and viewer tests, and a way to find what was
// drawn in an image.

#include "engine/page/PageModel.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <string>

namespace foliant::test {

namespace page = engine::page;

inline page::TextRun Text(std::string text, page::Rect box,
                          engine::HorizontalAlignment align = engine::HorizontalAlignment::Left,
                          page::Font font = {}) {
    page::TextRun run;
    run.text = std::move(text);
    run.box = box;
    run.align = align;
    run.font = std::move(font);
    return run;
}

// A document of `count` Letter pages, each with its number as text at the top left.
inline page::Document NumberedPages(int count) {
    page::Document document;
    document.title = "Numbered";
    for (int i = 1; i <= count; ++i) {
        page::Page p;
        p.number = i;
        p.items.emplace_back(Text("Page " + std::to_string(i), {360, 360, 2000, 240}));
        document.pages.push_back(std::move(p));
    }
    return document;
}

// The smallest rectangle holding every pixel of `area` that passes `test` (null when none).
inline QRect InkBounds(const QImage& image, const QRect& area,
                       const std::function<bool(QRgb)>& test) {
    QRect bounds;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (test(image.pixel(x, y))) {
                bounds = bounds.united(QRect(x, y, 1, 1));
            }
        }
    }
    return bounds;
}

inline bool Dark(QRgb p) {
    return qGray(p) < 128;
}

} // namespace foliant::test
