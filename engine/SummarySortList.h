#pragma once

#include "engine/FieldDefinition.h"
#include "engine/List.h"
#include "engine/SummarySort.h"
#include "engine/core/Api.h"

#include <memory>

namespace foliant::engine {

class Report;

// The report's summary sort list, as GetSummarySortList gives it: the sorts, and adding one.
class FOLIANT_ENGINE_API SummarySortList : public ItemList<SummarySort> {
public:
    SummarySortList(std::shared_ptr<Report> report);
    void AddSummarySort(const std::shared_ptr<FieldDefinition>& summary, int direction);

private:
    std::shared_ptr<Report> report_;
};

} // namespace foliant::engine
