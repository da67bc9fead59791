#pragma once

#include "engine/FieldDefinition.h"
#include "engine/core/Api.h"
#include "engine/core/Types.h"

#include <memory>

namespace foliant::engine {

// One entry of the summary sort list: a group summary whose values order all groups of its
// group.
class FOLIANT_ENGINE_API SummarySort : public automation::Object {
public:
    SummarySort(std::shared_ptr<FieldDefinition> summary, SortDirection direction)
        : summary_(std::move(summary)), direction_(direction) {}
    std::shared_ptr<FieldDefinition> GetSummary() const { return summary_; }
    SortDirection GetSortDirection() const { return direction_; }

private:
    friend class Report;
    std::shared_ptr<FieldDefinition> summary_;
    SortDirection direction_;
};

} // namespace foliant::engine
