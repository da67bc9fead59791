#pragma once

// What the design window lays over the page: a frame round every place the chosen object
// prints on the page shown, with a handle at its lower right corner, and the mouse and the
// arrow keys that choose, move and resize objects there. The overlay changes nothing itself:
// it tells the window what the person did, in twips.

#include "engine/page/PageModel.h"

#include <QWidget>

#include <vector>

namespace foliant::qt {

class DesignOverlay : public QWidget {
    Q_OBJECT

public:
    // Covers `canvas` (a PageCanvas) and follows its size.
    explicit DesignOverlay(QWidget* canvas);

    // The page under the overlay, for each of its items the index of the object that drew it
    // (-1 for none; see engine::run::ObjectTrace), and its device pixels per twip. A null page
    // shows nothing; a null trace lets nothing be chosen on the page.
    void SetPage(const engine::page::Page* page, const std::vector<int>* trace,
                 double pixelsPerTwip);
    // The chosen object, by its index among the report's objects; -1 for none.
    void SetChosen(int object);
    int Chosen() const { return chosen_; }

    // The object printed at a point of the overlay (the one painted last there), or -1.
    int ObjectAt(QPoint point) const;
    // Where the chosen object's first print on the page stands, in overlay pixels; empty when
    // it is not on the page.
    QRect ChosenRect() const;

signals:
    // A click chose this object (-1: empty paper).
    void Clicked(int object);
    // A drag of the chosen object (resize: of its corner handle) ended; dx, dy in twips.
    void Dragged(bool resize, int dx, int dy, bool free);
    // An arrow key with the chosen object: dx, dy are -1, 0 or 1.
    void Nudged(int dx, int dy, bool free);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect ToPixels(const engine::page::Rect& box) const;
    QRect HandleOf(const QRect& frame) const;
    std::vector<QRect> ChosenFrames() const;
    // The object that drew item i of the page, or -1.
    int ObjectOfItem(std::size_t i) const;

    const engine::page::Page* page_ = nullptr;
    const std::vector<int>* trace_ = nullptr;
    double scale_ = 1.0;
    int chosen_ = -1;
    // A drag in progress: where it started and whether it resizes.
    bool dragging_ = false;
    bool resizing_ = false;
    QPoint pressed_;
    QPoint now_;
};

} // namespace foliant::qt
