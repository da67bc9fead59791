#pragma once

#include "engine/FieldDefinition.h"
#include "engine/Group.h"
#include "engine/List.h"
#include "engine/Section.h"
#include "engine/core/Api.h"
#include "engine/core/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace foliant::engine {

class Report;

// An area of the report in print order: RH, PH, GH1…, D, …GF1, RF, PF. Group header areas
// carry the group's condition, order and sorting settings.
class FOLIANT_ENGINE_API Area : public automation::Object,
                                public std::enable_shared_from_this<Area> {
public:
    foliant::engine::AreaKind AreaKind() const { return kind_; }
    // "RH", "PH", "GH1", "D", "GF1", "RF", "PF".
    std::string Name() const;
    std::shared_ptr<SectionList> AreaSections();
    const std::vector<std::shared_ptr<Section>>& Sections() const { return sections_; }
    // 1 for the outermost group's header and footer; 0 for areas of no group.
    int AreaGroupNumber() const;

    // Group header and footer areas.
    std::shared_ptr<FieldDefinition> GetGroupConditionField() const;
    GroupCondition GetGroupCondition() const;
    // The group's order; when its groups are sorted by a summary (sort mode 1) the direction
    // of that summary sort (0 ascending, 1 descending).
    int GetGroupOrder() const;

    // Group header areas: sorting the group's groups by one of its summaries.
    int GetGroupSortMode() const;
    void SetGroupSortMode(int mode);
    int GetGroupTopCount() const;
    void SetGroupTopCount(int count);
    bool GetDropOthers() const;
    void SetDropOthers(bool drop);
    // Null when none was set (and for sort mode 1, the group's first summary sort).
    std::shared_ptr<FieldDefinition> GetGroupSortSummary() const;
    void SetGroupSortSummary(const std::shared_ptr<FieldDefinition>& summary);

    std::shared_ptr<Report> GetReport() const { return report_.lock(); }
    // The group of a group header or footer (read only; change it through the area); null
    // for other areas.
    std::shared_ptr<const Group> GroupData() const { return group_; }

private:
    friend class Report;
    Area() = default;
    Group& RequireGroup(const char* operation) const;
    Group& RequireHeader(const char* operation) const;

    foliant::engine::AreaKind kind_ = foliant::engine::AreaKind::Details;
    std::weak_ptr<Report> report_;
    std::shared_ptr<Group> group_;
    std::vector<std::shared_ptr<Section>> sections_;
};

using AreaList = ItemList<Area>;

} // namespace foliant::engine
