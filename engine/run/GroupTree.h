#pragma once

// Nested groups of records with their summaries, and the arranging of each level's groups:
// by their keys (ascending, descending, first appearance) and then by a summary (Sort All,
// Top N, Bottom N with the rest gathered into one "Others" group or dropped).

#include "engine/core/Api.h"
#include "engine/core/Types.h"
#include "engine/core/Value.h"
#include "engine/run/Summary.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace foliant::engine::run {

// One level of groups: its number (0 for the root) and how its groups' summaries are kept.
struct GroupLevel {
    int number = 0;
    SummaryLayout summaries;
};

// One group. The root (level 0) is the whole report; level g holds the groups of group g.
struct FOLIANT_ENGINE_API GroupNode {
    explicit GroupNode(const GroupLevel& level);
    ~GroupNode();
    GroupNode(const GroupNode&) = delete;
    GroupNode& operator=(const GroupNode&) = delete;

    int Level() const { return level_->number; }
    // Summary s of the group's level, now; null when the level has no summary s.
    Value SummaryValue(std::size_t summary) const;
    // Summary s as a database computed it.
    void SetSummary(std::size_t summary, const SummaryParts& parts);

    Value key; // the group condition's key; null for the root and Others
    std::vector<std::unique_ptr<GroupNode>> children;
    std::vector<std::uint32_t> records; // innermost groups: record numbers in record order
    std::int64_t recordCount = 0;
    std::uint32_t firstRecord = 0; // the lowest record number in the group
    bool others = false;           // the group gathering the groups beyond Top N / Bottom N
    // While records are added: whether the children's keys so far rise (1) or fall (-1) from
    // one child to the next, so a key beyond the last one is new.
    std::int8_t keyTrend = 0;

private:
    friend class GroupTree;
    friend void MergeGroups(GroupNode& into, GroupNode&& from);
    const GroupLevel* level_;
    std::byte* summaries_; // the level's block of summary states
};

// How one group level is arranged.
struct LevelArrangement {
    GroupOrder order = GroupOrder::Ascending;
    GroupSortMode sortMode = GroupSortMode::Unsorted;
    int topCount = 5;
    bool dropOthers = false;
    int sortSummary = -1; // index into the level's summaries; -1: no sorting by a summary
    SortDirection direction = SortDirection::Ascending; // for Sort All
};

class GroupTree {
public:
    // summaries[L]: the summaries of level L (0 = grand totals, 1.. = the groups); their count
    // less one is the number of group levels.
    explicit GroupTree(std::vector<std::vector<SummaryRule>> summaries);

    int Levels() const { return static_cast<int>(levels_.size()) - 1; }

    // Inputs of one summary for the current record: the value and the second value (held by
    // the caller while the record is added).
    using Inputs = SummaryInputs;
    using SummaryInput = std::function<Inputs(int level, int summary)>;

    // Adds a record (numbers increase from record to record) with its key for each group level
    // (keys[0] for level 1) and its summary inputs.
    void AddRecord(std::uint32_t record, const std::vector<Value>& keys, const SummaryInput& input);

    // The group reached by the first `depth` keys of a path (keys[0] for level 1; the root for
    // none), made with the groups above it when missing: for groups whose summaries were
    // computed elsewhere. Its summaries are set by the caller.
    GroupNode& GroupAt(const std::vector<Value>& keys, std::size_t depth);

    // Whether the innermost groups list their record numbers (on by default). Off, the tree's
    // memory does not grow with the number of records, only with the groups and what their
    // summaries keep.
    void KeepRecordNumbers(bool keep) { keepRecords_ = keep; }

    // Orders each level's groups by key and then applies its sorting by a summary, outermost
    // level first (so an Others group's subgroups are arranged like any others).
    // arrangement[0] is for level 1. Groups that compare equal stay in key order.
    void Arrange(const std::vector<LevelArrangement>& arrangement);

    const GroupNode& Root() const { return *root_; }
    // How the summaries of level L (0 = grand totals) are kept.
    const SummaryLayout& Summaries(int level) const {
        return levels_[static_cast<std::size_t>(level)]->summaries;
    }

private:
    using ChildIndex = std::map<Value, GroupNode*, ValueLess>;
    GroupNode* Child(GroupNode& parent, const Value& key, std::uint32_t record);
    void ArrangeChildren(GroupNode& parent, const LevelArrangement& how);

    std::vector<std::unique_ptr<GroupLevel>> levels_;
    std::unique_ptr<GroupNode> root_;
    // The children of a parent by key, once a key broke the order the keys came in so far.
    std::unordered_map<const GroupNode*, ChildIndex> childIndex_;
    bool keepRecords_ = true;
};

// Adds everything of `from` to `into` (same level): summaries, record counts and numbers,
// and subgroups, merging subgroups of equal key.
void MergeGroups(GroupNode& into, GroupNode&& from);

} // namespace foliant::engine::run
