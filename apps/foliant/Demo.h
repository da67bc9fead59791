#pragma once

// foliant demo: a person's walk through the wizard's seven pages over the sample database,
// played from a script of user actions and ending with Finish, which saves the report. The
// report is then written as PDF beside it, and its first page printed as text.

#include <ostream>
#include <string>
#include <vector>

namespace foliant::app {

// The walk: three columns (the customer, the order date, the amount), a group per country with
// the sum of the amounts (also as a grand total) and the number of orders, the five countries
// with the largest sums, orders over 100, the given style (0 to 9) and the title, then Finish
// saving to reportPath for viewing later. replaceExisting answers the question Finish asks
// when reportPath exists.
std::string DemoScript(const std::string& reportPath, int style, bool replaceExisting);

// Plays the walk over the database, then writes reportPath's PDF (the same name ending in
// ".pdf"), prints the first page as text to out and, after it, where the two files are.
// Throws the engine's error when the database lacks the sample tables, and script::ScriptError
// when the walk cannot be played on it.
void RunDemo(const std::string& databasePath, const std::string& reportPath, int style,
             std::ostream& out, int argc, char** argv);

} // namespace foliant::app
