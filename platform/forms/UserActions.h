#pragma once

// A person's actions addressed to a control by what it shows, whatever its kind: what an
// automation script line does. Each throws UserActionRefused when the control cannot take the
// action (wrong kind, hidden, disabled, no such item or node) and runs exactly the handlers the
// control's own User* action runs.

#include "platform/forms/Control.h"

#include <string>

namespace foliant::forms::user {

// The whole-text edits of a text box or combo box edit field (TextEditor::UserTypeOver,
// UserAppend, UserPasteOver, UserClear).
void Type(Control& control, const std::string& text);
void Append(Control& control, const std::string& text);
void Paste(Control& control, const std::string& text);
void Clear(Control& control);
// Selects a list or combo box entry by its 0-based index or by its exact text.
void Select(Control& control, int index);
void Select(Control& control, const std::string& text);
// Clicks a tree node by its 1-based collection index or by its exact text (the first such
// node in collection order).
void ClickNode(Control& control, int index);
void ClickNode(Control& control, const std::string& text);

} // namespace foliant::forms::user
