// The wizard and the programs it starts: the help window is a real child process that Cancel
// closes, and the offered report path is built from the current directory.
#include "WizardTestSupport.h"

#include "platform/shell/Shell.h"

#include <chrono>

namespace foliant::wizard::test {
namespace {

// A help viewer stand-in: a process that would run for a minute unless asked to close.
shell::HWND StartHelpViewer() {
    const shell::HWND window = shell::StartWindowProcess({"sleep", "60"});
    EXPECT_GT(window, 0);
    EXPECT_TRUE(shell::IsWindow(window));
    return window;
}

TEST_F(WizardTest, CloseHelpWindowEndsTheHelpProcessAndKeepsTheHandle) {
    const shell::HWND window = StartHelpViewer();
    Wizard::State().HelpWindow = static_cast<std::int32_t>(window);
    const auto start = std::chrono::steady_clock::now();
    Wizard::CloseHelpWindow();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40))
        << "the help window is given 40 ms to go";
    EXPECT_FALSE(shell::IsWindow(window));
    EXPECT_EQ(Wizard::State().HelpWindow, static_cast<std::int32_t>(window));
    // A second close addresses a window that has gone: nothing happens.
    EXPECT_NO_THROW(Wizard::CloseHelpWindow());
}

TEST_F(WizardTest, CloseHelpWindowWithoutAHelpWindowDoesNotWait) {
    Wizard::State().HelpWindow = 0;
    const auto start = std::chrono::steady_clock::now();
    Wizard::CloseHelpWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

TEST_F(WizardTest, CancelClosesTheOpenHelpWindow) {
    shell::HWND window = 0;
    Run(MakeReport(), [&window](frmWizard& f) {
        window = StartHelpViewer();
        Wizard::State().HelpWindow = static_cast<std::int32_t>(window);
        f.cmdNext.UserClick();
        EXPECT_TRUE(shell::IsWindow(window)) << "changing pages leaves help open";
        f.cmdCancel.UserClick();
    });
    EXPECT_FALSE(shell::IsWindow(window));
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
}

// Restores the current directory however the test ends.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::string& path) : previous_(shell::CurrentDirectory()) {
        EXPECT_TRUE(shell::SetCurrentDirectory(path));
    }
    ~CurrentDirectoryScope() { shell::SetCurrentDirectory(previous_); }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::string previous_;
};

TEST_F(WizardTest, PageSevenPathInTheRootFolderHasOneSeparator) {
    const auto report = MakeReport();
    report->SetTitleText("Sales");
    CurrentDirectoryScope root("/");
    Run(report, [](frmWizard& f) {
        while (f.cmdNext.Enabled()) {
            f.cmdNext.UserClick();
        }
        EXPECT_EQ(f.SaveText.Text(), "/Sales.rpt");
        f.cmdCancel.UserClick();
    });
}

} // namespace
} // namespace foliant::wizard::test
