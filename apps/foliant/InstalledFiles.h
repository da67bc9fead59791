#pragma once

// The files of this program's own installation that its commands fall back to. The
// installation is found from the program's file (or FOLIANT_PREFIX), the way the help is
// found: nothing of the tree it was built in is remembered, so an installation anywhere, or the
// build tree itself, works the same. None of these functions throws.

#include <string>
#include <vector>

namespace foliant::app {

// <installation>/share/foliant/sample.db; "" when no installation is found.
std::string SampleDatabase();

// Where libFoliant.so may sit, most likely first: beside the program, then in the
// installation's library folder (its multiarch folder or lib/), each under the development
// name libFoliant.so and then under its SONAME.
std::vector<std::string> ComponentLibraryCandidates(const std::string& program);

// The database a command uses: `given` when not empty, else the sample database. Throws
// std::runtime_error saying so when neither exists.
std::string DatabaseOrSample(const std::string& given);

} // namespace foliant::app
