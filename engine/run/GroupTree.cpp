#include "engine/run/GroupTree.h"

#include <algorithm>

namespace foliant::engine::run {

GroupTree::GroupTree(std::vector<std::vector<SummaryRule>> summaries)
    : rules_(std::move(summaries)) {
    if (rules_.empty()) {
        rules_.emplace_back();
    }
    for (const auto& s : rules_[0]) {
        root_.summaries.emplace_back(s.operation, s.number);
    }
}

std::unique_ptr<GroupNode> GroupTree::NewNode(int level) {
    auto node = std::make_unique<GroupNode>();
    node->level = level;
    node->summaries.reserve(rules_[static_cast<std::size_t>(level)].size());
    for (const auto& s : rules_[static_cast<std::size_t>(level)]) {
        node->summaries.emplace_back(s.operation, s.number);
    }
    return node;
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
    if (!parent.childIndex && !continues) {
        parent.childIndex = std::make_unique<std::map<Value, GroupNode*, ValueLess>>();
        for (const auto& k : kids) {
            parent.childIndex->emplace(k->key, k.get());
        }
    }
    if (parent.childIndex) {
        if (const auto found = parent.childIndex->find(key); found != parent.childIndex->end()) {
            return found->second;
        }
    }
    auto fresh = NewNode(parent.level + 1);
    fresh->key = key;
    fresh->firstRecord = record;
    GroupNode* node = fresh.get();
    kids.push_back(std::move(fresh));
    if (trend != 0) {
        parent.keyTrend = static_cast<std::int8_t>(trend > 0 ? 1 : -1);
    }
    if (parent.childIndex) {
        parent.childIndex->emplace(key, node);
    }
    return node;
}

void GroupTree::AddRecord(std::uint32_t record, const std::vector<Value>& keys,
                          const SummaryInput& input) {
    GroupNode* node = &root_;
    const int levels = Levels();
    for (int level = 0;; ++level) {
        if (node->recordCount == 0) {
            node->firstRecord = record;
        }
        ++node->recordCount;
        for (std::size_t s = 0; s < node->summaries.size(); ++s) {
            const auto [x, y] = input(level, static_cast<int>(s));
            node->summaries[s].Add(x, y);
        }
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
    GroupNode* node = &root_;
    for (std::size_t level = 0; level < depth && level < keys.size(); ++level) {
        node = Child(*node, keys[level], 0);
    }
    return *node;
}

void MergeGroups(GroupNode& into, GroupNode&& from) {
    for (std::size_t s = 0; s < into.summaries.size() && s < from.summaries.size(); ++s) {
        into.summaries[s].Merge(from.summaries[s]);
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
    parent.childIndex.reset();
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
        Value v = s < k->summaries.size() ? k->summaries[s].Result() : Value{};
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
                others = NewNode(parent.level + 1);
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
    std::vector<GroupNode*> parents{&root_};
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
    for (GroupNode* p : parents) {
        p->childIndex.reset();
    }
    root_.childIndex.reset();
}

} // namespace foliant::engine::run
