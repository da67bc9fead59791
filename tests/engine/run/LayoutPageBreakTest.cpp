// Page breaking: page header on every page, report header once, page footer at the bottom of
// every page, a section that does not fit moved whole to the next page, one taller than a
// page placed alone and cut, sections that grow with wrapped text, and sections that start a
// new page each time they print.

#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

struct Placed {
    int page;
    int top;
    std::string text;
};

std::vector<Placed> Runs(const page::Document& doc) {
    std::vector<Placed> out;
    for (const auto& p : doc.pages) {
        for (const auto& item : p.items) {
            if (const auto* t = std::get_if<page::TextRun>(&item)) {
                out.push_back({p.number, t->box.top, t->text});
            }
        }
    }
    return out;
}

std::vector<Placed> Find(const page::Document& doc, const std::string& text) {
    std::vector<Placed> out;
    for (const auto& r : Runs(doc)) {
        if (r.text == text) {
            out.push_back(r);
        }
    }
    return out;
}

class LayoutPageBreakTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string sql =
            "CREATE TABLE T (Id INTEGER PRIMARY KEY, G INT, Name TEXT);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30) "
            "INSERT INTO T SELECT i, (i - 1) / 20, 'name ' || i FROM n;";
        report = Report::CreateOverDatabase(test::MakeDatabase(dir.File("p.db"), sql));
        report->FindSection("RH")->SetSectionHeight(0);
        const auto ph = report->FindSection("PH");
        ph->PlaceTextObject("Header", 0, 0);
        ph->SetSectionHeight(480);
        const auto pf = report->FindSection("PF");
        pf->PlaceFieldObject("PageNofM", 0, 0)->SetObjectWidth(2400);
        pf->SetSectionHeight(240);
        const auto d = report->FindSection("D");
        d->PlaceFieldObject("{T.Id}", 0, 0);
        d->SetSectionHeight(600);
    }
    page::Document Lay() {
        return run::LayOutReport(run::RunReport(*report, test::FixedRun()), test::FixedSettings());
    }
    test::TempDir dir;
    std::shared_ptr<Report> report;
};

// Letter: 15840 high. Body from 360 + 480 (page header) = 840 to 15840 - 360 - 240 = 15240:
// 14400 twips, exactly 24 details of 600.
TEST_F(LayoutPageBreakTest, DetailsFillAPageExactlyAndHeadersAndFootersRepeat) {
    const auto doc = Lay();
    ASSERT_EQ(doc.pages.size(), 2u);
    const auto headers = Find(doc, "Header");
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0].top, 360);
    EXPECT_EQ(headers[1].page, 2);
    EXPECT_EQ(headers[1].top, 360);
    // The 24th detail ends exactly at the body's bottom and stays on page 1.
    const auto r24 = Find(doc, "24");
    ASSERT_EQ(r24.size(), 1u);
    EXPECT_EQ(r24[0].page, 1);
    EXPECT_EQ(r24[0].top, 840 + 23 * 600);
    const auto r25 = Find(doc, "25");
    EXPECT_EQ(r25[0].page, 2);
    EXPECT_EQ(r25[0].top, 840);
    // Page footers at the bottom with the final page count.
    EXPECT_EQ(Find(doc, "Page 1 of 2")[0].top, 15240);
    EXPECT_EQ(Find(doc, "Page 2 of 2")[0].page, 2);
}

TEST_F(LayoutPageBreakTest, AFooterThatDoesNotFitMovesWholeToTheNextPage) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    report->FindSection("GH1")->SetSectionHeight(0);
    const auto gf = report->FindSection("GF1");
    gf->PlaceTextObject("Total", 0, 0);
    gf->PlaceSummaryObject("{T.Id}", SummaryOperation::Sum, 1000, 0);
    gf->PlaceTextObject("End of footer", 0, 2760);
    gf->SetSectionHeight(3000);
    const auto doc = Lay();
    // Records 1-20 end at 840 + 12000 = 12840; a 3000 footer would end at 15840 > 15240.
    EXPECT_EQ(Find(doc, "20")[0].page, 1);
    const auto total = Find(doc, "Total");
    ASSERT_EQ(total.size(), 2u);
    EXPECT_EQ(total[0].page, 2);
    EXPECT_EQ(total[0].top, 840);
    EXPECT_EQ(Find(doc, "210")[0].page, 2); // 1 + … + 20
    const auto end = Find(doc, "End of footer");
    EXPECT_EQ(end[0].page, 2);
    EXPECT_EQ(end[0].top, 840 + 2760);
    // The second group starts under the footer on page 2.
    EXPECT_EQ(Find(doc, "21")[0].top, 840 + 3000);
}

TEST_F(LayoutPageBreakTest, AGroupHeaderIsNotLeftAloneAtTheBottomOfAPage) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    report->FindSection("GH1")->PlaceTextObject("Group starts", 0, 0);
    report->FindSection("GH1")->SetSectionHeight(240);
    // Header, 20 records and footer of the first group end at 840 + 240 + 12000 + 1800 =
    // 14880, leaving 360 above 15240: room for the next header (240) but not with its first
    // record (600).
    report->FindSection("GF1")->SetSectionHeight(1800);
    const auto doc = Lay();
    const auto starts = Find(doc, "Group starts");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(Find(doc, "21")[0].page, 2);
    EXPECT_EQ(starts[1].page, 2);
    EXPECT_EQ(starts[1].top, 840);
}

TEST_F(LayoutPageBreakTest, ASectionTallerThanAPageStandsAloneAndIsCut) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto gh = report->FindSection("GH1");
    gh->PlaceTextObject("Tall top", 0, 0);
    gh->PlaceTextObject("Tall bottom", 0, 19000);
    gh->SetSectionHeight(20000);
    report->FindSection("GF1")->SetSectionHeight(0);
    const auto doc = Lay();
    const auto tops = Find(doc, "Tall top");
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_TRUE(Find(doc, "Tall bottom").empty());
    // Page 1: the first tall header alone; the records follow on page 2.
    EXPECT_EQ(tops[0].page, 1);
    EXPECT_EQ(Find(doc, "1")[0].page, 2);
    // Nothing is drawn over the page footer.
    for (const auto& r : Runs(doc)) {
        if (r.text.rfind("Page ", 0) != 0) {
            EXPECT_LT(r.top, 15240) << r.text;
        }
    }
}

TEST_F(LayoutPageBreakTest, ARuleUnderlinesThePageHeaderOnlyWhenItTakesRoom) {
    const auto rules = [](const page::Document& doc) {
        std::vector<int> ys;
        for (const auto& p : doc.pages) {
            for (const auto& item : p.items) {
                if (const auto* l = std::get_if<page::Line>(&item)) {
                    ys.push_back(l->y1);
                }
            }
        }
        return ys;
    };
    EXPECT_EQ(rules(Lay()), (std::vector<int>{840, 840}));
    report->FindSection("PH")->DiscardObject(1);
    report->FindSection("PH")->SetSectionHeight(0);
    EXPECT_EQ(rules(Lay()), (std::vector<int>{}));
}

TEST_F(LayoutPageBreakTest, TheReportHeaderComesOnceAndTheFooterAtTheEnd) {
    report->FindSection("RH")->PlaceTextObject("Once", 0, 0);
    report->FindSection("RF")->PlaceTextObject("The end", 0, 0);
    const auto doc = Lay();
    ASSERT_EQ(Find(doc, "Once").size(), 1u);
    EXPECT_EQ(Find(doc, "Once")[0].top, 360);
    EXPECT_EQ(Find(doc, "Header")[0].top, 600); // under the report header on page 1
    EXPECT_EQ(Find(doc, "The end")[0].page, static_cast<int>(doc.pages.size()));
}

TEST_F(LayoutPageBreakTest, WrappedTextGrowsItsSection) {
    report->FindSection("D")->SetSectionHeight(240);
    const auto name = report->FindSection("D")->PlaceFieldObject("{T.Name}", 1000, 0);
    name->SetObjectWidth(480); // four characters: "name" / "12" → two lines
    const auto doc = Lay();
    const auto r1 = Find(doc, "1");
    const auto r2 = Find(doc, "2");
    EXPECT_EQ(r2[0].top - r1[0].top, 480);
    const auto names = Find(doc, "name");
    EXPECT_EQ(names.size(), 30u);
}

TEST_F(LayoutPageBreakTest, ATitleOfOneHugeWordIsCutToWhatAPageCanShow) {
    // The title in the report header and the page header: one word of 100,000 characters, 30
    // to a line of 240 twips.
    report->SetTitleText(std::string(100'000, 'x'));
    report->FindSection("RH")->PlaceFieldObject("ReportTitle", 0, 0)->SetObjectWidth(3600);
    report->FindSection("PH")->PlaceFieldObject("ReportTitle", 3000, 0)->SetObjectWidth(3600);
    const auto doc = Lay();
    const auto titleLines = [&](int page) {
        std::vector<std::string> lines;
        for (const auto& r : Runs(doc)) {
            if (r.page == page && r.text.starts_with("xxx")) {
                lines.push_back(r.text);
            }
        }
        return lines;
    };
    const std::string full(30, 'x');
    const std::string cut = std::string(29, 'x') + "\u2026";
    // The report header fills page 1 down to the page footer, 14880 twips: 62 lines, the
    // last saying the title goes on. The page header finds no room under it.
    auto lines = titleLines(1);
    ASSERT_EQ(lines.size(), 62u);
    EXPECT_EQ(lines.front(), full);
    EXPECT_EQ(lines.back(), cut);
    // A page header, repeated on every page, takes at most a quarter of that: 15 lines. The
    // other three quarters hold 18 records of 600, so the 30 records take two more pages,
    // not one page each.
    ASSERT_EQ(doc.pages.size(), 3u);
    for (int page : {2, 3}) {
        lines = titleLines(page);
        ASSERT_EQ(lines.size(), 15u) << "page " << page;
        EXPECT_EQ(lines.back(), cut);
    }
}

TEST_F(LayoutPageBreakTest, AnEmptyRunStillGivesOnePageWithHeadersAndGrandTotals) {
    report->SetSelectionFormulaText("{T.Id} > 1000");
    report->FindSection("RF")->PlaceSummaryObject("{T.Id}", SummaryOperation::Count, 0, 0);
    report->FindSection("RF")->PlaceSummaryObject("{T.Id}", SummaryOperation::Sum, 1500, 0);
    const auto doc = Lay();
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(Find(doc, "Header").size(), 1u);
    EXPECT_EQ(Find(doc, "0").size(), 2u); // count and sum of nothing
    EXPECT_EQ(Find(doc, "Page 1 of 1").size(), 1u);
}

TEST_F(LayoutPageBreakTest, ASectionWithNewPageBeforeStartsAPageUnlessItsPageIsStillEmpty) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto gh = report->FindSection("GH1");
    gh->PlaceTextObject("Group starts", 0, 0);
    report->FindSection("RF")->PlaceTextObject("The end", 0, 0);
    // Without the break the second group follows the first on page 1.
    EXPECT_EQ(Find(Lay(), "Group starts")[1].page, 1);

    gh->SetNewPageBefore(true);
    const auto doc = Lay();
    const auto starts = Find(doc, "Group starts");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].page, 1) << "the first group does not leave page 1 empty";
    EXPECT_EQ(starts[0].top, 840);
    EXPECT_EQ(starts[1].page, 2);
    EXPECT_EQ(starts[1].top, 840);
    EXPECT_EQ(Find(doc, "The end")[0].page, 2) << "the footer without a break follows";
    EXPECT_EQ(Find(doc, "Header").size(), 2u);

    report->FindSection("D")->SetNewPageBefore(true);
    const auto perRecord = Lay();
    const auto records = test::QueryValue(dir.File("p.db"), "SELECT COUNT(*) FROM T");
    EXPECT_EQ(static_cast<std::int64_t>(perRecord.pages.size()), std::get<std::int64_t>(records));
    EXPECT_EQ(Find(perRecord, "21")[0].top, 840 + 240) << "under its group's header";
}

TEST_F(LayoutPageBreakTest, ASectionMovedToTheNextPageShowsThatPagesNumber) {
    report->FindSection("D")->PlaceFieldObject("PageNumber", 2000, 0);
    const auto doc = Lay();
    ASSERT_EQ(doc.pages.size(), 2u);
    // Record 25 is the first on page 2 (24 fill page 1).
    const auto r25 = Find(doc, "25");
    ASSERT_EQ(r25.size(), 1u);
    for (const auto& run : Runs(doc)) {
        if (run.page == 2 && run.top == r25[0].top && run.text != "25") {
            EXPECT_EQ(run.text, "2");
        }
    }
    EXPECT_EQ(Find(doc, "2").size(), 6u + 1u) << "records 25-30 and record 2's own id";
}

// A report of groups and totals alone: details without objects print nothing whatever their
// height and style (no blank, shaded or gridded row per record), and a record number in a
// footer still counts the records.
TEST_F(LayoutPageBreakTest, DetailsWithoutObjectsPrintNothing) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto gf = report->FindSection("GF1");
    gf->PlaceSummaryObject("{T.Id}", SummaryOperation::Count, 0, 0);
    gf->PlaceFieldObject("RecordNumber", 3000, 0);
    report->FindSection("D")->DiscardObject(1);
    for (const int style : {3, 7}) { // grid lines; alternate record shading
        SCOPED_TRACE(style);
        report->ApplyLayoutStyle(style);
        report->FindSection("D")->SetSectionHeight(600);
        const auto tall = Lay();
        report->FindSection("D")->SetSectionHeight(0);
        const auto none = Lay();
        ASSERT_EQ(tall.pages.size(), 1u) << "30 details of 600 would fill two pages";
        EXPECT_EQ(page::RenderText(tall), page::RenderText(none));
        EXPECT_EQ(tall.pages[0].items.size(), none.pages[0].items.size());
        EXPECT_EQ(Find(tall, "20").size(), 2u) << "the first group's count and record number";
        EXPECT_EQ(Find(tall, "30").size(), 1u) << "the record number after the last group";
    }
}

} // namespace
} // namespace foliant::engine
