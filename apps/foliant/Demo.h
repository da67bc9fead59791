#pragma once

#include "engine/Report.h"

#include <memory>
#include <string>

namespace foliant::app {

// Builds the demonstration report over the sample database as the wizard would from a person's
// choices: a title and print date in the page header, columns with headings, a group on the
// customer's country with the sum of the order amounts (also as a grand total) and the number
// of orders, the groups sorted by that sum, largest first, a record selection formula and the
// given style (0 to 9). Throws the engine's error when the database lacks the sample tables.
std::shared_ptr<engine::Report> BuildDemoReport(const std::string& databasePath, int style);

} // namespace foliant::app
