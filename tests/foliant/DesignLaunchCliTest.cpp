// Finish's "edit in the designer" output after `foliant register`: the wizard saves the report
// and starts the program registered for it, which opens the file in `foliant design`. Checked
// on the command line the started process was given: once through a recording program put in
// the registered command's place, once with the real program.

#include "tests/foliant/RunFoliant.h"
#include "tests/winreg/ClassesText.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Quote;
using foliant::cli_test::RunShell;
using foliant::cli_test::Slurp;

class DesignLaunchCli : public foliant::cli_test::FolderTest {
protected:
    DesignLaunchCli() : FolderTest("foliant-design-launch") {}
    void SetUp() override {
        FolderTest::SetUp();
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        ASSERT_EQ(RunShell(Quote(FOLIANT_EXE) + " register >/dev/null 2>&1"), 0);
        report = (dir / "Sales Report.rpt").string();
    }
    void TearDown() override {
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("QT_QPA_PLATFORM");
        FolderTest::TearDown();
    }

    // The wizard over the sample database, one column, finished with the designer output.
    int FinishInDesigner() {
        std::ofstream(dir / "finish.txt")
            << "node DatabaseTreeView \"CustomerName\"\nclick Add\n"
            << "click cmdNext\nclick cmdNext\nclick cmdNext\nclick cmdNext\n" // to the last page
            << "type SaveText \"" << report << "\"\nclick VRWDesignerOption\nclick FinishCmd\n";
        return RunShell("cd " + Quote(dir.string()) + " && " + Quote(FOLIANT_EXE) +
                        " script finish.txt >out.txt 2>err.txt");
    }

    // The process whose command line names the report, or 0 when none shows up in time.
    static pid_t StartedWith(const std::string& file) {
        for (int tries = 0; tries < 200; ++tries) {
            for (const auto& entry : fs::directory_iterator("/proc")) {
                const std::string line = Slurp(entry.path() / "cmdline");
                if (line.find(file) != std::string::npos &&
                    line.find("script") == std::string::npos) {
                    return static_cast<pid_t>(std::stoi(entry.path().filename().string()));
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 0;
    }

    foliant::testing::TempRegistry registry;
    std::string report;
};

TEST_F(DesignLaunchCli, TheRegisteredCommandGetsTheSavedFileAsItsOneArgument) {
    const std::string recorder = (dir / "recorder.sh").string();
    const std::string seen = (dir / "seen.txt").string();
    std::ofstream(recorder) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" << seen
                            << ".tmp'\nmv '" << seen << ".tmp' '" << seen << "'\n";
    fs::permissions(recorder, fs::perms::owner_all);
    // The registration as register made it, with the recording program in foliant's place.
    const auto command = foliant::testing::ClassesText("Foliant.Report\\shell\\open\\command");
    ASSERT_TRUE(command);
    const std::string rest = command->substr(command->find("\" design") + 1);
    foliant::testing::SetClassesText("Foliant.Report\\shell\\open\\command",
                                     "\"" + recorder + "\"" + rest);

    ASSERT_EQ(FinishInDesigner(), 0) << Slurp(dir / "err.txt");
    for (int i = 0; i < 200 && !fs::exists(seen); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(Slurp(seen), "1\n" + report + "\n");
}

TEST_F(DesignLaunchCli, TheRealProgramOpensTheSavedFileInTheDesignWindow) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ASSERT_EQ(FinishInDesigner(), 0) << Slurp(dir / "err.txt");
    const pid_t started = StartedWith(report);
    ASSERT_NE(started, 0) << "no process was started with " << report;
    std::vector<std::string> args;
    std::istringstream line(Slurp("/proc/" + std::to_string(started) + "/cmdline"));
    for (std::string arg; std::getline(line, arg, '\0');) {
        args.push_back(arg);
    }
    ASSERT_EQ(args.size(), 2u) << "foliant REPORT opens the report as foliant design does";
    EXPECT_EQ(fs::canonical(args[0]), fs::canonical(FOLIANT_EXE));
    EXPECT_EQ(args[1], report);
    // The window stays open on the report (a program that could not open it would have ended).
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(fs::exists("/proc/" + std::to_string(started) + "/cmdline"));
    ::kill(started, SIGKILL);
}

} // namespace
