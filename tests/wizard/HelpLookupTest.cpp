// Help, pressed as a person presses it: which help file opens for the system's language and
// the registered or installed help folder, at the topic of the page shown, and that the help
// window is replaced by the next Help and closed with the wizard.
#include "WizardTestSupport.h"

#include "platform/help/HtmlHelp.h"
#include "platform/shell/Shell.h"
#include "platform/winreg/WinReg.h"
#include "tests/shell/TestSupport.h"
#include "tests/winreg/TempRegistry.h"

#include <filesystem>

namespace foliant::wizard::test {
namespace {

using foliant::testing::ReadFile;
using foliant::testing::ScopedEnv;
using foliant::testing::TempFolder;
using foliant::testing::WaitForFile;
using foliant::testing::WriteFile;
using foliant::testing::WriteScript;
namespace reg = foliant::winreg;

// An installation whose help viewer records what it was asked to show, an empty registry
// store, and the system's language set per test.
class HelpLookup : public WizardTest {
protected:
    foliant::testing::TempRegistry registry;
    TempFolder folder;
    ScopedEnv configuredViewer{"FOLIANT_HELP_VIEWER", std::nullopt};
    ScopedEnv installation{"FOLIANT_PREFIX", folder / "install"};
    ScopedEnv language{"LC_ALL", "en_US.UTF-8"};
    const std::string installedHelp = folder / "install/share/foliant/help";

    void SetUp() override {
        WizardTest::SetUp();
        WriteScript(folder / "install/bin/foliant-help",
                    "{ for a in \"$@\"; do echo \"$a\"; done; } > '" + (folder / "args.part") +
                        "'\nmv '" + (folder / "args.part") + "' '" + (folder / "args.txt") +
                        "'\ntrap 'exit 0' TERM\nwhile :; do sleep 0.05; done\n");
        std::filesystem::create_directories(installedHelp);
    }

    void Register(const std::string& file, const std::string& helpFolder) {
        reg::HKEY key = 0;
        ASSERT_EQ(reg::RegCreateKeyExA(reg::HKEY_LOCAL_MACHINE, help::kHelpFolderKey, 0, nullptr, 0,
                                       reg::KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  reg::ERROR_SUCCESS);
        ASSERT_EQ(reg::RegSetValueExA(key, file.c_str(), 0, reg::REG_SZ,
                                      reinterpret_cast<const reg::BYTE*>(helpFolder.c_str()),
                                      static_cast<reg::DWORD>(helpFolder.size() + 1)),
                  reg::ERROR_SUCCESS);
        reg::RegCloseKey(key);
    }

    // Presses Help and returns what the viewer was given: the file, then "--topic TOPIC";
    // "" when no viewer was started.
    std::string PressHelp(frmWizard& f) {
        std::filesystem::remove(folder / "args.txt");
        f.cmdHelp.UserClick();
        if (Wizard::State().HelpWindow == 0) {
            return "";
        }
        EXPECT_TRUE(WaitForFile(folder / "args.txt"));
        return ReadFile(folder / "args.txt");
    }

    // Presses Help on page 1 of a new wizard, then Cancel.
    std::string HelpOnFirstPage() {
        std::string given;
        Run(MakeReport(), [&](frmWizard& f) {
            given = PressHelp(f);
            f.cmdCancel.UserClick();
        });
        return given;
    }
};

TEST_F(HelpLookup, GermanHelpFromAFolderRegisteredWithoutTheFinalSeparator) {
    ScopedEnv german("LC_ALL", "de_DE.UTF-8");
    WriteFile(folder / "registered/Wizards_de.chm", "ITSF");
    WriteFile(installedHelp + "/Wizards_de.chm", "ITSF");
    Register("Wizards_de.chm", folder / "registered");
    EXPECT_EQ(HelpOnFirstPage(),
              (folder / "registered/Wizards_de.chm") + "\n--topic\n/fields.htm\n");
    Register("Wizards_de.chm", (folder / "registered") + "\\");
    EXPECT_EQ(HelpOnFirstPage(),
              (folder / "registered/Wizards_de.chm") + "\n--topic\n/fields.htm\n")
        << "a folder registered with the platform's other separator";
}

TEST_F(HelpLookup, WithoutRegistrationTheInstalledHelpOpens) {
    WriteFile(installedHelp + "/Wizards_en.chm", "ITSF");
    EXPECT_EQ(HelpOnFirstPage(), installedHelp + "/Wizards_en.chm\n--topic\n/fields.htm\n");
}

TEST_F(HelpLookup, ALanguageWithoutHelpFilesGetsEnglish) {
    WriteFile(installedHelp + "/Wizards_en.chm", "ITSF");
    {
        ScopedEnv dutch("LC_ALL", "nl_NL.UTF-8");
        EXPECT_EQ(HelpOnFirstPage(), installedHelp + "/Wizards_en.chm\n--topic\n/fields.htm\n");
    }
    // French is in the table, but this folder has no French help file: English instead.
    ScopedEnv french("LC_ALL", "fr_FR.UTF-8");
    WriteFile(folder / "registered/Wizards_en.chm", "ITSF");
    Register("Wizards_fr.chm", folder / "registered");
    EXPECT_EQ(HelpOnFirstPage(),
              (folder / "registered/Wizards_en.chm") + "\n--topic\n/fields.htm\n");
}

TEST_F(HelpLookup, NoHelpFileLeavesTheBareAddinsNameToTheViewer) {
    EXPECT_EQ(HelpOnFirstPage(), "") << "nothing found: no window, no message";
    EXPECT_TRUE(backend->Boxes().empty());
    // The viewer looks the bare name up in its own registration.
    WriteFile(folder / "addins/Addins_en.chm", "ITSF");
    Register("Addins_en.chm", folder / "addins");
    EXPECT_EQ(HelpOnFirstPage(), (folder / "addins/Addins_en.chm") + "\n--topic\n/fields.htm\n");
}

TEST_F(HelpLookup, HelpOpensAtThePageShownAndTheWizardClosesTheLastWindow) {
    WriteFile(installedHelp + "/Wizards_en.chm", "ITSF");
    const std::string file = installedHelp + "/Wizards_en.chm\n--topic\n";
    std::vector<shell::HWND> windows;
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    Run(report, [&](frmWizard& f) {
        EXPECT_EQ(PressHelp(f), file + "/fields.htm\n");
        windows.push_back(Wizard::State().HelpWindow);
        f.cmdNext.UserClick();
        EXPECT_EQ(PressHelp(f), file + "/grouping.htm\n");
        windows.push_back(Wizard::State().HelpWindow);
        EXPECT_NE(windows[1], windows[0]) << "each Help opens a window of its own";
        f.cmdNext.UserClick();
        EXPECT_EQ(ShownPage(f), 3) << "a report with a group: the summaries page";
        EXPECT_EQ(PressHelp(f), file + "/summaries.htm\n");
        windows.push_back(Wizard::State().HelpWindow);
        f.cmdCancel.UserClick();
    });
    EXPECT_FALSE(shell::IsWindow(windows.back())) << "Cancel closes the newest help window";
    for (const shell::HWND window : windows) {
        shell::SendMessageA(window, shell::WM_CLOSE, 0, 0);
    }
}

} // namespace
} // namespace foliant::wizard::test
