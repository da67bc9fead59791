#include "platform/shell/Shell.h"
#include "platform/winreg/WinReg.h"
#include "tests/shell/TestSupport.h"
#include "tests/winreg/ClassesText.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <vector>

using namespace foliant::shell;
using foliant::testing::NoChildLeft;
using foliant::testing::ReadFile;
using foliant::testing::ScopedEnv;
using foliant::testing::SetClassesText;
using foliant::testing::TempFolder;
using foliant::testing::WaitForFile;
using foliant::testing::WriteFile;
using foliant::testing::WriteScript;
namespace reg = foliant::winreg;

namespace {

std::string Find(const std::string& file, const char* directory = "") {
    char result[kFindExecutableBuffer];
    std::memset(result, 'x', sizeof result);
    const HINSTANCE code = FindExecutableA(file.c_str(), directory, result);
    if (code <= 32) {
        EXPECT_STREQ(result, "") << "a failed lookup leaves no text behind";
        return "error " + std::to_string(code);
    }
    return result;
}

// Each test gets an empty registry store, a folder for its files, and a PATH holding only its
// own bin folder, so that no program of the machine answers for it.
class Shell : public ::testing::Test {
protected:
    foliant::testing::TempRegistry registry;
    TempFolder folder;
    ScopedEnv path{"PATH", folder / "bin"};
    ScopedEnv dataHome{"XDG_DATA_HOME", folder / "data"};
    ScopedEnv dataDirs{"XDG_DATA_DIRS", folder / "system-data"};

    // A program that writes its arguments, one a line, its parent's id and its folder to out.
    std::string MakeRecorder(const std::string& name, const std::string& out) {
        const std::string program = folder / name;
        WriteScript(program, "{ for a in \"$@\"; do echo \"arg:$a\"; done; echo \"ppid:$PPID\";"
                             " echo \"pwd:$(pwd)\"; } > '" +
                                 out + ".part'\nmv '" + out + ".part' '" + out + "'\n");
        return program;
    }
};

TEST(Paths, JoinCompletesFoldersTypedWithEitherSeparator) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
        const char* why;
    };
    const Case cases[] = {
        {"/home/ann", "Sales.rpt", "/home/ann/Sales.rpt", "a separator is added"},
        {"/home/ann/", "Sales.rpt", "/home/ann/Sales.rpt", "a typed '/' is not doubled"},
        {"/home/ann\\", "Sales.rpt", "/home/ann/Sales.rpt", "a typed '\\' is the separator"},
        {"", "Sales.rpt", "Sales.rpt", "no folder: the name alone"},
        {"/", "x", "/x", "the root folder"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.why;
    }
    EXPECT_TRUE(IsFolderPath("reports/"));
    EXPECT_TRUE(IsFolderPath("reports\\"));
    EXPECT_FALSE(IsFolderPath("reports"));
    EXPECT_FALSE(IsFolderPath(""));
    EXPECT_EQ(FolderOf("/a/b/c.rpt"), "/a/b");
    EXPECT_EQ(FolderOf("/c.rpt"), "/");
    EXPECT_EQ(FolderOf("c.rpt"), "");
}

TEST(Paths, CurrentDirectoryAndFileTests) {
    TempFolder folder;
    const std::string before = CurrentDirectory();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(SetCurrentDirectory(folder.Path()));
    EXPECT_EQ(std::filesystem::canonical(CurrentDirectory()),
              std::filesystem::canonical(folder.Path()));
    WriteFile("here.rpt", "x");
    EXPECT_TRUE(FileExists("here.rpt")) << "relative to the current directory";
    EXPECT_FALSE(FileExists(".")) << "a folder is not a file";
    EXPECT_TRUE(FolderExists("."));
    EXPECT_FALSE(FileExists("missing.rpt"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(SetCurrentDirectory(folder / "missing"));
    EXPECT_FALSE(SetCurrentDirectory(folder / "here.rpt")) << "a file cannot be entered";
    ASSERT_TRUE(SetCurrentDirectory(before));
    EXPECT_EQ(CurrentDirectory(), before);
}

TEST(Paths, ModuleFileNameFindsTheRunningProgram) {
    const std::string self = ModuleFileName(reinterpret_cast<const void*>(&NoChildLeft));
    EXPECT_EQ(std::filesystem::path(self).filename(), "shell_tests");
    EXPECT_TRUE(FileExists(self));
}

TEST(CommandLines, SplitThePlatformsWay) {
    struct Case {
        const char* line;
        std::vector<std::string> arguments;
        const char* why;
    };
    const Case cases[] = {
        {"a b  c", {"a", "b", "c"}, "runs of spaces separate"},
        {"\"/my docs/Sales.rpt\"", {"/my docs/Sales.rpt"}, "quotes keep spaces"},
        {"\"\"", {""}, "an empty quoted argument stays"},
        {"a\\b", {"a\\b"}, "a lone backslash is literal"},
        {"\"a\\\"b\"", {"a\"b"}, "backslash-quote is a quote"},
        {"\"a\\\\\" b", {"a\\", "b"}, "two backslashes before a quote give one"},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}, "a doubled quote inside quotes is one"},
        {"  ", {}, "blank gives nothing"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.why << ": " << c.line;
    }
}

TEST_F(Shell, FindExecutableFollowsExtensionToClassToOpenCommand) {
    const std::string designer = MakeRecorder("bin/designer", folder / "unused");
    WriteFile(folder / "Sales.rpt", "report");
    SetClassesText(".rpt", "Foliant.Report");
    SetClassesText("Foliant.Report\\shell\\open\\command", "\"" + designer + "\" \"%1\"");
    EXPECT_EQ(Find(folder / "Sales.rpt"), designer);
    EXPECT_EQ(Find("Sales.rpt", folder.Path().c_str()), designer)
        << "a relative file is looked for in the given directory";
    EXPECT_EQ(Find(folder / "SALES.RPT"), "error 2") << "the file itself must exist";
}

TEST_F(Shell, FindExecutableWithoutClassUsesTheExtensionsOwnCommand) {
    const std::string designer = MakeRecorder("bin/designer", folder / "unused");
    WriteFile(folder / "a.rpt", "report");
    SetClassesText(".rpt\\shell\\open\\command", designer + " %1");
    EXPECT_EQ(Find(folder / "a.rpt"), designer);
    // A class that names nothing to run leaves the extension's own command in force.
    SetClassesText(".rpt", "Foliant.Empty");
    EXPECT_EQ(Find(folder / "a.rpt"), designer);
}

TEST_F(Shell, FindExecutableResolvesBareNamesExpandedPathsAndUnquotedSpaces) {
    WriteFile(folder / "a.rpt", "report");
    WriteFile(folder / "b.txt", "text");
    WriteFile(folder / "c.dat", "data");
    const std::string inPath = MakeRecorder("bin/viewer", folder / "unused");
    const std::string spaced = MakeRecorder("my apps/report viewer", folder / "unused");
    SetClassesText(".rpt\\shell\\open\\command", "viewer \"%1\"");
    SetClassesText(".txt\\shell\\open\\command", spaced + " %1");
    ScopedEnv home("FOLIANT_TEST_APPS", folder / "my apps");
    SetClassesText(".dat\\shell\\open\\command", "\"%FOLIANT_TEST_APPS%/report viewer\" %1",
                   reg::REG_EXPAND_SZ);
    EXPECT_EQ(Find(folder / "a.rpt"), inPath) << "a bare program name is looked up in PATH";
    EXPECT_EQ(Find(folder / "b.txt"), spaced) << "the longest run of words that is a program";
    EXPECT_EQ(Find(folder / "c.dat"), spaced) << "environment references are expanded";
}

TEST_F(Shell, FindExecutableErrorCodes) {
    WriteFile(folder / "a.rpt", "report");
    EXPECT_EQ(Find(folder / "a.rpt"), "error 31") << "nothing registered, no desktop default";
    EXPECT_EQ(Find(folder / "none.rpt"), "error 2") << "missing file";
    EXPECT_EQ(Find(folder / "nowhere/a.rpt"), "error 3") << "missing folder of the file";
    EXPECT_EQ(Find("a.rpt", (folder / "nowhere").c_str()), "error 3") << "missing directory";
    EXPECT_EQ(Find(""), "error 2");

    SetClassesText(".rpt", "Foliant.Report");
    SetClassesText("Foliant.Report\\shell\\open\\command", "\"" + (folder / "gone") + "\" \"%1\"");
    EXPECT_EQ(Find(folder / "a.rpt"), "error 2") << "the registered program does not exist";

    const std::string designer = MakeRecorder("bin/designer", folder / "unused");
    SetClassesText("Foliant.Report\\shell\\open\\command", designer);
    char small[4] = "abc";
    EXPECT_EQ(FindExecutableA((folder / "a.rpt").c_str(), "", small, sizeof small), SE_ERR_OOM);
    EXPECT_STREQ(small, "") << "a path that does not fit is not cut";
}

TEST_F(Shell, ProgramFileIsItsOwnProgram) {
    const std::string tool = MakeRecorder("tool.sh", folder / "unused");
    EXPECT_EQ(Find(tool), tool);
}

TEST_F(Shell, DocumentCommandPlacesTheDocumentAsTheCommandSays) {
    const std::string designer = MakeRecorder("bin/designer", folder / "unused");
    const std::string document = folder / "My Reports/Sales 1996.rpt";
    WriteFile(document, "report");
    SetClassesText(".rpt", "Foliant.Report");

    SetClassesText("Foliant.Report\\shell\\open\\command", "\"" + designer + "\" design \"%1\"");
    EXPECT_EQ(DocumentCommand(document), (std::vector<std::string>{designer, "design", document}))
        << "a path with spaces stays one argument";

    SetClassesText("Foliant.Report\\shell\\open\\command", designer + " --file=%1 100%%");
    EXPECT_EQ(DocumentCommand(document),
              (std::vector<std::string>{designer, "--file=" + document, "100%"}));

    SetClassesText("Foliant.Report\\shell\\open\\command", "\"" + designer + "\" --view");
    EXPECT_EQ(DocumentCommand(document), (std::vector<std::string>{designer, "--view", document}))
        << "without a place for it the document is added at the end";

    SetClassesText("Foliant.Report\\shell\\print\\command", designer + " --print \"%1\"");
    EXPECT_EQ(DocumentCommand(document, "print"),
              (std::vector<std::string>{designer, "--print", document}));
    EXPECT_TRUE(DocumentCommand(document, "edit").empty()) << "no command for that verb";
    EXPECT_TRUE(DocumentCommand(folder / "missing.rpt").empty());
}

TEST_F(Shell, DesktopDefaultAnswersWhenTheRegistryHasNothing) {
    const std::string viewer = MakeRecorder("bin/desktop-viewer", folder / "unused");
    WriteScript(
        folder / "bin/xdg-mime",
        "case \"$2\" in\n"
        "filetype) echo 'application/x-foliant-report; charset=binary' ;;\n"
        "default) [ \"$3\" = application/x-foliant-report ] && echo foliant-viewer.desktop ;;\n"
        "esac\n");
    WriteFile(folder / "data/applications/foliant-viewer.desktop",
              "[Desktop Action Other]\nExec=wrong\n"
              "[Desktop Entry]\nName=Viewer\nExec=desktop-viewer --open \"%f\" %i\n");
    WriteFile(folder / "a.rpt", "report");
    EXPECT_EQ(Find(folder / "a.rpt"), viewer);
    EXPECT_EQ(DocumentCommand(folder / "a.rpt"),
              (std::vector<std::string>{viewer, "--open", folder / "a.rpt"}));

    // The registry's association wins over the desktop's.
    const std::string designer = MakeRecorder("bin/designer", folder / "unused");
    SetClassesText(".rpt\\shell\\open\\command", designer + " \"%1\"");
    EXPECT_EQ(Find(folder / "a.rpt"), designer);
}

TEST_F(Shell, DesktopEntryInTheSystemDataFolderAndMissingProgram) {
    WriteScript(folder / "bin/xdg-mime", "case \"$2\" in\nfiletype) echo text/x-x ;;\n"
                                         "default) echo vendor-app.desktop ;;\nesac\n");
    WriteFile(folder / "system-data/applications/vendor/app.desktop",
              "[Desktop Entry]\nExec=not-installed %U\n");
    WriteFile(folder / "a.xx", "x");
    EXPECT_EQ(Find(folder / "a.xx"), "error 2") << "the default names a program that is missing";
    const std::string app = MakeRecorder("bin/not-installed", folder / "unused");
    EXPECT_EQ(Find(folder / "a.xx"), app) << "vendor-app.desktop may live in vendor/app.desktop";
}

TEST_F(Shell, ShellExecuteStartsTheProgramDetachedWithQuotedDocument) {
    const std::string out = folder / "started.txt";
    const std::string designer = MakeRecorder("bin/designer", out);
    const std::string document = folder / "My Reports/Sales.rpt";
    ASSERT_GT(ShellExecuteA(0, "open", designer.c_str(), ("\"" + document + "\"").c_str(), "",
                            SW_SHOWNORMAL),
              32);
    EXPECT_TRUE(NoChildLeft()) << "the program is not this process's child, and no zombie";
    ASSERT_TRUE(WaitForFile(out));
    const std::string written = ReadFile(out);
    EXPECT_NE(written.find("arg:" + document + "\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("ppid:" + std::to_string(::getpid()) + "\n"), std::string::npos)
        << "the started program was handed away from this process";
}

TEST_F(Shell, StartedProgramsInheritNoOpenFiles) {
    const int leaked = ::open((folder / "held.txt").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(leaked, 3);
    const std::string probe = "if [ -e /proc/$$/fd/" + std::to_string(leaked) +
                              " ]; then echo inherited; else echo closed; fi > '";
    WriteScript(folder / "bin/detached", probe + (folder / "detached.txt") + "'\n");
    WriteScript(folder / "bin/window", probe + (folder / "window.txt") + "'\nsleep 30\n");
    ASSERT_GT(ShellExecuteA(0, "open", "detached", "", "", 1), 32);
    const HWND window = StartWindowProcess({"window"});
    ASSERT_GT(window, 0);
    ASSERT_TRUE(WaitForFile(folder / "detached.txt"));
    ASSERT_TRUE(WaitForFile(folder / "window.txt"));
    EXPECT_EQ(ReadFile(folder / "detached.txt"), "closed\n");
    EXPECT_EQ(ReadFile(folder / "window.txt"), "closed\n");
    SendMessageA(window, WM_CLOSE, 0, 0);
    ::close(leaked);
}

TEST_F(Shell, ShellExecuteRunsInTheGivenDirectoryAndOpensDocuments) {
    const std::string out = folder / "doc.txt";
    const std::string designer = MakeRecorder("bin/designer", out);
    WriteFile(folder / "work/a.rpt", "report");
    SetClassesText(".rpt", "Foliant.Report");
    SetClassesText("Foliant.Report\\shell\\open\\command", "designer \"%1\" %*");
    ASSERT_GT(ShellExecuteA(0, nullptr, "a.rpt", "--zoom 2", (folder / "work").c_str(), 1), 32);
    ASSERT_TRUE(WaitForFile(out));
    const std::string written = ReadFile(out);
    EXPECT_NE(written.find("arg:" + (folder / "work/a.rpt") + "\narg:--zoom\narg:2\n"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("pwd:" + std::filesystem::canonical(folder / "work").string()),
              std::string::npos)
        << written;
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(Shell, ShellExecuteErrorCodes) {
    WriteFile(folder / "plain.xyz", "data");
    WriteFile(folder / "bin/broken",
              "\x7f"
              "ELF not really",
              true);
    EXPECT_EQ(ShellExecuteA(0, "open", (folder / "missing").c_str(), "", "", 1), SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteA(0, "open", "no-such-program", "", "", 1), SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteA(0, "open", (folder / "nowhere/x").c_str(), "", "", 1), SE_ERR_PNF);
    EXPECT_EQ(ShellExecuteA(0, "open", "x", "", (folder / "nowhere").c_str(), 1), SE_ERR_PNF);
    EXPECT_EQ(ShellExecuteA(0, "open", (folder / "plain.xyz").c_str(), "", "", 1), SE_ERR_NOASSOC);
    EXPECT_EQ(ShellExecuteA(0, "open", (folder / "bin/broken").c_str(), "", "", 1),
              ERROR_BAD_FORMAT);
    EXPECT_EQ(ShellExecuteA(0, "print", (folder / "bin/broken").c_str(), "", "", 1), SE_ERR_NOASSOC)
        << "a program has no print command";
    EXPECT_EQ(ShellExecuteA(0, "open", nullptr, "", "", 1), SE_ERR_FNF);
    EXPECT_TRUE(NoChildLeft()) << "failed starts leave nothing behind";
}

TEST_F(Shell, WindowProcessClosesGracefullyOnCloseMessageAndIsReaped) {
    const std::string out = folder / "closed.txt";
    WriteScript(folder / "bin/viewer", "trap 'echo closed > \"" + out +
                                           "\"; exit 0' TERM\necho up > '" + (folder / "up.txt") +
                                           "'\nwhile :; do sleep 0.05; done\n");
    const HWND window = StartWindowProcess({"viewer"});
    ASSERT_GT(window, 0);
    ASSERT_TRUE(WaitForFile(folder / "up.txt"));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, 0x0012 /* not a close */, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window)) << "only WM_CLOSE closes";
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ReadFile(out), "closed\n") << "ended by a request it could handle";
    EXPECT_TRUE(NoChildLeft()) << "reaped: no zombie";
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0) << "a second close does nothing";
}

TEST_F(Shell, WindowProcessThatIgnoresTheRequestIsStillEnded) {
    WriteScript(folder / "bin/stubborn",
                "trap '' TERM\necho up > '" + (folder / "up.txt") + "'\nwhile :; do :; done\n");
    const HWND window = StartWindowProcess({"stubborn"});
    ASSERT_GT(window, 0);
    ASSERT_TRUE(WaitForFile(folder / "up.txt"));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(Shell, WindowProcessThatEndsByItselfLeavesNoZombie) {
    WriteScript(folder / "bin/brief", "exit 0\n");
    const HWND window = StartWindowProcess({"brief"});
    ASSERT_GT(window, 0);
    for (int i = 0; i < 500 && IsWindow(window); ++i) {
        Sleep(10);
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(NoChildLeft());
    SendMessageA(window, WM_CLOSE, 0, 0);
}

TEST_F(Shell, StartWindowProcessFailuresAndStrangers) {
    EXPECT_EQ(StartWindowProcess({"no-such-viewer"}), 0);
    EXPECT_EQ(StartWindowProcess({}), 0);
    WriteFile(folder / "bin/broken",
              "\x7f"
              "ELF not really",
              true);
    EXPECT_EQ(StartWindowProcess({"broken"}), 0) << "an exec failure is a failure";
    EXPECT_TRUE(NoChildLeft());
    // A process this layer did not start is never signalled.
    EXPECT_FALSE(IsWindow(static_cast<HWND>(::getpid())));
    EXPECT_EQ(SendMessageA(static_cast<HWND>(::getpid()), WM_CLOSE, 0, 0), 0);
}

TEST(Sleep, WaitsAtLeastTheGivenTime) {
    const auto start = std::chrono::steady_clock::now();
    Sleep(40);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

} // namespace
