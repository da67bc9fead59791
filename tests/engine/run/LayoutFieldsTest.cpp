// What each kind of field shows where it stands: special fields, group names (and the Others
// label), record fields in group headers and footers, running totals, summaries in page
// headers.

#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

const char* kData = R"sql(
CREATE TABLE T (Id INTEGER PRIMARY KEY, G TEXT, V INT);
INSERT INTO T (G, V) VALUES ('b', 5), ('a', 1), ('b', 7), ('a', 2), ('c', 100);
)sql";

class LayoutFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        report = Report::CreateOverDatabase(test::MakeDatabase(dir.File("f.db"), kData));
        report->FindSection("RH")->SetSectionHeight(0);
        report->FindSection("PH")->SetSectionHeight(0);
        report->FindSection("PF")->SetSectionHeight(0);
    }
    // The report's text with blank lines dropped and runs of blanks made one.
    std::string Lines(const run::LayoutSettings& settings = test::FixedSettings()) {
        std::string text = test::RunToText(*report, settings), out;
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            const std::string line = text.substr(start, end - start);
            std::string words;
            for (char c : line) {
                if (c != ' ' || (!words.empty() && words.back() != ' ')) {
                    words += c;
                }
            }
            if (!words.empty()) {
                out += words + "\n";
            }
            start = end + 1;
        }
        return out;
    }
    test::TempDir dir;
    std::shared_ptr<Report> report;
};

TEST_F(LayoutFieldsTest, SpecialFieldsAreFilledIn) {
    report->SetTitleText("Title here");
    report->SetFilePath("/reports/t.rpt");
    const auto rh = report->FindSection("RH");
    int top = 0;
    for (const char* name : {"ReportTitle", "PrintDate", "PrintTime", "PageNumber",
                             "TotalPageCount", "PageNofM", "FileName"}) {
        const auto object = rh->PlaceFieldObject(name, 0, top);
        object->SetObjectWidth(3000);
        object->SetHorizontalAlign(HorizontalAlignment::Left);
        top += 240;
    }
    rh->SetSectionHeight(top);
    EXPECT_EQ(Lines(), "Title here\n"
                       "6/30/2025\n"
                       "1:05 PM\n"
                       "1\n"
                       "1\n"
                       "Page 1 of 1\n"
                       "/reports/t.rpt\n");
}

TEST_F(LayoutFieldsTest, GroupSectionsShowTheirGroupAndTheirFirstOrLastRecord) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto gh = report->FindSection("GH1");
    gh->PlaceFieldObject("GroupName ({T.G})", 0, 0);
    gh->PlaceFieldObject("GroupNumber", 1000, 0);
    gh->PlaceFieldObject("{T.V}", 2000, 0); // the group's first record
    const auto d = report->FindSection("D");
    d->PlaceFieldObject("RecordNumber", 0, 0);
    d->PlaceFieldObject("{T.V}", 2000, 0);
    report->AddRunningTotalField("Running", "{T.V}", SummaryOperation::Sum);
    d->PlaceFieldObject("{#Running}", 3500, 0);
    const auto gf = report->FindSection("GF1");
    gf->PlaceTextObject("last", 0, 0);
    gf->PlaceFieldObject("{T.V}", 2000, 0); // the group's last record
    gf->PlaceSummaryObject("{T.V}", SummaryOperation::Sum, 3500, 0);
    // Records a: 1, 2; b: 5, 7; c: 100 (in record order within each group).
    EXPECT_EQ(Lines(), "a 1 1\n"
                       "1 1 1\n"
                       "2 2 3\n"
                       "last 2 3\n"
                       "b 2 5\n"
                       "3 5 8\n"
                       "4 7 15\n"
                       "last 7 12\n"
                       "c 3 100\n"
                       "5 100 115\n"
                       "last 100 100\n");
}

TEST_F(LayoutFieldsTest, TheOthersGroupShowsTheLabelGiven) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    report->FindSection("D")->SetSectionHeight(0);
    report->FindSection("GH1")->SetSectionHeight(0);
    const auto gf = report->FindSection("GF1");
    gf->PlaceFieldObject("GroupName ({T.G})", 0, 0);
    const auto sum = gf->PlaceSummaryObject("{T.V}", SummaryOperation::Sum, 1500, 0)->field();
    const auto header = report->GroupHeader(1);
    header->SetGroupSortMode(2);
    header->SetGroupTopCount(1);
    header->SetGroupSortSummary(sum);
    auto settings = test::FixedSettings();
    settings.othersLabel = "Everyone else";
    EXPECT_EQ(Lines(settings), "c 100\n"
                               "Everyone else 15\n");
}

TEST_F(LayoutFieldsTest, PageHeadersShowTheGroupTheyInterrupt) {
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto ph = report->FindSection("PH");
    ph->PlaceFieldObject("GroupName ({T.G})", 0, 0);
    ph->SetSectionHeight(240);
    // Each group's header is nearly a page, so every group starts a page of its own.
    report->FindSection("GH1")->SetSectionHeight(13000);
    report->FindSection("D")->SetSectionHeight(0);
    report->FindSection("GF1")->SetSectionHeight(0);
    const auto doc =
        run::LayOutReport(run::RunReport(*report, test::FixedRun()), test::FixedSettings());
    ASSERT_EQ(doc.pages.size(), 3u);
    // Page 1 starts before any group; pages 2 and 3 start inside groups b and c.
    std::vector<std::string> heads;
    for (const auto& p : doc.pages) {
        heads.push_back(std::get<page::TextRun>(p.items.front()).text);
    }
    EXPECT_EQ(heads, (std::vector<std::string>{"", "b", "c"}));
}

// A total wider than the column it stands under used to print as #s even with free room
// beside it; it now reaches left into that room, and only shows #s when there is none.
TEST_F(LayoutFieldsTest, NumberWiderThanItsBoxBorrowsFreeRoomToItsLeft) {
    report->FindSection("D")->SetSectionHeight(0);
    const auto rf = report->FindSection("RF");
    const auto total = rf->PlaceSummaryObject("{T.V}", SummaryOperation::Sum, 3000, 0);
    total->SetObjectWidth(60); // room for one digit; the sum has three
    EXPECT_EQ(Lines(), "115\n");

    rf->PlaceTextObject("Total:", 0, 0)->SetObjectWidth(2990); // ends right beside the number
    EXPECT_EQ(Lines(), "Total: #\n");
}

} // namespace
} // namespace foliant::engine
