// Saves killed without warning at random moments: the file is always the old or the new one
// whole, and the next save into the folder clears the temporary files they left.
//
// FOLIANT_SAVE_KILL_TRIALS sets the number of trials (50 by default); scripts/soak-saves.sh
// runs a thousand and prints the figures.

#include "engine/AtomicFile.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using foliant::engine::WriteFileAtomically;
using foliant::engine::test::TempDir;

namespace {

int Trials() {
    const char* text = std::getenv("FOLIANT_SAVE_KILL_TRIALS");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 50;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Files in folder other than the saved ones: what saves left behind.
int Temporaries(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        count += entry.path().extension() != ".rpt";
    }
    return count;
}

// Two versions of a file large enough that a kill often lands while one is being written.
std::string Version(char fill, std::size_t size = 2 << 20) {
    return std::string(size, fill) + "\nend of version " + fill + "\n";
}

class SaveKilled : public ::testing::Test {
protected:
    TempDir folder;
    const fs::path& dir = folder.Path();
};

TEST_F(SaveKilled, TheFileIsOldOrNewWholeAndTheNextSaveLeavesNoTemporaries) {
    const fs::path target = dir / "Sales.rpt";
    const std::string oldVersion = Version('a');
    const std::string newVersion = Version('b');
    WriteFileAtomically(target.string(), oldVersion);

    std::mt19937 random(7);
    int leftBehind = 0;
    const int trials = Trials();
    for (int trial = 0; trial < trials; ++trial) {
        const pid_t saver = ::fork();
        if (saver == 0) {
            for (bool b = true;; b = !b) {
                WriteFileAtomically(target.string(), b ? newVersion : oldVersion);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        ASSERT_EQ(::kill(saver, SIGKILL), 0);
        ::waitpid(saver, nullptr, 0);

        const std::string content = Read(target);
        ASSERT_TRUE(content == oldVersion || content == newVersion)
            << "trial " << trial << " left " << content.size() << " bytes";
        leftBehind += Temporaries(dir) > 0;

        WriteFileAtomically(target.string(), oldVersion);
        ASSERT_EQ(Temporaries(dir), 0) << "trial " << trial << ": the next save left them";
    }
    std::cout << "[ figures  ] " << trials << " saves killed, " << leftBehind
              << " left a temporary file, every one cleared by the next save\n";
}

TEST_F(SaveKilled, ASaveInProgressKeepsItsTemporaryFileWhileAnotherSaveCleansTheFolder) {
    // Two processes saving into one folder at once: neither takes the other's temporary file
    // for a stale one, so both saves succeed every time.
    const pid_t other = ::fork();
    if (other == 0) {
        int failures = 0;
        for (int i = 0; i < 200; ++i) {
            try {
                WriteFileAtomically((dir / "Other.rpt").string(), Version('o', 64 << 10));
            } catch (...) {
                ++failures;
            }
        }
        ::_exit(failures == 0 ? 0 : 1);
    }
    int failures = 0;
    for (int i = 0; i < 200; ++i) {
        try {
            WriteFileAtomically((dir / "Mine.rpt").string(), "mine " + std::to_string(i));
        } catch (...) {
            ++failures;
        }
    }
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_EQ(failures, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "saves of the other process failed";
    EXPECT_EQ(Read(dir / "Other.rpt"), Version('o', 64 << 10));
    EXPECT_EQ(Temporaries(dir), 0);
}

} // namespace
