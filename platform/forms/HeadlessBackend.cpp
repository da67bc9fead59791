#include "platform/forms/HeadlessBackend.h"

#include "platform/forms/Form.h"

#include <algorithm>

namespace foliant::forms {

void HeadlessBackend::RunModal(Form& form) {
    if (!driver_) {
        throw DriverStop("The form '" + form.Name() + "' was shown modally with no driver.");
    }
    modal_.push_back(&form);
    try {
        driver_(form);
    } catch (...) {
        modal_.erase(std::find(modal_.begin(), modal_.end(), &form));
        throw;
    }
    modal_.erase(std::find(modal_.begin(), modal_.end(), &form));
    // A driver that stops early leaves the form as a closed window would.
    if (form.Loaded() && form.Visible()) {
        form.Unload();
        form.Hide();
    }
}

void HeadlessBackend::ShowModeless(Form&) {}

int HeadlessBackend::MsgBox(const MessageBoxRequest& request) {
    boxes_.push_back(ShownBox{request, 0});
    if (answers_.empty()) {
        throw DriverStop("A message box appeared with no answer queued: \"" + request.text + "\"");
    }
    const int answer = answers_.front();
    answers_.pop_front();
    const auto results = MessageBoxResults(request.buttons);
    if (std::find(results.begin(), results.end(), answer) == results.end()) {
        std::string offered;
        for (int r : results) {
            offered += (offered.empty() ? "" : ", ") + std::string(MessageBoxResultName(r));
        }
        throw DriverStop(std::string("The queued answer ") + MessageBoxResultName(answer) +
                         " is not a button of the message box \"" + request.text + "\" (" +
                         offered + ").");
    }
    boxes_.back().result = answer;
    return answer;
}

std::optional<std::string> HeadlessBackend::FileDialog(const FileDialogRequest& request) {
    dialogs_.push_back(request);
    if (files_.empty()) {
        throw DriverStop("A file dialog appeared with no file or cancel queued (preset \"" +
                         request.fileName + "\").");
    }
    auto result = std::move(files_.front());
    files_.pop_front();
    return result;
}

FrameExtents HeadlessBackend::Frame(const Form&) const {
    return frame_;
}

std::vector<Rect> HeadlessBackend::Screens() const {
    std::vector<Rect> screens{{0, 0, screenWidth_, screenHeight_}};
    screens.insert(screens.end(), extraScreens_.begin(), extraScreens_.end());
    return screens;
}

} // namespace foliant::forms
