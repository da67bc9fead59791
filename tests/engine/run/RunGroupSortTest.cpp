// Group sorting through the runner: Top N and Bottom N with Others or without, Sort All in
// both directions, ties kept in the groups' own order, nested groups under Others, and grand
// totals over every selected record whatever Top N keeps.

#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

// Region sums: Central 200, East 300, North 100, South 300, West 50 (total 950).
// East and South tie. Springfield is a city of both North and West.
const char* kSales = R"sql(
CREATE TABLE Sales (Id INTEGER PRIMARY KEY, Region TEXT, City TEXT, Amount MONEY);
INSERT INTO Sales (Region, City, Amount) VALUES
  ('North', 'Springfield', 60), ('South', 'Dover', 100), ('East', 'Salem', 100),
  ('Central', 'Topeka', 150), ('West', 'Springfield', 20), ('South', 'Dover', 200),
  ('East', 'Salem', 150), ('North', 'Fargo', 40), ('East', 'Albany', 50),
  ('Central', 'Omaha', 50), ('West', 'Reno', 30), ('West', 'Reno', NULL);
)sql";

class RunGroupSortTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = test::MakeDatabase(dir.File("s.db"), kSales);
        report = Report::CreateOverDatabase(db);
    }

    void GroupByRegion(GroupOrder order = GroupOrder::Ascending) {
        report->InsertGroup(0, report->LookupFieldDefinition("{Sales.Region}"),
                            GroupCondition::EachValue, order);
        const auto gf = report->FindSection("GF1");
        sum = gf->PlaceSummaryObject("{Sales.Amount}", SummaryOperation::Sum, 0, 0)->field();
        count = gf->PlaceSummaryObject("{Sales.Amount}", SummaryOperation::Count, 2000, 0)->field();
        const auto rf = report->FindSection("RF");
        grandSum = rf->PlaceSummaryObject("{Sales.Amount}", SummaryOperation::Sum, 0, 0)->field();
        grandCount =
            rf->PlaceSummaryObject("{Sales.Id}", SummaryOperation::Count, 2000, 0)->field();
    }

    void TopN(int mode, int n, bool dropOthers, int group = 1) {
        const auto header = report->GroupHeader(group);
        header->SetGroupSortMode(mode);
        header->SetGroupTopCount(n);
        header->SetDropOthers(dropOthers);
        header->SetGroupSortSummary(sum);
    }

    // "key=sum" for each group of level 1.
    std::string Groups(const run::RunResult& r) {
        const auto& root = r.tree->Root();
        std::string out;
        const auto keys = test::GroupKeys(root);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const Value v = r.SummaryValue({&root, root.children[i].get()}, *sum);
            out += (out.empty() ? "" : " ") + keys[i] + "=" +
                   std::to_string(static_cast<long long>(*test::AsNumber(v)));
        }
        return out;
    }

    test::TempDir dir;
    std::string db;
    std::shared_ptr<Report> report;
    std::shared_ptr<FieldDefinition> sum, count, grandSum, grandCount;
};

TEST_F(RunGroupSortTest, GroupsWithoutSortingComeInTheirOwnOrder) {
    GroupByRegion();
    EXPECT_EQ(Groups(run::RunReport(*report)), "Central=200 East=300 North=100 South=300 West=50");
    report->DropGroup(1);
    GroupByRegion(GroupOrder::Descending);
    EXPECT_EQ(Groups(run::RunReport(*report)), "West=50 South=300 North=100 East=300 Central=200");
    report->DropGroup(1);
    GroupByRegion(GroupOrder::Original);
    // First appearances: North (record 1), South, East, Central, West.
    EXPECT_EQ(Groups(run::RunReport(*report)), "North=100 South=300 East=300 Central=200 West=50");
}

TEST_F(RunGroupSortTest, TopNKeepsTheLargestWithTiesInGroupOrderAndGathersTheRest) {
    GroupByRegion();
    TopN(2, 3, false);
    const auto r = run::RunReport(*report);
    // East and South tie at 300: East comes first in the groups' ascending order.
    // Others = North 100 + West 50.
    EXPECT_EQ(Groups(r), "East=300 South=300 Central=200 Others=150");
    const auto& root = r.tree->Root();
    EXPECT_TRUE(
        test::SameValue(r.SummaryValue({&root, root.children[3].get()}, *count), std::int64_t{4}));
    // North has 2 amounts, West 2 non-null of 3 records: 4 counted amounts, 5 records.
    EXPECT_EQ(root.children[3]->recordCount, 5);
    // Grand totals cover every record, kept or gathered.
    EXPECT_TRUE(test::SameValue(r.SummaryValue({&root}, *grandSum), std::int64_t{950}));
    EXPECT_TRUE(test::SameValue(r.SummaryValue({&root}, *grandCount), std::int64_t{12}));
}

TEST_F(RunGroupSortTest, TopNWithTiesInDescendingGroupOrderKeepsTheLaterKeyFirst) {
    GroupByRegion(GroupOrder::Descending);
    TopN(2, 1, false);
    // Own order South, North, West, East, Central: South is the first of the two 300s.
    EXPECT_EQ(Groups(run::RunReport(*report)), "South=300 Others=650");
}

TEST_F(RunGroupSortTest, DroppingOthersLeavesGroupsOutButNotGrandTotals) {
    GroupByRegion();
    TopN(2, 2, true);
    const auto r = run::RunReport(*report);
    EXPECT_EQ(Groups(r), "East=300 South=300");
    const auto& root = r.tree->Root();
    EXPECT_TRUE(test::SameValue(r.SummaryValue({&root}, *grandSum), std::int64_t{950}));
    // The text output shows only the kept groups' records, but the grand total of all.
    report->FindSection("D")->PlaceFieldObject("{Sales.City}", 0, 0);
    report->FindSection("GF1")->PlaceFieldObject("GroupName ({Sales.Region})", 4000, 0);
    const std::string text = page::RenderText(run::LayOutReport(r, test::FixedSettings()));
    EXPECT_EQ(text.find("Topeka"), std::string::npos) << text;
    EXPECT_EQ(text.find("Others"), std::string::npos) << text;
    EXPECT_NE(text.find("$950.00"), std::string::npos) << text;
}

TEST_F(RunGroupSortTest, BottomNKeepsTheSmallestAscending) {
    GroupByRegion();
    TopN(3, 2, false);
    EXPECT_EQ(Groups(run::RunReport(*report)), "West=50 North=100 Others=800");
    TopN(3, 10, false);
    // N beyond the number of groups: all of them, no Others.
    EXPECT_EQ(Groups(run::RunReport(*report)), "West=50 North=100 Central=200 East=300 South=300");
}

TEST_F(RunGroupSortTest, SortAllOrdersEveryGroupByTheSummaryBothWays) {
    GroupByRegion();
    report->AddSummarySort(sum, 0);
    EXPECT_EQ(Groups(run::RunReport(*report)), "West=50 North=100 Central=200 East=300 South=300");
    report->AddSummarySort(sum, 1);
    EXPECT_EQ(Groups(run::RunReport(*report)), "East=300 South=300 Central=200 North=100 West=50");
}

TEST_F(RunGroupSortTest, OthersMergesSubgroupsOfEqualKeyAndComputesTheirSummaries) {
    GroupByRegion();
    report->InsertGroup(1, report->LookupFieldDefinition("{Sales.City}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto citySum = report->FindSection("GF2")
                             ->PlaceSummaryObject("{Sales.Amount}", SummaryOperation::Sum, 0, 0)
                             ->field();
    TopN(2, 3, false);
    report->FindSection("D")->PlaceFieldObject("{Sales.Amount}", 0, 0); // records are shown
    const auto r = run::RunReport(*report);
    const auto& root = r.tree->Root();
    ASSERT_EQ(test::GroupKeys(root).back(), "Others");
    const auto& others = *root.children.back();
    // North's Fargo and Springfield, West's Reno and Springfield: Springfield merged.
    EXPECT_EQ(test::GroupKeys(others), (std::vector<std::string>{"Fargo", "Reno", "Springfield"}));
    std::vector<long long> sums;
    for (const auto& city : others.children) {
        sums.push_back(static_cast<long long>(
            *test::AsNumber(r.SummaryValue({&root, &others, city.get()}, *citySum))));
    }
    EXPECT_EQ(sums, (std::vector<long long>{40, 30, 80}));
    // Springfield's records keep the order they were read in (by region, then city): North's
    // (the 7th record read, number 6) before West's (the 12th, number 11).
    EXPECT_EQ(others.children[2]->records, (std::vector<std::uint32_t>{6, 11}));
}

TEST_F(RunGroupSortTest, TopNOnTheInnerGroupWorksWithinEachOuterGroup) {
    report->InsertGroup(0, report->LookupFieldDefinition("{Sales.Region}"),
                        GroupCondition::EachValue, GroupOrder::Ascending);
    report->InsertGroup(1, report->LookupFieldDefinition("{Sales.City}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    sum = report->FindSection("GF2")
              ->PlaceSummaryObject("{Sales.Amount}", SummaryOperation::Sum, 0, 0)
              ->field();
    const auto regionSum = report->FindSection("GF1")
                               ->PlaceSummaryObject("{Sales.Amount}", SummaryOperation::Sum, 0, 0)
                               ->field();
    TopN(2, 1, true, 2);
    const auto r = run::RunReport(*report);
    const auto& root = r.tree->Root();
    std::string shown;
    for (const auto& region : root.children) {
        shown += std::get<std::string>(region->key) + ":";
        for (const auto& city : region->children) {
            shown += std::get<std::string>(city->key) + " ";
        }
        // An outer group's totals keep every record of it, dropped cities included.
        if (std::get<std::string>(region->key) == "East") {
            EXPECT_TRUE(test::SameValue(r.SummaryValue({&root, region.get()}, *regionSum),
                                        std::int64_t{300}));
        }
    }
    EXPECT_EQ(shown, "Central:Topeka East:Salem North:Springfield South:Dover West:Reno ");
}

} // namespace
} // namespace foliant::engine
