// The layout builder, driven with plain choices over a small shop database: where it puts the
// title, the print date, the columns, the groups' summaries and grand totals, and how it sorts
// the groups.
#include "generate/LayoutBuilder.h"

#include "engine/ReportFile.h"

#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

namespace foliant::generate {
namespace {

using engine::FieldKind;
using engine::HorizontalAlignment;
using engine::ObjectKind;
using engine::ReportObject;
using engine::SummaryOperation;
using ObjectPtr = std::shared_ptr<ReportObject>;

class LayoutBuilderTest : public engine::test::ShopReportTest {
protected:
    std::vector<ObjectPtr> Objects(const std::string& section) {
        return report->FindSection(section)->Objects();
    }
    std::vector<ObjectPtr> Texts(const std::string& section) {
        std::vector<ObjectPtr> out;
        for (const auto& object : Objects(section)) {
            if (object->Kind() == ObjectKind::Text) {
                out.push_back(object);
            }
        }
        return out;
    }
};

TEST_F(LayoutBuilderTest, TitleDateAndHeadingsStackWithGapsAndColumnsFollowEachOther) {
    const int headingTop = PlaceTitleAndDate(*report, "Sales");
    const int next = PlaceColumns(
        *report, {{"Orders.Amount"}, {"Customer.Name"}, {"Orders.OrderDate"}}, headingTop);

    EXPECT_EQ(report->GetTitleText(), "Sales");
    const auto header = Objects("PH");
    ASSERT_EQ(header.size(), 5U);
    const ObjectPtr& title = header[0];
    const ObjectPtr& date = header[1];
    EXPECT_EQ(title->field()->Name(), "ReportTitle");
    EXPECT_EQ(date->field()->Name(), "PrintDate");
    EXPECT_EQ(date->Top(), title->ObjectHeight() + 240);
    EXPECT_EQ(headingTop, date->Top() + date->ObjectHeight() + 240);

    const auto fields = Objects("D");
    const auto headings = Texts("PH");
    ASSERT_EQ(fields.size(), 3U);
    ASSERT_EQ(headings.size(), 3U);
    int left = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i]->Left(), left) << i;
        EXPECT_EQ(fields[i]->Top(), 0) << i;
        EXPECT_EQ(headings[i]->Left(), left) << i;
        EXPECT_EQ(headings[i]->Top(), headingTop) << i;
        EXPECT_EQ(headings[i]->ObjectWidth(), fields[i]->ObjectWidth()) << i;
        left += fields[i]->ObjectWidth() + 240;
    }
    EXPECT_EQ(next, left);
    EXPECT_EQ(headings[0]->text(), "Amount");
    EXPECT_EQ(headings[0]->HorizontalAlign(), HorizontalAlignment::Right) << "money is a number";
    EXPECT_EQ(headings[1]->HorizontalAlign(), HorizontalAlignment::Left);
    EXPECT_EQ(headings[2]->HorizontalAlign(), HorizontalAlignment::Left) << "a date is no number";
    EXPECT_GE(report->FindSection("PH")->SectionHeight(), headingTop + headings[2]->ObjectHeight());
}

TEST_F(LayoutBuilderTest, WithoutTitleOrColumnsOnlyThePrintDateIsPlacedAtTheTop) {
    const int before = report->FindSection("PH")->SectionHeight();
    const int headingTop = PlaceTitleAndDate(*report, "");
    EXPECT_EQ(PlaceColumns(*report, {}, headingTop), 0);

    const auto header = Objects("PH");
    ASSERT_EQ(header.size(), 1U);
    EXPECT_EQ(header[0]->field()->Name(), "PrintDate");
    EXPECT_EQ(header[0]->Top(), 0);
    EXPECT_EQ(headingTop, header[0]->ObjectHeight() + 240);
    EXPECT_EQ(report->GetTitleText(), "");
    EXPECT_TRUE(Objects("D").empty());
    EXPECT_EQ(report->FindSection("PH")->SectionHeight(), before) << "heights are only raised";
}

TEST_F(LayoutBuilderTest, FormulasAndSpecialFieldsGetTheirOwnNamesAsHeadings) {
    report->AddFormulaField("Net", "{Orders.Amount} * 2");
    PlaceColumns(*report, {{"@Net", FieldKind::Formula}, {"PrintDate", FieldKind::Special}}, 960);

    const auto fields = Objects("D");
    const auto headings = Texts("PH");
    ASSERT_EQ(fields.size(), 2U);
    EXPECT_EQ(fields[0]->field()->Name(), "{@Net}");
    EXPECT_EQ(headings[0]->text(), "Net");
    EXPECT_EQ(fields[1]->field()->Name(), "PrintDate") << "a special field is placed unbraced";
    EXPECT_EQ(headings[1]->text(), "PrintDate");
}

TEST_F(LayoutBuilderTest, GroupsGetTheirConditionByValueTypeAndTheirSummariesInTheFooter) {
    GroupChoice country{"Customer.Country", engine::GroupOrder::Descending};
    country.summaries = {{"Orders.Amount", SummaryOperation::Sum, "", 0, true},
                         {"Orders.Amount", SummaryOperation::Percentile, "", 90, false},
                         {"Orders.Amount", SummaryOperation::Correlation, "Orders.Rate", 0, true}};
    const std::vector<GroupChoice> groups = {
        country, {"Orders.OrderDate"}, {"Orders.OrderTime"}, {"Orders.Shipped"}};
    AddGroupsAndSummaries(*report, groups);

    ASSERT_EQ(report->GroupCount(), 4);
    const auto condition = [&](int g) { return report->GroupHeader(g)->GetGroupCondition(); };
    EXPECT_EQ(condition(1), engine::GroupCondition::EachValue);
    EXPECT_EQ(report->GroupHeader(1)->GetGroupOrder(), 1);
    EXPECT_EQ(condition(2), engine::GroupCondition::EachDay);
    EXPECT_EQ(condition(3), engine::GroupCondition::EachTimeValue);
    EXPECT_EQ(condition(4), engine::GroupCondition::EachDay) << "a date-time groups by day";

    const auto footer = Objects("GF1");
    ASSERT_EQ(footer.size(), 3U);
    for (std::size_t i = 0; i < footer.size(); ++i) {
        EXPECT_EQ(footer[i]->Left(), 240 * static_cast<int>(i + 1)) << i;
        EXPECT_EQ(footer[i]->Top(), 0) << i;
    }
    EXPECT_EQ(footer[1]->field()->GetSummaryNumber(), 90);
    EXPECT_EQ(footer[2]->field()->GetSecondSummarizedField()->Name(), "{Orders.Rate}");
    const auto totals = Objects("RF");
    ASSERT_EQ(totals.size(), 2U) << "only the summaries marked as grand totals";
    EXPECT_EQ(totals[0]->Left(), 0);
    EXPECT_EQ(totals[1]->Left(), 240);
    EXPECT_EQ(totals[1]->field()->GetSummaryOperation(), SummaryOperation::Correlation);

    EXPECT_EQ(engine::test::ErrorOf([&] { AddGroupsAndSummaries(*report, {{"Orders.Nope"}}); }),
              "Cannot group on {Orders.Nope}: the report has no field of that name.");
}

TEST_F(LayoutBuilderTest, GroupsAreSortedByTheirOwnSummaryOfTheSortField) {
    GroupChoice top{"Customer.Country"};
    top.summaries = {{"Orders.Quantity", SummaryOperation::Count}, {"Orders.Amount"}};
    top.sort = {engine::GroupSortMode::BottomN, "Orders.Amount", 3, true};
    GroupChoice all{"Customer.Name"};
    all.summaries = {{"Orders.Amount", SummaryOperation::Maximum}};
    all.sort.mode = engine::GroupSortMode::SortAll;
    all.sort.field = "Orders.Amount";
    all.sort.direction = engine::SortDirection::Descending;
    // The sort field has a summary, but in another group: this group stays unsorted.
    GroupChoice none{"Orders.OrderDate"};
    none.summaries = {{"Orders.Quantity"}};
    none.sort = {engine::GroupSortMode::TopN, "Orders.Amount", 5};
    const std::vector<GroupChoice> groups = {top, all, none};
    AddGroupsAndSummaries(*report, groups);
    ApplyGroupSorting(*report, groups);

    const auto first = report->GroupHeader(1);
    EXPECT_EQ(first->GetGroupSortMode(), static_cast<int>(engine::GroupSortMode::BottomN));
    EXPECT_EQ(first->GetGroupTopCount(), 3);
    EXPECT_TRUE(first->GetDropOthers());
    EXPECT_EQ(first->GetGroupSortSummary(), Objects("GF1")[1]->field());

    EXPECT_EQ(report->GroupHeader(2)->GetGroupSortMode(),
              static_cast<int>(engine::GroupSortMode::SortAll));
    ASSERT_EQ(report->SummarySorts().size(), 1U);
    EXPECT_EQ(report->SummarySorts()[0]->GetSummary(), Objects("GF2")[0]->field());
    EXPECT_EQ(report->SummarySorts()[0]->GetSortDirection(), engine::SortDirection::Descending);

    EXPECT_EQ(report->GroupHeader(3)->GetGroupSortMode(),
              static_cast<int>(engine::GroupSortMode::Unsorted));
}

TEST_F(LayoutBuilderTest, TheWholeBuildSetsTheFormulaOnlyWhenOneIsGivenAndAppliesTheStyle) {
    report->SetSelectionFormulaText("{Orders.Quantity} > 1");
    ReportChoices choices;
    choices.columns = {{"Orders.Amount"}};
    choices.style = 3;
    BuildReportLayout(*report, choices);
    EXPECT_EQ(report->GetSelectionFormulaText(), "{Orders.Quantity} > 1");
    EXPECT_EQ(report->GetLayoutStyle(), 3);

    const auto other = engine::Report::CreateOverDatabase(dir.File("shop.db"));
    choices.selectionFormula = "{Orders.Amount} > 100";
    BuildReportLayout(*other, choices);
    EXPECT_EQ(other->GetSelectionFormulaText(), "{Orders.Amount} > 100");
}

// A grouped, summarized, sorted report with a formula: what a wizard run makes.
ReportChoices FullChoices(int style) {
    ReportChoices choices;
    choices.selectionFormula = "{Orders.Quantity} > 0";
    choices.title = "Sales";
    choices.columns = {{"Orders.Amount"}, {"Customer.Name"}};
    GroupChoice country{"Customer.Country"};
    country.summaries = {{"Orders.Amount", SummaryOperation::Sum, "", 0, true},
                         {"Orders.Quantity", SummaryOperation::Count, "", 0, true}};
    country.sort = {engine::GroupSortMode::TopN, "Orders.Amount", 3, false};
    GroupChoice name{"Customer.Name", engine::GroupOrder::Descending};
    name.summaries = {{"Orders.Amount", SummaryOperation::Maximum}};
    name.sort.mode = engine::GroupSortMode::SortAll;
    name.sort.field = "Orders.Amount";
    choices.groups = {country, name};
    choices.style = style;
    return choices;
}

TEST_F(LayoutBuilderTest, BuildingAgainWithTheSameChoicesGivesTheSameReportNotASecondCopy) {
    // Every style arranges the objects differently (summaries in headers for leading breaks,
    // group names, grand-total labels); each must clear what it placed.
    for (int style = 0; style < 10; ++style) {
        const auto built = engine::Report::CreateOverDatabase(dir.File("shop.db"));
        BuildReportLayout(*built, FullChoices(style));
        const std::string once = engine::DescribeReport(*built);
        BuildReportLayout(*built, FullChoices(style));
        BuildReportLayout(*built, FullChoices(style));
        EXPECT_EQ(engine::DescribeReport(*built), once) << "style " << style;
    }
}

TEST_F(LayoutBuilderTest, ClearingKeepsWhatABuildNeverPlaces) {
    report->FindSection("PH")->PlaceFieldObject("PageNumber", 4000, 0);
    report->FindSection("RH")->PlaceTextObject("Company", 0, 0);
    report->FindSection("PF")->PlaceFieldObject("PrintDate", 0, 0);
    BuildReportLayout(*report, FullChoices(1));
    BuildReportLayout(*report, FullChoices(2));

    int pageNumbers = 0;
    int titles = 0;
    for (const auto& object : Objects("PH")) {
        if (object->Kind() == ObjectKind::Field) {
            pageNumbers += object->field()->Name() == "PageNumber" ? 1 : 0;
            titles += object->field()->Name() == "ReportTitle" ? 1 : 0;
        }
    }
    EXPECT_EQ(pageNumbers, 1);
    EXPECT_EQ(titles, 1) << "one title after building twice";
    EXPECT_EQ(Objects("RH").size(), 1U);
    EXPECT_EQ(Objects("PF").size(), 1U) << "a print date outside the page header stays";
    EXPECT_EQ(report->GroupCount(), 2);

    // A report holding only a text of its own is built upon, not cleared.
    const auto plain = engine::Report::CreateOverDatabase(dir.File("shop.db"));
    plain->FindSection("PH")->PlaceTextObject("Confidential", 0, 0);
    EXPECT_FALSE(HoldsWizardOutput(*plain));
    EXPECT_TRUE(HoldsWizardOutput(*report));
}

TEST_F(LayoutBuilderTest, ARemovedTitleDoesNotComeBack) {
    BuildReportLayout(*report, FullChoices(0));
    ReportChoices untitled = FullChoices(0);
    untitled.title = "";
    BuildReportLayout(*report, untitled);
    EXPECT_EQ(report->GetTitleText(), "");
    for (const auto& object : Objects("PH")) {
        EXPECT_FALSE(object->Kind() == ObjectKind::Field &&
                     object->field()->Name() == "ReportTitle");
    }
}

TEST_F(LayoutBuilderTest, AFailingBuildLeavesTheReportExactlyAsItWas) {
    BuildReportLayout(*report, FullChoices(4));
    const std::string before = engine::DescribeReport(*report);
    const auto header = report->FindSection("PH");

    // The columns, the title and the first group are written before the second group's
    // summary of an unknown field fails; none of it may stay.
    ReportChoices failing = FullChoices(0);
    failing.title = "Other";
    failing.columns.push_back({"Orders.Rate"});
    failing.groups[1].summaries.push_back({"Orders.Nope"});
    EXPECT_NE(engine::test::ErrorOf([&] { BuildReportLayout(*report, failing); }), "(no error)");
    EXPECT_EQ(engine::DescribeReport(*report), before);
    EXPECT_EQ(report->FindSection("PH"), header) << "nothing was swapped in";

    // A bad formula fails the same way, and the report still builds afterwards.
    failing = FullChoices(0);
    failing.selectionFormula = "{Orders.Amount} >";
    EXPECT_NE(engine::test::ErrorOf([&] { BuildReportLayout(*report, failing); }), "(no error)");
    EXPECT_EQ(engine::DescribeReport(*report), before);
    BuildReportLayout(*report, FullChoices(4));
    EXPECT_EQ(engine::DescribeReport(*report), before);
}

} // namespace
} // namespace foliant::generate
