#include "platform/forms/Form.h"

#include "platform/forms/Backend.h"
#include "platform/forms/Controls.h"

#include <algorithm>
#include <atomic>

namespace foliant::forms {

using What = ChangeEvent::What;

namespace {
std::atomic<std::intptr_t> nextWindowId{0x10010};
} // namespace

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() {
    Announce(What::FormDestroyed);
    listeners_.clear();
}

void Form::Announce(const ChangeEvent& event) {
    // A listener may subscribe or unsubscribe others while this runs.
    auto snapshot = listeners_;
    for (const auto& [id, listener] : snapshot) {
        const bool stillThere =
            std::any_of(listeners_.begin(), listeners_.end(),
                        [id = id](const auto& entry) { return entry.first == id; });
        if (stillThere) {
            (*listener)(event);
        }
    }
}

void Form::Announce(What what, forms::Control* control) {
    Announce(ChangeEvent{what, this, control, -1, nullptr});
}

Form::ListenerId Form::Subscribe(ChangeListener listener) {
    const ListenerId id = nextListener_++;
    listeners_.emplace_back(id, std::make_shared<ChangeListener>(std::move(listener)));
    return id;
}

void Form::Unsubscribe(ListenerId id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void Form::Adopt(std::unique_ptr<forms::Control> control, Rect rect, std::string tag) {
    if (FindControl(control->Name()) != nullptr) {
        throw FormsError(kInvalidProcedureCall, "The form '" + name_ +
                                                    "' already has a control named '" +
                                                    control->Name() + "'.");
    }
    control->Move(rect.left, rect.top, rect.width, rect.height);
    control->SetTag(std::move(tag));
    order_.push_back(control.get());
    owned_.push_back(std::move(control));
}

forms::Control* Form::FindControl(std::string_view name) const {
    for (forms::Control* control : order_) {
        if (control->Name() == name) {
            return control;
        }
    }
    return nullptr;
}

forms::Control& Form::Control(std::string_view name) const {
    forms::Control* control = FindControl(name);
    if (control == nullptr) {
        throw FormsError(kElementNotFound, "The form '" + name_ + "' has no control named '" +
                                               std::string(name) + "'.");
    }
    return *control;
}

void Form::SetCaption(std::string caption) {
    if (caption_ == caption) {
        return;
    }
    caption_ = std::move(caption);
    Announce(What::FormCaption);
}

void Form::ApplyFrameExtents() {
    const FrameExtents frame = CurrentBackend().Frame(*this);
    width_ = clientWidth_ + frame.left + frame.right;
    height_ = clientHeight_ + frame.top + frame.bottom;
}

void Form::SetClientSize(int width, int height) {
    const int extraWidth = width_ - clientWidth_;
    const int extraHeight = height_ - clientHeight_;
    if (width == clientWidth_ && height == clientHeight_) {
        return;
    }
    clientWidth_ = width;
    clientHeight_ = height;
    width_ = width + extraWidth;
    height_ = height + extraHeight;
    Announce(What::WindowPlacement);
    RunResize();
}

void Form::Move(int left, int top, int width, int height) {
    if (state_ != forms::WindowState::Normal) {
        throw FormsError(384, "A form can't be moved or sized while minimized or maximized ('" +
                                  name_ + "').");
    }
    const int extraWidth = width_ - clientWidth_;
    const int extraHeight = height_ - clientHeight_;
    const bool resized = width != width_ || height != height_;
    if (!resized && left == left_ && top == top_) {
        return;
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    clientWidth_ = std::max(0, width - extraWidth);
    clientHeight_ = std::max(0, height - extraHeight);
    Announce(What::WindowPlacement);
    if (resized) {
        RunResize();
    }
}

void Form::SetWindowState(forms::WindowState state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    Announce(What::WindowState);
    RunResize();
}

void Form::RunResize() {
    if (loaded_ && OnResize) {
        OnResize();
    }
}

void Form::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    hwnd_ = nextWindowId++;
    ApplyFrameExtents();
    const Backend& backend = CurrentBackend();
    left_ = std::max(0, (backend.ScreenWidth() - width_) / 2);
    top_ = std::max(0, (backend.ScreenHeight() - height_) / 2);
    Announce(What::FormLoaded);
    if (OnLoad) {
        OnLoad();
    }
}

void Form::Unload() {
    if (!loaded_ || unloading_) {
        return;
    }
    unloading_ = true;
    int cancel = 0;
    try {
        if (OnQueryUnload) {
            OnQueryUnload(cancel, kUnloadByCode);
        }
        if (cancel == 0 && OnUnload) {
            OnUnload(cancel);
        }
    } catch (...) {
        unloading_ = false;
        throw;
    }
    unloading_ = false;
    if (cancel != 0) {
        return;
    }
    const bool wasVisible = visible_;
    visible_ = false;
    modal_ = false;
    loaded_ = false;
    hwnd_ = 0;
    if (wasVisible) {
        Announce(What::FormHidden);
    }
    Announce(What::FormUnloaded);
}

void Form::Show(bool modal) {
    Load();
    if (visible_) {
        if (modal) {
            throw FormsError(400, "Form already displayed; can't show modally ('" + name_ + "').");
        }
        return;
    }
    visible_ = true;
    modal_ = modal;
    Announce(What::FormShown);
    RunResize();
    if (!modal) {
        CurrentBackend().ShowModeless(*this);
        return;
    }
    CurrentBackend().RunModal(*this);
    modal_ = false;
}

void Form::Hide() {
    if (!visible_) {
        return;
    }
    visible_ = false;
    Announce(What::FormHidden);
}

void Form::SetDefaultButton(CommandButton* button) {
    if (defaultButton_ == button) {
        return;
    }
    defaultButton_ = button;
    Announce(What::DefaultButton, button);
}

void Form::SetCancelButton(CommandButton* button) {
    if (cancelButton_ == button) {
        return;
    }
    cancelButton_ = button;
    Announce(What::CancelButton, button);
}

void Form::SetFocusInternal(forms::Control* control) {
    if (focus_ == control) {
        return;
    }
    focus_ = control;
    Announce(What::Focus, control);
}

void Form::FocusChanged(forms::Control* control) {
    SetFocusInternal(control);
}

void Form::UserClose() {
    if (!visible_) {
        throw UserActionRefused("Cannot close the window of '" + name_ + "': it is not shown.");
    }
    int cancel = 0;
    unloading_ = true;
    try {
        if (OnQueryUnload) {
            OnQueryUnload(cancel, kUnloadByWindowClose);
        }
    } catch (...) {
        unloading_ = false;
        throw;
    }
    unloading_ = false;
    if (cancel != 0) {
        return;
    }
    // The query ran; Unload must not ask again.
    auto query = std::move(OnQueryUnload);
    OnQueryUnload = nullptr;
    try {
        Unload();
    } catch (...) {
        OnQueryUnload = std::move(query);
        throw;
    }
    OnQueryUnload = std::move(query);
}

void Form::UserSetWindowState(forms::WindowState state) {
    if (!visible_) {
        throw UserActionRefused("Cannot change the window of '" + name_ + "': it is not shown.");
    }
    if (state == forms::WindowState::Maximized && border_ == forms::BorderStyle::FixedDialog) {
        throw UserActionRefused("Cannot maximize '" + name_ + "': its window has a fixed size.");
    }
    if (state == forms::WindowState::Maximized) {
        const Backend& backend = CurrentBackend();
        const int extraWidth = width_ - clientWidth_;
        const int extraHeight = height_ - clientHeight_;
        clientWidth_ = std::max(0, backend.ScreenWidth() - extraWidth);
        clientHeight_ = std::max(0, backend.ScreenHeight() - extraHeight);
    } else if (state == forms::WindowState::Normal) {
        const FrameExtents frame = CurrentBackend().Frame(*this);
        clientWidth_ = std::max(0, width_ - frame.left - frame.right);
        clientHeight_ = std::max(0, height_ - frame.top - frame.bottom);
    }
    SetWindowState(state);
}

void Form::UserMove(int left, int top, int width, int height) {
    if (!visible_) {
        throw UserActionRefused("Cannot move the window of '" + name_ + "': it is not shown.");
    }
    if (state_ != forms::WindowState::Normal) {
        throw UserActionRefused("Cannot move the window of '" + name_ +
                                "': it is minimized or maximized.");
    }
    if (border_ == forms::BorderStyle::FixedDialog && (width != width_ || height != height_)) {
        throw UserActionRefused("Cannot size the window of '" + name_ + "': it has a fixed size.");
    }
    Move(left, top, width, height);
}

void Form::WindowChanged(int left, int top, int width, int height, int clientWidth,
                         int clientHeight, forms::WindowState state) {
    const bool resized = clientWidth != clientWidth_ || clientHeight != clientHeight_;
    const bool stateChanged = state != state_;
    bool moved = false;
    if (state == forms::WindowState::Normal) {
        moved = left != left_ || top != top_ || width != width_ || height != height_;
        left_ = left;
        top_ = top;
        width_ = width;
        height_ = height;
    }
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    state_ = state;
    if (stateChanged) {
        Announce(What::WindowState);
    }
    if (moved || resized) {
        Announce(What::WindowPlacement);
    }
    if (resized || stateChanged) {
        RunResize();
    }
}

} // namespace foliant::forms
