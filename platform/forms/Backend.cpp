#include "platform/forms/Backend.h"

#include "platform/forms/HeadlessBackend.h"

namespace foliant::forms {

namespace {
thread_local std::shared_ptr<Backend> current;
} // namespace

MessageBoxRequest MakeMessageBox(const std::string& text, int flags, const std::string& title) {
    MessageBoxRequest request;
    request.text = text;
    request.buttons = flags & 0x7;
    request.icon = flags & 0x70;
    request.defaultButton = (flags & 0x300) >> 8;
    request.title = title;
    return request;
}

std::vector<int> MessageBoxResults(int buttons) {
    switch (buttons) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
        return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    case vbRetryCancel:
        return {vbRetry, vbCancel};
    default:
        return {vbOK};
    }
}

const char* MessageBoxResultName(int result) {
    switch (result) {
    case vbOK:
        return "OK";
    case vbCancel:
        return "Cancel";
    case vbAbort:
        return "Abort";
    case vbRetry:
        return "Retry";
    case vbIgnore:
        return "Ignore";
    case vbYes:
        return "Yes";
    case vbNo:
        return "No";
    default:
        return "";
    }
}

Backend& CurrentBackend() {
    if (!current) {
        current = std::make_shared<HeadlessBackend>();
    }
    return *current;
}

std::shared_ptr<Backend> SetBackend(std::shared_ptr<Backend> backend) {
    auto previous = std::move(current);
    current = std::move(backend);
    return previous;
}

int MsgBox(const std::string& text, int flags, const std::string& title) {
    return CurrentBackend().MsgBox(MakeMessageBox(text, flags, title));
}

} // namespace foliant::forms
