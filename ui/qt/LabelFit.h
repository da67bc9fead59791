#pragma once

#include <QString>
#include <string>

class QLabel;
class QWidget;

namespace foliant::qt {

// A label caption as shown: a single "&" marks nothing visible, "&&" is one "&".
QString LabelText(const std::string& caption);

// A one-line label whose text is a little wider than its room is drawn with tighter letter
// spacing instead of being cut off: dialog layouts come in fixed positions made for another
// system's font. A label with room for more lines wraps instead.
void FitOneLineLabel(QLabel& label);
// Fits every plain-text label under `parent` (null: none), once the controls around them have
// moved or changed their visibility.
void RefitLabels(QWidget* parent);
// Fits the labels whose room `widget` bounds, once it has been shown or hidden: the labels
// beside it that it overlaps from the right, and the widget itself when it is a label.
void RefitLabelsAround(QWidget& widget);

} // namespace foliant::qt
