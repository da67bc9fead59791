#include "platform/forms/Control.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

namespace foliant::forms {

const char* KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return "Label";
    case ControlKind::CommandButton:
        return "CommandButton";
    case ControlKind::CheckBox:
        return "CheckBox";
    case ControlKind::OptionButton:
        return "OptionButton";
    case ControlKind::TextBox:
        return "TextBox";
    case ControlKind::ListBox:
        return "ListBox";
    case ControlKind::ComboBox:
        return "ComboBox";
    case ControlKind::TreeView:
        return "TreeView";
    case ControlKind::ImageList:
        return "ImageList";
    case ControlKind::PictureBox:
        return "PictureBox";
    case ControlKind::Frame:
        return "Frame";
    case ControlKind::CommonDialog:
        return "CommonDialog";
    case ControlKind::Custom:
        return "Custom";
    }
    return "Control";
}

Control::Control(Form& form, std::string name, ControlKind kind)
    : form_(&form), name_(std::move(name)), kind_(kind) {}

Control::~Control() = default;

void Control::Announce(ChangeEvent::What what, int index, Node* node) {
    form_->Announce(ChangeEvent{what, form_, this, index, node});
}

void Control::Move(int left, int top, int width, int height) {
    const Rect rect{left, top, width, height};
    if (rect == rect_) {
        return;
    }
    rect_ = rect;
    Announce(ChangeEvent::What::Geometry);
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    visible_ = visible;
    Announce(ChangeEvent::What::Visible);
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    Announce(ChangeEvent::What::Enabled);
}

void Control::SetToolTipText(std::string text) {
    if (toolTip_ == text) {
        return;
    }
    toolTip_ = std::move(text);
    Announce(ChangeEvent::What::ToolTip);
}

void Control::SetFontBold(bool bold) {
    if (fontBold_ == bold) {
        return;
    }
    fontBold_ = bold;
    Announce(ChangeEvent::What::Font);
}

void Control::SetContainer(Frame* frame) {
    if (frame != nullptr && &frame->Parent() != form_) {
        throw FormsError(kInvalidProcedureCall, "The frame '" + frame->Name() +
                                                    "' belongs to another form than '" + name_ +
                                                    "'.");
    }
    for (const Control* c = frame; c != nullptr; c = c->container_) {
        if (c == this) {
            throw FormsError(kInvalidProcedureCall,
                             "The control '" + name_ + "' cannot contain itself.");
        }
    }
    container_ = frame;
}

bool Control::IsShown() const {
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->visible_) {
            return false;
        }
    }
    return form_->Visible();
}

bool Control::IsEnabled() const {
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->enabled_) {
            return false;
        }
    }
    return true;
}

bool Control::HasWindow() const noexcept {
    return kind_ != ControlKind::ImageList && kind_ != ControlKind::CommonDialog;
}

bool Control::TakesFocus() const noexcept {
    switch (kind_) {
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::TextBox:
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
    case ControlKind::TreeView:
    case ControlKind::Custom:
        return true;
    default:
        return false;
    }
}

bool Control::SetFocus() {
    if (!HasWindow() || !TakesFocus() || !IsEnabled()) {
        return false;
    }
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->visible_) {
            return false;
        }
    }
    form_->SetFocusInternal(this);
    return true;
}

void Control::RequireUsable(const char* action) const {
    std::string why;
    if (!HasWindow()) {
        why = "it has no window";
    } else if (!form_->Visible()) {
        why = "its form '" + form_->Name() + "' is not shown";
    } else if (!IsShown()) {
        why = "it is hidden";
    } else if (!IsEnabled()) {
        why = "it is disabled";
    } else {
        return;
    }
    throw UserActionRefused(std::string("Cannot ") + action + " '" + name_ + "': " + why + ".");
}

void Control::UserClick() {
    RequireUsable("click");
    if (TakesFocus()) {
        form_->SetFocusInternal(this);
    }
    BeforeUserClick();
    Run(Click);
}

void Control::UserDblClick() {
    RequireUsable("double-click");
    if (TakesFocus()) {
        form_->SetFocusInternal(this);
    }
    Run(DblClick);
}

void Control::UserKeyDown(int keyCode) {
    RequireUsable("press a key on");
    if (TakesFocus()) {
        form_->SetFocusInternal(this);
    }
    CommandButton* button = nullptr;
    if (keyCode == kKeyReturn && form_->DefaultButton() != nullptr) {
        button = form_->DefaultButton();
    } else if (keyCode == kKeyEscape && form_->CancelButton() != nullptr) {
        button = form_->CancelButton();
    } else {
        if (KeyDown) {
            KeyDown(keyCode);
        }
        return;
    }
    // The key belongs to the button; a hidden or disabled one swallows it.
    if (button->IsShown() && button->IsEnabled()) {
        Run(button->Click);
    }
}

} // namespace foliant::forms
