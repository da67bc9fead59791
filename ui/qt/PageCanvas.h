#pragma once

#include "engine/page/PageModel.h"

#include <QWidget>

#include <vector>

namespace foliant::qt {

// The sheet of one page on a grey desk, at a scale, with the find matches marked over it.
class PageCanvas : public QWidget {
public:
    static constexpr int kMargin = 12; // pixels of desk around the sheet

    explicit PageCanvas(QWidget* parent);

    // The page to draw (null: the desk alone) and the device pixels per twip.
    void Show(const engine::page::Page* page, double scale);
    // Boxes on the page (twips) to mark: found text; `current` the one the find stands on.
    struct Highlight {
        engine::page::Rect box;
        bool current = false;
    };
    void SetHighlights(std::vector<Highlight> highlights);

    // The colours of the marks, for whoever checks what was painted.
    static QColor MatchColour();
    static QColor CurrentMatchColour();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const engine::page::Page* page_ = nullptr;
    double scale_ = 1.0;
    std::vector<Highlight> highlights_;
};

} // namespace foliant::qt
