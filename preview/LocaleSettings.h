#pragma once

#include "engine/run/Layout.h"

namespace foliant::preview {

// The layout settings of this machine's locale: paper (A4 where the locale measures in metric,
// else Letter), number separators, currency symbol, short date and time patterns and AM/PM
// texts.
engine::run::LayoutSettings LocaleLayoutSettings();

} // namespace foliant::preview
