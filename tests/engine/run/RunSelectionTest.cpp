// The record selection formula in a run: pushed into the query where SQLite answers exactly
// as the engine would, evaluated by the engine otherwise, with the same records either way;
// formula fields computed per record.

#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

const char* kData = R"sql(
CREATE TABLE T (Id INTEGER PRIMARY KEY, X REAL, Name TEXT, Day DATE);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60)
INSERT INTO T SELECT i, (i * 37) % 250, 'item ' || i, date('2024-01-01', '+' || i || ' days')
FROM n;
)sql";

class RunSelectionTest : public ::testing::Test {
protected:
    void SetUp() override { Open(kData); }
    void Open(const std::string& sql) {
        db = test::MakeDatabase(dir.File("sel" + std::to_string(++n) + ".db"), sql);
        report = Report::CreateOverDatabase(db);
        count = report->FindSection("RF")
                    ->PlaceSummaryObject("{T.Id}", SummaryOperation::Count, 0, 0)
                    ->field();
    }
    std::int64_t Selected(const run::RunResult& r) {
        return std::get<std::int64_t>(r.SummaryValue({&r.tree->Root()}, *count));
    }
    std::int64_t SqlCount(const std::string& where) {
        return std::get<std::int64_t>(
            test::QueryValue(db, "SELECT count(*) FROM T WHERE " + where));
    }

    test::TempDir dir;
    int n = 0;
    std::string db;
    std::shared_ptr<Report> report;
    std::shared_ptr<FieldDefinition> count;
};

TEST_F(RunSelectionTest, ExactConditionsGoIntoTheQuery) {
    report->SetSelectionFormulaText("{T.X} > 100 and {T.Name} startswith 'item 1'");
    const auto r = run::RunReport(*report, test::FixedRun());
    EXPECT_TRUE(r.selectionInQuery);
    EXPECT_NE(r.query.sql.find(" WHERE "), std::string::npos) << r.query.sql;
    EXPECT_EQ(Selected(r), SqlCount("X > 100 AND Name LIKE 'item 1%'"));
    EXPECT_GT(Selected(r), 0);
}

TEST_F(RunSelectionTest, PeriodsAreMeasuredFromTheRunDate) {
    report->SetSelectionFormulaText("{T.Day} in LastFullMonth");
    run::RunOptions options;
    options.today = Date{DaysFromCivil(2024, 3, 15)};
    const auto r = run::RunReport(*report, options);
    EXPECT_EQ(Selected(r), SqlCount("Day BETWEEN '2024-02-01' AND '2024-02-29'"));
    EXPECT_EQ(Selected(r), 29);
}

TEST_F(RunSelectionTest, AStrayTextInANumberColumnKeepsTheConditionInTheEngine) {
    Open(std::string(kData) + "UPDATE T SET X = 'unknown' WHERE Id = 5;");
    report->SetSelectionFormulaText("{T.X} > 100");
    const auto r = run::RunReport(*report, test::FixedRun());
    // SQLite alone would count the text as greater than every number; the engine reads it as
    // no number at all, so the record is not selected.
    EXPECT_EQ(Selected(r), SqlCount("X > 100 AND typeof(X) = 'real'"));
    EXPECT_EQ(SqlCount("X > 100"), Selected(r) + 1);
}

TEST_F(RunSelectionTest, DatesStoredOtherwiseThanIsoAreComparedByTheEngine) {
    Open(std::string(kData) + "UPDATE T SET Day = 2460360.5 WHERE Id = 3;"); // 2024-02-19
    report->SetSelectionFormulaText("{T.Day} >= Date(2024, 2, 1)");
    const auto r = run::RunReport(*report, test::FixedRun());
    EXPECT_EQ(Selected(r), SqlCount("Day >= '2024-02-01' AND Id <> 3") + 1);
}

// Values stored in another form than their column's type pass the query's condition and are
// judged by the engine, so the query selects as the engine alone would, under `not` too.
TEST_F(RunSelectionTest, ValuesStoredInAnotherFormSelectAsTheEngineAloneWouldSelect) {
    Open(std::string(kData) + "UPDATE T SET X = 'unknown' WHERE Id = 5;"
                              "UPDATE T SET X = x'01' WHERE Id = 6;"
                              "UPDATE T SET Name = 42 WHERE Id = 7;"
                              "UPDATE T SET Day = 2460360.5 WHERE Id = 8;"
                              "UPDATE T SET Day = '2024-02-30' WHERE Id = 9;"
                              "UPDATE T SET Day = '2024-02-19T00:00' WHERE Id = 10;");
    report->AddFormulaField("No", "1 = 2"); // a condition only the engine answers
    const char* formulas[] = {
        "{T.X} > 100",
        "not ({T.X} > 100)",
        "{T.X} in [37, 74] or {T.Name} = '42'",
        "not ({T.Name} startswith 'item')",
        "{T.Day} >= Date(2024, 2, 1) and {T.Id} > 2",
        "not ({T.Day} in Date(2024, 1, 1) to Date(2024, 2, 20))",
    };
    for (const std::string formula : formulas) {
        report->SetSelectionFormulaText(formula);
        const auto pushed = run::RunReport(*report, test::FixedRun());
        report->SetSelectionFormulaText("(" + formula + ") or {@No}");
        const auto engineAlone = run::RunReport(*report, test::FixedRun());
        ASSERT_FALSE(engineAlone.selectionInQuery) << formula;
        EXPECT_TRUE(pushed.selectionInQuery) << formula;
        EXPECT_EQ(Selected(pushed), Selected(engineAlone)) << formula;
    }
}

// A condition on the rowid lets the database find the records by it instead of reading the
// whole table, and the run asks nothing of the table's other rows beforehand.
TEST_F(RunSelectionTest, AConditionOnTheRowidIsAnsweredByTheDatabasesSearch) {
    report->SetSelectionFormulaText("{T.Id} <= 10 and {T.X} > 100");
    const auto r = run::RunReport(*report, test::FixedRun());
    EXPECT_EQ(Selected(r), SqlCount("Id <= 10 AND X > 100"));
    const auto plan = test::QueryRows(db, "EXPLAIN QUERY PLAN " + r.query.sql);
    std::string details;
    for (const auto& row : plan) {
        details += test::Show(row.back()) + "\n";
    }
    EXPECT_NE(details.find("INTEGER PRIMARY KEY"), std::string::npos) << details;
}

TEST_F(RunSelectionTest, FormulaFieldsAreComputedForSelectionAndDisplay) {
    report->AddFormulaField("Double", "{T.X} * 2");
    report->SetSelectionFormulaText("{@Double} > 400");
    report->FindSection("D")->PlaceFieldObject("{@Double}", 0, 0);
    report->FindSection("D")->PlaceFieldObject("{T.Id}", 2000, 0);
    const auto sum = report->FindSection("RF")
                         ->PlaceSummaryObject("{@Double}", SummaryOperation::Sum, 3000, 0)
                         ->field();
    const auto r = run::RunReport(*report, test::FixedRun());
    EXPECT_FALSE(r.selectionInQuery);
    EXPECT_EQ(Selected(r), SqlCount("X * 2 > 400"));
    EXPECT_TRUE(test::SameValue(r.SummaryValue({&r.tree->Root()}, *sum),
                                test::QueryValue(db, "SELECT total(X * 2) FROM T WHERE X > 200")));
    const std::string text = page::RenderText(run::LayOutReport(r, test::FixedSettings()));
    // Id 6: X = 222, shown doubled.
    EXPECT_NE(text.find("444.00"), std::string::npos) << text;
}

TEST_F(RunSelectionTest, GroupsCanBreakOnAFormulaField) {
    const auto band = report->AddFormulaField("Band", "{T.X} >= 100");
    report->InsertGroup(0, band, GroupCondition::EachValue, GroupOrder::Descending);
    const auto sum = report->FindSection("GF1")
                         ->PlaceSummaryObject("{T.X}", SummaryOperation::Sum, 0, 0)
                         ->field();
    const auto r = run::RunReport(*report, test::FixedRun());
    const auto& root = r.tree->Root();
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0]->key, Value{true}); // descending: true before false
    EXPECT_TRUE(test::SameValue(r.SummaryValue({&root, root.children[0].get()}, *sum),
                                test::QueryValue(db, "SELECT total(X) FROM T WHERE X >= 100")));
    EXPECT_TRUE(test::SameValue(r.SummaryValue({&root, root.children[1].get()}, *sum),
                                test::QueryValue(db, "SELECT total(X) FROM T WHERE X < 100")));
}

TEST_F(RunSelectionTest, AFormulaThatFailsOnARecordStopsTheRunWithItsMessage) {
    report->SetSelectionFormulaText("100 / ({T.X} - 37) > 1");
    try {
        run::RunReport(*report, test::FixedRun());
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_NE(e.Description().find("zero"), std::string::npos) << e.Description();
    }
}

} // namespace
} // namespace foliant::engine
