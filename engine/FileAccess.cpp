#include "engine/FileAccess.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>

namespace foliant::engine {

namespace {

constexpr int kMaxLinks = 40; // as many as the system follows in one name
constexpr const char* kTemporaryMark = ".saving-";
constexpr std::size_t kTemporarySuffix = 6; // mkstemp's XXXXXX

// Closes a file descriptor on scope exit.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int d) : fd(d) {}
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

// What a name that is not a regular file names instead.
std::string KindReason(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "it is a folder, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "it is a named pipe, not a file";
    }
    if (S_ISSOCK(mode)) {
        return "it is a socket, not a file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "it is a device, not a file";
    }
    return "it is not a regular file";
}

std::string OpenReason(int error) {
    return error == ENOENT ? "the file does not exist" : SystemReason(error);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The name path ends at once every symbolic link in its last part is followed; that name may
// not exist yet (a link to a file still to be made).
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                return current;
            }
            throw FileError(SystemReason(errno));
        }
        if (!S_ISLNK(st.st_mode)) {
            return current;
        }
        if (hops == kMaxLinks) {
            throw FileError(SystemReason(ELOOP));
        }
        std::string target(static_cast<std::size_t>(st.st_size) + 256, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) {
            throw FileError(SystemReason(errno));
        }
        target.resize(static_cast<std::size_t>(n));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
}

void RequireFolder(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        throw FileError(errno == ENOENT ? "the folder " + folder + " does not exist"
                                        : SystemReason(errno));
    }
    if (!S_ISDIR(st.st_mode)) {
        throw FileError(folder + " is not a folder");
    }
}

} // namespace

std::string SystemReason(int error) {
    std::string text = std::strerror(error);
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

void RequireRegularFile(const std::string& path) {
    if (path.empty()) {
        throw FileError("no file name was given");
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw FileError(OpenReason(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw FileError(KindReason(st.st_mode));
    }
}

std::string ReadRegularFile(const std::string& path, std::uintmax_t limit) {
    // Looked at before it is opened, so that opening has no effect on a device; checked again
    // on what was opened, in case the name changed in between.
    RequireRegularFile(path);
    struct stat st {};
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd < 0) {
        throw FileError(OpenReason(errno));
    }
    if (::fstat(file.fd, &st) != 0) {
        throw FileError(SystemReason(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw FileError(KindReason(st.st_mode));
    }
    const auto size = static_cast<std::uintmax_t>(st.st_size);
    if (size > limit) {
        throw FileError("the file is too large (" + std::to_string(size) + " bytes; at most " +
                        std::to_string(limit) + ")");
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(file.fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw FileError("it cannot be read (" + SystemReason(errno) + ")");
        }
        if (n == 0) {
            break; // it shrank since it was opened
        }
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return text;
}

WriteTarget ResolveWriteTarget(const std::string& path) {
    if (path.empty()) {
        throw FileError("no file name was given");
    }
    if (path.back() == '/') {
        throw FileError("the path names a folder, not a file");
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
            return {path, true};
        }
        if (!S_ISREG(st.st_mode)) {
            throw FileError(KindReason(st.st_mode));
        }
    } else if (errno != ENOENT) {
        throw FileError(SystemReason(errno));
    }
    WriteTarget target{FollowLinks(path), false};
    RequireFolder(FolderOf(target.path));
    return target;
}

std::string TemporaryPrefix(const std::string& fileName) {
    return "." + fileName + kTemporaryMark;
}

bool IsTemporaryName(const std::string& fileName) {
    const std::size_t mark = std::strlen(kTemporaryMark);
    if (fileName.size() < 2 + mark + kTemporarySuffix || fileName.front() != '.') {
        return false;
    }
    const std::size_t at = fileName.size() - kTemporarySuffix - mark;
    if (fileName.compare(at, mark, kTemporaryMark) != 0) {
        return false;
    }
    for (std::size_t i = at + mark; i < fileName.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(fileName[i]))) {
            return false;
        }
    }
    return true;
}

void RemoveStaleTemporaries(const std::string& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) {
        return;
    }
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!IsTemporaryName(entry->d_name)) {
            continue;
        }
        const Descriptor file(::openat(dirFd, entry->d_name,
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st {};
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        // A save in progress holds its lock; a save that was killed holds nothing any more.
        if (::flock(file.fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlinkat(dirFd, entry->d_name, 0);
        }
    }
}

} // namespace foliant::engine
