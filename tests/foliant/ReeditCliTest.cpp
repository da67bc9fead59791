// A report made by a script and saved with Finish, opened again with `foliant script --report`
// and finished without a change, is the same report: `foliant inspect` prints the same.
#include "tests/foliant/RunFoliant.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Outcome;
using foliant::cli_test::Quote;
using foliant::cli_test::RunCaptured;

// A report of the sample database: what the script does on the grouping, summaries, sorting
// and selection pages, and the style.
struct MadeReport {
    const char* name;
    const char* groupsAndSummaries; // from page 2 to the selection page
    const char* selection;          // on the selection page
    int style;
};

void PrintTo(const MadeReport& report, std::ostream* out) {
    *out << report.name;
}

// Page 1's columns, then the case's pages, the style and title, and Finish saving for later.
std::string MakingScript(const MadeReport& r) {
    return std::string("node DatabaseTreeView \"CustomerName\"\nclick Add\n"
                       "node DatabaseTreeView \"OrderDate\"\nclick Add\n"
                       "node DatabaseTreeView \"Amount\"\nclick Add\nclick cmdNext\n") +
           r.groupsAndSummaries + r.selection + "click cmdNext\nselect StyleList " +
           std::to_string(r.style) +
           "\ntype TitleText \"Orders\"\nclick cmdNext\n"
           "type SaveText \"made.rpt\"\nclick SaveOption\nclick FinishCmd\n";
}

class ReeditCli : public foliant::cli_test::FolderTest,
                  public ::testing::WithParamInterface<MadeReport> {
protected:
    ReeditCli() : FolderTest("foliant-reedit") {}

    Outcome Foliant(const std::string& args) {
        return RunCaptured("cd " + Quote(dir.string()) + " && " + Quote(FOLIANT_EXE) + " " + args,
                           dir);
    }

    void RunScript(const std::string& lines, const std::string& options) {
        std::ofstream(dir / "script.txt") << lines;
        const Outcome r = Foliant("script script.txt " + options);
        ASSERT_EQ(r.status, 0) << r.err << "\n" << lines;
    }

    std::string Inspect(const std::string& report) {
        const Outcome r = Foliant("inspect " + report);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
};

TEST_P(ReeditCli, FinishWithoutAChangeWritesTheSameReport) {
    ASSERT_NO_FATAL_FAILURE(RunScript(MakingScript(GetParam()), "--db " FOLIANT_SAMPLE_DB));
    const std::string made = Inspect("made.rpt");
    // The script made what it asked for.
    const auto report = nlohmann::json::parse(made);
    EXPECT_EQ(report["title"], "Orders");
    EXPECT_EQ(report["style"], GetParam().style);
    EXPECT_FALSE(report["groups"].empty());
    EXPECT_FALSE(report["summaries"].empty());
    EXPECT_EQ(report["selectionFormula"] == "", std::string(GetParam().selection).empty());
    // Finish on the first page: nothing is typed there, so the file dialog asks for the name.
    ASSERT_NO_FATAL_FAILURE(
        RunScript("file \"edited.rpt\"\nclick FinishCmd\n", "--report made.rpt"));
    EXPECT_EQ(Inspect("edited.rpt"), made);
}

const MadeReport kReports[] = {
    {"TopThreeWithOthersStandard",
     "node DatabaseTreeView \"Country\"\nclick AddGroup\nclick cmdNext\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"count\"\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"average\"\n"
     "click GrandTotalCheck\nclick cmdNext\n"
     "select TopNSortCombo 0\ntype TopNText \"3\"\nclick cmdNext\n",
     "node DatabaseTreeView \"Amount\"\nclick AddSelect\nselect ConditionCombo 7\n"
     "type ConditionTextCombo \"100\"\n",
     0},
    {"TwoGroupsBottomTwoDroppingOthersLeadingBreak",
     "node DatabaseTreeView \"Country\"\nclick AddGroup\n"
     "node DatabaseTreeView \"City\"\nclick AddGroup\nselect OrderCombo 1\nclick cmdNext\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"maximum\"\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"minimum\"\n"
     "click cmdNext\n"
     "select TopNSortCombo 1\ntype TopNText \"2\"\nclick TopNIncludeOthersCheck\n"
     "click cmdNext\n",
     "node DatabaseTreeView \"Country\"\nclick AddSelect\nselect ConditionCombo 3\n"
     "type ConditionTextCombo \"France\"\nkey ConditionTextCombo Enter\n"
     "type ConditionTextCombo \"Italy\"\nkey ConditionTextCombo Enter\n",
     1},
    {"SortAllDescendingByTheThirdLargestTrailingBreak",
     "node DatabaseTreeView \"Country\"\nclick AddGroup\nclick cmdNext\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"Nth largest\"\n"
     "type PIsText \"3\"\nclick cmdNext\n"
     "select TopNSortCombo 2\nclick TopNDescendingOption\nclick cmdNext\n",
     "node DatabaseTreeView \"OrderDate\"\nclick AddSelect\nselect ConditionCombo 12\n"
     "select ConditionTextCombo \"LastFullMonth\"\n",
     2},
    {"PercentileMedianAndDistinctCountTable",
     "node DatabaseTreeView \"Country\"\nclick AddGroup\nclick cmdNext\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"median\"\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"Pth percentile\"\n"
     "type PIsText \"90\"\n"
     "node DatabaseTreeView \"CustomerName\"\nclick AddTotal\n"
     "select SumCombo \"distinct count\"\nclick cmdNext\n"
     "select TopNSortCombo 0\ntype TopNText \"5\"\nclick cmdNext\n",
     "node DatabaseTreeView \"Amount\"\nclick AddSelect\nselect ConditionCombo 9\n"
     "type ConditionTextCombo \"100\"\ntype SecondConditionText \"1000\"\n",
     3},
    {"ADateGroupWithItsSumShading",
     "node DatabaseTreeView \"OrderDate\"\nclick AddGroup\nclick cmdNext\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\nclick cmdNext\nclick cmdNext\n",
     "node DatabaseTreeView \"CustomerName\"\nclick AddSelect\nselect ConditionCombo 11\n"
     "type ConditionTextCombo \"C\"\nkey ConditionTextCombo Enter\n",
     7},
    {"ModeAndMostFrequentBoxed",
     "node DatabaseTreeView \"Country\"\nclick AddGroup\nclick cmdNext\n"
     "node DatabaseTreeView \"CustomerName\"\nclick AddTotal\nselect SumCombo \"mode\"\n"
     "node DatabaseTreeView \"Amount\"\nclick AddTotal\n"
     "select SumCombo \"Nth most frequent\"\ntype PIsText \"2\"\nclick cmdNext\n"
     "select TopNSortCombo 0\ntype TopNText \"4\"\nclick cmdNext\n",
     "", 9},
};

INSTANTIATE_TEST_SUITE_P(Styles, ReeditCli, ::testing::ValuesIn(kReports),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
