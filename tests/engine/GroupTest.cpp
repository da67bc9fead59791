#include "engine/Report.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

using test::ErrorOf;

class GroupTest : public test::ShopReportTest {
protected:
    std::shared_ptr<FieldDefinition> Field(const std::string& braced) {
        auto def = report->LookupFieldDefinition(braced);
        EXPECT_TRUE(def) << braced;
        return def;
    }
    std::string AreaNames() {
        std::string names;
        for (const auto& a : report->GetAreaList()->All()) {
            names += (names.empty() ? "" : " ") + a->Name();
        }
        return names;
    }
    std::shared_ptr<Area> AreaNamed(const std::string& name) {
        return report->GetAreaList()->ItemAt(name);
    }
    std::shared_ptr<Section> SectionNamed(const std::string& name) {
        return report->GetSectionList()->ItemAt(name);
    }
};

TEST_F(GroupTest, InsertingGroupsNestsThemAndRenumbers) {
    EXPECT_EQ(report->InsertGroup(0, Field("{Customer.Country}"), 14, 0), 1);
    EXPECT_EQ(AreaNames(), "RH PH GH1 D GF1 RF PF");
    // A new outermost group: the country group becomes group 2.
    EXPECT_EQ(report->InsertGroup(0, Field("{Orders.OrderDate}"), GroupCondition::EachMonth,
                                  GroupOrder::Descending),
              1);
    EXPECT_EQ(AreaNames(), "RH PH GH1 GH2 D GF2 GF1 RF PF");
    EXPECT_EQ(AreaNamed("GH1")->GetGroupConditionField()->Name(), "{Orders.OrderDate}");
    EXPECT_EQ(AreaNamed("GH1")->GetGroupCondition(), GroupCondition::EachMonth);
    EXPECT_EQ(AreaNamed("GH1")->GetGroupOrder(), 1);
    EXPECT_EQ(AreaNamed("GH2")->GetGroupConditionField()->Name(), "{Customer.Country}");
    EXPECT_EQ(AreaNamed("GF2")->AreaGroupNumber(), 2);
    EXPECT_EQ(AreaNamed("GF2")->AreaKind(), AreaKind::GroupFooter);
    EXPECT_EQ(AreaNamed("GF2")->AreaSections()->ItemAt(1)->Name(), "GF2");
    // In the middle.
    report->InsertGroup(1, Field("{Customer.Name}"), 14, 2);
    EXPECT_EQ(AreaNamed("GH2")->GetGroupConditionField()->Name(), "{Customer.Name}");
    EXPECT_EQ(AreaNamed("GH2")->GetGroupOrder(), 2);
    EXPECT_EQ(AreaNamed("GH3")->GetGroupConditionField()->Name(), "{Customer.Country}");
    EXPECT_EQ(report->GroupCount(), 3);

    EXPECT_EQ(ErrorOf([&] { report->InsertGroup(5, Field("{Customer.Name}"), 14, 0); }),
              "Cannot insert a group at position 5: the report has 3 groups, so the position "
              "must be 0 to 3.");
    EXPECT_THROW(report->InsertGroup(-1, Field("{Customer.Name}"), 14, 0), EngineError);
    EXPECT_EQ(report->GroupCount(), 3);
}

TEST_F(GroupTest, ConditionsMustSuitTheFieldsValueType) {
    // Date periods need a date, times of day a time; "each value" suits anything but binary.
    EXPECT_EQ(ErrorOf([&] { report->InsertGroup(0, Field("{Customer.Name}"), 4, 0); }),
              "Cannot group {Customer.Name} by date periods (condition 4): it is a string field, "
              "not a date.");
    EXPECT_THROW(report->InsertGroup(0, Field("{Orders.OrderDate}"), 15, 0), EngineError);
    EXPECT_THROW(report->InsertGroup(0, Field("{Customer.Photo}"), 14, 0), EngineError);
    EXPECT_THROW(report->InsertGroup(0, Field("{Customer.Name}"), 12, 0), EngineError);
    EXPECT_THROW(report->InsertGroup(0, Field("{Customer.Name}"), 14, 3), EngineError);
    EXPECT_THROW(report->InsertGroup(0, nullptr, 14, 0), EngineError);
    EXPECT_EQ(report->GroupCount(), 0);
    report->InsertGroup(0, Field("{Orders.OrderTime}"), 15, 0);
    report->InsertGroup(0, Field("{Orders.Shipped}"), 0, 0);  // date-time by day
    report->InsertGroup(0, Field("{Orders.Shipped}"), 10, 0); // date-time by hour
    report->InsertGroup(0, Field("{Orders.Amount}"), 14, 0);
    EXPECT_EQ(report->GroupCount(), 4);
}

TEST_F(GroupTest, DroppingAGroupTakesItsAreasObjectsSummariesAndSorts) {
    report->InsertGroup(0, Field("{Customer.Country}"), 14, 0);
    report->InsertGroup(1, Field("{Customer.Name}"), 14, 0);
    report->InsertGroup(2, Field("{Orders.Quantity}"), 14, 0);
    // Group 1: two summaries, one sorting all its groups. Group 2: a summary sort too.
    const auto s1 = SectionNamed("GF1")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0)->field();
    SectionNamed("GH1")->PlaceSummaryObject("{Orders.Rate}", 1, 0, 0);
    const auto s2 = SectionNamed("GF2")->PlaceSummaryObject("{Orders.Amount}", 4, 0, 0)->field();
    const auto s3 = SectionNamed("GF3")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0)->field();
    SectionNamed("RF")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0);
    report->AddSummarySort(s1, 0);
    report->AddSummarySort(s2, 1);
    AreaNamed("GH3")->SetGroupSortMode(2);
    AreaNamed("GH3")->SetGroupSortSummary(s3);
    // The name of group 1 shown in the page header goes with the group.
    SectionNamed("PH")->PlaceFieldObject("GroupName ({Customer.Country})", 0, 0);
    SectionNamed("PH")->PlaceTextObject("stays", 0, 0);
    ASSERT_EQ(report->GetSummaryList()->ItemCount(), 5);

    report->DropGroup(1);

    EXPECT_EQ(AreaNames(), "RH PH GH1 GH2 D GF2 GF1 RF PF");
    EXPECT_EQ(AreaNamed("GH1")->GetGroupConditionField()->Name(), "{Customer.Name}");
    EXPECT_EQ(report->GetSummaryList()->ItemCount(), 3);
    // The old group 2's summary is now group 1's, still sorting its groups, descending.
    EXPECT_EQ(s2->GetSummaryArea(), AreaNamed("GH1"));
    EXPECT_EQ(s2->GetSummaryArea()->AreaGroupNumber(), 1);
    ASSERT_EQ(report->GetSummarySortList()->ItemCount(), 1);
    EXPECT_EQ(report->GetSummarySortList()->ItemAt(1)->GetSummary(), s2);
    EXPECT_EQ(AreaNamed("GH1")->GetGroupSortMode(), 1);
    EXPECT_EQ(AreaNamed("GH1")->GetGroupOrder(), 1); // the summary sort's direction
    EXPECT_EQ(AreaNamed("GH2")->GetGroupSortMode(), 2);
    EXPECT_EQ(AreaNamed("GH2")->GetGroupSortSummary(), s3);
    ASSERT_EQ(SectionNamed("PH")->SectionObjects()->ItemCount(), 1);
    EXPECT_EQ(SectionNamed("PH")->SectionObjects()->ItemAt(1)->text(), "stays");
    EXPECT_EQ(report->GetSummaryList()->ItemAt(3)->GetSummaryArea()->Name(), "RF");

    EXPECT_EQ(ErrorOf([&] { report->DropGroup(3); }),
              "There is no group 3: the report has 2 groups.");
    report->DropGroup(2);
    report->DropGroup(1);
    EXPECT_EQ(AreaNames(), "RH PH D RF PF");
    EXPECT_EQ(report->GetSummaryList()->ItemCount(), 1);
    EXPECT_EQ(report->GetSummarySortList()->ItemCount(), 0);
    EXPECT_EQ(ErrorOf([&] { report->DropGroup(1); }),
              "There is no group 1: the report has no groups.");
}

TEST_F(GroupTest, ClearingEveryGroupByWalkingTheLiveAreaList) {
    // Walk the area list by index, drop each group header met and look at the same index again.
    report->InsertGroup(0, Field("{Customer.Country}"), 14, 0);
    report->InsertGroup(1, Field("{Customer.Name}"), 14, 0);
    const auto areas = report->GetAreaList();
    int i = 1;
    while (i <= areas->ItemCount()) {
        const auto a = areas->ItemAt(i);
        if (a->AreaKind() == AreaKind::GroupHeader) {
            report->DropGroup(a->AreaGroupNumber());
        } else {
            ++i;
        }
    }
    EXPECT_EQ(AreaNames(), "RH PH D RF PF");
}

TEST_F(GroupTest, TopNAndBottomNSettingsLiveOnTheGroupHeader) {
    report->InsertGroup(0, Field("{Customer.Country}"), 14, 0);
    report->InsertGroup(1, Field("{Customer.Name}"), 14, 0);
    const auto gh = AreaNamed("GH1");
    const auto mine = SectionNamed("GF1")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0)->field();
    const auto other = SectionNamed("GF2")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0)->field();
    EXPECT_EQ(gh->GetGroupSortMode(), 0);
    EXPECT_EQ(gh->GetGroupSortSummary(), nullptr);
    gh->SetGroupSortMode(3);
    gh->SetGroupTopCount(7);
    gh->SetDropOthers(true);
    gh->SetGroupSortSummary(mine);
    EXPECT_EQ(gh->GetGroupSortMode(), 3);
    EXPECT_EQ(gh->GetGroupTopCount(), 7);
    EXPECT_TRUE(gh->GetDropOthers());
    EXPECT_EQ(gh->GetGroupSortSummary(), mine);
    EXPECT_EQ(gh->GetGroupOrder(), 0); // not sorted by the list: the group's own order

    EXPECT_EQ(ErrorOf([&] { gh->SetGroupSortSummary(other); }),
              "The summary Sum of {Orders.Amount} is not a summary of group 1 and cannot sort "
              "its groups.");
    EXPECT_EQ(ErrorOf([&] { AreaNamed("GF1")->SetGroupSortMode(2); }),
              "SetGroupSortMode: area GF1 is not a group header; group sorting is set on the "
              "group header GH1.");
    EXPECT_THROW(AreaNamed("D")->GetGroupSortMode(), EngineError);
    EXPECT_THROW(AreaNamed("D")->GetGroupConditionField(), EngineError);
    EXPECT_THROW(gh->SetGroupTopCount(0), EngineError);
    EXPECT_THROW(gh->SetGroupSortMode(4), EngineError);
    EXPECT_EQ(ErrorOf([&] { gh->SetGroupSortMode(1); }),
              "Group 1 cannot sort all its groups: none of its summaries is in the summary sort "
              "list (use AddSummarySort).");
    EXPECT_EQ(gh->GetGroupSortMode(), 3);
    EXPECT_EQ(gh->GetGroupTopCount(), 7);

    // Discarding the sort summary's last object leaves the group unsorted.
    SectionNamed("GF1")->DiscardObject(1);
    EXPECT_EQ(gh->GetGroupSortMode(), 0);
    EXPECT_EQ(gh->GetGroupSortSummary(), nullptr);
}

TEST_F(GroupTest, SummarySortListSortsAllGroupsOfTheSummarysGroup) {
    report->InsertGroup(0, Field("{Customer.Country}"), 14, 2);
    const auto gh = AreaNamed("GH1");
    const auto sum = SectionNamed("GF1")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0)->field();
    const auto grand = SectionNamed("RF")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0)->field();
    const auto sorts = report->GetSummarySortList();
    sorts->AddSummarySort(sum, 0);
    EXPECT_EQ(gh->GetGroupSortMode(), 1);
    EXPECT_EQ(gh->GetGroupOrder(), 0);
    EXPECT_EQ(gh->GetGroupSortSummary(), sum);
    // Adding it again changes the direction, it does not add a second sort.
    sorts->AddSummarySort(sum, 1);
    EXPECT_EQ(sorts->ItemCount(), 1);
    EXPECT_EQ(gh->GetGroupOrder(), 1);
    EXPECT_EQ(sorts->ItemAt("Sum of {Orders.Amount}")->GetSortDirection(),
              SortDirection::Descending);

    EXPECT_EQ(ErrorOf([&] { sorts->AddSummarySort(grand, 0); }),
              "The summary Sum of {Orders.Amount} is a grand total in area RF; only a group's "
              "summary can sort its groups.");
    EXPECT_THROW(sorts->AddSummarySort(sum, 2), EngineError);
    EXPECT_THROW(sorts->AddSummarySort(Field("{Orders.Amount}"), 0), EngineError);

    // Top N replaces sorting all groups.
    gh->SetGroupSortMode(2);
    EXPECT_EQ(sorts->ItemCount(), 0);
    EXPECT_EQ(gh->GetGroupOrder(), 2);
}

} // namespace
} // namespace foliant::engine
