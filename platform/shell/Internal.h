#pragma once

// Helpers shared by the shell's units; not part of its interface.

#include <string>
#include <vector>

namespace foliant::shell::detail {

bool IsExecutableFile(const std::string& path);

// path made absolute against the current directory (no other change).
std::string Absolute(const std::string& path);

// How a document's program was found.
enum class Lookup {
    Found,          // command holds the program's full path and its arguments
    NotAssociated,  // nothing is registered for the document
    ProgramMissing, // something is registered, but its program cannot be found
};

struct Association {
    Lookup status = Lookup::NotAssociated;
    std::vector<std::string> command;
};

// The command that opens the existing document path (absolute) with verb ("" or "open" for
// the default action). parameters fill "%*" and "%2".."%9" of a registered command; directory
// fills "%W".
Association Associate(const std::string& path, const std::string& verb,
                      const std::string& parameters, const std::string& directory);

// Runs argv (argv[0] a path) detached: in a new session, re-parented away from this process at
// once, with directory as its current directory when not empty. 0 when it started, else the
// errno of the failure (of chdir or exec in the new process, or of fork here).
int SpawnDetached(const std::vector<std::string>& argv, const std::string& directory);

// Runs argv (argv[0] looked up in PATH) with its output read back, for at most timeoutMs;
// false when it cannot be run, exits with a failure, or takes longer (it is then ended).
bool RunAndRead(const std::vector<std::string>& argv, int timeoutMs, std::string& output);

} // namespace foliant::shell::detail
