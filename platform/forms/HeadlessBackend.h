#pragma once

#include "platform/forms/Backend.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace foliant::forms {

// The backend for tests and scripts: no windows. A modal show runs the driver while the form
// is loaded and shown; message boxes and file dialogs take queued answers and are recorded.
class HeadlessBackend : public Backend {
public:
    // Runs while a form is shown modally; it acts on the form through user actions. When it
    // returns with the form still shown, the form is unloaded as if its window were closed
    // by code. Nested modal shows call the driver again with the inner form.
    using Driver = std::function<void(Form& form)>;

    struct ShownBox {
        MessageBoxRequest request;
        int result = 0;
    };

    void SetDriver(Driver driver) { driver_ = std::move(driver); }

    // The answer to the next message box (vbOK, vbYes, ...).
    void QueueAnswer(int result) { answers_.push_back(result); }
    // The result of the next file dialog: a path, or a cancel.
    void QueueFile(std::string path) { files_.push_back(std::move(path)); }
    void QueueFileCancel() { files_.push_back(std::nullopt); }
    std::size_t PendingAnswers() const noexcept { return answers_.size(); }
    std::size_t PendingFiles() const noexcept { return files_.size(); }

    // Every box and file dialog shown so far, in order.
    const std::vector<ShownBox>& Boxes() const noexcept { return boxes_; }
    const std::vector<FileDialogRequest>& FileDialogs() const noexcept { return dialogs_; }
    // The forms shown modally right now, innermost last.
    const std::vector<Form*>& ModalStack() const noexcept { return modal_; }
    // The innermost modal form, or null.
    Form* ActiveForm() const noexcept { return modal_.empty() ? nullptr : modal_.back(); }

    void SetScreenSize(int width, int height) {
        screenWidth_ = width;
        screenHeight_ = height;
    }
    void SetFrameExtents(FrameExtents extents) { frame_ = extents; }
    // More screens beside the primary one (a second monitor), in twips.
    void SetExtraScreens(std::vector<Rect> screens) { extraScreens_ = std::move(screens); }

    void RunModal(Form& form) override;
    void ShowModeless(Form& form) override;
    // Takes the next queued answer; throws DriverStop when none is queued or the answer is
    // not one of the box's buttons.
    int MsgBox(const MessageBoxRequest& request) override;
    // Takes the next queued result; throws DriverStop when none is queued.
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    int ScreenWidth() const override { return screenWidth_; }
    int ScreenHeight() const override { return screenHeight_; }
    std::vector<Rect> Screens() const override;
    FrameExtents Frame(const Form& form) const override;

private:
    std::vector<Rect> extraScreens_;
    Driver driver_;
    std::deque<int> answers_;
    std::deque<std::optional<std::string>> files_;
    std::vector<ShownBox> boxes_;
    std::vector<FileDialogRequest> dialogs_;
    std::vector<Form*> modal_;
    int screenWidth_ = 1920 * kTwipsPerPixel;
    int screenHeight_ = 1080 * kTwipsPerPixel;
    // A typical decorated window: 4 px borders and a 23 px title bar (sizable windows).
    FrameExtents frame_{60, 345, 60, 60};
};

} // namespace foliant::forms
