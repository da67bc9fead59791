#pragma once

#include "platform/forms/Form.h"
#include "platform/forms/HeadlessBackend.h"

#include <nlohmann/json.hpp>
#include <string>

namespace foliant::forms {

// The state of one control as JSON: name, kind, visible, enabled and what its kind has
// (caption, text, items, item data, list index, value, picture, tooltip, nodes ...).
nlohmann::json DumpControl(const Control& control);
// The form's window and every control in declaration order, with the default and cancel
// buttons and the focused control.
nlohmann::json DumpForm(const Form& form);
// Every message box and file dialog the headless backend has shown.
nlohmann::json DumpPrompts(const HeadlessBackend& backend);

// A one-line summary for test assertions: name, then V/- (visible) and E/- (enabled), then
// per kind: #index and the items, =value, "text", or the selected node's index.
// For example `ReportFieldList1 VE #0 [Orders.Amount|Customer.Name]`.
std::string Brief(const Control& control);

} // namespace foliant::forms
