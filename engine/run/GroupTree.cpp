#include "engine/run/GroupTree.h"

#include <algorithm>

namespace foliant::engine::run {

GroupNode::GroupNode(const GroupLevel& level)
    : level_(&level), summaries_(level.summaries.NewBlock()) {}

GroupNode::~GroupNode() {
    level_->summaries.FreeBlock(summaries_);
}

Value GroupNode::SummaryValue(std::size_t summary) const {
    return level_->summaries.Result(summaries_, summary);
}

void GroupNode::SetSummary(std::size_t summary, const SummaryParts& parts) {
    level_->summaries.Set(summaries_, summary, parts);
}

GroupTree::GroupTree(std::vector<std::vector<SummaryRule>> summaries) {
    if (summaries.empty()) {
        summaries.emplace_back();
    }
    for (std::size_t level = 0; level < summaries.size(); ++level) {
        levels_.push_back(std::make_unique<GroupLevel>(
            GroupLevel{static_cast<int>(level), SummaryLayout(std::move(summaries[level]))}));
    }
    root_ = std::make_unique<GroupNode>(*levels_[0]);
}

GroupNode* GroupTree::Child(GroupNode& parent, const Value& key, std::uint32_t record) {
    auto& kids = parent.children;
    // Records usually come in group order: the last group is checked first, and a key beyond
    // it (in the direction the keys have gone so far) makes a new group without a look-up.
    int trend = 0;
    if (!kids.empty()) {
        const int c = CompareValues(key, kids.back()->key);
        if (c == 0) {
            return kids.back().get();
        }
        trend = c;
    }
    const bool continues = kids.size() < 2 || (trend > 0) == (parent.keyTrend > 0);
    auto indexed = childIndex_.find(&parent);
    if (indexed == childIndex_.end() && !continues) {
        indexed = childIndex_.try_emplace(&parent).first;
        for (const auto& k : kids) {
            indexed->second.emplace(k->key, k.get());
        }
    }
    if (indexed != childIndex_.end()) {
        if (const auto found = indexed->second.find(key); found != indexed->second.end()) {
            return found->second;
        }
    }
    auto fresh =
        std::make_unique<GroupNode>(*levels_[static_cast<std::size_t>(parent.Level() + 1)]);
    fresh->key = key;
    fresh->firstRecord = record;
    GroupNode* node = fresh.get();
    kids.push_back(std::move(fresh));
    if (trend != 0) {
        parent.keyTrend = static_cast<std::int8_t>(trend > 0 ? 1 : -1);
    }
    if (indexed != childIndex_.end()) {
        indexed->second.emplace(key, node);
    }
    return node;
}

void GroupTree::AddRecord(std::uint32_t record, const std::vector<Value>& keys,
                          const SummaryInput& input) {
    GroupNode* node = root_.get();
    const int levels = Levels();
    for (int level = 0;; ++level) {
        if (node->recordCount == 0) {
            node->firstRecord = record;
        }
        ++node->recordCount;
        node->level_->summaries.Add(
            node->summaries_, [&](std::size_t s) { return input(level, static_cast<int>(s)); });
        if (level == levels) {
            if (keepRecords_) {
                node->records.push_back(record);
            }
            return;
        }
        node = Child(*node, keys[static_cast<std::size_t>(level)], record);
    }
}

GroupNode& GroupTree::GroupAt(const std::vector<Value>& keys, std::size_t depth) {
    GroupNode* node = root_.get();
    for (std::size_t level = 0; level < depth && level < keys.size(); ++level) {
        node = Child(*node, keys[level], 0);
    }
    return *node;
}

void MergeGroups(GroupNode& into, GroupNode&& from) {
    if (into.level_ == from.level_) {
        into.level_->summaries.Merge(into.summaries_, from.summaries_);
    }
    if (from.recordCount > 0 && (into.recordCount == 0 || from.firstRecord < into.firstRecord)) {
        into.firstRecord = from.firstRecord;
    }
    into.recordCount += from.recordCount;
    if (!from.records.empty()) {
        into.records.insert(into.records.end(), from.records.begin(), from.records.end());
        std::sort(into.records.begin(), into.records.end());
    }
    std::map<Value, GroupNode*, ValueLess> byKey;
    for (auto& child : into.children) {
        byKey.emplace(child->key, child.get());
    }
    for (auto& child : from.children) {
        auto found = byKey.find(child->key);
        if (found != byKey.end()) {
            MergeGroups(*found->second, std::move(*child));
        } else {
            byKey.emplace(child->key, child.get());
            into.children.push_back(std::move(child));
        }
    }
    from.children.clear();
}

namespace {

// Sort values compare with nulls after every value, whichever the direction.
bool SummaryBefore(const Value& a, const Value& b, bool descending) {
    if (IsNull(a) || IsNull(b)) {
        return !IsNull(a) && IsNull(b);
    }
    const int c = CompareValues(a, b);
    return descending ? c > 0 : c < 0;
}

} // namespace

void GroupTree::ArrangeChildren(GroupNode& parent, const LevelArrangement& how) {
    auto& kids = parent.children;
    switch (how.order) {
    case GroupOrder::Ascending:
        std::stable_sort(kids.begin(), kids.end(), [](const auto& a, const auto& b) {
            return CompareValues(a->key, b->key) < 0;
        });
        break;
    case GroupOrder::Descending:
        std::stable_sort(kids.begin(), kids.end(), [](const auto& a, const auto& b) {
            return CompareValues(a->key, b->key) > 0;
        });
        break;
    case GroupOrder::Original:
        std::stable_sort(kids.begin(), kids.end(), [](const auto& a, const auto& b) {
            return a->firstRecord < b->firstRecord;
        });
        break;
    }
    if (how.sortSummary < 0 || how.sortMode == GroupSortMode::Unsorted) {
        return;
    }
    const auto s = static_cast<std::size_t>(how.sortSummary);
    bool descending = how.direction == SortDirection::Descending;
    if (how.sortMode == GroupSortMode::TopN) {
        descending = true;
    } else if (how.sortMode == GroupSortMode::BottomN) {
        descending = false;
    }
    // Each group's sort value once; ties keep the groups' own order (stable sort).
    std::vector<std::pair<Value, std::unique_ptr<GroupNode>>> keyed;
    keyed.reserve(kids.size());
    for (auto& k : kids) {
        Value v = k->SummaryValue(s);
        keyed.emplace_back(std::move(v), std::move(k));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
        return SummaryBefore(a.first, b.first, descending);
    });
    kids.clear();
    const bool limited =
        how.sortMode == GroupSortMode::TopN || how.sortMode == GroupSortMode::BottomN;
    const std::size_t keep =
        limited ? static_cast<std::size_t>(std::max(how.topCount, 0)) : keyed.size();
    std::unique_ptr<GroupNode> others;
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        if (i < keep) {
            kids.push_back(std::move(keyed[i].second));
        } else if (!how.dropOthers) {
            if (!others) {
                others = std::make_unique<GroupNode>(*keyed[i].second->level_);
                others->others = true;
            }
            MergeGroups(*others, std::move(*keyed[i].second));
        }
    }
    if (others) {
        kids.push_back(std::move(others));
    }
}

void GroupTree::Arrange(const std::vector<LevelArrangement>& arrangement) {
    // Level by level, outermost first: the groups of level L are children of level L-1 nodes.
    childIndex_.clear();
    std::vector<GroupNode*> parents{root_.get()};
    for (int level = 1; level <= Levels(); ++level) {
        const LevelArrangement how = static_cast<std::size_t>(level - 1) < arrangement.size()
                                         ? arrangement[static_cast<std::size_t>(level - 1)]
                                         : LevelArrangement{};
        std::vector<GroupNode*> next;
        for (GroupNode* p : parents) {
            ArrangeChildren(*p, how);
            for (auto& c : p->children) {
                next.push_back(c.get());
            }
        }
        parents = std::move(next);
    }
}

} // namespace foliant::engine::run
