// The group tree alone: records broken into nested groups by key, whatever order they come
// in, and each level arranged by key and then by a summary.

#include "engine/run/GroupTree.h"
#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

using run::GroupNode;
using run::GroupTree;
using run::LevelArrangement;

// One level of groups with a sum (summary 0) and an average (summary 1) of the record's value.
GroupTree Build(const std::vector<std::pair<std::string, Value>>& records) {
    GroupTree tree({{}, {{SummaryOperation::Sum, 0}, {SummaryOperation::Average, 0}}});
    const Value none;
    for (std::uint32_t i = 0; i < records.size(); ++i) {
        tree.AddRecord(i, {records[i].first}, [&](int, int) {
            return GroupTree::Inputs{records[i].second, none};
        });
    }
    return tree;
}

std::string Keys(const GroupNode& parent) {
    std::string out;
    for (const auto& c : parent.children) {
        out += (out.empty() ? "" : " ") +
               (c->others ? std::string("Others") : std::get<std::string>(c->key));
    }
    return out;
}

TEST(RunGroupTreeTest, RecordsOfOneKeyMeetInOneGroupWhateverTheirOrder) {
    auto tree = Build({{"b", std::int64_t{1}},
                       {"a", std::int64_t{2}},
                       {"b", std::int64_t{3}},
                       {"a", std::int64_t{4}},
                       {"c", std::int64_t{5}}});
    tree.Arrange({LevelArrangement{}});
    const auto& root = tree.Root();
    EXPECT_EQ(Keys(root), "a b c");
    EXPECT_EQ(root.children[1]->records, (std::vector<std::uint32_t>{0, 2}));
    EXPECT_EQ(root.children[1]->SummaryValue(0), Value{std::int64_t{4}});
    EXPECT_EQ(root.recordCount, 5);
    LevelArrangement original;
    original.order = GroupOrder::Original;
    auto again = Build({{"b", {}}, {"a", {}}, {"b", {}}, {"c", {}}});
    again.Arrange({original});
    EXPECT_EQ(Keys(again.Root()), "b a c");
}

// Keys that come sorted make new groups without a look-up; a key that breaks the run (back to
// an earlier group, or past the first one the other way) must still find its group.
TEST(RunGroupTreeTest, AKeyBreakingASortedRunFindsItsEarlierGroup) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a b c a", "a:2 b:1 c:1"},   // rising, then back to the first
        {"c b a b", "a:1 b:2 c:1"},   // falling, then back to the middle
        {"a b a c b", "a:2 b:2 c:1"}, // broken twice, indexed from the first break on
        {"b a c c d a", "a:2 b:1 c:2 d:1"},
    };
    for (const auto& [keys, want] : cases) {
        std::vector<std::pair<std::string, Value>> records;
        for (std::size_t i = 0; i < keys.size(); i += 2) {
            records.emplace_back(keys.substr(i, 1), std::int64_t{1});
        }
        auto tree = Build(records);
        tree.Arrange({LevelArrangement{}});
        std::string got;
        for (const auto& c : tree.Root().children) {
            got += (got.empty() ? "" : " ") + std::get<std::string>(c->key) + ":" +
                   std::to_string(c->recordCount);
        }
        EXPECT_EQ(got, want) << "keys " << keys;
    }
}

TEST(RunGroupTreeTest, GroupsWithoutASortValueComeLastInEitherDirection) {
    // Averages: a 1, b none (only nulls), c 3, d 2.
    const auto records = std::vector<std::pair<std::string, Value>>{
        {"a", std::int64_t{1}}, {"b", Value{}}, {"c", std::int64_t{3}}, {"d", std::int64_t{2}}};
    LevelArrangement how;
    how.sortSummary = 1;
    how.sortMode = GroupSortMode::TopN;
    how.topCount = 3;
    auto top = Build(records);
    top.Arrange({how});
    EXPECT_EQ(Keys(top.Root()), "c d a Others");
    how.sortMode = GroupSortMode::BottomN;
    auto bottom = Build(records);
    bottom.Arrange({how});
    EXPECT_EQ(Keys(bottom.Root()), "a d c Others");
    how.sortMode = GroupSortMode::SortAll;
    how.direction = SortDirection::Ascending;
    auto all = Build(records);
    all.Arrange({how});
    EXPECT_EQ(Keys(all.Root()), "a d c b");
}

TEST(RunGroupTreeTest, TopZeroGathersEverythingAndNoSummaryMeansNoSorting) {
    const auto records =
        std::vector<std::pair<std::string, Value>>{{"a", std::int64_t{1}}, {"b", std::int64_t{5}}};
    LevelArrangement how;
    how.sortMode = GroupSortMode::TopN;
    how.topCount = 0;
    how.sortSummary = 0;
    auto none = Build(records);
    none.Arrange({how});
    EXPECT_EQ(Keys(none.Root()), "Others");
    EXPECT_EQ(none.Root().children[0]->SummaryValue(0), Value{std::int64_t{6}});
    how.topCount = 1;
    how.sortSummary = -1;
    auto unsorted = Build(records);
    unsorted.Arrange({how});
    EXPECT_EQ(Keys(unsorted.Root()), "a b");
}

} // namespace
} // namespace foliant::engine
