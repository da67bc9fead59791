#include "apps/foliant/DesktopFiles.h"

#include "DesktopTexts.h"
#include "apps/foliant/Registration.h"
#include "engine/AtomicFile.h"
#include "engine/core/EngineError.h"
#include "platform/shell/Shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace foliant::app {

namespace {

namespace fs = std::filesystem;

// An Exec argument in double quotes, with the characters that must be escaped there escaped.
std::string QuotedExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        if (c == '%') {
            quoted += '%'; // a literal percent sign is doubled
        }
        quoted += c;
    }
    return quoted + "\"";
}

void WriteWhole(const std::string& path, const std::string& text) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    try {
        engine::WriteFileAtomically(path, text);
    } catch (const engine::EngineError& e) {
        throw RegistrationError("Cannot write the desktop file " + path + ": " + e.Description());
    }
}

void RemoveIfThere(const std::string& path) {
    std::error_code error;
    fs::remove(path, error);
    if (error) {
        throw RegistrationError("Cannot remove the desktop file " + path + ": " + error.message() +
                                ".");
    }
}

// Runs a cache tool on a folder when the tool is installed; its output is not the user's
// concern, and a cache that is not updated only delays the desktop noticing.
void RunWhenInstalled(const std::string& tool, const std::string& folder) {
    const std::string program = shell::FindProgram(tool);
    if (program.empty() || !fs::is_directory(folder)) {
        return;
    }
    // What this program has written but not yet put out must not be put out twice.
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(program.c_str(), program.c_str(), folder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (child > 0) {
        ::waitpid(child, &status, 0);
    }
}

void UpdateCaches(const std::string& dataFolder) {
    RunWhenInstalled("update-mime-database", dataFolder + "/mime");
    RunWhenInstalled("update-desktop-database", dataFolder + "/applications");
}

} // namespace

std::string UserDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        return data;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share";
}

std::string DesktopEntryPath(const std::string& dataFolder) {
    return dataFolder + "/applications/foliant.desktop";
}

std::string MimeTypePath(const std::string& dataFolder) {
    return dataFolder + "/mime/packages/foliant.xml";
}

std::string DesktopEntryFor(const std::string& program) {
    std::string text = kDesktopEntryText;
    const std::string exec = "Exec=foliant ";
    const auto at = text.find(exec);
    if (at != std::string::npos) {
        text.replace(at, exec.size(), "Exec=" + QuotedExecArgument(program) + " ");
    }
    return text;
}

std::vector<std::string> RegisterDesktopFiles(const std::string& program) {
    const std::string data = UserDataFolder();
    const std::vector<std::string> files{DesktopEntryPath(data), MimeTypePath(data)};
    WriteWhole(files[0], DesktopEntryFor(program));
    WriteWhole(files[1], kMimeTypeText);
    UpdateCaches(data);
    return files;
}

void UnregisterDesktopFiles() {
    const std::string data = UserDataFolder();
    RemoveIfThere(DesktopEntryPath(data));
    RemoveIfThere(MimeTypePath(data));
    UpdateCaches(data);
}

} // namespace foliant::app
