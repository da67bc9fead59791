#include "engine/Report.h"

#include "engine/core/EngineError.h"

#include <algorithm>
#include <string>

// The report's groups, their summaries and the summary sort list.

namespace foliant::engine {

namespace {

bool IsValidCondition(int c) {
    return (c >= 0 && c <= 11) || c == 14 || c == 15;
}

// Conditions that cut a date into periods, and those that cut a time of day.
bool IsDateCondition(GroupCondition c) {
    return static_cast<int>(c) >= 0 && static_cast<int>(c) <= 7;
}
bool IsTimeCondition(GroupCondition c) {
    const int i = static_cast<int>(c);
    return (i >= 8 && i <= 11) || c == GroupCondition::EachTimeValue;
}

template <typename T> void EraseValue(std::vector<T>& v, const T& value) {
    v.erase(std::remove(v.begin(), v.end(), value), v.end());
}

} // namespace

std::shared_ptr<Area> Report::GroupHeader(int groupNumber) const {
    if (groupNumber < 1 || groupNumber > GroupCount()) {
        return nullptr;
    }
    return groups_[static_cast<std::size_t>(groupNumber - 1)]->header.lock();
}

std::shared_ptr<Area> Report::GroupFooter(int groupNumber) const {
    if (groupNumber < 1 || groupNumber > GroupCount()) {
        return nullptr;
    }
    return groups_[static_cast<std::size_t>(groupNumber - 1)]->footer.lock();
}

void Report::Renumber() {
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        groups_[i]->number = static_cast<int>(i + 1);
    }
    // Print order: RH, PH, GH1 … GHn, D, GFn … GF1, RF, PF.
    std::vector<std::shared_ptr<Area>> ordered;
    const auto take = [&](AreaKind kind) {
        for (const auto& a : areas_) {
            if (a->AreaKind() == kind) {
                ordered.push_back(a);
            }
        }
    };
    take(AreaKind::ReportHeader);
    take(AreaKind::PageHeader);
    for (const auto& g : groups_) {
        ordered.push_back(g->header.lock());
    }
    take(AreaKind::Details);
    for (auto it = groups_.rbegin(); it != groups_.rend(); ++it) {
        ordered.push_back((*it)->footer.lock());
    }
    take(AreaKind::ReportFooter);
    take(AreaKind::PageFooter);
    areas_ = std::move(ordered);
}

int Report::InsertGroup(int position, const std::shared_ptr<FieldDefinition>& field, int condition,
                        int order) {
    if (!IsValidCondition(condition)) {
        throw EngineError("Group condition " + std::to_string(condition) +
                          " is not one of 0 to 11, 14 or 15.");
    }
    if (order < 0 || order > 2) {
        throw EngineError("Group order " + std::to_string(order) +
                          " is not one of 0 ascending, 1 descending, 2 original.");
    }
    return InsertGroup(position, field, static_cast<GroupCondition>(condition),
                       static_cast<GroupOrder>(order));
}

int Report::InsertGroup(int position, const std::shared_ptr<FieldDefinition>& field,
                        GroupCondition condition, GroupOrder order) {
    if (position < 0 || position > GroupCount()) {
        throw EngineError("Cannot insert a group at position " + std::to_string(position) +
                          ": the report has " + std::to_string(GroupCount()) +
                          " groups, so the position must be 0 to " + std::to_string(GroupCount()) +
                          ".");
    }
    if (!field) {
        throw EngineError("A group needs a field to group on.");
    }
    if (!OwnsDefinition(*field)) {
        throw EngineError("Cannot group on " + field->Name() +
                          ": the field does not belong to this report.");
    }
    switch (field->Kind()) {
    case FieldKind::Database:
    case FieldKind::Formula:
    case FieldKind::Parameter:
    case FieldKind::SqlExpression:
        break;
    default:
        throw EngineError("Cannot group on " + field->Name() +
                          ": groups are made on database, formula, parameter or SQL expression "
                          "fields.");
    }
    if (!IsValidCondition(static_cast<int>(condition))) {
        throw EngineError("Group condition " + std::to_string(static_cast<int>(condition)) +
                          " is not one of 0 to 11, 14 or 15.");
    }
    if (static_cast<int>(order) < 0 || static_cast<int>(order) > 2) {
        throw EngineError("Group order " + std::to_string(static_cast<int>(order)) +
                          " is not one of 0 ascending, 1 descending, 2 original.");
    }
    const ValueType type = field->ValueType();
    if (IsBinaryType(type)) {
        throw EngineError("Cannot group on " + field->Name() + ": it holds binary data (" +
                          ValueTypeName(type) + ").");
    }
    if (type != ValueType::Unknown) {
        if (IsDateCondition(condition) && !IsDateType(type)) {
            throw EngineError("Cannot group " + field->Name() + " by date periods (condition " +
                              std::to_string(static_cast<int>(condition)) + "): it is a " +
                              ValueTypeName(type) + " field, not a date.");
        }
        if (IsTimeCondition(condition) && type != ValueType::Time && type != ValueType::DateTime) {
            throw EngineError("Cannot group " + field->Name() + " by times of day (condition " +
                              std::to_string(static_cast<int>(condition)) + "): it is a " +
                              ValueTypeName(type) + " field, not a time.");
        }
    }

    auto group = std::make_shared<Group>();
    group->field = field;
    group->condition = condition;
    group->order = order;
    group->nameField = FieldDefinition::MakeGroupName(group);
    const auto header = MakeArea(AreaKind::GroupHeader, group);
    const auto footer = MakeArea(AreaKind::GroupFooter, group);
    group->header = header;
    group->footer = footer;
    areas_.push_back(header);
    areas_.push_back(footer);
    groups_.insert(groups_.begin() + position, group);
    Renumber();
    return position + 1;
}

void Report::DropGroup(int groupNumber) {
    if (groupNumber < 1 || groupNumber > GroupCount()) {
        throw EngineError("There is no group " + std::to_string(groupNumber) + ": the report has " +
                          (GroupCount() == 0 ? std::string("no groups")
                                             : std::to_string(GroupCount()) + " group" +
                                                   (GroupCount() == 1 ? "" : "s")) +
                          ".");
    }
    const auto group = groups_[static_cast<std::size_t>(groupNumber - 1)];
    const auto header = group->header.lock();
    const auto footer = group->footer.lock();

    // The group's summaries and their sorts.
    std::vector<std::shared_ptr<FieldDefinition>> gone;
    for (const auto& s : summaries_) {
        if (s->GetSummaryArea() == header) {
            gone.push_back(s);
        }
    }
    for (const auto& s : gone) {
        RemoveSortsOf(s);
        EraseValue(summaries_, s);
    }
    // Objects elsewhere that show the group's name.
    for (const auto& object : AllObjects()) {
        const auto section = object->GetSection();
        const auto area = section->GetArea();
        if (area != header && area != footer && object->Shows(*group->nameField)) {
            EraseValue(section->objects_, object);
        }
    }
    EraseValue(areas_, header);
    EraseValue(areas_, footer);
    EraseValue(groups_, group);
    Renumber();
}

std::shared_ptr<FieldDefinition>
Report::FindOrAddSummary(const std::shared_ptr<FieldDefinition>& field, SummaryOperation op,
                         const std::shared_ptr<Area>& area,
                         const std::shared_ptr<FieldDefinition>& second, int number) {
    for (const auto& s : summaries_) {
        if (s->GetSummarizedField() == field && s->GetSummaryOperation() == op &&
            s->GetSummaryArea() == area && s->GetSummaryNumber() == number &&
            (SummaryNeedsSecondField(op) ? s->GetSecondSummarizedField() == second : true)) {
            return s;
        }
    }
    summaries_.push_back(FieldDefinition::MakeSummary(field, op, area, second, number));
    return summaries_.back();
}

void Report::RemoveSortsOf(const std::shared_ptr<FieldDefinition>& summary) {
    sorts_.erase(std::remove_if(sorts_.begin(), sorts_.end(),
                                [&](const auto& s) { return s->GetSummary() == summary; }),
                 sorts_.end());
    for (const auto& g : groups_) {
        if (g->sortMode == GroupSortMode::SortAll && !SortOfGroup(*g)) {
            g->sortMode = GroupSortMode::Unsorted;
        }
    }
}

void Report::RemoveSummaryIfUnused(const std::shared_ptr<FieldDefinition>& summary) {
    const auto objects = AllObjects();
    if (std::any_of(objects.begin(), objects.end(),
                    [&](const auto& o) { return o->Shows(*summary); })) {
        return;
    }
    RemoveSortsOf(summary);
    for (const auto& g : groups_) {
        if (g->sortSummary.lock() == summary) {
            g->sortSummary.reset();
            if (g->sortMode == GroupSortMode::TopN || g->sortMode == GroupSortMode::BottomN) {
                g->sortMode = GroupSortMode::Unsorted;
            }
        }
    }
    EraseValue(summaries_, summary);
}

std::shared_ptr<SummarySort> Report::SortOfGroup(const Group& group) const {
    for (const auto& sort : sorts_) {
        if (sort->GetSummary()->GetSummaryArea()->GroupData().get() == &group) {
            return sort;
        }
    }
    return nullptr;
}

std::shared_ptr<SummarySortList> Report::GetSummarySortList() {
    return std::make_shared<SummarySortList>(shared_from_this());
}

void Report::AddSummarySort(const std::shared_ptr<FieldDefinition>& summary, int direction) {
    if (direction != 0 && direction != 1) {
        throw EngineError("Sort direction " + std::to_string(direction) +
                          " is not one of 0 ascending, 1 descending.");
    }
    if (!summary || summary->Kind() != FieldKind::Summary || !OwnsDefinition(*summary)) {
        throw EngineError("Only a summary of this report can be added to the summary sort list" +
                          (summary ? std::string(", not ") + summary->Name() : std::string()) +
                          ".");
    }
    const auto area = summary->GetSummaryArea();
    if (area->AreaKind() != AreaKind::GroupHeader) {
        throw EngineError("The summary " + summary->Name() + " is a grand total in area " +
                          area->Name() + "; only a group's summary can sort its groups.");
    }
    const auto dir = static_cast<SortDirection>(direction);
    for (const auto& s : sorts_) {
        if (s->GetSummary() == summary) {
            s->direction_ = dir;
            area->group_->sortMode = GroupSortMode::SortAll;
            return;
        }
    }
    sorts_.push_back(std::make_shared<SummarySort>(summary, dir));
    area->group_->sortMode = GroupSortMode::SortAll;
}

} // namespace foliant::engine
