#include "platform/help/Installation.h"

#include "platform/shell/Shell.h"

#include <cstdlib>

namespace foliant::help {

namespace {

const std::string kDataFolder = "share/foliant";

// A marker whose address names the file this code was linked into.
const int kInThisModule = 0;

} // namespace

std::string InstallationFolderOf(const std::string& modulePath) {
    std::string folder = shell::FolderOf(modulePath);
    for (int level = 0; level < 2 && !folder.empty(); ++level) {
        folder = shell::FolderOf(folder);
        if (!folder.empty() && shell::FolderExists(shell::JoinPath(folder, kDataFolder))) {
            return folder;
        }
    }
    return {};
}

std::string InstallationFolder() {
    if (const char* prefix = std::getenv("FOLIANT_PREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    return InstallationFolderOf(shell::ModuleFileName(&kInThisModule));
}

std::string HelpFilesFolder() {
    const std::string installation = InstallationFolder();
    return installation.empty() ? std::string()
                                : shell::JoinPath(installation, kDataFolder + "/help");
}

std::string HelpViewerProgram() {
    const std::string installation = InstallationFolder();
    if (installation.empty()) {
        return {};
    }
    const std::string viewer = shell::JoinPath(installation, "bin/foliant-help");
    return shell::FileExists(viewer) ? viewer : std::string();
}

std::string ComponentHelpFolder() {
    const std::string folder = HelpFilesFolder();
    return folder.empty() ? shell::FolderOf(shell::ModuleFileName(&kInThisModule)) : folder;
}

} // namespace foliant::help
