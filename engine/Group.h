#pragma once

#include "engine/core/Types.h"

#include <memory>

namespace foliant::engine {

class Area;
class FieldDefinition;

// A group of the report: its condition field, condition and order, and how its groups are
// sorted by a summary. Owned by the report; its header and footer areas share it.
struct Group {
    int number = 0; // 1 for the outermost group
    std::shared_ptr<FieldDefinition> field;
    GroupCondition condition = GroupCondition::EachValue;
    GroupOrder order = GroupOrder::Ascending;
    GroupSortMode sortMode = GroupSortMode::Unsorted;
    int topCount = 5;
    bool dropOthers = false;
    std::weak_ptr<FieldDefinition> sortSummary;
    std::shared_ptr<FieldDefinition> nameField; // the group's kind-5 group name
    std::weak_ptr<Area> header;
    std::weak_ptr<Area> footer;
};

} // namespace foliant::engine
