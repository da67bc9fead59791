#pragma once

// Where this installation of Foliant keeps its help: the compiled help files and the help
// viewer. An installation is a folder with bin/ (foliant, foliant-help), lib/ (libFoliant.so)
// and share/foliant/help/ (Wizards_<code>.chm); the build tree is laid out the same way. The
// installation is found from the file that holds this code (the program or the component
// library), so a program moved or installed anywhere still finds its help: its folder's parent,
// or that folder's parent, whichever holds share/foliant. FOLIANT_PREFIX names the
// installation folder instead when it is set. None of these functions throws.

#include <string>

namespace foliant::help {

// The installation folder for a program or library at modulePath; "" when neither candidate
// holds share/foliant.
std::string InstallationFolderOf(const std::string& modulePath);

// The installation this code belongs to (FOLIANT_PREFIX when set); "" when none is found.
std::string InstallationFolder();

// <installation>/share/foliant/help; "" without an installation.
std::string HelpFilesFolder();

// <installation>/bin/foliant-help when that program exists; "" otherwise.
std::string HelpViewerProgram();

// The folder where the component looks for its help files when none is registered: the
// installation's help folder (HelpFilesFolder) when there is an installation, else the folder
// of the file that holds this code.
std::string ComponentHelpFolder();

} // namespace foliant::help
