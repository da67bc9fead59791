// Runs the built host program as a user would and checks its output and exit status.
#include "tests/foliant/RunFoliant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Outcome;
using foliant::cli_test::Quote;
using foliant::cli_test::RunCaptured;
using foliant::cli_test::Slurp;

class CliTest : public foliant::cli_test::FolderTest {
protected:
    CliTest() : FolderTest("foliant-cli") {}

    // Runs foliant with the arguments in the test's folder.
    Outcome Foliant(const std::string& args) {
        return RunCaptured("cd " + Quote(dir.string()) + " && " + Quote(FOLIANT_EXE) + " " + args,
                           dir);
    }
};

TEST_F(CliTest, DemoWalksTheWizardAndSavesTheReportAndItsPdfAndPrintsTheFirstPage) {
    const Outcome demo = Foliant("demo");
    ASSERT_EQ(demo.status, 0) << demo.err;
    ASSERT_TRUE(fs::exists(dir / "foliant-demo.rpt"));
    ASSERT_TRUE(fs::exists(dir / "foliant-demo.pdf"));
    EXPECT_EQ(Slurp(dir / "foliant-demo.pdf").rfind("%PDF", 0), 0U);
    // The first page as text, then where the two files are; no structure dump.
    EXPECT_NE(demo.out.find("Sales by Country"), std::string::npos) << demo.out;
    EXPECT_NE(demo.out.find("CustomerName"), std::string::npos) << demo.out;
    EXPECT_EQ(demo.out.find("\"areas\""), std::string::npos);
    EXPECT_NE(demo.out.find("foliant-demo.rpt\n"), std::string::npos);
    EXPECT_NE(demo.out.find("foliant-demo.pdf\n"), std::string::npos);

    const Outcome inspect = Foliant("inspect foliant-demo.rpt");
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_EQ(inspect.err, "");
    // What the walk chose: the group with its sum (a grand total too) and count, the top five
    // countries, the filter and the style.
    for (const char* expected :
         {"\"name\": \"GH1\"", "\"name\": \"GF1\"", "\"field\": \"{Customers.Country}\"",
          "\"name\": \"Sum of {Orders.Amount}\"", "\"name\": \"Count of {Orders.Amount}\"",
          "\"grandTotal\": true", "\"topCount\": 5",
          "\"selectionFormula\": \"{Orders.Amount} > 100\"", "\"styleName\": \"Standard\"",
          "\"left\": ", "\"width\": "}) {
        EXPECT_NE(inspect.out.find(expected), std::string::npos) << expected;
    }
    // A second run asks to replace the files and does.
    const Outcome again = Foliant("demo --style 3");
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(Foliant("inspect foliant-demo.rpt").out.find("\"styleName\": \"Table\""),
              std::string::npos);
}

TEST_F(CliTest, InspectOfATruncatedFileNamesTheFileAndTheProblem) {
    ASSERT_EQ(Foliant("demo --out whole.rpt").status, 0);
    const std::string whole = Slurp(dir / "whole.rpt");
    std::ofstream(dir / "cut.rpt", std::ios::binary) << whole.substr(0, 812);

    const Outcome r = Foliant("inspect cut.rpt");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "foliant: cannot read report cut.rpt: the file is truncated (unexpected end "
                     "of JSON at byte 812)\n");
}

TEST_F(CliTest, FailuresGiveOneLineAndNonZeroStatus) {
    const Outcome missing = Foliant("inspect nowhere.rpt");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "foliant: cannot read report nowhere.rpt: the file does not exist\n");

    const Outcome noDb = Foliant("demo --db absent.db --out x.rpt");
    EXPECT_EQ(noDb.status, 1);
    EXPECT_EQ(noDb.err.rfind("foliant: cannot open the database ", 0), 0u) << noDb.err;
    EXPECT_FALSE(fs::exists(dir / "x.rpt"));

    const Outcome noCommand = Foliant("");
    EXPECT_EQ(noCommand.status, 2);
    EXPECT_EQ(noCommand.err, "foliant: A subcommand is required (see foliant --help)\n");
    const Outcome unknown = Foliant("inspect");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(std::count(unknown.err.begin(), unknown.err.end(), '\n'), 1) << unknown.err;
}

} // namespace
