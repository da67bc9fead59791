#pragma once

// What the host's report commands share: the layout settings of this machine's locale, and the
// one-line error a command ends with.

#include "engine/run/Layout.h"

#include <string>

namespace foliant::app {

// Paper (A4 where the locale measures in metric, else Letter), number separators, currency
// symbol, short date and time patterns and AM/PM texts of the system's locale.
engine::run::LayoutSettings LocaleLayoutSettings();

// Prints "foliant: <description>" on stderr as one line (first letter lower case, no final
// full stop) and returns the failing exit status 1.
int FailWith(const std::string& description);

} // namespace foliant::app
