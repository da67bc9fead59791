#pragma once

#include "engine/Report.h"

#include <memory>
#include <string>

namespace foliant::app {

// Builds the demonstration report over the sample database: a title and print date in the
// page header, columns with headings, a group on the customer's country with the sum of the
// order amounts in its footer and as a grand total, the groups sorted by that sum, a record
// selection formula and the standard style. Throws the engine's error when the database
// lacks the sample tables.
std::shared_ptr<engine::Report> BuildDemoReport(const std::string& databasePath);

} // namespace foliant::app
