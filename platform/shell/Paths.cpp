// Current directory, file tests and path joining.

#include "platform/shell/Shell.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace foliant::shell {

std::string CurrentDirectory() {
    std::vector<char> buffer(256);
    while (true) {
        if (::getcwd(buffer.data(), buffer.size())) {
            return std::string(buffer.data());
        }
        if (errno != ERANGE || buffer.size() >= (1u << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool SetCurrentDirectory(const std::string& path) {
    return !path.empty() && ::chdir(path.c_str()) == 0;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFolderPath(const std::string& text) {
    return !text.empty() && (text.back() == '/' || text.back() == '\\');
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    std::string joined = folder;
    if (joined.back() == '\\') {
        joined.back() = '/';
    } else if (joined.back() != '/') {
        joined += '/';
    }
    return joined + name;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string ModuleFileName(const void* addressInModule) {
    Dl_info info{};
    if (!addressInModule || ::dladdr(addressInModule, &info) == 0 || !info.dli_fname ||
        !*info.dli_fname) {
        return {};
    }
    const std::string name = info.dli_fname;
    if (name.front() == '/') {
        return name;
    }
    // The main program is reported by the name it was started with, which is relative to the
    // folder it was started in; the kernel knows its real path.
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        const std::string selfPath(self);
        const auto slash = name.find_last_of('/');
        if (selfPath.ends_with("/" + name.substr(slash == std::string::npos ? 0 : slash + 1))) {
            return selfPath;
        }
    }
    char resolved[PATH_MAX];
    return ::realpath(name.c_str(), resolved) ? std::string(resolved) : name;
}

void Sleep(DWORD ms) {
    struct timespec wait {
        static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L
    };
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

} // namespace foliant::shell
