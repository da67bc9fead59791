#pragma once
// Running the built host program from the command-line tests, as a user would from a shell.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

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

// A test with a new empty folder of its own, `dir`, removed with everything in it afterwards.
class FolderTest : public ::testing::Test {
protected:
    // `stem` starts the folder's name.
    explicit FolderTest(std::string stem) : stem_(std::move(stem)) {}

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (stem_ + "-XXXXXX")).string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::filesystem::path dir;

private:
    std::string stem_;
};

} // namespace foliant::cli_test
