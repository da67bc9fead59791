#pragma once

#include "platform/forms/Control.h"

#include <optional>
#include <string>
#include <vector>

namespace foliant::preview {

// The stored window position: left, top, width and height in twips as decimal text joined by
// "," ("1200,900,9000,7000"). Nothing when the text is not exactly four whole numbers, or the
// width or height is not above 0: such a text counts as no stored position.
std::optional<forms::Rect> ParseStoredPosition(const std::string& text);
// The text ParseStoredPosition reads.
std::string FormatStoredPosition(const forms::Rect& position);

// Whether a person can reach the window: enough of it (its title bar's worth) lies on one of
// the screens. A position stored before a monitor was unplugged or the resolution dropped
// may lie wholly or nearly off every screen.
bool IsOnScreen(const forms::Rect& window, const std::vector<forms::Rect>& screens);

// Where a window of this size sits when nothing is stored: centred across the screen and a
// third of the free height from its top.
forms::Rect CentredPosition(int width, int height, const forms::Rect& screen);

} // namespace foliant::preview
