// Reading a report file: the format, then the data source, the field definitions, the
// selection formula, the groups with their summaries and sorting, and the areas with their
// objects, each checked as it is read. Everything is built through the model's own
// operations, so a file can only make a report the engine could have made itself.

#include "engine/ReportFileFormat.h"
#include "engine/core/EngineError.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace foliant::engine {

namespace {

using Json = ReportJson;
namespace fs = std::filesystem;

[[noreturn]] void Bad(const std::string& problem) {
    throw ReportFileDamaged{problem};
}

// ------------------------------------------------------------------ the document's values

const Json& Member(const Json& obj, const char* key, const std::string& where) {
    if (!obj.is_object()) {
        Bad(where + " is not a JSON object");
    }
    const auto it = obj.find(key);
    if (it == obj.end()) {
        Bad(where + " has no \"" + key + "\"");
    }
    return *it;
}

std::string Text(const Json& obj, const char* key, const std::string& where) {
    const Json& v = Member(obj, key, where);
    if (!v.is_string()) {
        Bad("\"" + std::string(key) + "\" of " + where + " is not text");
    }
    return v.get<std::string>();
}

long long Integer(const Json& obj, const char* key, const std::string& where, long long minimum,
                  long long maximum) {
    const Json& v = Member(obj, key, where);
    if (!v.is_number_integer()) {
        Bad("\"" + std::string(key) + "\" of " + where + " is not a whole number");
    }
    const long long n = v.is_number_unsigned() && v.get<unsigned long long>() > 1ULL << 62
                            ? maximum + 1
                            : v.get<long long>();
    if (n < minimum || n > maximum) {
        Bad("\"" + std::string(key) + "\" of " + where + " is " + std::to_string(n) + ", outside " +
            std::to_string(minimum) + " to " + std::to_string(maximum));
    }
    return n;
}

bool Flag(const Json& obj, const char* key, const std::string& where) {
    const Json& v = Member(obj, key, where);
    if (!v.is_boolean()) {
        Bad("\"" + std::string(key) + "\" of " + where + " is not true or false");
    }
    return v.get<bool>();
}

const Json& Array(const Json& obj, const char* key, const std::string& where) {
    const Json& v = Member(obj, key, where);
    if (!v.is_array()) {
        Bad("\"" + std::string(key) + "\" of " + where + " is not a list");
    }
    return v;
}

ValueType ReadValueType(const Json& obj, const std::string& where) {
    const auto t = Integer(obj, "valueType", where, 1, 22);
    return static_cast<ValueType>(t);
}

std::vector<std::string> TextList(const Json& obj, const char* key, const std::string& where) {
    std::vector<std::string> out;
    for (const auto& v : Array(obj, key, where)) {
        if (!v.is_string()) {
            Bad("\"" + std::string(key) + "\" of " + where + " holds something other than text");
        }
        out.push_back(v.get<std::string>());
    }
    return out;
}

// Runs an engine operation on data from the file; an engine error means the file is
// inconsistent.
template <typename F> auto Apply(const std::string& where, F&& f) {
    try {
        return f();
    } catch (const EngineError& e) {
        std::string why = e.Description();
        if (!why.empty() && why.back() == '.') {
            why.pop_back();
        }
        if (!why.empty()) {
            why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        }
        Bad(where + ": " + why);
    }
}

// Reads each entry of the report's list under `key`; `read` gets the entry and its name in
// messages ("formula 2").
template <typename F>
void ForEachEntry(const Json& doc, const char* key, const char* what, F&& read) {
    const Json& list = Array(doc, key, "the report");
    for (std::size_t i = 0; i < list.size(); ++i) {
        read(list[i], std::string(what) + " " + std::to_string(i + 1));
    }
}

// An object's own font and colour; each member is optional.
ObjectFormat ReadFormat(const Json& j, const std::string& where) {
    if (!j.is_object()) {
        Bad(where + " is not a JSON object");
    }
    ObjectFormat format;
    if (j.contains("fontFamily")) {
        format.fontFamily = Text(j, "fontFamily", where);
    }
    if (j.contains("fontSize")) {
        format.fontSize =
            static_cast<int>(Integer(j, "fontSize", where, kSmallestFontSize, kLargestFontSize));
    }
    if (j.contains("bold")) {
        format.bold = Flag(j, "bold", where);
    }
    if (j.contains("italic")) {
        format.italic = Flag(j, "italic", where);
    }
    if (j.contains("colour")) {
        const std::string text = Text(j, "colour", where);
        format.colour = ParseColour(text);
        if (!format.colour) {
            Bad("\"colour\" of " + where + " is \"" + text + "\", not a colour like #1a2b3c");
        }
    }
    return format;
}

// ------------------------------------------------------------------ the data source

std::shared_ptr<Table> ReadTable(const Json& entry, const std::string& where,
                                 std::set<std::string>& tableNames) {
    const std::string name = Text(entry, "name", where);
    if (name.empty() || !tableNames.insert(name).second) {
        Bad(where + " has an empty or repeated name \"" + name + "\"");
    }
    auto table = std::make_shared<Table>(name, Flag(entry, "view", where));
    std::set<std::string> columns;
    const Json& fields = Array(entry, "fields", "table " + name);
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::string fw = "field " + std::to_string(k + 1) + " of table " + name;
        const std::string column = Text(fields[k], "name", fw);
        if (column.empty() || !columns.insert(column).second) {
            Bad(fw + " has an empty or repeated name \"" + column + "\"");
        }
        table->AddField(column, Text(fields[k], "declaredType", fw));
    }
    return table;
}

std::shared_ptr<TableLink> ReadLink(const Json& entry, const std::string& where,
                                    const std::vector<std::shared_ptr<Table>>& tables) {
    const std::string from = Text(entry, "fromTable", where);
    const std::string to = Text(entry, "toTable", where);
    auto fromFields = TextList(entry, "fromFields", where);
    auto toFields = TextList(entry, "toFields", where);
    const auto check = [&](const std::string& table, const std::vector<std::string>& cols) {
        std::shared_ptr<Table> t;
        for (const auto& candidate : tables) {
            if (candidate->TableName() == table) {
                t = candidate;
            }
        }
        if (!t) {
            Bad(where + " refers to table " + table + ", which is not in the data source");
        }
        for (const auto& c : cols) {
            if (!t->FindField(c)) {
                Bad(where + " refers to field " + c + ", which table " + table + " does not have");
            }
        }
    };
    check(from, fromFields);
    check(to, toFields);
    if (fromFields.empty() || fromFields.size() != toFields.size()) {
        Bad(where + " does not pair its fields");
    }
    return std::make_shared<TableLink>(from, std::move(fromFields), to, std::move(toFields));
}

std::shared_ptr<DataSource> ReadDataSource(const Json& doc, const std::string& reportPath) {
    const Json& ds = Member(doc, "dataSource", "the report");
    const std::string where = "the data source";
    std::string path = Text(ds, "path", where);
    if (path.empty()) {
        Bad("the data source has no path");
    }
    if (!DataSource::IsServerUri(path) && fs::path(path).is_relative()) {
        path = (AbsoluteNormal(reportPath).parent_path() / path).lexically_normal().string();
    }
    std::vector<std::shared_ptr<Table>> tables;
    std::set<std::string> tableNames;
    const Json& tableList = Array(ds, "tables", where);
    for (std::size_t i = 0; i < tableList.size(); ++i) {
        tables.push_back(ReadTable(
            tableList[i], "table " + std::to_string(i + 1) + " of the data source", tableNames));
    }
    std::vector<std::shared_ptr<TableLink>> links;
    const Json& linkList = Array(ds, "links", where);
    for (std::size_t i = 0; i < linkList.size(); ++i) {
        links.push_back(
            ReadLink(linkList[i], "link " + std::to_string(i + 1) + " of the data source", tables));
    }
    return DataSource::FromSchema(path, std::move(tables), std::move(links));
}

// ------------------------------------------------------------------ the report

// Checks that the document is a report file this version reads.
void CheckFormat(const Json& doc) {
    if (!doc.is_object()) {
        Bad("the file is not a Foliant report (it holds JSON, but not a report object)");
    }
    const auto format = doc.find("format");
    if (format == doc.end() || !format->is_string()) {
        Bad("the file is not a Foliant report (it has no \"format\")");
    }
    if (format->get<std::string>() != kReportFormat) {
        Bad("the file is not a Foliant report (its format is \"" + format->get<std::string>() +
            "\")");
    }
    const auto version = doc.find("version");
    if (version == doc.end() || !version->is_number_integer()) {
        Bad("the file has no format version");
    }
    if (version->is_number_unsigned() ? version->get<unsigned long long>() > kReportFormatVersion
                                      : version->get<long long>() > kReportFormatVersion) {
        Bad("the file was written by a newer version of Foliant (report format version " +
            version->dump() + "; this version reads version " +
            std::to_string(kReportFormatVersion) + ")");
    }
    if (version->get<long long>() < 1) {
        Bad("the file has an unknown format version " + version->dump());
    }
    if (Integer(doc, "kind", "the report", 1, 1) != 1) {
        Bad("the report is not columnar");
    }
}

// Builds the report from a checked document, part by part in the order the parts depend on
// each other.
class ReportReader {
public:
    ReportReader(const Json& doc, std::shared_ptr<Report> report)
        : doc_(doc), report_(std::move(report)) {}

    void ReadTitleAndStyle();
    void ReadFieldDefinitions();
    // The selection formula is checked against the report's fields, so it comes after them.
    void ReadSelectionFormula();
    void ReadGroups();
    void ReadSummaries();
    // The summary sorts, then each group's sorting, which may depend on them.
    void ReadGroupSorting();
    void ReadAreas();
    // Every summary must be shown somewhere: the engine never keeps one that is not.
    void CheckEverySummaryShown() const;

private:
    std::shared_ptr<FieldDefinition> SummaryAt(const Json& v, const std::string& where) const;
    void ReadSummary(const Json& s, const std::string& where);
    void ReadObject(const Json& o, const std::string& where, Section& section);

    const Json& doc_;
    std::shared_ptr<Report> report_;
};

void ReportReader::ReadTitleAndStyle() {
    Apply("the title", [&] {
        report_->SetTitleText(Text(doc_, "title", "the report"));
        return 0;
    });
    const auto style = Integer(doc_, "style", "the report", 0, 9);
    report_->RecordLayoutStyle(static_cast<int>(style));
}

void ReportReader::ReadFieldDefinitions() {
    auto& r = *report_;
    ForEachEntry(doc_, "formulas", "formula", [&](const Json& f, const std::string& w) {
        const auto name = Text(f, "name", w);
        const auto text = Text(f, "text", w);
        const auto type = ReadValueType(f, w);
        Apply(w, [&] { return r.AddFormulaField(name, text, type); });
    });
    ForEachEntry(doc_, "parameters", "parameter", [&](const Json& p, const std::string& w) {
        const auto name = Text(p, "name", w);
        const auto type = ReadValueType(p, w);
        const auto prompt = Text(p, "prompt", w);
        Apply(w, [&] { return r.AddParameterField(name, type, prompt); });
    });
    ForEachEntry(doc_, "sqlExpressions", "SQL expression",
                 [&](const Json& e, const std::string& w) {
                     const auto name = Text(e, "name", w);
                     const auto text = Text(e, "expression", w);
                     const auto type = ReadValueType(e, w);
                     Apply(w, [&] { return r.AddSqlExpressionField(name, text, type); });
                 });
    ForEachEntry(doc_, "runningTotals", "running total", [&](const Json& t, const std::string& w) {
        const auto name = Text(t, "name", w);
        const auto field = Text(t, "field", w);
        const auto op = static_cast<SummaryOperation>(Integer(t, "operation", w, 0, 18));
        Apply(w, [&] { return r.AddRunningTotalField(name, field, op); });
    });
}

void ReportReader::ReadSelectionFormula() {
    const std::string formula = Text(doc_, "selectionFormula", "the report");
    Apply("the record selection formula", [&] {
        report_->SetSelectionFormulaText(formula);
        return 0;
    });
}

void ReportReader::ReadGroups() {
    // Outermost first.
    ForEachEntry(doc_, "groups", "group", [&](const Json& g, const std::string& w) {
        const auto fieldName = Text(g, "field", w);
        const auto condition = Integer(g, "condition", w, 0, 15);
        const auto order = Integer(g, "order", w, 0, 2);
        Apply(w, [&] {
            const auto def = report_->LookupFieldDefinition(fieldName);
            if (!def) {
                report_->ResolveFieldName(fieldName); // throws naming the field
                throw EngineError("the field " + fieldName + " cannot be grouped on");
            }
            return report_->InsertGroup(report_->GroupCount(), def, static_cast<int>(condition),
                                        static_cast<int>(order));
        });
    });
}

void ReportReader::ReadSummaries() {
    // In list order: objects and sorts refer to summaries by their number.
    ForEachEntry(doc_, "summaries", "summary",
                 [&](const Json& s, const std::string& w) { ReadSummary(s, w); });
}

void ReportReader::ReadSummary(const Json& s, const std::string& w) {
    const auto fieldName = Text(s, "field", w);
    const auto op = static_cast<SummaryOperation>(Integer(s, "operation", w, 0, 18));
    const auto areaName = Text(s, "area", w);
    Apply(w, [&] {
        const auto area = report_->FindArea(areaName);
        if (!area || (area->AreaKind() != AreaKind::GroupHeader &&
                      area->AreaKind() != AreaKind::ReportHeader &&
                      area->AreaKind() != AreaKind::ReportFooter)) {
            throw EngineError("its area " + areaName +
                              " is not a group header or the report header or footer");
        }
        const auto field = report_->ResolveFieldName(fieldName);
        std::shared_ptr<FieldDefinition> second;
        int number = 0;
        if (SummaryNeedsSecondField(op)) {
            second = report_->ResolveFieldName(Text(s, "secondField", w));
        }
        if (SummaryNeedsNumber(op)) {
            number = static_cast<int>(Integer(s, "number", w, 1, kLargestSummaryNumber));
        }
        const auto before = report_->Summaries().size();
        report_->FindOrAddSummary(field, op, area, second, number);
        if (report_->Summaries().size() == before) {
            throw EngineError("it repeats an earlier summary");
        }
        return 0;
    });
}

std::shared_ptr<FieldDefinition> ReportReader::SummaryAt(const Json& v,
                                                         const std::string& where) const {
    if (!v.is_number_integer()) {
        Bad(where + " does not refer to a summary by its number");
    }
    const long long n = v.get<long long>();
    const auto& summaries = report_->Summaries();
    if (n < 1 || n > static_cast<long long>(summaries.size())) {
        Bad(where + " refers to summary " + v.dump() + ", but the report has " +
            std::to_string(summaries.size()) + " summaries");
    }
    return summaries[static_cast<std::size_t>(n - 1)];
}

void ReportReader::ReadGroupSorting() {
    ForEachEntry(doc_, "summarySorts", "summary sort", [&](const Json& sort, const std::string& w) {
        const auto summary = SummaryAt(Member(sort, "summary", w), w);
        const auto direction = Integer(sort, "direction", w, 0, 1);
        const auto before = report_->SummarySorts().size();
        Apply(w, [&] {
            report_->AddSummarySort(summary, static_cast<int>(direction));
            return 0;
        });
        if (report_->SummarySorts().size() == before) {
            Bad(w + " repeats an earlier summary sort");
        }
    });
    int number = 0;
    ForEachEntry(doc_, "groups", "group", [&](const Json& g, const std::string& w) {
        const auto header = report_->GroupHeader(++number);
        const auto mode = Integer(g, "sortMode", w, 0, 3);
        const auto top = Integer(g, "topCount", w, 1, 1000000);
        const bool drop = Flag(g, "dropOthers", w);
        const Json& sortSummary = Member(g, "sortSummary", w);
        const bool sortedAll = header->GroupData()->sortMode == GroupSortMode::SortAll;
        if ((mode == 1) != sortedAll) {
            Bad(w + " has sort mode " + std::to_string(mode) + " but " +
                (sortedAll ? "is" : "is not") + " in the summary sort list");
        }
        Apply(w, [&] {
            header->SetGroupTopCount(static_cast<int>(top));
            header->SetDropOthers(drop);
            if (!sortSummary.is_null()) {
                header->SetGroupSortSummary(SummaryAt(sortSummary, w + "'s sort summary"));
            }
            header->SetGroupSortMode(static_cast<int>(mode));
            return 0;
        });
    });
}

void ReportReader::ReadAreas() {
    const Json& areas = Array(doc_, "areas", "the report");
    const auto& model = report_->Areas();
    if (areas.size() != model.size()) {
        Bad("the report has " + std::to_string(areas.size()) + " areas, but " +
            std::to_string(report_->GroupCount()) + " groups make " + std::to_string(model.size()));
    }
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const std::string name = Text(areas[i], "name", "area " + std::to_string(i + 1));
        if (name != model[i]->Name()) {
            Bad("area " + std::to_string(i + 1) + " is " + name + " where " + model[i]->Name() +
                " belongs");
        }
        const Json& sections = Array(areas[i], "sections", "area " + name);
        if (sections.size() != 1) {
            Bad("area " + name + " has " + std::to_string(sections.size()) +
                " sections instead of one");
        }
        const auto section = model[i]->Sections().front();
        const std::string sw = "section " + section->Name();
        section->SetSectionHeight(static_cast<int>(Integer(sections[0], "height", sw, 0, 1 << 30)));
        if (sections[0].contains("newPageBefore")) {
            section->SetNewPageBefore(Flag(sections[0], "newPageBefore", sw));
        }
        const Json& objects = Array(sections[0], "objects", sw);
        for (std::size_t k = 0; k < objects.size(); ++k) {
            ReadObject(objects[k], "object " + std::to_string(k + 1) + " of " + sw, *section);
        }
    }
}

void ReportReader::ReadObject(const Json& o, const std::string& ow, Section& section) {
    const std::string kind = Text(o, "kind", ow);
    const int left = static_cast<int>(Integer(o, "left", ow, 0, 1 << 30));
    const int top = static_cast<int>(Integer(o, "top", ow, 0, 1 << 30));
    const int width = static_cast<int>(Integer(o, "width", ow, 1, 1 << 30));
    const int height = static_cast<int>(Integer(o, "height", ow, 1, 1 << 30));
    const int align = static_cast<int>(Integer(o, "align", ow, 0, 3));
    std::shared_ptr<ReportObject> placed;
    if (kind == "text") {
        placed = section.PlaceTextObject(Text(o, "text", ow), left, top);
    } else if (kind == "field") {
        std::shared_ptr<FieldDefinition> field;
        if (o.contains("summary")) {
            field = SummaryAt(o["summary"], ow);
        } else if (o.contains("groupName")) {
            const auto n = Integer(o, "groupName", ow, 1, report_->GroupCount());
            field = report_->Groups()[static_cast<std::size_t>(n - 1)]->nameField;
        }
        const auto fieldName = field ? std::string() : Text(o, "field", ow);
        placed = Apply(ow, [&] {
            return field ? section.PlaceFieldObject(field, left, top)
                         : section.PlaceFieldObject(fieldName, left, top);
        });
    } else {
        Bad(ow + " is of unknown kind \"" + kind + "\"");
    }
    placed->SetObjectWidth(width);
    placed->SetObjectHeight(height);
    placed->SetHorizontalAlign(align);
    if (o.contains("format")) {
        const ObjectFormat format = ReadFormat(Member(o, "format", ow), "the format of " + ow);
        Apply(ow, [&] {
            placed->SetFormat(format);
            return 0;
        });
    }
}

void ReportReader::CheckEverySummaryShown() const {
    const auto objects = report_->AllObjects();
    const auto& summaries = report_->Summaries();
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        const auto& s = summaries[i];
        if (std::none_of(objects.begin(), objects.end(),
                         [&](const auto& o) { return o->Shows(*s); })) {
            Bad("summary " + std::to_string(i + 1) + " (" + s->Name() +
                ") is not shown by any object");
        }
    }
}

} // namespace

std::shared_ptr<Report> ReadReportDocument(const Json& doc, const std::string& path,
                                           std::shared_ptr<DataSource> dataSource) {
    CheckFormat(doc);
    const auto report =
        Report::Create(dataSource ? std::move(dataSource) : ReadDataSource(doc, path));
    ReportReader reader(doc, report);
    reader.ReadTitleAndStyle();
    reader.ReadFieldDefinitions();
    reader.ReadSelectionFormula();
    reader.ReadGroups();
    reader.ReadSummaries();
    reader.ReadGroupSorting();
    reader.ReadAreas();
    reader.CheckEverySummaryShown();
    return report;
}

} // namespace foliant::engine
