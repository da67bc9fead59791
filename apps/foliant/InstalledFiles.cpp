#include "apps/foliant/InstalledFiles.h"

#include "platform/help/Installation.h"
#include "platform/shell/Shell.h"

#include <stdexcept>

namespace foliant::app {

namespace {

const std::string kComponentFile = "libFoliant.so";

} // namespace

std::string SampleDatabase() {
    const std::string installation = help::InstallationFolder();
    return installation.empty() ? std::string()
                                : shell::JoinPath(installation, "share/foliant/sample.db");
}

std::vector<std::string> ComponentLibraryCandidates(const std::string& program) {
    std::vector<std::string> folders;
    if (const std::string beside = shell::FolderOf(program); !beside.empty()) {
        folders.push_back(beside);
    }
    if (const std::string installation = help::InstallationFolder(); !installation.empty()) {
        folders.push_back(shell::JoinPath(installation, FOLIANT_INSTALL_LIBDIR));
        folders.push_back(shell::JoinPath(installation, "lib"));
    }
    std::vector<std::string> candidates;
    for (const auto& folder : folders) {
        candidates.push_back(shell::JoinPath(folder, kComponentFile));
        candidates.push_back(shell::JoinPath(folder, kComponentFile + "." FOLIANT_SOVERSION));
    }
    return candidates;
}

std::string DatabaseOrSample(const std::string& given) {
    if (!given.empty()) {
        return given;
    }
    const std::string sample = SampleDatabase();
    if (sample.empty()) {
        throw std::runtime_error("No database given, and the sample database cannot be found: "
                                 "there is no share/foliant beside this program's folder. Name a "
                                 "database, or set FOLIANT_PREFIX to the installation folder.");
    }
    return sample;
}

} // namespace foliant::app
