#pragma once

// The desktop's side of the .rpt file type for one user, after the freedesktop.org
// conventions: a launcher (applications/foliant.desktop) whose Exec opens a report with this
// program's design command, and the MIME type application/x-foliant-report for *.rpt
// (mime/packages/foliant.xml), both under the user's data folder ($XDG_DATA_HOME, else
// ~/.local/share). The desktop's caches are brought up to date with update-mime-database and
// update-desktop-database when they are installed, so a file manager offers Foliant for
// report files.

#include <string>
#include <vector>

namespace foliant::app {

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share.
std::string UserDataFolder();
// The launcher's and the MIME type's files under the data folder.
std::string DesktopEntryPath(const std::string& dataFolder);
std::string MimeTypePath(const std::string& dataFolder);

// The launcher's text with Exec running `program` with "design %f"; the program's path is
// quoted so that spaces and reserved characters in it reach the launcher intact.
std::string DesktopEntryFor(const std::string& program);

// Writes both files (each whole or not at all) and updates the caches. Throws
// RegistrationError naming the file when one cannot be written. Returns the files written.
std::vector<std::string> RegisterDesktopFiles(const std::string& program);
// Removes both files when they are there and updates the caches. Throws RegistrationError
// naming the file when one cannot be removed.
void UnregisterDesktopFiles();

} // namespace foliant::app
