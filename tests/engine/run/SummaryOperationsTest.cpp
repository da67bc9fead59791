// Every summary operation, per group and over the whole report, checked against SQLite
// computing the same figure on the same data: groups with nulls and ties, a single record,
// only nulls, negative and fractional values.

#include "tests/engine/RunTestSupport.h"

#include "engine/ReportFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace foliant::engine {
namespace {

using run::GroupNode;

const char* kSummaryData = R"sql(
CREATE TABLE T (Id INTEGER PRIMARY KEY, G TEXT, X REAL, W REAL, Name VARCHAR(10));
INSERT INTO T (G, X, W, Name) VALUES
  ('ties', 3, 1, 'pear'), ('ties', 1, 2, 'fig'), ('ties', 3, NULL, 'pear'),
  ('ties', NULL, 4, NULL), ('ties', 2, 0.5, 'fig'), ('ties', 2, 3, 'apple'),
  ('ties', 5, 1, 'kiwi'), ('ties', NULL, NULL, 'kiwi'),
  ('single', 7, 2, 'plum'),
  ('nulls', NULL, 1, NULL), ('nulls', NULL, NULL, NULL),
  ('wide', -4.5, 1, 'b'), ('wide', 10, 2, 'a'), ('wide', 0, 3, 'c'), ('wide', 2.25, 1, 'a'),
  ('wide', 10, 0.25, 'b'), ('wide', -4.5, 2, 'c'), ('wide', 8, 5, 'b');
)sql";

struct Case {
    std::string field; // braced
    SummaryOperation op;
    int number = 0; // N or P
    bool second = false;
    // What a person typed for N or P, given as text instead of the number; number is then
    // the N or P the summary is computed with.
    const char* typed = nullptr;
};

class SummaryOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = test::MakeDatabase(dir.File("t.db"), kSummaryData);
        report = Report::CreateOverDatabase(db);
        report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                            GroupOrder::Ascending);
        const auto gf = report->FindSection("GF1");
        const auto rf = report->FindSection("RF");
        int left = 0;
        for (const auto& c : Cases()) {
            groupSummaries.push_back(Place(*gf, c, left));
            grandTotals.push_back(Place(*rf, c, left));
            left += 240;
        }
    }

    static std::shared_ptr<FieldDefinition> Place(Section& section, const Case& c, int left) {
        automation::Variant parameter;
        if (c.second) {
            parameter = automation::Variant(std::string("{T.W}"));
        } else if (c.typed != nullptr) {
            parameter = automation::Variant(std::string(c.typed));
        } else if (c.number > 0) {
            parameter = automation::Variant(static_cast<std::int32_t>(c.number));
        }
        return section.PlaceSummaryObject(c.field, c.op, left, 0, parameter)->field();
    }

    static std::vector<Case> Cases() {
        using Op = SummaryOperation;
        return {
            {"{T.X}", Op::Sum},
            {"{T.X}", Op::Average},
            {"{T.X}", Op::SampleVariance},
            {"{T.X}", Op::SampleStdDev},
            {"{T.X}", Op::Maximum},
            {"{T.X}", Op::Minimum},
            {"{T.X}", Op::Count},
            {"{T.X}", Op::PopulationVariance},
            {"{T.X}", Op::PopulationStdDev},
            {"{T.X}", Op::DistinctCount},
            {"{T.X}", Op::Correlation, 0, true},
            {"{T.X}", Op::Covariance, 0, true},
            {"{T.X}", Op::WeightedAverage, 0, true},
            {"{T.X}", Op::Median},
            {"{T.X}", Op::Percentile, 30},
            {"{T.X}", Op::Percentile, 75},
            {"{T.X}", Op::Percentile, 100},
            // P above 100 (the N/P box takes up to 32767) counts as 100: the maximum.
            {"{T.X}", Op::Percentile, 150},
            {"{T.X}", Op::Percentile, 32767, false, "32767"},
            // A cleared N box gives "" (or 0): the first, as the box starts with.
            {"{T.X}", Op::NthLargest, 1, false, ""},
            {"{T.Name}", Op::NthSmallest, 1, false, "0"},
            {"{T.X}", Op::NthLargest, 2},
            {"{T.X}", Op::NthLargest, 6},
            {"{T.X}", Op::NthSmallest, 3},
            {"{T.X}", Op::Mode},
            {"{T.X}", Op::NthMostFrequent, 2},
            {"{T.Name}", Op::Maximum},
            {"{T.Name}", Op::Minimum},
            {"{T.Name}", Op::Count},
            {"{T.Name}", Op::DistinctCount},
            {"{T.Name}", Op::Mode},
            {"{T.Name}", Op::NthLargest, 2},
            {"{T.Name}", Op::NthSmallest, 2},
            {"{T.Name}", Op::NthMostFrequent, 3},
        };
    }

    // SQLite's answer for one case over the records matching `where`.
    Value Expected(const Case& c, const std::string& where) {
        const std::string col = c.field == "{T.X}" ? "X" : "Name";
        const std::string from = " FROM T WHERE " + where + " AND " + col + " IS NOT NULL";
        const std::string pairs = " FROM T WHERE " + where + " AND X IS NOT NULL AND W IS NOT NULL";
        const auto q = [&](const std::string& sql) { return test::QueryValue(db, sql); };
        const auto num = [&](const std::string& sql) { return test::AsNumber(q(sql)); };
        const double n = *num("SELECT count(*)" + from);
        const auto moments = [&](bool sample) -> Value {
            if (n < (sample ? 2 : 1)) {
                return {};
            }
            const double s = *num("SELECT total(X)" + from);
            const double s2 = *num("SELECT total(X*X)" + from);
            return (s2 - s * s / n) / (sample ? n - 1 : n);
        };
        const auto root = [](Value v) -> Value {
            if (IsNull(v)) {
                return v;
            }
            return std::sqrt(*test::AsNumber(v));
        };
        const auto ranked = [&](const char* dir, int offset) {
            return q("SELECT (SELECT " + col + from + " ORDER BY " + col + " " + dir +
                     " LIMIT 1 OFFSET " + std::to_string(offset) + ")");
        };
        const auto frequent = [&](int offset) {
            return q("SELECT (SELECT " + col + from + " GROUP BY " + col +
                     " ORDER BY count(*) DESC, " + col + " ASC LIMIT 1 OFFSET " +
                     std::to_string(offset) + ")");
        };
        using Op = SummaryOperation;
        switch (c.op) {
        case Op::Sum:
            return q("SELECT total(X)" + from);
        case Op::Average:
            return q("SELECT avg(X)" + from);
        case Op::SampleVariance:
            return moments(true);
        case Op::SampleStdDev:
            return root(moments(true));
        case Op::PopulationVariance:
            return moments(false);
        case Op::PopulationStdDev:
            return root(moments(false));
        case Op::Maximum:
            return q("SELECT max(" + col + ")" + from);
        case Op::Minimum:
            return q("SELECT min(" + col + ")" + from);
        case Op::Count:
            return q("SELECT count(" + col + ")" + from);
        case Op::DistinctCount:
            return q("SELECT count(DISTINCT " + col + ")" + from);
        case Op::Correlation:
        case Op::Covariance: {
            const double m = *num("SELECT count(*)" + pairs);
            if (m == 0) {
                return {};
            }
            const double sx = *num("SELECT total(X)" + pairs);
            const double sy = *num("SELECT total(W)" + pairs);
            const double sxy = *num("SELECT total(X*W)" + pairs);
            const double sxx = *num("SELECT total(X*X)" + pairs);
            const double syy = *num("SELECT total(W*W)" + pairs);
            const double cov = (sxy - sx * sy / m) / m;
            if (c.op == Op::Covariance) {
                return cov;
            }
            const double vx = (sxx - sx * sx / m) / m;
            const double vy = (syy - sy * sy / m) / m;
            if (vx <= 1e-12 || vy <= 1e-12) {
                return {};
            }
            return cov / std::sqrt(vx * vy);
        }
        case Op::WeightedAverage: {
            const double sw = *num("SELECT total(W)" + pairs);
            if (sw == 0) {
                return {};
            }
            return *num("SELECT total(X*W)" + pairs) / sw;
        }
        case Op::Median:
        case Op::Percentile: {
            if (n == 0) {
                return {};
            }
            const double p = c.op == Op::Median ? 50 : std::min(c.number, 100);
            const double rank = p / 100 * (n - 1);
            const int lo = static_cast<int>(std::floor(rank));
            const int hi = std::min(lo + 1, static_cast<int>(n) - 1);
            const double a = *test::AsNumber(ranked("ASC", lo));
            const double b = *test::AsNumber(ranked("ASC", hi));
            return a + (b - a) * (rank - lo);
        }
        case Op::NthLargest:
            return ranked("DESC", c.number - 1);
        case Op::NthSmallest:
            return ranked("ASC", c.number - 1);
        case Op::Mode:
            return frequent(0);
        case Op::NthMostFrequent:
            return frequent(c.number - 1);
        }
        return {};
    }

    test::TempDir dir;
    std::string db;
    std::shared_ptr<Report> report;
    std::vector<std::shared_ptr<FieldDefinition>> groupSummaries;
    std::vector<std::shared_ptr<FieldDefinition>> grandTotals;
};

TEST_F(SummaryOperationsTest, EveryOperationPerGroupMatchesSqlite) {
    const auto result = run::RunReport(*report);
    const GroupNode& root = result.tree->Root();
    ASSERT_EQ(test::GroupKeys(root), (std::vector<std::string>{"nulls", "single", "ties", "wide"}));
    const auto cases = Cases();
    for (const auto& group : root.children) {
        const std::string g = std::get<std::string>(group->key);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const Value got = result.SummaryValue({&root, group.get()}, *groupSummaries[i]);
            const Value want = Expected(cases[i], "G = '" + g + "'");
            EXPECT_TRUE(test::SameValue(got, want))
                << groupSummaries[i]->Name() << " of group " << g << ": got " << test::Show(got)
                << ", SQLite says " << test::Show(want);
        }
    }
}

TEST_F(SummaryOperationsTest, EveryGrandTotalMatchesSqliteOverAllRecords) {
    const auto result = run::RunReport(*report);
    const GroupNode& root = result.tree->Root();
    const auto cases = Cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Value got = result.SummaryValue({&root}, *grandTotals[i]);
        const Value want = Expected(cases[i], "1");
        EXPECT_TRUE(test::SameValue(got, want))
            << grandTotals[i]->Name() << ": got " << test::Show(got) << ", SQLite says "
            << test::Show(want);
    }
}

// Summaries of one field share their running state where their operations keep the same one
// (the variances and standard deviations, correlation and covariance, sum and average, ...):
// each must give exactly, bit for bit, what it gives placed alone.
TEST_F(SummaryOperationsTest, SummariesSharingAStateGiveExactlyWhatEachGivesAlone) {
    const auto together = run::RunReport(*report);
    const auto cases = Cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto alone = Report::CreateOverDatabase(db);
        alone->InsertGroup(0, alone->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                           GroupOrder::Ascending);
        const auto inGroup = Place(*alone->FindSection("GF1"), cases[i], 0);
        const auto grand = Place(*alone->FindSection("RF"), cases[i], 0);
        const auto single = run::RunReport(*alone);
        const GroupNode& root = single.tree->Root();
        const GroupNode& all = together.tree->Root();
        const Value want = single.SummaryValue({&root}, *grand);
        EXPECT_TRUE(together.SummaryValue({&all}, *grandTotals[i]) == want)
            << grand->Name() << " alone gives " << test::Show(want);
        ASSERT_EQ(root.children.size(), all.children.size());
        for (std::size_t g = 0; g < root.children.size(); ++g) {
            const Value one = single.SummaryValue({&root, root.children[g].get()}, *inGroup);
            const Value got =
                together.SummaryValue({&all, all.children[g].get()}, *groupSummaries[i]);
            EXPECT_TRUE(got == one) << inGroup->Name() << " of group " << g << ": "
                                    << test::Show(got) << " alone " << test::Show(one);
        }
    }
}

TEST_F(SummaryOperationsTest, ReportsWithAnyAcceptedNOrPSaveLoadAndRunAlike) {
    const std::string path = dir.File("t.rpt");
    report->SaveToFile(path, 0);
    const auto loaded = LoadReportFromFile(path);
    const auto a = run::RunReport(*report);
    const auto b = run::RunReport(*loaded);
    const auto& summaries = loaded->Summaries();
    ASSERT_EQ(summaries.size(), report->Summaries().size());
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        const FieldDefinition& before = *report->Summaries()[i];
        EXPECT_EQ(summaries[i]->GetSummaryNumber(), before.GetSummaryNumber());
        const bool grand = before.GetSummaryArea()->AreaGroupNumber() == 0;
        for (std::size_t g = 0; g < a.tree->Root().children.size(); ++g) {
            const GroupNode& ga = *a.tree->Root().children[g];
            const GroupNode& gb = *b.tree->Root().children[g];
            EXPECT_TRUE(
                test::SameValue(grand ? a.SummaryValue({&a.tree->Root()}, before)
                                      : a.SummaryValue({&a.tree->Root(), &ga}, before),
                                grand ? b.SummaryValue({&b.tree->Root()}, *summaries[i])
                                      : b.SummaryValue({&b.tree->Root(), &gb}, *summaries[i])))
                << before.Name();
        }
    }
}

} // namespace
} // namespace foliant::engine
