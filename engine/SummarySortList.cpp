#include "engine/SummarySortList.h"

#include "engine/Report.h"

namespace foliant::engine {

SummarySortList::SummarySortList(std::shared_ptr<Report> report)
    : ItemList<SummarySort>(
          "summary sort", "", [r = report.get()] { return r->SummarySorts(); },
          [](const SummarySort& s, const std::string& key) {
              return s.GetSummary()->Name() == key;
          }),
      report_(std::move(report)) {}

void SummarySortList::AddSummarySort(const std::shared_ptr<FieldDefinition>& summary,
                                     int direction) {
    report_->AddSummarySort(summary, direction);
}

} // namespace foliant::engine
