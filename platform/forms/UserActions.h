#pragma once

// A person's actions addressed to a control by what it shows, whatever its kind: what an
// automation script line does. Each throws UserActionRefused when the control cannot take the
// action (wrong kind, hidden, disabled, no such item or node) and runs exactly the handlers the
// control's own User* action runs.

#include "platform/forms/Control.h"

#include <string>

namespace foliant::forms::user {

// Selects the whole text of a text box or combo box edit field and types over it, one
// character at a time.
void Type(Control& control, const std::string& text);
// Types at the end of the existing text.
void Append(Control& control, const std::string& text);
// Selects the whole text and pastes over it: one Change.
void Paste(Control& control, const std::string& text);
// Selects the whole text and deletes it: one Change with the empty text (none when empty).
void Clear(Control& control);
// Selects a list or combo box entry by its 0-based index or by its exact text.
void Select(Control& control, int index);
void Select(Control& control, const std::string& text);
// Clicks a tree node by its 1-based collection index or by its exact text (the first such
// node in collection order).
void ClickNode(Control& control, int index);
void ClickNode(Control& control, const std::string& text);

} // namespace foliant::forms::user
