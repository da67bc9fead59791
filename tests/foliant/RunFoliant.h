#pragma once
// Running the built host program from the command-line tests, as a user would from a shell.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace foliant::cli_test {

// What a run printed and how it ended (-1: it did not exit normally).
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// The text quoted for the shell.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

// The whole contents of a file ("" when it cannot be read).
inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a shell command line and gives its exit status, or -1 when it did not exit normally.
inline int RunShell(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Runs a shell command line with what it prints kept in out.txt and err.txt in `folder`.
inline Outcome RunCaptured(const std::string& command, const std::filesystem::path& folder) {
    Outcome r;
    r.status = RunShell(command + " >" + Quote((folder / "out.txt").string()) + " 2>" +
                        Quote((folder / "err.txt").string()));
    r.out = Slurp(folder / "out.txt");
    r.err = Slurp(folder / "err.txt");
    return r;
}

// A new empty folder in the temporary directory, its name starting with `stem` (empty when it
// cannot be made).
inline std::filesystem::path MakeTempFolder(const std::string& stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    return pattern;
}

} // namespace foliant::cli_test
