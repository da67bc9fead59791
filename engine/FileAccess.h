#pragma once

// The checks every file a person names goes through before it is read or written: reports,
// scripts and exported pages alike. A name that is not a regular file is refused at once
// (nothing waits on a pipe or reads a device without end), and the reason is the system's.

#include "engine/core/Api.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace foliant::engine {

// Why a file cannot be read or written, as the end of a sentence: "the file does not exist",
// "permission denied", "too many levels of symbolic links", "it is a named pipe, not a file".
class FOLIANT_ENGINE_API FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& reason) : std::runtime_error(reason) {}
    std::string Reason() const { return what(); }
};

// The whole content of the regular file at path (symbolic links followed). Only as many bytes
// as the file had when it was opened are read, and a file larger than limit is refused before
// anything is read. Throws FileError for an empty name, a file that cannot be opened, anything
// that is not a regular file, a file too large, or a failed read.
FOLIANT_ENGINE_API std::string ReadRegularFile(const std::string& path, std::uintmax_t limit);

// Checks that path names a regular file (symbolic links followed) without opening it, for
// files that another library opens (a database, a shared library). Throws FileError like
// ReadRegularFile.
FOLIANT_ENGINE_API void RequireRegularFile(const std::string& path);

// Where writing path really goes. Symbolic links are followed to the name they end at, which
// is then replaced in its own folder. A character device or named pipe (a terminal,
// /dev/null, a pipe to another program) is written directly instead of being replaced.
struct WriteTarget {
    std::string path;    // the name to write: path itself, or where its links lead
    bool direct = false; // a device or pipe: write into it, never replace it
};

// Throws FileError for an empty name, a folder, a name ending in "/", a socket or block
// device, a link loop, or a folder that does not exist.
WriteTarget ResolveWriteTarget(const std::string& path);

// The name a save into folder uses for its temporary file (before the random suffix) and the
// test for names of that pattern: ".NAME.saving-XXXXXX".
std::string TemporaryPrefix(const std::string& fileName);
bool IsTemporaryName(const std::string& fileName);

// Removes the temporary files in folder that saves killed part way left behind: those of the
// pattern above that no running save holds (a save holds its temporary file locked until it
// has been renamed). Failures are ignored; this only tidies up.
void RemoveStaleTemporaries(const std::string& folder);

// The system's text for an errno value, starting in lower case ("permission denied").
std::string SystemReason(int error);

} // namespace foliant::engine
