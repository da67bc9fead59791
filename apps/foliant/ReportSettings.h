#pragma once

// What the host's report commands share: the layout settings of this machine's locale, and the
// one-line error a command ends with.

#include "preview/LocaleSettings.h"

#include <string>

namespace foliant::app {

using preview::LocaleLayoutSettings;

// Prints "foliant: <description>" on stderr as one line (first letter lower case, no final
// full stop) and returns the failing exit status 1.
int FailWith(const std::string& description);

} // namespace foliant::app
