// The help viewer: finding the help file and the program that shows it, and keeping track of
// the windows opened.

#include "platform/help/HtmlHelp.h"
#include "platform/help/Installation.h"
#include "platform/winreg/WinReg.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace foliant::help {

namespace {

namespace reg = foliant::winreg;

std::mutex openedMutex;
std::set<HWND> opened;

// The file part of a help address: "x.chm::/topic.htm" and "x.chm>window" name "x.chm".
std::string FilePart(const std::string& address) {
    std::string file = address.substr(0, address.find("::"));
    return file.substr(0, file.find('>'));
}

// The topic part: "x.chm::/topic.htm>window" names "/topic.htm"; "" when there is none.
std::string TopicPart(const std::string& address) {
    const auto at = address.find("::");
    if (at == std::string::npos) {
        return {};
    }
    const std::string topic = address.substr(at + 2);
    return topic.substr(0, topic.find('>'));
}

// The configured viewer's command line: its "%1" or "%f" is the file, else the file goes last.
std::vector<std::string> ConfiguredViewerCommand(const std::string& configured,
                                                 const std::string& path) {
    auto command = shell::SplitCommandLine(configured);
    if (command.empty()) {
        return {};
    }
    bool placed = false;
    for (std::size_t i = 1; i < command.size(); ++i) {
        for (const char* place : {"%1", "%f"}) {
            for (auto at = command[i].find(place); at != std::string::npos;
                 at = command[i].find(place, at + path.size())) {
                command[i].replace(at, 2, path);
                placed = true;
            }
        }
    }
    if (!placed) {
        command.push_back(path);
    }
    return command;
}

} // namespace

std::string RegisteredHelpFolder(const std::string& keyPath, const std::string& valueName) {
    reg::HKEY key = 0;
    if (reg::RegOpenKeyExA(reg::HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, reg::KEY_QUERY_VALUE,
                           &key) != reg::ERROR_SUCCESS) {
        return {};
    }
    std::string folder;
    reg::DWORD type = 0;
    reg::DWORD size = 0;
    if (reg::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) ==
            reg::ERROR_SUCCESS &&
        (type == reg::REG_SZ || type == reg::REG_EXPAND_SZ) && size > 0) {
        // The value's bytes, less the terminating zero.
        std::string bytes(size, '\0');
        if (reg::RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<reg::BYTE*>(bytes.data()),
                                  &size) == reg::ERROR_SUCCESS) {
            folder = bytes.c_str();
        }
    }
    reg::RegCloseKey(key);
    return folder;
}

std::string FindHelpFile(const std::string& file) {
    const std::string path = FilePart(file);
    if (path.empty()) {
        return {};
    }
    if (shell::FileExists(path)) {
        return path.front() == '/' ? path : shell::JoinPath(shell::CurrentDirectory(), path);
    }
    if (path.find('/') == std::string::npos) {
        const std::string folder = RegisteredHelpFolder(kHelpFolderKey, path);
        if (!folder.empty()) {
            const std::string registered = shell::JoinPath(folder, path);
            if (shell::FileExists(registered)) {
                return registered.front() == '/'
                           ? registered
                           : shell::JoinPath(shell::CurrentDirectory(), registered);
            }
        }
    }
    return {};
}

std::vector<std::string> HelpViewerCommand(const std::string& path, const std::string& topic) {
    if (const char* configured = std::getenv("FOLIANT_HELP_VIEWER");
        configured != nullptr && *configured != '\0') {
        return ConfiguredViewerCommand(configured, path);
    }
    if (const std::string viewer = HelpViewerProgram(); !viewer.empty()) {
        std::vector<std::string> command = {viewer, path};
        if (!topic.empty()) {
            command.insert(command.end(), {"--topic", topic});
        }
        return command;
    }
    return shell::DocumentCommand(path);
}

HWND HtmlHelpA(HWND /*owner*/, const char* file, UINT command, DWORD_PTR /*data*/) {
    if (command == HH_CLOSE_ALL) {
        std::set<HWND> windows;
        {
            std::lock_guard lock(openedMutex);
            windows.swap(opened);
        }
        for (HWND window : windows) {
            shell::SendMessageA(window, shell::WM_CLOSE, 0, 0);
        }
        return 0;
    }
    if (command != HH_DISPLAY_TOPIC && command != HH_DISPLAY_TOC && command != HH_DISPLAY_INDEX) {
        return 0;
    }
    const std::string address = file ? file : "";
    const std::string path = FindHelpFile(address);
    if (path.empty()) {
        return 0;
    }
    const auto viewer = HelpViewerCommand(path, TopicPart(address));
    if (viewer.empty()) {
        return 0;
    }
    const HWND window = shell::StartWindowProcess(viewer);
    if (window != 0) {
        std::lock_guard lock(openedMutex);
        opened.insert(window);
    }
    return window;
}

} // namespace foliant::help
