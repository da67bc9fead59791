#pragma once

#include "engine/Area.h"
#include "engine/DataSource.h"
#include "engine/FieldDefinition.h"
#include "engine/Group.h"
#include "engine/List.h"
#include "engine/ReportObject.h"
#include "engine/Section.h"
#include "engine/SummarySort.h"
#include "engine/SummarySortList.h"
#include "engine/core/Api.h"
#include "engine/core/Types.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace foliant::engine {

struct LayoutStyle;

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
    // The same over an SQLite database file (opened read-only) or a postgresql:// URI.
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
    // The entry of the summary sort list that sorts the group's groups: the first whose
    // summary is one of the group's. Null when none is.
    std::shared_ptr<SummarySort> SortOfGroup(const Group& group) const;
    // Sorts all groups of the summary's group by it (direction 0 ascending, 1 descending)
    // and sets that group's sort mode to 1. A summary already in the list gets the new
    // direction.
    void AddSummarySort(const std::shared_ptr<FieldDefinition>& summary, int direction);

    // Writes the report file (option 0) atomically; see ReportFile.h.
    void SaveToFile(const std::string& path, int option = 0);
    // The report file this report was last saved to or loaded from; empty for a new report.
    const std::string& FilePath() const { return filePath_; }
    void SetFilePath(const std::string& path) { filePath_ = path; }

    // Exchanges everything two reports over the same data source hold: areas with their
    // sections and objects, groups, field definitions, summaries and their sorts, the
    // selection formula, title and style. Each report keeps its identity, its data source and
    // its file path. Throws, changing nothing, when the data sources differ; otherwise cannot
    // fail, so a report built on a copy (CopyReport) takes the original's place in one step.
    void SwapContents(Report& other);

    // Every object of every section, area by area in print order.
    std::vector<std::shared_ptr<ReportObject>> AllObjects() const;

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
    void ArrangeGroupForStyle(const Group& group, const LayoutStyle& style, int secondColumnLeft);
    static void MoveObject(const std::shared_ptr<ReportObject>& object,
                           const std::shared_ptr<Section>& to);
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
