#pragma once

#include <QPixmap>
#include <functional>
#include <string>

class QLineEdit;
class QWidget;

namespace foliant::forms {
class Control;
class CustomControl;
class Frame;
struct Picture;
} // namespace foliant::forms

namespace foliant::qt {

// Twips to pixels and back (15 twips to the pixel at 96 dpi).
int ToPixels(int twips);
int ToTwips(int pixels);

// The picture's image through the application's picture provider; null when it has none.
QPixmap LoadPicture(const forms::Picture& picture);

// Makes the widget of an outside control (forms::CustomControl) by its type name.
using CustomWidgetFactory = std::function<QWidget*(forms::CustomControl& control, QWidget* parent)>;
void RegisterCustomWidget(const std::string& typeName, CustomWidgetFactory factory);

// The widget made for a control, and the line edit in it a person types into (null for
// controls without one).
struct CreatedWidget {
    QWidget* widget = nullptr;
    QLineEdit* edit = nullptr;
};

// The widget that shows a control of this kind, made under `parent` and named after the
// control; null for controls without a window. It shows nothing of the model's state yet.
//
// Each kind has one widget class: Label QLabel (plain text, wrapping), CommandButton
// QPushButton, CheckBox QCheckBox, OptionButton QRadioButton (kept exclusive by the model),
// TextBox QLineEdit, ListBox QListWidget, ComboBox QComboBox (editable as the style says),
// TreeView QTreeWidget, PictureBox QLabel, Frame QGroupBox or, for a rule, QFrame; a custom
// control the registered factory's widget or a placeholder QLabel.
CreatedWidget CreateWidget(forms::Control& control, QWidget* parent);

// A frame without a caption and at most 150 twips high is drawn as a horizontal rule.
bool IsRule(const forms::Frame& frame);

// Sets up a line edit a person types into: edits reach the model only as user actions, so the
// widget offers no context menu and takes no drops.
void PrepareLineEdit(QLineEdit& edit);

} // namespace foliant::qt
