#pragma once

#include "platform/forms/ChangeEvent.h"
#include "platform/forms/Control.h"
#include "platform/forms/FormsError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace foliant::forms {

class CommandButton;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };
enum class BorderStyle { Sizable = 2, FixedDialog = 3 };

// Why a form is being unloaded (the QueryUnload handler's unloadMode).
inline constexpr int kUnloadByWindowClose = 0; // the person closed the window
inline constexpr int kUnloadByCode = 1;

// A form: its caption and window, and the controls it declares, in declaration order (which is
// also the tab order). A derived form declares its controls as typed members:
//
//     CommandButton& cmdNext = Add<CommandButton>("cmdNext", {5250, 4260, 1095, 315}, "2");
//
// Unloading does not reset the controls; a fresh dialog is a fresh Form object.
class Form {
public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const noexcept { return name_; }
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);

    // The client area (twips).
    int ScaleWidth() const noexcept { return clientWidth_; }
    int ScaleHeight() const noexcept { return clientHeight_; }
    void SetClientSize(int width, int height);

    // The outer window, in twips from the screen's top left corner.
    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // Moves and sizes the outer window (in the normal state); Resize runs when the client size
    // changes.
    void Move(int left, int top, int width, int height);

    forms::WindowState WindowState() const noexcept { return state_; }
    // Changes the window state; Resize runs when it changes.
    void SetWindowState(forms::WindowState state);
    forms::BorderStyle BorderStyle() const noexcept { return border_; }
    void SetBorderStyle(forms::BorderStyle style) { border_ = style; }

    // Runs OnLoad once until the next unload. Show loads the form when needed.
    void Load();
    // Runs OnQueryUnload then OnUnload (either may cancel), hides the window and marks the form
    // unloaded. Does nothing on a form that is not loaded.
    void Unload();
    // Shows the window; a modal show returns when the form is hidden or unloaded.
    void Show(bool modal = false);
    void Hide();
    bool Loaded() const noexcept { return loaded_; }
    bool Visible() const noexcept { return visible_; }
    bool IsModal() const noexcept { return modal_; }
    // An opaque window id, unique per load; 0 while not loaded.
    std::intptr_t hWnd() const noexcept { return hwnd_; }

    CommandButton* DefaultButton() const noexcept { return defaultButton_; }
    void SetDefaultButton(CommandButton* button);
    CommandButton* CancelButton() const noexcept { return cancelButton_; }
    void SetCancelButton(CommandButton* button);
    // The focused control, or null.
    forms::Control* ActiveControl() const noexcept { return focus_; }

    // Controls in declaration order.
    const std::vector<forms::Control*>& Controls() const noexcept { return order_; }
    // The control with that name (case-sensitive); throws FormsError 35601 when there is none.
    forms::Control& Control(std::string_view name) const;
    forms::Control* FindControl(std::string_view name) const;
    // The named control as a kind; throws FormsError 13 when it is of another kind.
    template <typename T> T& ControlAs(std::string_view name) const {
        auto* typed = dynamic_cast<T*>(&Control(name));
        if (typed == nullptr) {
            throw FormsError(13, "The control '" + std::string(name) + "' is not of that kind.");
        }
        return *typed;
    }

    // A person closes the window: QueryUnload (mode kUnloadByWindowClose) may cancel, else the
    // form unloads. Refused when the window is not shown.
    void UserClose();
    void UserSetWindowState(forms::WindowState state);
    void UserMove(int left, int top, int width, int height);

    // Form events.
    std::function<void()> OnLoad;
    std::function<void(int& cancel, int unloadMode)> OnQueryUnload;
    std::function<void(int& cancel)> OnUnload;
    std::function<void()> OnResize;

    // Change announcements, for front ends. Listeners may be added and removed while
    // announcements run.
    using ListenerId = int;
    ListenerId Subscribe(ChangeListener listener);
    void Unsubscribe(ListenerId id);
    void Announce(const ChangeEvent& event);

    // For backends: the window system moved, sized or restyled the window (the person did).
    // Updates the model, announces it, and runs Resize when the client size changed.
    void WindowChanged(int left, int top, int width, int height, int clientWidth, int clientHeight,
                       forms::WindowState state);
    // For backends: the window system moved the focus to a control (null: none).
    void FocusChanged(forms::Control* control);

protected:
    // Declares a control; the form owns it. Names must be unique.
    template <typename T, typename... Args>
    T& Add(std::string name, Rect rect = {}, std::string tag = {}, Args&&... args) {
        auto control = std::make_unique<T>(*this, std::move(name), std::forward<Args>(args)...);
        T& ref = *control;
        Adopt(std::move(control), rect, std::move(tag));
        return ref;
    }

public:
    // Declares a control from outside the form (tests, generic tools); as Add.
    template <typename T, typename... Args>
    T& AddControl(std::string name, Rect rect = {}, std::string tag = {}, Args&&... args) {
        return Add<T>(std::move(name), rect, std::move(tag), std::forward<Args>(args)...);
    }

private:
    friend class forms::Control;
    void Adopt(std::unique_ptr<forms::Control> control, Rect rect, std::string tag);
    void SetFocusInternal(forms::Control* control);
    void RunResize();
    void Announce(ChangeEvent::What what, forms::Control* control = nullptr);
    void ApplyFrameExtents();

    std::string name_;
    std::string caption_;
    int clientWidth_ = 4800;
    int clientHeight_ = 3600;
    int left_ = 0;
    int top_ = 0;
    int width_ = 4800;
    int height_ = 3600;
    forms::WindowState state_ = forms::WindowState::Normal;
    forms::BorderStyle border_ = forms::BorderStyle::FixedDialog;
    bool loaded_ = false;
    bool visible_ = false;
    bool modal_ = false;
    bool unloading_ = false;
    std::intptr_t hwnd_ = 0;
    CommandButton* defaultButton_ = nullptr;
    CommandButton* cancelButton_ = nullptr;
    forms::Control* focus_ = nullptr;
    std::vector<std::unique_ptr<forms::Control>> owned_;
    std::vector<forms::Control*> order_;
    std::vector<std::pair<ListenerId, std::shared_ptr<ChangeListener>>> listeners_;
    ListenerId nextListener_ = 1;
};

} // namespace foliant::forms
