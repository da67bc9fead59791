#include "engine/Area.h"

#include "engine/Report.h"
#include "engine/core/EngineError.h"

#include <string>

namespace foliant::engine {

namespace {

std::string AreaPrefix(AreaKind kind) {
    switch (kind) {
    case AreaKind::ReportHeader:
        return "RH";
    case AreaKind::PageHeader:
        return "PH";
    case AreaKind::GroupHeader:
        return "GH";
    case AreaKind::Details:
        return "D";
    case AreaKind::GroupFooter:
        return "GF";
    case AreaKind::PageFooter:
        return "PF";
    case AreaKind::ReportFooter:
        return "RF";
    }
    return "?";
}

} // namespace

std::string Area::Name() const {
    if (group_) {
        return AreaPrefix(kind_) + std::to_string(group_->number);
    }
    return AreaPrefix(kind_);
}

std::shared_ptr<SectionList> Area::AreaSections() {
    auto self = shared_from_this();
    return std::make_shared<SectionList>(
        "section", " in area " + Name(), [self] { return self->sections_; },
        [](const Section& s, const std::string& key) { return s.Name() == key; });
}

int Area::AreaGroupNumber() const {
    return group_ ? group_->number : 0;
}

Group& Area::RequireGroup(const char* operation) const {
    if (!group_) {
        throw EngineError(std::string(operation) + ": area " + Name() +
                          " is not a group header or footer.");
    }
    return *group_;
}

Group& Area::RequireHeader(const char* operation) const {
    if (kind_ != AreaKind::GroupHeader) {
        throw EngineError(std::string(operation) + ": area " + Name() +
                          " is not a group header; group sorting is set on the group header" +
                          (group_ ? " GH" + std::to_string(group_->number) : std::string()) + ".");
    }
    return *group_;
}

std::shared_ptr<FieldDefinition> Area::GetGroupConditionField() const {
    return RequireGroup("GetGroupConditionField").field;
}

GroupCondition Area::GetGroupCondition() const {
    return RequireGroup("GetGroupCondition").condition;
}

int Area::GetGroupOrder() const {
    const Group& g = RequireGroup("GetGroupOrder");
    if (g.sortMode == GroupSortMode::SortAll) {
        if (const auto report = report_.lock()) {
            if (const auto sort = report->SortOfGroup(g)) {
                return static_cast<int>(sort->GetSortDirection());
            }
        }
    }
    return static_cast<int>(g.order);
}

int Area::GetGroupSortMode() const {
    return static_cast<int>(RequireHeader("GetGroupSortMode").sortMode);
}

void Area::SetGroupSortMode(int mode) {
    Group& g = RequireHeader("SetGroupSortMode");
    if (mode < 0 || mode > 3) {
        throw EngineError("Sort mode " + std::to_string(mode) + " of group " +
                          std::to_string(g.number) +
                          " is not one of 0 unsorted, 1 sort all, 2 top N, 3 bottom N.");
    }
    const auto report = report_.lock();
    const auto newMode = static_cast<GroupSortMode>(mode);
    if (newMode == GroupSortMode::SortAll) {
        if (!report->SortOfGroup(g)) {
            throw EngineError("Group " + std::to_string(g.number) +
                              " cannot sort all its groups: none of its summaries is in the "
                              "summary sort list (use AddSummarySort).");
        }
    } else {
        // Only sort mode 1 uses the summary sort list; other modes take the group out of it.
        while (const auto sort = report->SortOfGroup(g)) {
            report->RemoveSortsOf(sort->GetSummary());
        }
    }
    g.sortMode = newMode;
}

int Area::GetGroupTopCount() const {
    return RequireHeader("GetGroupTopCount").topCount;
}

void Area::SetGroupTopCount(int count) {
    Group& g = RequireHeader("SetGroupTopCount");
    if (count < 1) {
        throw EngineError("Group " + std::to_string(g.number) + " cannot keep the top " +
                          std::to_string(count) + " groups: N must be at least 1.");
    }
    g.topCount = count;
}

bool Area::GetDropOthers() const {
    return RequireHeader("GetDropOthers").dropOthers;
}

void Area::SetDropOthers(bool drop) {
    RequireHeader("SetDropOthers").dropOthers = drop;
}

std::shared_ptr<FieldDefinition> Area::GetGroupSortSummary() const {
    const Group& g = RequireHeader("GetGroupSortSummary");
    if (auto s = g.sortSummary.lock()) {
        return s;
    }
    if (g.sortMode == GroupSortMode::SortAll) {
        if (const auto report = report_.lock()) {
            if (const auto sort = report->SortOfGroup(g)) {
                return sort->GetSummary();
            }
        }
    }
    return nullptr;
}

void Area::SetGroupSortSummary(const std::shared_ptr<FieldDefinition>& summary) {
    Group& g = RequireHeader("SetGroupSortSummary");
    if (!summary || summary->Kind() != FieldKind::Summary) {
        throw EngineError("Group " + std::to_string(g.number) +
                          " can only be sorted by a "
                          "summary" +
                          (summary ? ", not by " + summary->Name() : std::string()) + ".");
    }
    const auto report = report_.lock();
    if (!report->OwnsDefinition(*summary) || summary->GetSummaryArea().get() != this) {
        throw EngineError("The summary " + summary->Name() + " is not a summary of group " +
                          std::to_string(g.number) + " and cannot sort its groups.");
    }
    g.sortSummary = summary;
}

} // namespace foliant::engine
