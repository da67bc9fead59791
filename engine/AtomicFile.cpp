#include "engine/AtomicFile.h"

#include "engine/core/EngineError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace foliant::engine {

namespace {

std::optional<WriteFailure> g_failure;

std::string ErrnoText(int error) {
    std::string text = std::strerror(error);
    return text;
}

// Removes the temporary file unless the save went through.
struct TempFile {
    std::string path;
    int fd = -1;
    bool keep = false;
    ~TempFile() {
        if (fd >= 0) {
            ::close(fd);
        }
        if (!keep && !path.empty()) {
            ::unlink(path.c_str());
        }
    }
};

mode_t NewFileMode(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        return st.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void SetWriteFailureForTesting(std::optional<WriteFailure> failure) {
    g_failure = failure;
}

void WriteFileAtomically(const std::string& path, std::string_view contents) {
    namespace fs = std::filesystem;
    const fs::path target = fs::path(path);
    fs::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const auto fail = [&](const std::string& why) -> void {
        throw EngineError("Cannot save the report to " + path + ": " + why + ".");
    };
    if (target.filename().empty()) {
        fail("the path names a folder, not a file");
    }
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        fail("a folder of that name exists");
    }

    TempFile temp;
    std::string pattern = (folder / ("." + target.filename().string() + ".saving-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    temp.fd = ::mkstemp(buffer.data());
    if (temp.fd < 0) {
        fail("cannot create a temporary file in " + folder.string() + ": " + ErrnoText(errno));
    }
    temp.path = buffer.data();
    ::fchmod(temp.fd, NewFileMode(path));

    std::size_t written = 0;
    while (written < contents.size()) {
        ssize_t n = 0;
        if (g_failure == WriteFailure::Write) {
            // Half the bytes reach the disk, then the device is full.
            const std::size_t half = contents.size() / 2;
            if (written < half) {
                n = ::write(temp.fd, contents.data() + written, half - written);
            }
            if (written >= half || n < 0) {
                errno = ENOSPC;
                n = -1;
            }
        } else {
            n = ::write(temp.fd, contents.data() + written, contents.size() - written);
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("cannot write " + temp.path + ": " + ErrnoText(errno));
        }
        written += static_cast<std::size_t>(n);
    }
    if (g_failure == WriteFailure::Sync) {
        fail("cannot flush " + temp.path + " to disk: " + ErrnoText(EIO));
    }
    if (::fsync(temp.fd) != 0) {
        fail("cannot flush " + temp.path + " to disk: " + ErrnoText(errno));
    }
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0) {
        fail("cannot close " + temp.path + ": " + ErrnoText(errno));
    }
    if (g_failure == WriteFailure::Rename) {
        fail("cannot replace the file: " + ErrnoText(EIO));
    }
    if (::rename(temp.path.c_str(), path.c_str()) != 0) {
        fail("cannot replace the file: " + ErrnoText(errno));
    }
    temp.keep = true;
    // Make the rename itself durable; a failure here cannot undo the save, so it is ignored.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace foliant::engine
