#pragma once

#include "platform/forms/ChangeEvent.h"

#include <functional>
#include <string>

namespace foliant::forms {

class Form;
class Frame;
class TextEditor;

enum class ControlKind {
    Label,
    CommandButton,
    CheckBox,
    OptionButton,
    TextBox,
    ListBox,
    ComboBox,
    TreeView,
    ImageList,
    PictureBox,
    Frame,
    CommonDialog,
    Custom, // an outside control hosted by the form; front ends create it by its type name
};

// "CommandButton", "TreeView", ... (used in dumps and error messages).
const char* KindName(ControlKind kind);

// Position and size in twips, relative to the form's client area or to the container frame.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Key codes the forms layer gives meaning to.
inline constexpr int kKeyBack = 8;
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyDelete = 46;

// A control of a form. Controls are created by their form (Form::Add), live as long as it and
// are never moved between forms.
//
// Setting a property from code only changes and announces it; it runs no handler (the list
// selection setters of ListBox/ComboBox are the one exception, see there). The User* actions
// act as a person would: they are refused (UserActionRefused) unless the control is shown and
// enabled, and they run the handlers a person's action runs.
class Control {
public:
    Control(Form& form, std::string name, ControlKind kind);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& Parent() const noexcept { return *form_; }
    const std::string& Name() const noexcept { return name_; }
    ControlKind Kind() const noexcept { return kind_; }

    const std::string& Tag() const noexcept { return tag_; }
    void SetTag(std::string tag) { tag_ = std::move(tag); }

    int Left() const noexcept { return rect_.left; }
    int Top() const noexcept { return rect_.top; }
    int Width() const noexcept { return rect_.width; }
    int Height() const noexcept { return rect_.height; }
    const Rect& Geometry() const noexcept { return rect_; }
    void SetLeft(int v) { Move(v, rect_.top, rect_.width, rect_.height); }
    void SetTop(int v) { Move(rect_.left, v, rect_.width, rect_.height); }
    void SetWidth(int v) { Move(rect_.left, rect_.top, v, rect_.height); }
    void SetHeight(int v) { Move(rect_.left, rect_.top, rect_.width, v); }
    void Move(int left, int top, int width, int height);

    // The control's own flags; see IsShown/IsEnabled for the effective state.
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);

    const std::string& ToolTipText() const noexcept { return toolTip_; }
    void SetToolTipText(std::string text);
    bool FontBold() const noexcept { return fontBold_; }
    void SetFontBold(bool bold);

    // The frame the control sits in, or null when it sits on the form.
    Frame* Container() const noexcept { return container_; }
    void SetContainer(Frame* frame);

    // On screen: its own flag, every container's and the form's are all true.
    bool IsShown() const;
    // Usable: its own flag and every container's are true.
    bool IsEnabled() const;
    // False for controls that have no window of their own (image list, file dialog).
    bool HasWindow() const noexcept;
    // Whether the control takes the focus when tabbed to or clicked.
    bool TakesFocus() const noexcept;

    // The text a person edits in this control (text box, combo box), or null.
    virtual TextEditor* Editor() noexcept { return nullptr; }

    // Gives the control the focus. Does nothing and returns false when the control cannot take
    // it (no window, not a focus taker, hidden or disabled); never throws.
    bool SetFocus();

    // A person clicks the control (command button, check box, option button, label, picture):
    // check boxes toggle and option buttons select first; then Click runs.
    void UserClick();
    void UserDblClick();
    // A key goes down with the focus on this control. Enter presses the form's default button
    // and Esc its cancel button; only without such a button does the control get KeyDown.
    void UserKeyDown(int keyCode);

    // Handlers the form wires; an empty handler is skipped.
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void()> Change;
    std::function<void(int& keyAscii)> KeyPress;
    std::function<void(int keyCode)> KeyDown;

    // Throws UserActionRefused unless the control is shown and enabled.
    void RequireUsable(const char* action) const;
    // Announces a change of this control to the form's listeners (used by the forms layer).
    void Announce(ChangeEvent::What what, int index = -1, Node* node = nullptr);

protected:
    static void Run(const std::function<void()>& handler) {
        if (handler) {
            handler();
        }
    }
    // What a click does before Click runs (toggle a check box, select an option button).
    virtual void BeforeUserClick() {}

private:
    Form* form_;
    std::string name_;
    ControlKind kind_;
    std::string tag_;
    Rect rect_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string toolTip_;
    bool fontBold_ = false;
    Frame* container_ = nullptr;
};

} // namespace foliant::forms
