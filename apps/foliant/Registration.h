#pragma once

// foliant register / unregister: the component's registration, done the way the platform's
// registration tool does it (load the library, call its DllRegisterServer or
// DllUnregisterServer), and the ".rpt" file type, opened by this program's design command.

#include <stdexcept>
#include <string>
#include <vector>

namespace foliant::app {

// The class ".rpt" names, and its description.
inline constexpr const char* kReportFileClass = "Foliant.Report";
inline constexpr const char* kReportFileDescription = "Foliant report";

// A registration step that failed; what() names the library or key and the reason.
class RegistrationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The component library to register: `given` when not empty, else libFoliant.so beside the
// program or in its installation's library folder (ComponentLibraryCandidates). Throws
// RegistrationError when none exists.
std::string FindComponentLibrary(const std::string& given);

// Loads library and calls its export DllRegisterServer (register true) or DllUnregisterServer.
// Throws RegistrationError naming the library when it does not load, lacks the export, or the
// export answers a failure (with the result code).
void CallRegistrationExport(const std::string& library, bool registerIt);

// Under HKEY_CLASSES_ROOT: ".rpt" names kReportFileClass, whose shell\open\command is
// "PROGRAM" design "%1" and whose DefaultIcon is PROGRAM,0. Throws RegistrationError when the
// registry refuses a write.
void RegisterReportFiles(const std::string& program);

// Removes kReportFileClass, and ".rpt" when it still names that class (a file type another
// program has taken over is left alone). Throws RegistrationError when the registry refuses.
void UnregisterReportFiles();

// Under HKEY_LOCAL_MACHINE, key help::kHelpFolderKey: one text value per help file of folder
// (Wizards_<code>.chm), named after the file and holding folder, the way help files are
// registered so Help finds them. Returns the names registered, in name order; none when folder
// is empty or holds no help file. Throws RegistrationError naming the key when the registry
// refuses a write.
std::vector<std::string> RegisterHelpFiles(const std::string& folder);

// Removes the values of help::kHelpFolderKey that hold folder; values another installation
// registered stay. Throws RegistrationError when the registry refuses.
void UnregisterHelpFiles(const std::string& folder);

// This program's own path.
std::string ProgramPath();

// The commands foliant register and foliant unregister: the component and the file type
// together, then the desktop's launcher and MIME type for this user (DesktopFiles.h) and the
// help files (a desktop file or help file that cannot be registered only warns). While one runs,
// other register and unregister commands of the same registry wait, so the two registrations always
// change together. Print what was done and return 0, or return 1 after one line on stderr.
int RunRegister(const std::string& library);
int RunUnregister(const std::string& library);

} // namespace foliant::app
