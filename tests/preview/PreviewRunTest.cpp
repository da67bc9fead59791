// The viewer's run off the caller's thread: the early first page, the whole document after it,
// cancelling, and which reports can show their first page early.

#include "preview/PreviewRun.h"

#include "engine/page/TextPainter.h"
#include "generate/LayoutBuilder.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

namespace foliant::preview {
namespace {

using engine::test::MakeDatabase;
using engine::test::TempDir;
using Phase = PreviewRun::Phase;

// `count` orders over five regions, amounts cycling through 1..997.
std::string OrdersSql(int count) {
    return "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer TEXT, Region TEXT, "
           "Amount REAL);"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(count) +
           ") INSERT INTO Orders SELECT i, 'Cust' || i, "
           "char(65 + i % 5) || 'land', (i * 37) % 997 + 1 FROM n;";
}

class PreviewRunTest : public ::testing::Test {
protected:
    std::shared_ptr<engine::Report> Report(int count, const generate::ReportChoices& choices) {
        const std::string path = dir.File("orders" + std::to_string(++made_) + ".db");
        MakeDatabase(path, OrdersSql(count));
        auto report = engine::Report::CreateOverDatabase(path);
        generate::BuildReportLayout(*report, choices);
        return report;
    }
    static generate::ReportChoices Listing() {
        generate::ReportChoices choices;
        choices.title = "Orders";
        choices.columns = {{"Orders.Customer"}, {"Orders.Amount"}};
        return choices;
    }
    static std::string PageText(const engine::page::Page& page) {
        engine::page::Document one;
        one.pages.push_back(page);
        return engine::page::RenderText(one);
    }
    static engine::run::LayoutSettings Settings() {
        engine::run::LayoutSettings settings;
        settings.printTime = engine::TimeOfDay{12 * 3600};
        return settings;
    }
    static engine::run::RunOptions Options() {
        engine::run::RunOptions options;
        options.today = engine::Date{20000};
        return options;
    }

    TempDir dir;

private:
    int made_ = 0;
};

TEST_F(PreviewRunTest, AListingShowsItsFirstPageBeforeTheRunEndsAndItIsTheFinalFirstPage) {
    const auto report = Report(30000, Listing());
    std::promise<void> seen;
    std::shared_future<void> firstPageSeen = seen.get_future().share();
    engine::run::RunOptions options = Options();
    // The whole run waits here until the test has looked at the early page.
    options.progress = [firstPageSeen](std::uint64_t) {
        firstPageSeen.wait_for(std::chrono::seconds(20));
        return true;
    };
    PreviewRun run(report, options, Settings());
    const PreviewRun::Status early = run.WaitFor(1);
    ASSERT_EQ(early.phase, Phase::Running);
    ASSERT_TRUE(early.document);
    ASSERT_EQ(early.document->pages.size(), 1u);
    EXPECT_EQ(early.run, nullptr) << "no records for the CSV export yet";
    seen.set_value();

    const PreviewRun::Status done = run.WaitUntilFinished();
    ASSERT_EQ(done.phase, Phase::Done);
    ASSERT_GT(done.document->pages.size(), 100u);
    EXPECT_EQ(PageText(early.document->pages[0]), PageText(done.document->pages[0]));
    ASSERT_TRUE(done.run);
    EXPECT_EQ(done.run->RecordCount(), 30000u);
}

TEST_F(PreviewRunTest, AShortReportEndsWithTheWholeDocumentFromOneRun) {
    const auto report = Report(12, Listing());
    PreviewRun run(report, Options(), Settings());
    const PreviewRun::Status done = run.WaitUntilFinished();
    ASSERT_EQ(done.phase, Phase::Done);
    EXPECT_EQ(done.document->pages.size(), 1u);
    EXPECT_EQ(done.version, 1);
    ASSERT_TRUE(done.run);
    EXPECT_EQ(done.run->RecordCount(), 12u);
}

TEST_F(PreviewRunTest, CancellingEndsTheRunWithoutADocument) {
    generate::ReportChoices choices = Listing();
    choices.groups = {{"Orders.Region"}};
    choices.groups[0].summaries = {{"Orders.Amount"}};
    choices.groups[0].sort = {engine::GroupSortMode::TopN, "Orders.Amount", 2};
    const auto report = Report(50000, choices);
    std::promise<void> reading;
    auto started = reading.get_future();
    bool told = false;
    engine::run::RunOptions options = Options();
    options.progress = [&](std::uint64_t) {
        if (!told) {
            told = true;
            reading.set_value();
        }
        return true;
    };
    PreviewRun run(report, options, Settings());
    ASSERT_EQ(started.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    run.Cancel();
    const PreviewRun::Status end = run.WaitUntilFinished();
    EXPECT_EQ(end.phase, Phase::Cancelled);
    EXPECT_EQ(end.document, nullptr);
}

TEST_F(PreviewRunTest, ARunThatFailsSaysWhy) {
    const auto report = Report(5, Listing());
    std::filesystem::remove(report->GetDataSource()->Path());
    PreviewRun run(report, Options(), Settings());
    const PreviewRun::Status end = run.WaitUntilFinished();
    EXPECT_EQ(end.phase, Phase::Failed);
    EXPECT_NE(end.error.find(report->GetDataSource()->Path()), std::string::npos) << end.error;
}

TEST_F(PreviewRunTest, OnlyReportsWhoseFirstPageNeedsNoLaterRecordsComeEarly) {
    EXPECT_TRUE(FirstPageComesEarly(*Report(3, Listing())));

    generate::ReportChoices grouped = Listing();
    grouped.groups = {{"Orders.Region"}};
    grouped.groups[0].summaries = {{"Orders.Amount", engine::SummaryOperation::Sum, {}, 0, true}};
    // Group footers and grand totals in the report footer come after their records.
    EXPECT_TRUE(FirstPageComesEarly(*Report(3, grouped)));

    generate::ReportChoices sorted = grouped;
    sorted.groups[0].sort = {engine::GroupSortMode::TopN, "Orders.Amount", 2};
    EXPECT_FALSE(FirstPageComesEarly(*Report(3, sorted))) << "group sorting needs every group";

    auto counted = Report(3, Listing());
    counted->FindSection("PF")->PlaceFieldObject("PageNofM", 0, 0);
    EXPECT_FALSE(FirstPageComesEarly(*counted)) << "the page count needs the whole run";

    auto total = Report(3, Listing());
    total->FindSection("RH")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0, {});
    EXPECT_FALSE(FirstPageComesEarly(*total)) << "a grand total in the report header";
}

} // namespace
} // namespace foliant::preview
