// foliant register and unregister, run as a user would, checked in the registry store they
// write to (a temporary one per test) and through the shell functions that read it.
#include "platform/automation/FoliantGuids.h"
#include "platform/automation/foliant_automation.h"
#include "platform/help/HtmlHelp.h"
#include "platform/shell/Shell.h"
#include "platform/winreg/WinReg.h"
#include "tests/foliant/RunFoliant.h"
#include "tests/winreg/ClassesText.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace wr = foliant::winreg;
using foliant::cli_test::Outcome;
using foliant::cli_test::Quote;
using foliant::cli_test::RunCaptured;
using foliant::cli_test::Slurp;
using foliant::testing::ClassesText;
using foliant::testing::SetClassesText;

class RegisterCli : public ::testing::Test {
protected:
    // register writes the desktop's files under the user's data folder: this test's own.
    RegisterCli() : data(registry.Folder() / "data") { ::setenv("XDG_DATA_HOME", data.c_str(), 1); }
    ~RegisterCli() override { ::unsetenv("XDG_DATA_HOME"); }

    Outcome Foliant(const std::string& args) {
        return RunCaptured(Quote(FOLIANT_EXE) + " " + args, registry.Folder());
    }

    // A report file for the shell to find a program for.
    std::string MakeReportFile() {
        const std::string path = (registry.Folder() / "Sales.rpt").string();
        std::ofstream(path) << "{}";
        return path;
    }

    static std::string Canonical(const std::string& path) {
        std::error_code ec;
        const auto p = fs::canonical(path, ec);
        return ec ? path : p.string();
    }

    foliant::testing::TempRegistry registry;
    fs::path data;
};

TEST_F(RegisterCli, RegisterMakesTheComponentCreatableAndThisProgramOpenReports) {
    const auto r = Foliant("register");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Registered the component"), std::string::npos) << r.out;

    // The component, through the registry alone, as a host finds it.
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID("geodyneFoliant.VRStandardWizard", &clsid), S_OK);
    EXPECT_TRUE(clsid == foliant::automation::CLSID_VRStandardWizard);
    char library[4096];
    ASSERT_EQ(FoliantGetInprocServer(&clsid, library, sizeof library), S_OK);
    EXPECT_EQ(Canonical(library), Canonical(FOLIANT_LIBRARY));
    EXPECT_EQ(CLSIDFromProgID("geodyneFoliant.ReportOpener", &clsid), S_OK);

    // The file type: .rpt -> class -> "foliant" design "%1", with an icon.
    EXPECT_EQ(ClassesText(".rpt"), "Foliant.Report");
    EXPECT_EQ(ClassesText("Foliant.Report\\shell\\open\\command"),
              "\"" + Canonical(FOLIANT_EXE) + "\" design \"%1\"");
    EXPECT_EQ(ClassesText("Foliant.Report\\DefaultIcon"), Canonical(FOLIANT_EXE) + ",0");
    const std::string report = MakeReportFile();
    const auto command = foliant::shell::DocumentCommand(report);
    ASSERT_EQ(command.size(), 3u);
    EXPECT_EQ(Canonical(command[0]), Canonical(FOLIANT_EXE));
    EXPECT_EQ(command[1], "design");
    EXPECT_EQ(command[2], report);
    char program[foliant::shell::kFindExecutableBuffer] = {};
    EXPECT_GT(foliant::shell::FindExecutableA(report.c_str(), nullptr, program), 32);
    EXPECT_EQ(Canonical(program), Canonical(FOLIANT_EXE));

    // Registering again changes nothing; unregistering removes everything.
    ASSERT_EQ(Foliant("register").status, 0);
    const auto u = Foliant("unregister");
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_EQ(CLSIDFromProgID("geodyneFoliant.VRStandardWizard", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID("geodyneFoliant.ReportOpener", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(ClassesText(".rpt"), std::nullopt);
    EXPECT_EQ(ClassesText("Foliant.Report"), std::nullopt);
    EXPECT_TRUE(foliant::shell::DocumentCommand(report).empty());
}

TEST_F(RegisterCli, RegisterWritesAValidLauncherAndFileTypeForTheUserAndUnregisterRemovesThem) {
    const auto r = Foliant("register");
    ASSERT_EQ(r.status, 0) << r.err;
    // Each line once: the desktop's cache tools run in child processes of their own.
    const auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (auto at = r.out.find(text); at != std::string::npos; at = r.out.find(text, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("Registered the component"), 1u) << r.out;
    const fs::path launcher = data / "applications/foliant.desktop";
    const fs::path type = data / "mime/packages/foliant.xml";
    ASSERT_TRUE(fs::exists(launcher)) << r.out;
    ASSERT_TRUE(fs::exists(type));
    const auto valid = RunCaptured("desktop-file-validate " + Quote(launcher.string()), data);
    EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    EXPECT_EQ(valid.out + valid.err, "");
    EXPECT_NE(Slurp(launcher).find("Exec=\"" + Canonical(FOLIANT_EXE) + "\" design %f\n"),
              std::string::npos)
        << Slurp(launcher);
    // The desktop's caches say *.rpt is a report and the launcher opens reports.
    EXPECT_NE(Slurp(data / "mime/globs2").find(":application/x-foliant-report:*.rpt"),
              std::string::npos);
    EXPECT_NE(Slurp(data / "applications/mimeinfo.cache")
                  .find("application/x-foliant-report=foliant.desktop;"),
              std::string::npos);

    const auto u = Foliant("unregister");
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_FALSE(fs::exists(launcher));
    EXPECT_FALSE(fs::exists(type));
    EXPECT_EQ(Slurp(data / "mime/globs2").find("x-foliant-report"), std::string::npos);
}

TEST_F(RegisterCli, UnregisterLeavesAReportFileTypeAnotherProgramTookOver) {
    ASSERT_EQ(Foliant("register").status, 0);
    SetClassesText(".rpt", "Other.Document");
    ASSERT_EQ(Foliant("unregister").status, 0);
    EXPECT_EQ(ClassesText(".rpt"), "Other.Document");
    EXPECT_EQ(ClassesText("Foliant.Report"), std::nullopt);
}

TEST_F(RegisterCli, ALibraryThatIsMissingOrNoComponentRegistersNothing) {
    auto r = Foliant("register --library " + Quote((registry.Folder() / "none.so").string()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("none.so: the file does not exist"), std::string::npos) << r.err;
    // The report engine is a shared library, but not a component.
    r = Foliant("register --library " + Quote(FOLIANT_ENGINE_LIBRARY));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not a component: it has no DllRegisterServer"), std::string::npos)
        << r.err;
    EXPECT_EQ(ClassesText(".rpt"), std::nullopt);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID("geodyneFoliant.VRStandardWizard", &clsid), CO_E_CLASSSTRING);
    // Unregistering with such a library still removes the file type, and says what failed.
    ASSERT_EQ(Foliant("register").status, 0);
    r = Foliant("unregister --library " + Quote(FOLIANT_ENGINE_LIBRARY));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("has no DllUnregisterServer"), std::string::npos) << r.err;
    EXPECT_EQ(ClassesText(".rpt"), std::nullopt);
}

// Points FOLIANT_PREFIX at an installation folder for one test.
class PrefixScope {
public:
    explicit PrefixScope(const fs::path& folder) { ::setenv("FOLIANT_PREFIX", folder.c_str(), 1); }
    ~PrefixScope() { ::unsetenv("FOLIANT_PREFIX"); }
    PrefixScope(const PrefixScope&) = delete;
    PrefixScope& operator=(const PrefixScope&) = delete;
};

TEST_F(RegisterCli, RegisterRecordsTheHelpFolderAndUnregisterTakesOnlyItsOwnBack) {
    using foliant::help::kHelpFolderKey;
    using foliant::help::RegisteredHelpFolder;
    const fs::path help = registry.Folder() / "install/share/foliant/help";
    fs::create_directories(help);
    for (const char* name : {"Wizards_en.chm", "Wizards_de.chm", "notes.txt"}) {
        std::ofstream(help / name) << "ITSF";
    }
    PrefixScope installation(registry.Folder() / "install");
    // This installation has help but no component library: the built one is named.
    const std::string library = " --library " + Quote(FOLIANT_LIBRARY);
    const auto r = Foliant("register" + library);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Registered the help files in " + help.string() + " (2 languages)"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(RegisteredHelpFolder(kHelpFolderKey, "Wizards_en.chm"), help.string());
    EXPECT_EQ(RegisteredHelpFolder(kHelpFolderKey, "Wizards_de.chm"), help.string());
    EXPECT_EQ(RegisteredHelpFolder(kHelpFolderKey, "notes.txt"), "");

    // Another installation takes German over; unregistering this one leaves it alone.
    wr::HKEY key = 0;
    ASSERT_EQ(
        wr::RegOpenKeyExA(wr::HKEY_LOCAL_MACHINE, kHelpFolderKey, 0, wr::KEY_ALL_ACCESS, &key),
        wr::ERROR_SUCCESS);
    const std::string other = "/opt/other/help";
    ASSERT_EQ(wr::RegSetValueExA(key, "Wizards_de.chm", 0, wr::REG_SZ,
                                 reinterpret_cast<const wr::BYTE*>(other.c_str()),
                                 static_cast<wr::DWORD>(other.size() + 1)),
              wr::ERROR_SUCCESS);
    wr::RegCloseKey(key);
    const auto u = Foliant("unregister" + library);
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_EQ(RegisteredHelpFolder(kHelpFolderKey, "Wizards_en.chm"), "");
    EXPECT_EQ(RegisteredHelpFolder(kHelpFolderKey, "Wizards_de.chm"), other);
}

} // namespace
