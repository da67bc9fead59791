#include "engine/AtomicFile.h"

#include "engine/FileAccess.h"
#include "engine/core/EngineError.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace foliant::engine {

namespace {

std::optional<WriteFailure> g_failure;

// Removes the temporary file unless the save went through.
struct TempFile {
    std::string path;
    int fd = -1;
    bool keep = false;
    ~TempFile() {
        if (!keep && !path.empty()) {
            ::unlink(path.c_str());
        }
        if (fd >= 0) {
            ::close(fd);
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

// Writes all of contents to fd; the errno of a failed write, else 0.
int WriteAll(int fd, std::string_view contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        ssize_t n = 0;
        if (g_failure == WriteFailure::Write) {
            // Half the bytes reach the disk, then the device is full.
            const std::size_t half = contents.size() / 2;
            if (written < half) {
                n = ::write(fd, contents.data() + written, half - written);
            }
            if (written >= half || n < 0) {
                errno = ENOSPC;
                n = -1;
            }
        } else {
            n = ::write(fd, contents.data() + written, contents.size() - written);
        }
        if (n < 0 && errno != EINTR) {
            return errno;
        }
        written += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return 0;
}

// A device or a pipe takes the bytes as they come: nothing to replace, nothing to flush. A
// pipe that nobody starts reading within a second is refused rather than waited on.
void WriteDirectly(const std::string& path, const std::function<void(const ChunkWriter&)>& produce,
                   const std::function<void(const std::string&)>& fail) {
    TempFile target; // only to close it; never removed (keep)
    target.keep = true;
    // A program at the other end of a pipe may take a moment to start reading.
    int error = ENXIO;
    for (int wait = 0; wait < 20 && error == ENXIO; ++wait) {
        target.fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        error = target.fd >= 0 ? 0 : errno;
        if (error == ENXIO) {
            ::usleep(50 * 1000);
        }
    }
    if (target.fd < 0) {
        fail(error == ENXIO ? "no program is reading from the pipe" : SystemReason(error));
    }
    ::fcntl(target.fd, F_SETFL, ::fcntl(target.fd, F_GETFL) & ~O_NONBLOCK);
    produce([&](std::string_view contents) {
        if (const int failed = WriteAll(target.fd, contents); failed != 0) {
            fail("cannot write it: " + SystemReason(failed));
        }
    });
}

// A new temporary file beside the target, locked for as long as it is open, so that a later
// save can tell it from one whose writer was killed (see RemoveStaleTemporaries).
void CreateTemporary(TempFile& temp, const std::filesystem::path& folder,
                     const std::filesystem::path& target,
                     const std::function<void(const std::string&)>& fail) {
    for (;;) {
        std::string name = (folder / TemporaryPrefix(target.filename().string())).string();
        name += "XXXXXX";
        temp.fd = ::mkstemp(name.data());
        if (temp.fd < 0) {
            fail("cannot create a temporary file in " + folder.string() + ": " +
                 SystemReason(errno));
        }
        temp.path = name;
        ::flock(temp.fd, LOCK_EX);
        struct stat st {};
        if (::fstat(temp.fd, &st) == 0 && st.st_nlink > 0) {
            return;
        }
        // Another save took it for a stale one before it was locked: make another.
        ::close(temp.fd);
        temp.fd = -1;
        temp.path.clear();
    }
}

} // namespace

void SetWriteFailureForTesting(std::optional<WriteFailure> failure) {
    g_failure = failure;
}

void WriteFileAtomically(const std::string& path, std::string_view contents) {
    WriteFileAtomically(path, [contents](const ChunkWriter& write) { write(contents); });
}

void WriteFileAtomically(const std::string& path,
                         const std::function<void(const ChunkWriter&)>& produce) {
    namespace fs = std::filesystem;
    const std::function<void(const std::string&)> fail = [&](const std::string& why) {
        throw EngineError("Cannot save the report to " + path + ": " + why + ".");
    };
    WriteTarget resolved;
    try {
        resolved = ResolveWriteTarget(path);
    } catch (const FileError& e) {
        fail(e.Reason());
    }
    if (resolved.direct) {
        WriteDirectly(resolved.path, produce, fail);
        return;
    }
    const fs::path target = fs::path(resolved.path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    RemoveStaleTemporaries(folder.string());

    TempFile temp;
    CreateTemporary(temp, folder, target, fail);
    ::fchmod(temp.fd, NewFileMode(resolved.path));
    produce([&](std::string_view contents) {
        if (const int error = WriteAll(temp.fd, contents); error != 0) {
            fail("cannot write " + temp.path + ": " + SystemReason(error));
        }
    });
    if (g_failure == WriteFailure::Sync) {
        fail("cannot flush " + temp.path + " to disk: " + SystemReason(EIO));
    }
    if (::fsync(temp.fd) != 0) {
        fail("cannot flush " + temp.path + " to disk: " + SystemReason(errno));
    }
    if (g_failure == WriteFailure::Rename) {
        fail("cannot replace the file: " + SystemReason(EIO));
    }
    // Renamed while still open and locked, so that no other save takes it for a stale one.
    if (::rename(temp.path.c_str(), resolved.path.c_str()) != 0) {
        fail("cannot replace the file: " + SystemReason(errno));
    }
    temp.keep = true;
    // Make the rename itself durable; a failure here cannot undo the save, so it is ignored.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace foliant::engine
