#pragma once

#include "platform/automation/values/AutomationError.h"

#include <stdexcept>
#include <string>

namespace foliant::forms {

// Error numbers raised by controls and dialogs, as the wizard's code expects them.
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kInvalidPropertyValue = 380;
inline constexpr std::int32_t kInvalidPropertyArrayIndex = 381;
inline constexpr std::int32_t kElementNotFound = 35601;
inline constexpr std::int32_t kInvalidRelationship = 35605;
// Raised by a file dialog the person cancelled; no other error carries this number.
inline constexpr std::int32_t kCancelError = 32755;

// An error raised by a form or control operation (bad index, unknown node, cancelled dialog).
// It is an automation error so the wizard's handlers report it like any other.
class FormsError : public automation::AutomationError {
public:
    FormsError(std::int32_t number, std::string description)
        : AutomationError(number, "Forms", std::move(description)) {}
};

// Thrown by a user action (UserClick, UserType, ...) addressed to a control that is hidden or
// disabled, or that cannot take that action. A person could not have done it, so nothing ran.
class UserActionRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown by the headless backend when a message box or file dialog appears with no queued
// answer, or a modal form has no driver. Deliberately not a std::exception: wizard handlers
// that catch errors to show them in a message box must let it through to the driver.
class DriverStop {
public:
    explicit DriverStop(std::string reason) : reason_(std::move(reason)) {}
    const std::string& Reason() const noexcept { return reason_; }
    const char* what() const noexcept { return reason_.c_str(); }

private:
    std::string reason_;
};

} // namespace foliant::forms
