// Pages handed over one at a time as they are finished: the same pages as the whole layout
// gives, for a listing laid out while its records are read and for reports laid out after the
// whole run; and the records of a run without groups told one by one rather than kept.

#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

class LayoutPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string sql =
            "CREATE TABLE T (Id INTEGER PRIMARY KEY, G INT, V INT);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
            "INSERT INTO T SELECT i, i % 3, (i * 37) % 101 FROM n;";
        path = test::MakeDatabase(dir.File("l.db"), sql);
        MakeReport();
    }
    void MakeReport() {
        report = Report::CreateOverDatabase(path);
        report->FindSection("PH")->PlaceTextObject("Listing", 0, 0);
        report->FindSection("PF")->PlaceFieldObject("PageNumber", 0, 0);
        const auto d = report->FindSection("D");
        d->PlaceFieldObject("{T.Id}", 0, 0);
        d->PlaceFieldObject("RecordNumber", 1500, 0);
        report->AddRunningTotalField("Running", "{T.V}", SummaryOperation::Sum);
        d->PlaceFieldObject("{#Running}", 3000, 0);
        report->FindSection("RF")->PlaceSummaryObject("{T.V}", SummaryOperation::Sum, 3000, 0);
        report->ApplyLayoutStyle(7); // alternate records shaded
    }

    // Each page handed over, as text and its item count.
    using Handed = std::vector<std::pair<std::string, std::size_t>>;
    Handed HandOver() {
        Handed out;
        page::TextPainter painter;
        run::RenderReportPages(*report, test::FixedRun(), test::FixedSettings(),
                               [&](page::Page&& p) {
                                   EXPECT_EQ(p.number, static_cast<int>(out.size()) + 1);
                                   page::PaintPage(p, painter);
                                   out.emplace_back(painter.TakeText(), p.items.size());
                               });
        return out;
    }

    void ExpectSamePages(const Handed& handed) {
        const auto whole = run::RenderReport(*report, test::FixedRun(), test::FixedSettings());
        ASSERT_EQ(handed.size(), whole.pages.size());
        page::TextPainter painter;
        for (std::size_t i = 0; i < whole.pages.size(); ++i) {
            page::PaintPage(whole.pages[i], painter);
            EXPECT_EQ(handed[i].first, painter.TakeText()) << "page " << i + 1;
            EXPECT_EQ(handed[i].second, whole.pages[i].items.size()) << "page " << i + 1;
        }
    }

    test::TempDir dir;
    std::string path;
    std::shared_ptr<Report> report;
};

// Counts what a run tells, and checks the run keeps only the record it tells of.
class Counting final : public run::RecordListener {
public:
    void Started(const run::RunResult& r) override { started = r.records.empty(); }
    void Read(const run::RunResult& r) override {
        EXPECT_EQ(r.records.size(), 1u);
        const auto id = r.StoredValue(0, *r.storedFields.at(0));
        EXPECT_EQ(id, Value(static_cast<std::int64_t>(++read)));
    }
    void Finished(const run::RunResult& r) override {
        finished = r.SummaryValue({&r.tree->Root()}, *r.levelSummaries.at(0).at(0));
    }
    bool started = false;
    std::int64_t read = 0;
    Value finished;
};

TEST_F(LayoutPagesTest, AListingIsLaidOutWhileItsRecordsAreRead) {
    const auto handed = HandOver();
    ASSERT_GT(handed.size(), 4u);
    ExpectSamePages(handed);
    EXPECT_NE(handed.back().first.find("300"), std::string::npos) << "the last record's number";

    Counting counting;
    auto options = test::FixedRun();
    options.listener = &counting;
    const auto result = run::RunReport(*report, options);
    EXPECT_TRUE(counting.started);
    EXPECT_EQ(counting.read, 300);
    EXPECT_EQ(counting.finished, test::QueryValue(path, "SELECT sum(V) FROM T"))
        << "the grand total, complete";
    EXPECT_EQ(result.RecordCount(), 300u);
    EXPECT_TRUE(result.tree->Root().records.empty()) << "record numbers are not kept";
}

TEST_F(LayoutPagesTest, ReportsThatNeedTheWholeRunGiveTheSamePagesAfterIt) {
    // A page count, a grand total above the records, a group: each known only at the end.
    const auto variants = std::vector<std::function<void()>>{
        [&] { report->FindSection("PF")->PlaceFieldObject("PageNofM", 2000, 0); },
        [&] { report->FindSection("PH")->PlaceFieldObject("TotalPageCount", 3000, 0); },
        [&] { report->FindSection("RH")->PlaceSummaryObject("{T.V}", 6, 3000, 0); },
        [&] {
            report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"),
                                GroupCondition::EachValue, GroupOrder::Ascending);
        },
    };
    for (std::size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE(i);
        MakeReport();
        variants[i]();
        ExpectSamePages(HandOver());
    }
}

} // namespace
} // namespace foliant::engine
