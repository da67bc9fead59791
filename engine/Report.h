#pragma once

#include "engine/core/Api.h"

#include "engine/DataSource.h"
#include "engine/FieldDefinition.h"
#include "engine/List.h"
#include "engine/core/Types.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace foliant::engine {

class Report;
class Area;
class Section;
class ReportObject;

// Twips the engine gives every new object's height.
inline constexpr int kDefaultObjectHeight = 240;
// Twips every new section is high.
inline constexpr int kDefaultSectionHeight = 240;

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

// A report object: a field object showing a field definition, or a text object. Positions
// and sizes in twips.
class FOLIANT_ENGINE_API ReportObject : public automation::Object {
public:
    ObjectKind Kind() const { return kind_; }

    // Field objects: the field definition shown (the same as GetFieldDefinition).
    std::shared_ptr<FieldDefinition> field() const;
    std::shared_ptr<FieldDefinition> GetFieldDefinition() const { return field(); }
    // Text objects: the text.
    std::string text() const;
    void SetText(const std::string& text);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int ObjectWidth() const { return width_; }
    int ObjectHeight() const { return height_; }
    void SetLeft(int left);
    void SetTop(int top);
    void SetObjectWidth(int width);
    void SetObjectHeight(int height);

    HorizontalAlignment HorizontalAlign() const { return align_; }
    void SetHorizontalAlign(HorizontalAlignment align);
    void SetHorizontalAlign(int align);

    // The section holding the object; null after it was discarded.
    std::shared_ptr<Section> GetSection() const { return section_.lock(); }
    // "the field object {Orders.Amount} in section D", for messages.
    std::string Describe() const;

private:
    friend class Section;
    friend class Report;
    ReportObject() = default;
    void CheckDimension(const char* what, int value, int minimum) const;

    ObjectKind kind_ = ObjectKind::Text;
    std::shared_ptr<FieldDefinition> field_;
    std::string text_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = kDefaultObjectHeight;
    HorizontalAlignment align_ = HorizontalAlignment::Default;
    std::weak_ptr<Section> section_;
};

using ObjectList = ItemList<ReportObject>;
using SectionList = ItemList<Section>;
using AreaList = ItemList<Area>;

// A section of an area: a band of a given height holding report objects.
class FOLIANT_ENGINE_API Section : public automation::Object,
                                   public std::enable_shared_from_this<Section> {
public:
    // "D", "GH1"; a second section of an area would be "Da", "Db", …
    std::string Name() const;
    std::shared_ptr<Area> GetArea() const { return area_.lock(); }

    int SectionHeight() const { return height_; }
    void SetSectionHeight(int height);

    // The section's objects in the order they were placed.
    std::shared_ptr<ObjectList> SectionObjects();
    const std::vector<std::shared_ptr<ReportObject>>& Objects() const { return objects_; }

    // Places a field object showing the named field: a braced name ("{Orders.Amount}",
    // "{@Profit}", "{?Year}", "{#Total}", "{%Expr}"), a special field ("PrintDate") or a
    // group name ("GroupName ({Customer.Country})"). Width from the field's value type and
    // declared length, height 240. Throws when the name is unknown.
    std::shared_ptr<ReportObject> PlaceFieldObject(const std::string& fieldName, int left, int top);
    std::shared_ptr<ReportObject> PlaceFieldObject(const std::shared_ptr<FieldDefinition>& field,
                                                   int left, int top);
    std::shared_ptr<ReportObject> PlaceTextObject(const std::string& text, int left, int top);
    // Places a summary of the field: in a group header or footer it is that group's summary,
    // in the report header or footer a grand total. parameter: for correlation, covariance
    // and weighted average the second field's braced name; for percentile, Nth largest, Nth
    // smallest and Nth most frequent N (or P) from 1 up, where 0 or "" (nothing typed) stands
    // for 1 and a P above 100 counts as 100; empty otherwise. An identical summary of
    // the same group (or the same grand-total area) is shown again rather than made twice.
    std::shared_ptr<ReportObject> PlaceSummaryObject(const std::string& fieldName,
                                                     SummaryOperation operation, int left, int top,
                                                     const automation::Variant& parameter = {});
    std::shared_ptr<ReportObject> PlaceSummaryObject(const std::string& fieldName, int operation,
                                                     int left, int top,
                                                     const automation::Variant& parameter = {});
    // Removes the object. A summary no other object shows goes with it, with its sorts.
    void DiscardObject(const std::shared_ptr<ReportObject>& object);
    void DiscardObject(int index);

private:
    friend class Area;
    friend class Report;
    Section() = default;
    std::shared_ptr<Report> OwningReport() const;
    std::shared_ptr<ReportObject> Adopt(std::shared_ptr<ReportObject> object, int left, int top);

    std::weak_ptr<Area> area_;
    int height_ = kDefaultSectionHeight;
    std::vector<std::shared_ptr<ReportObject>> objects_;
};

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

class FOLIANT_ENGINE_API SummarySortList : public ItemList<SummarySort> {
public:
    SummarySortList(std::shared_ptr<Report> report);
    void AddSummarySort(const std::shared_ptr<FieldDefinition>& summary, int direction);

private:
    std::shared_ptr<Report> report_;
};

using DefinitionList = ItemList<FieldDefinition>;

// A report: kind 1 (columnar), over one data source, with its areas, groups, field
// definitions, summaries, summary sorts, title, style and record selection formula.
// Every failing operation throws EngineError with a description of what and where.
class FOLIANT_ENGINE_API Report : public automation::Object,
                                  public std::enable_shared_from_this<Report> {
public:
    // A new, empty columnar report over the data source: areas RH, PH, D, RF, PF with one
    // section each.
    static std::shared_ptr<Report> Create(std::shared_ptr<DataSource> dataSource);
    // The same over an SQLite database file, opened read-only.
    static std::shared_ptr<Report> CreateOverDatabase(const std::string& databasePath);

    ReportKind GetReportKind() const { return ReportKind::Columnar; }

    std::shared_ptr<AreaList> GetAreaList();
    // Every section of every area in print order; ItemAt by section name ("PH", "D", "RF").
    std::shared_ptr<SectionList> GetSectionList();
    const std::vector<std::shared_ptr<Area>>& Areas() const { return areas_; }
    std::shared_ptr<DataSource> GetDataSource() const { return dataSource_; }

    std::shared_ptr<DefinitionList> GetFormulaList();
    std::shared_ptr<DefinitionList> GetParameterList();
    std::shared_ptr<DefinitionList> GetRunningTotalList();
    std::shared_ptr<DefinitionList> GetSqlExpressionList();
    std::shared_ptr<DefinitionList> GetSummaryList();
    const std::vector<std::shared_ptr<FieldDefinition>>& Summaries() const { return summaries_; }

    // Adds a definition; the name is given without braces or sign. Throws when a definition
    // of that kind and name exists or the name is empty or holds braces.
    std::shared_ptr<FieldDefinition> AddFormulaField(const std::string& name,
                                                     const std::string& text,
                                                     ValueType type = ValueType::Unknown);
    std::shared_ptr<FieldDefinition> AddParameterField(const std::string& name, ValueType type,
                                                       const std::string& prompt = {});
    std::shared_ptr<FieldDefinition> AddRunningTotalField(const std::string& name,
                                                          const std::string& fieldName,
                                                          SummaryOperation operation);
    std::shared_ptr<FieldDefinition>
    AddSqlExpressionField(const std::string& name, const std::string& expression, ValueType type);

    // The field definition with this braced name among the data source's fields (tables in
    // order), the formulas, parameters, running totals and SQL expressions; null when none.
    std::shared_ptr<FieldDefinition> LookupFieldDefinition(const std::string& bracedName) const;
    // As a report object names its field: a braced name, a special field name or a group
    // name. Throws naming the field when there is none.
    std::shared_ptr<FieldDefinition> ResolveFieldName(const std::string& fieldName);

    const std::string& GetSelectionFormulaText() const { return selectionFormula_; }
    // Sets the record selection formula; the empty text means all records. Throws and keeps
    // the old formula when the text is rejected.
    void SetSelectionFormulaText(const std::string& text);

    const std::string& GetTitleText() const { return title_; }
    void SetTitleText(const std::string& title);

    int GetLayoutStyle() const { return style_; }
    // Records the style (0 to 9) for the whole report and arranges what was placed so the
    // report reads well in it (see LayoutStyle.cpp): summaries under the detail column of their
    // field or, without one, to the right of the last column; "Grand Total:" in a report footer
    // that holds grand totals; each group's name in its header (in its footer for the
    // trailing-break styles), with the group's summaries there too for the leading- and
    // trailing-break styles; objects as high as the style's fonts need and sections as high as
    // their objects. Afterwards no two objects of a section overlap. Applying a style twice
    // gives the same report as applying it once. Throws for a number outside 0–9 and then
    // changes nothing.
    void ApplyLayoutStyle(int style);
    // Records the style without arranging anything: a report file keeps its own positions.
    void RecordLayoutStyle(int style);

    // Adds a group at nesting depth position (0 = outermost) on the field, with its header
    // and footer areas; the groups from that depth on move one number down. Returns the new
    // group's number (position + 1).
    int InsertGroup(int position, const std::shared_ptr<FieldDefinition>& field,
                    GroupCondition condition, GroupOrder order);
    int InsertGroup(int position, const std::shared_ptr<FieldDefinition>& field, int condition,
                    int order);
    // Removes group n with its areas, their objects, its summaries and their sorts; the
    // groups after it move one number up.
    void DropGroup(int groupNumber);
    int GroupCount() const { return static_cast<int>(groups_.size()); }
    // The groups, outermost first (read only; change them through the report and areas).
    std::vector<std::shared_ptr<const Group>> Groups() const {
        return {groups_.begin(), groups_.end()};
    }

    std::shared_ptr<SummarySortList> GetSummarySortList();
    const std::vector<std::shared_ptr<SummarySort>>& SummarySorts() const { return sorts_; }
    // Sorts all groups of the summary's group by it (direction 0 ascending, 1 descending)
    // and sets that group's sort mode to 1. A summary already in the list gets the new
    // direction.
    void AddSummarySort(const std::shared_ptr<FieldDefinition>& summary, int direction);

    // Writes the report file (option 0) atomically; see ReportFile.h.
    void SaveToFile(const std::string& path, int option = 0);
    // The report file this report was last saved to or loaded from; empty for a new report.
    const std::string& FilePath() const { return filePath_; }
    void SetFilePath(const std::string& path) { filePath_ = path; }

    // The area or section of that name, or null.
    std::shared_ptr<Area> FindArea(const std::string& name) const;
    std::shared_ptr<Section> FindSection(const std::string& name) const;
    std::shared_ptr<Area> GroupHeader(int groupNumber) const;
    std::shared_ptr<Area> GroupFooter(int groupNumber) const;

    // Engine internals shared with sections and the report file reader.
    void RemoveSummaryIfUnused(const std::shared_ptr<FieldDefinition>& summary);
    void RemoveSortsOf(const std::shared_ptr<FieldDefinition>& summary);
    std::shared_ptr<FieldDefinition>
    FindOrAddSummary(const std::shared_ptr<FieldDefinition>& field, SummaryOperation op,
                     const std::shared_ptr<Area>& area,
                     const std::shared_ptr<FieldDefinition>& second, int number);
    std::shared_ptr<FieldDefinition> SpecialField(const std::string& name);
    bool OwnsDefinition(const FieldDefinition& def) const;
    const std::vector<std::shared_ptr<FieldDefinition>>& Formulas() const { return formulas_; }
    const std::vector<std::shared_ptr<FieldDefinition>>& Parameters() const { return parameters_; }
    const std::vector<std::shared_ptr<FieldDefinition>>& RunningTotals() const {
        return runningTotals_;
    }
    const std::vector<std::shared_ptr<FieldDefinition>>& SqlExpressions() const {
        return sqlExpressions_;
    }

private:
    Report() = default;
    void ArrangeForStyle();
    std::shared_ptr<Area> MakeArea(foliant::engine::AreaKind kind, std::shared_ptr<Group> group);
    void Renumber();
    std::shared_ptr<DefinitionList>
    MakeDefinitionList(std::vector<std::shared_ptr<FieldDefinition>> Report::*member,
                       std::string noun);
    void CheckNewDefinitionName(const std::vector<std::shared_ptr<FieldDefinition>>& existing,
                                const std::string& name, const char* what) const;
    // Where the record selection formula is parsed and checked against this report's fields.
    void ValidateSelectionFormula(const std::string& text) const;

    std::shared_ptr<DataSource> dataSource_;
    std::vector<std::shared_ptr<Area>> areas_;
    std::vector<std::shared_ptr<Group>> groups_;
    std::vector<std::shared_ptr<FieldDefinition>> formulas_;
    std::vector<std::shared_ptr<FieldDefinition>> parameters_;
    std::vector<std::shared_ptr<FieldDefinition>> runningTotals_;
    std::vector<std::shared_ptr<FieldDefinition>> sqlExpressions_;
    std::vector<std::shared_ptr<FieldDefinition>> summaries_;
    std::vector<std::shared_ptr<SummarySort>> sorts_;
    std::map<std::string, std::shared_ptr<FieldDefinition>> specials_;
    std::string selectionFormula_;
    std::string title_;
    std::string filePath_;
    int style_ = 0;
};

} // namespace foliant::engine
