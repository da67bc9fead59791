#pragma once

#include "platform/forms/Controls.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace foliant::forms {

class Form;

// Message box buttons, icons and default button (added together), and its results.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbDefaultButton1 = 0;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbDefaultButton3 = 512;

inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

// Common dialog flag that hides the read-only check box.
inline constexpr std::int32_t cdlOFNHideReadOnly = 4;

struct MessageBoxRequest {
    std::string text;
    int buttons = vbOKOnly; // the button group: flags & 7
    int icon = 0;           // 0, vbCritical, vbQuestion, vbExclamation or vbInformation
    int defaultButton = 0;  // 0, 1 or 2 (which button is the default)
    std::string title;      // "" when the caller gave none
};

// Splits MsgBox flags into buttons, icon and default button.
MessageBoxRequest MakeMessageBox(const std::string& text, int flags, const std::string& title);
// The results a box with this button group can give (vbOK, vbCancel, ...), in button order.
std::vector<int> MessageBoxResults(int buttons);
// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No" for a result; "" otherwise.
const char* MessageBoxResultName(int result);

// Screen and window frame sizes, in twips.
struct FrameExtents {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What shows forms, message boxes and file dialogs: the headless backend in tests and
// scripts, the Qt backend for people.
class Backend {
public:
    virtual ~Backend() = default;
    // The form is loaded and visible; return when it is hidden or unloaded.
    virtual void RunModal(Form& form) = 0;
    // The form is loaded and visible; show its window and return at once.
    virtual void ShowModeless(Form& form) = 0;
    // Returns the result (vbOK, vbYes, ...).
    virtual int MsgBox(const MessageBoxRequest& request) = 0;
    // The chosen path, or nothing when the person cancelled.
    virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    // The area of every screen, in twips from the primary screen's top left corner; the
    // primary screen first.
    virtual std::vector<Rect> Screens() const { return {{0, 0, ScreenWidth(), ScreenHeight()}}; }
    // The window frame around a form's client area.
    virtual FrameExtents Frame(const Form& form) const = 0;
};

// The backend of this thread. Without one installed, a headless backend with nothing queued
// is used (every message box and modal show then stops with DriverStop).
Backend& CurrentBackend();
// Installs a backend for this thread and returns the previous one (may be null).
std::shared_ptr<Backend> SetBackend(std::shared_ptr<Backend> backend);

// Installs a backend for as long as it lives and puts the previous one back however the scope
// ends.
class BackendScope {
public:
    explicit BackendScope(std::shared_ptr<Backend> backend)
        : previous_(SetBackend(std::move(backend))) {}
    ~BackendScope() { SetBackend(previous_); }
    BackendScope(const BackendScope&) = delete;
    BackendScope& operator=(const BackendScope&) = delete;

private:
    std::shared_ptr<Backend> previous_;
};

// Shows a message box through the current backend: flags = buttons + icon + default button.
int MsgBox(const std::string& text, int flags = vbOKOnly, const std::string& title = {});

inline constexpr int kTwipsPerPixel = 15;

} // namespace foliant::forms
