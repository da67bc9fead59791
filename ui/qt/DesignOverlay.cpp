#include "ui/qt/DesignOverlay.h"

#include "ui/qt/PageCanvas.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace foliant::qt {

namespace {

constexpr int kHandle = 7; // pixels

} // namespace

DesignOverlay::DesignOverlay(QWidget* canvas) : QWidget(canvas) {
    setObjectName(QStringLiteral("designOverlay"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(canvas->size());
    canvas->installEventFilter(this);
}

bool DesignOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) {
        resize(parentWidget()->size());
    }
    return QWidget::eventFilter(watched, event);
}

void DesignOverlay::SetPage(const engine::page::Page* page, const std::vector<int>* trace,
                            double pixelsPerTwip) {
    page_ = page;
    trace_ = trace;
    scale_ = pixelsPerTwip;
    update();
}

void DesignOverlay::SetChosen(int object) {
    chosen_ = object;
    update();
}

QRect DesignOverlay::ToPixels(const engine::page::Rect& box) const {
    const double m = PageCanvas::kMargin;
    return QRect(static_cast<int>(std::floor(m + box.left * scale_)),
                 static_cast<int>(std::floor(m + box.top * scale_)),
                 std::max(1, static_cast<int>(std::ceil(box.width * scale_))),
                 std::max(1, static_cast<int>(std::ceil(box.height * scale_))));
}

QRect DesignOverlay::HandleOf(const QRect& frame) const {
    return QRect(frame.right() - kHandle / 2, frame.bottom() - kHandle / 2, kHandle, kHandle);
}

int DesignOverlay::ObjectOfItem(std::size_t i) const {
    return trace_ != nullptr && i < trace_->size() ? (*trace_)[i] : -1;
}

std::vector<QRect> DesignOverlay::ChosenFrames() const {
    std::vector<QRect> frames;
    if (page_ == nullptr || chosen_ < 0) {
        return frames;
    }
    for (std::size_t i = 0; i < page_->items.size(); ++i) {
        const auto* run = std::get_if<engine::page::TextRun>(&page_->items[i]);
        if (run != nullptr && ObjectOfItem(i) == chosen_) {
            frames.push_back(ToPixels(run->box));
        }
    }
    return frames;
}

QRect DesignOverlay::ChosenRect() const {
    const auto frames = ChosenFrames();
    return frames.empty() ? QRect() : frames.front();
}

int DesignOverlay::ObjectAt(QPoint point) const {
    if (page_ == nullptr) {
        return -1;
    }
    for (std::size_t i = page_->items.size(); i-- > 0;) {
        const auto* run = std::get_if<engine::page::TextRun>(&page_->items[i]);
        if (run != nullptr && ObjectOfItem(i) >= 0 && ToPixels(run->box).contains(point)) {
            return ObjectOfItem(i);
        }
    }
    return -1;
}

void DesignOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor ink(0, 110, 220);
    painter.setPen(QPen(ink, 1, Qt::DashLine));
    const auto frames = ChosenFrames();
    for (const QRect& frame : frames) {
        painter.drawRect(frame.adjusted(-1, -1, 0, 0));
    }
    if (frames.empty()) {
        return;
    }
    painter.fillRect(HandleOf(frames.front()), ink);
    if (dragging_) {
        const QPoint delta = now_ - pressed_;
        QRect ghost = frames.front();
        if (resizing_) {
            ghost.setBottomRight(ghost.bottomRight() + delta);
        } else {
            ghost.translate(delta);
        }
        painter.setPen(QPen(ink, 1, Qt::SolidLine));
        painter.drawRect(ghost.normalized());
    }
}

void DesignOverlay::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const QRect chosen = ChosenRect();
    resizing_ = !chosen.isEmpty() && HandleOf(chosen).adjusted(-2, -2, 2, 2).contains(at);
    if (!resizing_) {
        const int object = ObjectAt(at);
        if (object != chosen_) {
            emit Clicked(object);
        }
    }
    dragging_ = chosen_ >= 0;
    pressed_ = now_ = at;
}

void DesignOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        now_ = event->position().toPoint();
        update();
    } else {
        const QRect chosen = ChosenRect();
        const bool onHandle =
            !chosen.isEmpty() && HandleOf(chosen).contains(event->position().toPoint());
        setCursor(onHandle ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
    }
}

void DesignOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = false;
    const QPoint delta = event->position().toPoint() - pressed_;
    update();
    if (delta.manhattanLength() < QApplication::startDragDistance()) {
        return; // a click, not a drag
    }
    emit Dragged(resizing_, static_cast<int>(std::lround(delta.x() / scale_)),
                 static_cast<int>(std::lround(delta.y() / scale_)),
                 (event->modifiers() & Qt::AltModifier) != 0);
}

void DesignOverlay::keyPressEvent(QKeyEvent* event) {
    int dx = 0;
    int dy = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        dx = -1;
        break;
    case Qt::Key_Right:
        dx = 1;
        break;
    case Qt::Key_Up:
        dy = -1;
        break;
    case Qt::Key_Down:
        dy = 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (chosen_ < 0) {
        event->ignore(); // the viewer pages and scrolls
        return;
    }
    emit Nudged(dx, dy, (event->modifiers() & Qt::AltModifier) != 0);
    event->accept();
}

} // namespace foliant::qt
