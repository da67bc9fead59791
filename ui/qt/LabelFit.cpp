#include "ui/qt/LabelFit.h"

#include <QLabel>
#include <algorithm>

namespace foliant::qt {

QString LabelText(const std::string& caption) {
    QString out;
    const QString text = QString::fromStdString(caption);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

namespace {

// Whether `widget`, when shown, takes room from the label: it lies on the label's right part.
bool Bounds(const QWidget& widget, const QLabel& label) {
    return &widget != &label && qobject_cast<const QLabel*>(&widget) == nullptr &&
           widget.x() > label.x() && widget.geometry().intersects(label.geometry());
}

// The room ends where a control to the right of the label covers it.
int RoomOf(const QLabel& label) {
    int room = label.width();
    QWidget* parent = label.parentWidget();
    if (parent == nullptr) {
        return room;
    }
    for (QObject* child : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(child);
        if (sibling != nullptr && sibling->isVisibleTo(parent) && Bounds(*sibling, label)) {
            room = std::min(room, sibling->x() - label.x() - 2);
        }
    }
    return room;
}

void FitIfPlain(QLabel& label) {
    if (label.textFormat() == Qt::PlainText) {
        FitOneLineLabel(label);
    }
}

} // namespace

void FitOneLineLabel(QLabel& label) {
    QFont font = label.font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const QString text = label.text().remove(QLatin1Char('&'));
    const QFontMetrics metrics(font);
    if (label.height() >= 2 * metrics.height() || text.isEmpty() || label.width() <= 0) {
        label.setFont(font);
        return; // room for more lines: the label wraps
    }
    const int overflow = metrics.horizontalAdvance(text) - RoomOf(label);
    if (overflow > 0) {
        // Never tighter than one pixel a character: past that, text becomes hard to read.
        const double spacing = std::min(1.0, (overflow + 1.0) / static_cast<double>(text.size()));
        font.setLetterSpacing(QFont::AbsoluteSpacing, -spacing);
    }
    label.setFont(font);
}

void RefitLabels(QWidget* parent) {
    if (parent == nullptr) {
        return;
    }
    for (QLabel* label : parent->findChildren<QLabel*>()) {
        FitIfPlain(*label);
    }
}

void RefitLabelsAround(QWidget& widget) {
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        FitIfPlain(*label);
        return;
    }
    QWidget* parent = widget.parentWidget();
    if (parent == nullptr) {
        return;
    }
    for (QObject* child : parent->children()) {
        auto* label = qobject_cast<QLabel*>(child);
        if (label != nullptr && Bounds(widget, *label)) {
            FitIfPlain(*label);
        }
    }
}

} // namespace foliant::qt
