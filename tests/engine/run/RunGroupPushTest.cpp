// Summary-only reports over SQLite computed by the database: the pages are those the engine
// gives reading every record, and a sum SQLite's integers cannot hold leaves the work to the
// engine rather than failing the run.

#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

// A report of the sum and average of V per G, and their grand totals, over rows of the values
// given, with details as a new report has them (no object, first height).
std::shared_ptr<Report> SumsPerGroup(const test::TempDir& dir, const std::string& values) {
    const std::string sql = "CREATE TABLE T (Id INTEGER PRIMARY KEY, G TEXT, V INTEGER);"
                            "INSERT INTO T (G, V) VALUES " +
                            values + ";";
    static int made = 0;
    const auto report = Report::CreateOverDatabase(
        test::MakeDatabase(dir.File("sums" + std::to_string(++made) + ".db"), sql));
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto gf = report->FindSection("GF1");
    const auto rf = report->FindSection("RF");
    gf->PlaceSummaryObject("{T.V}", SummaryOperation::Sum, 0, 0)->SetObjectWidth(4000);
    gf->PlaceSummaryObject("{T.V}", SummaryOperation::Average, 4200, 0)->SetObjectWidth(4000);
    rf->PlaceSummaryObject("{T.V}", SummaryOperation::Sum, 0, 0)->SetObjectWidth(4000);
    report->ApplyLayoutStyle(0);
    return report;
}

// The run's text, after checking it against a run that reads every record; whether the
// database computed the groups.
std::pair<std::string, bool> RunBothWays(const Report& report) {
    auto options = test::FixedRun();
    const auto pushed = run::RunReport(report, options);
    const std::string text = page::RenderText(run::LayOutReport(pushed, test::FixedSettings()));
    options.readEveryRecord = true;
    const auto read = run::RunReport(report, options);
    EXPECT_FALSE(read.groupsComputedByQuery);
    EXPECT_EQ(text, page::RenderText(run::LayOutReport(read, test::FixedSettings())));
    return {text, pushed.groupsComputedByQuery};
}

TEST(RunGroupPush, ASumBeyondSqlitesIntegersIsLeftToTheEngine) {
    test::TempDir dir;
    const auto small = RunBothWays(*SumsPerGroup(dir, "('a', 1), ('b', 2), ('a', 40)"));
    EXPECT_TRUE(small.second) << "groups of small numbers are computed by SQLite";
    EXPECT_NE(small.first.find("41"), std::string::npos) << small.first;

    // Each value fits 64 bits; the sums of group a and of the report do not.
    const auto* query = "SELECT sum(V) FROM T WHERE G = 'a'";
    const auto huge =
        SumsPerGroup(dir, "('a', 9000000000000000000), ('b', 5), ('a', 9000000000000000000)");
    EXPECT_TRUE(test::QueryRows(huge->GetDataSource()->Path(), query).empty())
        << "SQLite's own sum stops with an error";
    const auto [text, pushed] = RunBothWays(*huge);
    EXPECT_FALSE(pushed);
    EXPECT_NE(text.find("18,000,000,000,000,000,000"), std::string::npos) << text;
}

TEST(RunGroupPush, AnAverageOfWholeNumbersBeyondDoublePrecisionIsTheDatabasesOwn) {
    test::TempDir dir;
    // (2^53 + 1 + 1) / 2 = 2^52 + 1: exact only when the values are summed as whole numbers.
    const auto [text, pushed] =
        RunBothWays(*SumsPerGroup(dir, "('a', 9007199254740993), ('a', 1)"));
    EXPECT_TRUE(pushed);
    EXPECT_NE(text.find("4,503,599,627,370,497"), std::string::npos) << text;
}

} // namespace
} // namespace foliant::engine
