// The program finds its data from where it sits, never from the tree it was built in: alone in
// a folder it says it has no sample database, and FOLIANT_PREFIX names another installation.
#include "tests/foliant/RunFoliant.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Outcome;
using foliant::cli_test::Quote;
using foliant::cli_test::RunCaptured;

class InstallationCliTest : public foliant::cli_test::FolderTest {
protected:
    InstallationCliTest() : FolderTest("foliant-installation") {}

    // Runs `program` in the test's folder with the environment settings `env` ("A=b ...").
    Outcome Run(const fs::path& program, const std::string& args, const std::string& env = "") {
        return RunCaptured("cd " + Quote(dir.string()) + " && env -u FOLIANT_PREFIX " + env + " " +
                               Quote(program.string()) + " " + args,
                           dir);
    }
};

TEST_F(InstallationCliTest, AProgramWithoutAnInstallationAsksForADatabase) {
    fs::create_directories(dir / "alone");
    const fs::path program = dir / "alone" / "foliant";
    fs::copy_file(FOLIANT_EXE, program);

    const Outcome demo = Run(program, "demo");
    EXPECT_EQ(demo.status, 1);
    EXPECT_EQ(demo.err, "foliant: no database given, and the sample database cannot be found: "
                        "there is no share/foliant beside this program's folder. Name a "
                        "database, or set FOLIANT_PREFIX to the installation folder\n");
    EXPECT_FALSE(fs::exists(dir / "foliant-demo.rpt"));

    const Outcome named = Run(program, "demo --db " + Quote(FOLIANT_SAMPLE_DB));
    EXPECT_EQ(named.status, 0) << named.err;
}

TEST_F(InstallationCliTest, FoliantPrefixNamesTheInstallationWhoseSampleIsUsed) {
    const fs::path data = dir / "elsewhere" / "share" / "foliant";
    fs::create_directories(data);
    fs::copy_file(FOLIANT_SAMPLE_DB, data / "sample.db");

    const Outcome demo =
        Run(FOLIANT_EXE, "demo", "FOLIANT_PREFIX=" + Quote((dir / "elsewhere").string()));
    ASSERT_EQ(demo.status, 0) << demo.err;
    const std::string saved = foliant::cli_test::Slurp(dir / "foliant-demo.rpt");
    // The report names its database relative to its own folder.
    EXPECT_NE(saved.find("elsewhere/share/foliant/sample.db\""), std::string::npos) << saved;
}

TEST_F(InstallationCliTest, VersionAndUsageErrorsHaveTheirExitStatus) {
    const Outcome version = Run(FOLIANT_EXE, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("foliant ")) << version.out;
    EXPECT_EQ(version.out.find_first_not_of("0123456789.\n", 8), std::string::npos) << version.out;

    const Outcome wrong = Run(FOLIANT_EXE, "demo --no-such-option");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--no-such-option"), std::string::npos) << wrong.err;
}

} // namespace
