#include "platform/help/HtmlHelp.h"
#include "platform/help/Installation.h"
#include "platform/winreg/WinReg.h"
#include "tests/shell/TestSupport.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <filesystem>

using namespace foliant::help;
using foliant::shell::IsWindow;
using foliant::shell::SendMessageA;
using foliant::shell::WM_CLOSE;
using foliant::testing::NoChildLeft;
using foliant::testing::ReadFile;
using foliant::testing::ScopedEnv;
using foliant::testing::TempFolder;
using foliant::testing::WaitForFile;
using foliant::testing::WriteFile;
using foliant::testing::WriteScript;
namespace reg = foliant::winreg;

namespace {

void SetText(reg::HKEY root, const std::string& key, const char* name, const std::string& text) {
    reg::HKEY handle = 0;
    ASSERT_EQ(reg::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, reg::KEY_ALL_ACCESS, nullptr,
                                   &handle, nullptr),
              reg::ERROR_SUCCESS);
    ASSERT_EQ(reg::RegSetValueExA(handle, name, 0, reg::REG_SZ,
                                  reinterpret_cast<const reg::BYTE*>(text.c_str()),
                                  static_cast<reg::DWORD>(text.size() + 1)),
              reg::ERROR_SUCCESS);
    reg::RegCloseKey(handle);
}

// An empty registry store, a PATH with only the test's programs, no configured viewer, an
// installation folder without a help viewer, and a viewer script that records what it was
// given and that it was asked to close.
class Help : public ::testing::Test {
protected:
    foliant::testing::TempRegistry registry;
    TempFolder folder;
    ScopedEnv path{"PATH", folder / "bin"};
    ScopedEnv viewerVariable{"FOLIANT_HELP_VIEWER", std::nullopt};
    ScopedEnv installation{"FOLIANT_PREFIX", folder / "install"};
    ScopedEnv dataHome{"XDG_DATA_HOME", folder / "data"};
    ScopedEnv dataDirs{"XDG_DATA_DIRS", folder / "system-data"};

    void SetUp() override {
        WriteScript(folder / "bin/chm-viewer",
                    "trap 'echo closed > \"" + (folder / "closed.txt") +
                        "\"; exit 0' TERM\n"
                        "{ for a in \"$@\"; do echo \"arg:$a\"; done; } > '" +
                        (folder / "args.part") + "'\nmv '" + (folder / "args.part") + "' '" +
                        (folder / "args.txt") + "'\nwhile :; do sleep 0.05; done\n");
        WriteFile(folder / "help/Wizards_de.chm", "ITSF");
    }

    std::string Args() {
        EXPECT_TRUE(WaitForFile(folder / "args.txt"));
        return ReadFile(folder / "args.txt");
    }
};

TEST_F(Help, ConfiguredViewerShowsTheFileAndClosesOnCloseMessage) {
    ScopedEnv viewer("FOLIANT_HELP_VIEWER", folder / "bin/chm-viewer");
    const HWND window = HtmlHelpA(0, (folder / "help/Wizards_de.chm").c_str(), HH_DISPLAY_TOPIC, 0);
    ASSERT_GT(window, 0);
    EXPECT_EQ(Args(), "arg:" + (folder / "help/Wizards_de.chm") + "\n");
    EXPECT_TRUE(IsWindow(window));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ReadFile(folder / "closed.txt"), "closed\n") << "asked to close, not killed";
    EXPECT_TRUE(NoChildLeft()) << "the viewer was reaped";
}

TEST_F(Help, ConfiguredViewerWithPlaceForTheFileAndATopicAddress) {
    ScopedEnv viewer("FOLIANT_HELP_VIEWER", "chm-viewer --page=%1 --fit");
    const std::string address = (folder / "help/Wizards_de.chm") + "::/fields.htm";
    const HWND window = HtmlHelpA(0, address.c_str(), HH_DISPLAY_TOPIC, 0);
    ASSERT_GT(window, 0);
    EXPECT_EQ(Args(), "arg:--page=" + (folder / "help/Wizards_de.chm") + "\narg:--fit\n");
    SendMessageA(window, WM_CLOSE, 0, 0);
}

TEST_F(Help, RegisteredChmViewerIsUsedWithoutConfiguration) {
    SetText(reg::HKEY_CLASSES_ROOT, ".chm", "", "chm.file");
    SetText(reg::HKEY_CLASSES_ROOT, "chm.file\\shell\\open\\command", "", "chm-viewer \"%1\"");
    const HWND window = HtmlHelpA(0, (folder / "help/Wizards_de.chm").c_str(), HH_DISPLAY_TOPIC, 0);
    ASSERT_GT(window, 0);
    EXPECT_EQ(Args(), "arg:" + (folder / "help/Wizards_de.chm") + "\n");
    HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
    EXPECT_FALSE(IsWindow(window)) << "closing all closes it";
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(Help, BareFileNameIsLookedForInItsRegisteredFolder) {
    ScopedEnv viewer("FOLIANT_HELP_VIEWER", "chm-viewer");
    // A folder registered the platform's way, without a final separator, or with a "\".
    SetText(reg::HKEY_LOCAL_MACHINE, kHelpFolderKey, "Wizards_de.chm", folder / "help");
    EXPECT_EQ(FindHelpFile("Wizards_de.chm"), folder / "help/Wizards_de.chm");
    SetText(reg::HKEY_LOCAL_MACHINE, kHelpFolderKey, "Wizards_de.chm", (folder / "help") + "\\");
    EXPECT_EQ(FindHelpFile("Wizards_de.chm"), folder / "help/Wizards_de.chm");
    const HWND window = HtmlHelpA(0, "Wizards_de.chm", HH_DISPLAY_TOPIC, 0);
    ASSERT_GT(window, 0);
    EXPECT_EQ(Args(), "arg:" + (folder / "help/Wizards_de.chm") + "\n");
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(FindHelpFile("Addins_de.chm"), "") << "nothing registered for that name";
}

TEST_F(Help, NothingOpensWithoutFileOrViewer) {
    EXPECT_EQ(HtmlHelpA(0, (folder / "help/Wizards_de.chm").c_str(), HH_DISPLAY_TOPIC, 0), 0)
        << "no viewer configured, registered or a desktop default";
    ScopedEnv viewer("FOLIANT_HELP_VIEWER", "chm-viewer");
    EXPECT_EQ(HtmlHelpA(0, (folder / "help/Wizards_en.chm").c_str(), HH_DISPLAY_TOPIC, 0), 0)
        << "missing file";
    EXPECT_EQ(HtmlHelpA(0, "Addins_en.chm", HH_DISPLAY_TOPIC, 0), 0) << "bare name, not found";
    EXPECT_EQ(HtmlHelpA(0, nullptr, HH_DISPLAY_TOPIC, 0), 0);
    EXPECT_EQ(HtmlHelpA(0, (folder / "help/Wizards_de.chm").c_str(), 0x0099, 0), 0)
        << "a command this viewer does not know";
    EXPECT_EQ(ReadFile(folder / "args.txt"), "") << "the viewer was never started";
    ScopedEnv missing("FOLIANT_HELP_VIEWER", "no-such-viewer");
    EXPECT_EQ(HtmlHelpA(0, (folder / "help/Wizards_de.chm").c_str(), HH_DISPLAY_TOPIC, 0), 0)
        << "a viewer that cannot be started";
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(Help, InstallationViewerOpensAtTheTopicAndTheConfiguredViewerStillWins) {
    // The installation's own viewer, beside the help files.
    std::filesystem::create_directories(folder / "install/bin");
    std::filesystem::copy_file(folder / "bin/chm-viewer", folder / "install/bin/foliant-help");
    SetText(reg::HKEY_CLASSES_ROOT, ".chm", "", "chm.file");
    SetText(reg::HKEY_CLASSES_ROOT, "chm.file\\shell\\open\\command", "", "chm-viewer \"%1\"");
    EXPECT_EQ(HelpViewerProgram(), folder / "install/bin/foliant-help");
    const std::string file = folder / "help/Wizards_de.chm";
    HWND window = HtmlHelpA(0, (file + "::/summaries.htm>main").c_str(), HH_DISPLAY_TOPIC, 0);
    ASSERT_GT(window, 0);
    EXPECT_EQ(Args(), "arg:" + file + "\narg:--topic\narg:/summaries.htm\n")
        << "before the program registered for .chm, and at the topic";
    SendMessageA(window, WM_CLOSE, 0, 0);
    std::filesystem::remove(folder / "args.txt");

    ScopedEnv viewer("FOLIANT_HELP_VIEWER", "chm-viewer --file=%f");
    window = HtmlHelpA(0, (file + "::/summaries.htm").c_str(), HH_DISPLAY_TOPIC, 0);
    ASSERT_GT(window, 0);
    EXPECT_EQ(Args(), "arg:--file=" + file + "\n");
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(NoChildLeft());
}

TEST(HelpInstallation, FoundFromTheProgramOrLibraryOneOrTwoFoldersUp) {
    TempFolder root;
    std::filesystem::create_directories(root / "share/foliant/help");
    std::filesystem::create_directories(root / "other/deep/er");
    ScopedEnv noPrefix("FOLIANT_PREFIX", std::nullopt);
    EXPECT_EQ(InstallationFolderOf(root / "bin/foliant"), root.Path()) << "installed program";
    EXPECT_EQ(InstallationFolderOf(root / "lib/libFoliant.so"), root.Path()) << "installed library";
    EXPECT_EQ(InstallationFolderOf(root / "apps/foliant/foliant"), root.Path())
        << "a program one folder deeper, as in the build tree";
    EXPECT_EQ(InstallationFolderOf(root / "other/deep/er/foliant"), "") << "three folders up";
    EXPECT_EQ(InstallationFolderOf(""), "");
    EXPECT_EQ(InstallationFolderOf("foliant"), "");

    ScopedEnv prefix("FOLIANT_PREFIX", root / "elsewhere");
    EXPECT_EQ(InstallationFolder(), root / "elsewhere");
    EXPECT_EQ(HelpFilesFolder(), root / "elsewhere/share/foliant/help");
    EXPECT_EQ(HelpViewerProgram(), "") << "no viewer installed there";
}

} // namespace
