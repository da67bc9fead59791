#include "engine/ReportFile.h"

#include "engine/AtomicFile.h"
#include "engine/FileAccess.h"
#include "engine/LayoutStyle.h"
#include "engine/core/EngineError.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace foliant::engine {

namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

constexpr const char* kFormat = "foliant-report";
constexpr int kVersion = 1;
constexpr std::uintmax_t kMaxFileSize = 64u * 1024u * 1024u;

fs::path AbsoluteNormal(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return (ec ? fs::path(path) : p).lexically_normal();
}

// The data source path as stored: relative to the report's folder when the database lies in
// that folder or below it, absolute otherwise.
std::string StoredDataSourcePath(const std::string& databasePath, const std::string& reportPath) {
    const fs::path db = AbsoluteNormal(databasePath);
    const fs::path folder = AbsoluteNormal(reportPath).parent_path();
    const fs::path rel = db.lexically_relative(folder);
    if (!rel.empty() && *rel.begin() != "..") {
        return rel.generic_string();
    }
    return db.generic_string();
}

std::string Dump(const Json& j) {
    return j.dump(2, ' ', false, Json::error_handler_t::replace);
}

int ObjectIndexOfSummary(const Report& report, const std::shared_ptr<FieldDefinition>& s) {
    const auto& all = report.Summaries();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i] == s) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

Json ObjectToFile(const Report& report, const ReportObject& o) {
    Json j;
    if (o.Kind() == ObjectKind::Field) {
        j["kind"] = "field";
        const auto f = o.field();
        if (f->Kind() == FieldKind::Summary) {
            j["summary"] = ObjectIndexOfSummary(report, f);
        } else if (f->Kind() == FieldKind::GroupName) {
            // By group number: two groups on one field have group names of the same name.
            j["groupName"] = f->GroupOfName().lock()->number;
        } else {
            j["field"] = f->Name();
        }
    } else {
        j["kind"] = "text";
        j["text"] = o.text();
    }
    j["left"] = o.Left();
    j["top"] = o.Top();
    j["width"] = o.ObjectWidth();
    j["height"] = o.ObjectHeight();
    j["align"] = static_cast<int>(o.HorizontalAlign());
    return j;
}

// ------------------------------------------------------------------ reading

// Raised inside the reader; turned into "Cannot read report PATH: PROBLEM." at the top.
struct Damaged {
    std::string problem;
};

[[noreturn]] void Bad(const std::string& problem) {
    throw Damaged{problem};
}

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

std::shared_ptr<DataSource> ReadDataSource(const Json& doc, const std::string& reportPath) {
    const Json& ds = Member(doc, "dataSource", "the report");
    const std::string where = "the data source";
    std::string path = Text(ds, "path", where);
    if (path.empty()) {
        Bad("the data source has no path");
    }
    if (fs::path(path).is_relative()) {
        path = (AbsoluteNormal(reportPath).parent_path() / path).lexically_normal().string();
    }
    std::vector<std::shared_ptr<Table>> tables;
    std::set<std::string> tableNames;
    const Json& tableList = Array(ds, "tables", where);
    for (std::size_t i = 0; i < tableList.size(); ++i) {
        const std::string tw = "table " + std::to_string(i + 1) + " of the data source";
        const std::string name = Text(tableList[i], "name", tw);
        if (name.empty() || !tableNames.insert(name).second) {
            Bad(tw + " has an empty or repeated name \"" + name + "\"");
        }
        auto table = std::make_shared<Table>(name, Flag(tableList[i], "view", tw));
        std::set<std::string> columns;
        const Json& fields = Array(tableList[i], "fields", "table " + name);
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const std::string fw = "field " + std::to_string(k + 1) + " of table " + name;
            const std::string column = Text(fields[k], "name", fw);
            if (column.empty() || !columns.insert(column).second) {
                Bad(fw + " has an empty or repeated name \"" + column + "\"");
            }
            table->AddField(column, Text(fields[k], "declaredType", fw));
        }
        tables.push_back(table);
    }
    std::vector<std::shared_ptr<TableLink>> links;
    const Json& linkList = Array(ds, "links", where);
    for (std::size_t i = 0; i < linkList.size(); ++i) {
        const std::string lw = "link " + std::to_string(i + 1) + " of the data source";
        const std::string from = Text(linkList[i], "fromTable", lw);
        const std::string to = Text(linkList[i], "toTable", lw);
        auto fromFields = TextList(linkList[i], "fromFields", lw);
        auto toFields = TextList(linkList[i], "toFields", lw);
        const auto check = [&](const std::string& table, const std::vector<std::string>& cols) {
            std::shared_ptr<Table> t;
            for (const auto& candidate : tables) {
                if (candidate->TableName() == table) {
                    t = candidate;
                }
            }
            if (!t) {
                Bad(lw + " refers to table " + table + ", which is not in the data source");
            }
            for (const auto& c : cols) {
                if (!t->FindField(c)) {
                    Bad(lw + " refers to field " + c + ", which table " + table + " does not have");
                }
            }
        };
        check(from, fromFields);
        check(to, toFields);
        if (fromFields.empty() || fromFields.size() != toFields.size()) {
            Bad(lw + " does not pair its fields");
        }
        links.push_back(
            std::make_shared<TableLink>(from, std::move(fromFields), to, std::move(toFields)));
    }
    return DataSource::FromSchema(path, std::move(tables), std::move(links));
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

std::shared_ptr<Report> ReadReport(const Json& doc, const std::string& path) {
    if (!doc.is_object()) {
        Bad("the file is not a Foliant report (it holds JSON, but not a report object)");
    }
    const auto format = doc.find("format");
    if (format == doc.end() || !format->is_string()) {
        Bad("the file is not a Foliant report (it has no \"format\")");
    }
    if (format->get<std::string>() != kFormat) {
        Bad("the file is not a Foliant report (its format is \"" + format->get<std::string>() +
            "\")");
    }
    const auto version = doc.find("version");
    if (version == doc.end() || !version->is_number_integer()) {
        Bad("the file has no format version");
    }
    if (version->is_number_unsigned() ? version->get<unsigned long long>() > kVersion
                                      : version->get<long long>() > kVersion) {
        Bad("the file was written by a newer version of Foliant (report format version " +
            version->dump() + "; this version reads version " + std::to_string(kVersion) + ")");
    }
    if (version->get<long long>() < 1) {
        Bad("the file has an unknown format version " + version->dump());
    }
    if (Integer(doc, "kind", "the report", 1, 1) != 1) {
        Bad("the report is not columnar");
    }

    const auto report = Report::Create(ReadDataSource(doc, path));
    Apply("the title", [&] {
        report->SetTitleText(Text(doc, "title", "the report"));
        return 0;
    });
    const auto style = Integer(doc, "style", "the report", 0, 9);
    report->RecordLayoutStyle(static_cast<int>(style));
    // Definitions.
    ForEachEntry(doc, "formulas", "formula", [&](const Json& f, const std::string& w) {
        const auto name = Text(f, "name", w);
        const auto text = Text(f, "text", w);
        const auto type = ReadValueType(f, w);
        Apply(w, [&] { return report->AddFormulaField(name, text, type); });
    });
    ForEachEntry(doc, "parameters", "parameter", [&](const Json& p, const std::string& w) {
        const auto name = Text(p, "name", w);
        const auto type = ReadValueType(p, w);
        const auto prompt = Text(p, "prompt", w);
        Apply(w, [&] { return report->AddParameterField(name, type, prompt); });
    });
    ForEachEntry(doc, "sqlExpressions", "SQL expression", [&](const Json& e, const std::string& w) {
        const auto name = Text(e, "name", w);
        const auto text = Text(e, "expression", w);
        const auto type = ReadValueType(e, w);
        Apply(w, [&] { return report->AddSqlExpressionField(name, text, type); });
    });
    ForEachEntry(doc, "runningTotals", "running total", [&](const Json& t, const std::string& w) {
        const auto name = Text(t, "name", w);
        const auto field = Text(t, "field", w);
        const auto op = static_cast<SummaryOperation>(Integer(t, "operation", w, 0, 18));
        Apply(w, [&] { return report->AddRunningTotalField(name, field, op); });
    });

    // The selection formula is checked against the report's fields, so it comes after them.
    const std::string formula = Text(doc, "selectionFormula", "the report");
    Apply("the record selection formula", [&] {
        report->SetSelectionFormulaText(formula);
        return 0;
    });

    // Groups, outermost first.
    const Json& groups = Array(doc, "groups", "the report");
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::string w = "group " + std::to_string(i + 1);
        const auto fieldName = Text(groups[i], "field", w);
        const auto condition = Integer(groups[i], "condition", w, 0, 15);
        const auto order = Integer(groups[i], "order", w, 0, 2);
        Apply(w, [&] {
            const auto def = report->LookupFieldDefinition(fieldName);
            if (!def) {
                report->ResolveFieldName(fieldName); // throws naming the field
                throw EngineError("the field " + fieldName + " cannot be grouped on");
            }
            return report->InsertGroup(static_cast<int>(i), def, static_cast<int>(condition),
                                       static_cast<int>(order));
        });
    }

    // Summaries, in list order.
    ForEachEntry(doc, "summaries", "summary", [&](const Json& s, const std::string& w) {
        const auto fieldName = Text(s, "field", w);
        const auto op = static_cast<SummaryOperation>(Integer(s, "operation", w, 0, 18));
        const auto areaName = Text(s, "area", w);
        Apply(w, [&] {
            const auto area = report->FindArea(areaName);
            if (!area || (area->AreaKind() != AreaKind::GroupHeader &&
                          area->AreaKind() != AreaKind::ReportHeader &&
                          area->AreaKind() != AreaKind::ReportFooter)) {
                throw EngineError("its area " + areaName +
                                  " is not a group header or the report header or footer");
            }
            const auto field = report->ResolveFieldName(fieldName);
            std::shared_ptr<FieldDefinition> second;
            int number = 0;
            if (SummaryNeedsSecondField(op)) {
                second = report->ResolveFieldName(Text(s, "secondField", w));
            }
            if (SummaryNeedsNumber(op)) {
                number = static_cast<int>(Integer(s, "number", w, 1, kLargestSummaryNumber));
            }
            const auto before = report->Summaries().size();
            report->FindOrAddSummary(field, op, area, second, number);
            if (report->Summaries().size() == before) {
                throw EngineError("it repeats an earlier summary");
            }
            return 0;
        });
    });
    const auto summaryAt = [&](const Json& v, const std::string& w) {
        if (!v.is_number_integer()) {
            Bad(w + " does not refer to a summary by its number");
        }
        const long long n = v.get<long long>();
        if (n < 1 || n > static_cast<long long>(report->Summaries().size())) {
            Bad(w + " refers to summary " + v.dump() + ", but the report has " +
                std::to_string(report->Summaries().size()) + " summaries");
        }
        return report->Summaries()[static_cast<std::size_t>(n - 1)];
    };

    ForEachEntry(doc, "summarySorts", "summary sort", [&](const Json& sort, const std::string& w) {
        const auto summary = summaryAt(Member(sort, "summary", w), w);
        const auto direction = Integer(sort, "direction", w, 0, 1);
        const auto before = report->SummarySorts().size();
        Apply(w, [&] {
            report->AddSummarySort(summary, static_cast<int>(direction));
            return 0;
        });
        if (report->SummarySorts().size() == before) {
            Bad(w + " repeats an earlier summary sort");
        }
    });
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::string w = "group " + std::to_string(i + 1);
        const auto header = report->GroupHeader(static_cast<int>(i + 1));
        const auto mode = Integer(groups[i], "sortMode", w, 0, 3);
        const auto top = Integer(groups[i], "topCount", w, 1, 1000000);
        const bool drop = Flag(groups[i], "dropOthers", w);
        const Json& sortSummary = Member(groups[i], "sortSummary", w);
        const bool sortedAll = header->GroupData()->sortMode == GroupSortMode::SortAll;
        if ((mode == 1) != sortedAll) {
            Bad(w + " has sort mode " + std::to_string(mode) + " but " +
                (sortedAll ? "is" : "is not") + " in the summary sort list");
        }
        Apply(w, [&] {
            header->SetGroupTopCount(static_cast<int>(top));
            header->SetDropOthers(drop);
            if (!sortSummary.is_null()) {
                header->SetGroupSortSummary(summaryAt(sortSummary, w + "'s sort summary"));
            }
            header->SetGroupSortMode(static_cast<int>(mode));
            return 0;
        });
    }

    // Areas, sections and objects.
    const Json& areas = Array(doc, "areas", "the report");
    const auto& model = report->Areas();
    if (areas.size() != model.size()) {
        Bad("the report has " + std::to_string(areas.size()) + " areas, but " +
            std::to_string(groups.size()) + " groups make " + std::to_string(model.size()));
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
        const Json& objects = Array(sections[0], "objects", sw);
        for (std::size_t k = 0; k < objects.size(); ++k) {
            const std::string ow = "object " + std::to_string(k + 1) + " of " + sw;
            const Json& o = objects[k];
            const std::string kind = Text(o, "kind", ow);
            const int left = static_cast<int>(Integer(o, "left", ow, 0, 1 << 30));
            const int top = static_cast<int>(Integer(o, "top", ow, 0, 1 << 30));
            const int width = static_cast<int>(Integer(o, "width", ow, 1, 1 << 30));
            const int height = static_cast<int>(Integer(o, "height", ow, 1, 1 << 30));
            const int align = static_cast<int>(Integer(o, "align", ow, 0, 3));
            std::shared_ptr<ReportObject> placed;
            if (kind == "text") {
                placed = section->PlaceTextObject(Text(o, "text", ow), left, top);
            } else if (kind == "field") {
                if (o.contains("summary")) {
                    const auto summary = summaryAt(o["summary"], ow);
                    placed =
                        Apply(ow, [&] { return section->PlaceFieldObject(summary, left, top); });
                } else if (o.contains("groupName")) {
                    const auto n = Integer(o, "groupName", ow, 1, report->GroupCount());
                    const auto nameField =
                        report->Groups()[static_cast<std::size_t>(n - 1)]->nameField;
                    placed =
                        Apply(ow, [&] { return section->PlaceFieldObject(nameField, left, top); });
                } else {
                    const auto fieldName = Text(o, "field", ow);
                    placed =
                        Apply(ow, [&] { return section->PlaceFieldObject(fieldName, left, top); });
                }
            } else {
                Bad(ow + " is of unknown kind \"" + kind + "\"");
            }
            placed->SetObjectWidth(width);
            placed->SetObjectHeight(height);
            placed->SetHorizontalAlign(align);
        }
    }

    // Every summary must be shown somewhere: the engine never keeps one that is not.
    for (std::size_t i = 0; i < report->Summaries().size(); ++i) {
        const auto& s = report->Summaries()[i];
        bool shown = false;
        for (const auto& a : report->Areas()) {
            for (const auto& sec : a->Sections()) {
                for (const auto& o : sec->Objects()) {
                    shown = shown || (o->Kind() == ObjectKind::Field && o->field() == s);
                }
            }
        }
        if (!shown) {
            Bad("summary " + std::to_string(i + 1) + " (" + s->Name() +
                ") is not shown by any object");
        }
    }
    return report;
}

// ------------------------------------------------------------------ describing

Json DescribeField(const FieldDefinition& f) {
    Json j;
    j["name"] = f.Name();
    j["kind"] = static_cast<int>(f.Kind());
    j["valueType"] = static_cast<int>(f.ValueType());
    j["valueTypeName"] = ValueTypeName(f.ValueType());
    return j;
}

} // namespace

std::string SerializeReport(const Report& report, const std::string& reportPath) {
    Json doc;
    doc["format"] = kFormat;
    doc["version"] = kVersion;
    doc["kind"] = static_cast<int>(report.GetReportKind());
    doc["title"] = report.GetTitleText();
    doc["style"] = report.GetLayoutStyle();
    doc["selectionFormula"] = report.GetSelectionFormulaText();

    const auto ds = report.GetDataSource();
    Json jds;
    jds["path"] = StoredDataSourcePath(ds->Path(), reportPath);
    jds["tables"] = Json::array();
    for (const auto& t : ds->Tables()) {
        Json jt;
        jt["name"] = t->TableName();
        jt["view"] = t->IsView();
        jt["fields"] = Json::array();
        for (const auto& f : t->Fields()) {
            jt["fields"].push_back({{"name", f->ShortName()}, {"declaredType", f->DeclaredType()}});
        }
        jds["tables"].push_back(jt);
    }
    jds["links"] = Json::array();
    for (const auto& l : ds->Links()) {
        jds["links"].push_back({{"fromTable", l->FromTable()},
                                {"fromFields", l->FromFields()},
                                {"toTable", l->ToTable()},
                                {"toFields", l->ToFields()}});
    }
    doc["dataSource"] = jds;

    doc["formulas"] = Json::array();
    for (const auto& f : report.Formulas()) {
        doc["formulas"].push_back({{"name", f->ShortName()},
                                   {"text", f->DefinitionText()},
                                   {"valueType", static_cast<int>(f->ValueType())}});
    }
    doc["parameters"] = Json::array();
    for (const auto& f : report.Parameters()) {
        doc["parameters"].push_back({{"name", f->ShortName()},
                                     {"valueType", static_cast<int>(f->ValueType())},
                                     {"prompt", f->DefinitionText()}});
    }
    doc["sqlExpressions"] = Json::array();
    for (const auto& f : report.SqlExpressions()) {
        doc["sqlExpressions"].push_back({{"name", f->ShortName()},
                                         {"expression", f->DefinitionText()},
                                         {"valueType", static_cast<int>(f->ValueType())}});
    }
    doc["runningTotals"] = Json::array();
    for (const auto& f : report.RunningTotals()) {
        doc["runningTotals"].push_back({{"name", f->ShortName()},
                                        {"field", f->GetSummarizedField()->Name()},
                                        {"operation", static_cast<int>(f->GetSummaryOperation())}});
    }

    doc["groups"] = Json::array();
    for (const auto& g : report.Groups()) {
        Json jg;
        jg["field"] = g->field->Name();
        jg["condition"] = static_cast<int>(g->condition);
        jg["order"] = static_cast<int>(g->order);
        jg["sortMode"] = static_cast<int>(g->sortMode);
        jg["topCount"] = g->topCount;
        jg["dropOthers"] = g->dropOthers;
        const auto sortSummary = g->sortSummary.lock();
        jg["sortSummary"] = sortSummary ? Json(ObjectIndexOfSummary(report, sortSummary)) : Json();
        doc["groups"].push_back(jg);
    }
    doc["summaries"] = Json::array();
    for (const auto& s : report.Summaries()) {
        Json js;
        js["field"] = s->GetSummarizedField()->Name();
        js["operation"] = static_cast<int>(s->GetSummaryOperation());
        js["area"] = s->GetSummaryArea()->Name();
        if (SummaryNeedsSecondField(s->GetSummaryOperation())) {
            js["secondField"] = s->GetSecondSummarizedField()->Name();
        }
        if (SummaryNeedsNumber(s->GetSummaryOperation())) {
            js["number"] = s->GetSummaryNumber();
        }
        doc["summaries"].push_back(js);
    }
    doc["summarySorts"] = Json::array();
    for (const auto& s : report.SummarySorts()) {
        doc["summarySorts"].push_back({{"summary", ObjectIndexOfSummary(report, s->GetSummary())},
                                       {"direction", static_cast<int>(s->GetSortDirection())}});
    }

    doc["areas"] = Json::array();
    for (const auto& a : report.Areas()) {
        Json ja;
        ja["name"] = a->Name();
        ja["sections"] = Json::array();
        for (const auto& sec : a->Sections()) {
            Json js;
            js["height"] = sec->SectionHeight();
            js["objects"] = Json::array();
            for (const auto& o : sec->Objects()) {
                js["objects"].push_back(ObjectToFile(report, *o));
            }
            ja["sections"].push_back(js);
        }
        doc["areas"].push_back(ja);
    }
    return Dump(doc) + "\n";
}

void SaveReportToFile(const Report& report, const std::string& path, int option) {
    if (option != 0) {
        throw EngineError("Cannot save the report to " + path + ": save option " +
                          std::to_string(option) + " is not supported (use 0).");
    }
    if (path.empty()) {
        throw EngineError("Cannot save the report: no file name was given.");
    }
    WriteFileAtomically(path, SerializeReport(report, path));
}

namespace {

// A report nests a handful of levels of arrays and objects. Far deeper JSON can only be
// hostile, and reading it would recurse until the stack ran out.
constexpr int kMaxNesting = 64;

// True when the JSON text nests arrays and objects deeper than kMaxNesting.
bool NestedTooDeeply(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            i += c == '\\' ? 1 : 0;
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting) {
                return true;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

} // namespace

std::shared_ptr<Report> LoadReportFromText(const std::string& text, const std::string& path) {
    const auto fail = [&](const std::string& problem) {
        return EngineError("Cannot read report " + path + ": " + problem + ".");
    };
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        throw fail("the file is empty");
    }
    if (NestedTooDeeply(text)) {
        throw fail("the file is nested too deeply (more than " + std::to_string(kMaxNesting) +
                   " levels of arrays and objects)");
    }
    Json doc;
    try {
        doc = Json::parse(text);
    } catch (const Json::parse_error& e) {
        if (e.byte >= text.size()) {
            throw fail("the file is truncated (unexpected end of JSON at byte " +
                       std::to_string(text.size()) + ")");
        }
        throw fail("the file is not valid JSON (syntax error at byte " + std::to_string(e.byte) +
                   ")");
    } catch (const Json::out_of_range&) {
        throw fail("the file holds a number too large to read");
    }
    try {
        auto report = ReadReport(doc, path);
        report->SetFilePath(path);
        return report;
    } catch (const Damaged& d) {
        throw fail(d.problem);
    } catch (const EngineError& e) {
        std::string why = e.Description();
        if (!why.empty() && why.back() == '.') {
            why.pop_back();
        }
        throw fail(why);
    } catch (const Json::exception& e) {
        throw fail(std::string("the file holds an unexpected value (") + e.what() + ")");
    }
}

std::shared_ptr<Report> LoadReportFromFile(const std::string& path) {
    if (path.empty()) {
        throw EngineError("Cannot read the report: no file name was given.");
    }
    std::string text;
    try {
        text = ReadRegularFile(path, kMaxFileSize);
    } catch (const FileError& e) {
        throw EngineError("Cannot read report " + path + ": " + e.Reason() + ".");
    }
    return LoadReportFromText(text, path);
}

std::string DescribeReport(const Report& report) {
    Json doc;
    doc["kind"] = static_cast<int>(report.GetReportKind());
    doc["title"] = report.GetTitleText();
    doc["style"] = report.GetLayoutStyle();
    doc["styleName"] = StyleFor(report.GetLayoutStyle()).name;
    doc["selectionFormula"] = report.GetSelectionFormulaText();

    const auto ds = report.GetDataSource();
    Json jds;
    jds["path"] = ds->Path();
    jds["tables"] = Json::array();
    for (const auto& t : ds->Tables()) {
        Json jt;
        jt["name"] = t->TableName();
        jt["view"] = t->IsView();
        jt["fields"] = Json::array();
        for (const auto& f : t->Fields()) {
            Json jf = DescribeField(*f);
            jf["declaredType"] = f->DeclaredType();
            jt["fields"].push_back(jf);
        }
        jds["tables"].push_back(jt);
    }
    jds["links"] = Json::array();
    for (const auto& l : ds->Links()) {
        jds["links"].push_back({{"from", l->FromTable()},
                                {"fromFields", l->FromFields()},
                                {"to", l->ToTable()},
                                {"toFields", l->ToFields()}});
    }
    doc["dataSource"] = jds;

    Json defs = Json::array();
    for (const auto& f : report.Formulas()) {
        Json j = DescribeField(*f);
        j["text"] = f->DefinitionText();
        defs.push_back(j);
    }
    for (const auto& f : report.Parameters()) {
        Json j = DescribeField(*f);
        j["prompt"] = f->DefinitionText();
        defs.push_back(j);
    }
    for (const auto& f : report.RunningTotals()) {
        Json j = DescribeField(*f);
        j["field"] = f->GetSummarizedField()->Name();
        j["operation"] = static_cast<int>(f->GetSummaryOperation());
        defs.push_back(j);
    }
    for (const auto& f : report.SqlExpressions()) {
        Json j = DescribeField(*f);
        j["expression"] = f->DefinitionText();
        defs.push_back(j);
    }
    doc["fieldDefinitions"] = defs;

    doc["areas"] = Json::array();
    for (const auto& a : report.Areas()) {
        Json ja;
        ja["name"] = a->Name();
        ja["kind"] = static_cast<int>(a->AreaKind());
        if (a->AreaGroupNumber() != 0) {
            ja["groupNumber"] = a->AreaGroupNumber();
        }
        ja["sections"] = Json::array();
        for (const auto& sec : a->Sections()) {
            Json js;
            js["name"] = sec->Name();
            js["height"] = sec->SectionHeight();
            js["objects"] = Json::array();
            for (const auto& o : sec->Objects()) {
                Json jo;
                if (o->Kind() == ObjectKind::Field) {
                    jo["kind"] = "field";
                    jo["field"] = DescribeField(*o->field());
                } else {
                    jo["kind"] = "text";
                    jo["text"] = o->text();
                }
                jo["left"] = o->Left();
                jo["top"] = o->Top();
                jo["width"] = o->ObjectWidth();
                jo["height"] = o->ObjectHeight();
                jo["align"] = static_cast<int>(o->HorizontalAlign());
                js["objects"].push_back(jo);
            }
            ja["sections"].push_back(js);
        }
        doc["areas"].push_back(ja);
    }

    doc["groups"] = Json::array();
    for (const auto& g : report.Groups()) {
        Json jg;
        jg["number"] = g->number;
        jg["field"] = g->field->Name();
        jg["condition"] = static_cast<int>(g->condition);
        jg["order"] = static_cast<int>(g->order);
        jg["sortMode"] = static_cast<int>(g->sortMode);
        jg["topCount"] = g->topCount;
        jg["dropOthers"] = g->dropOthers;
        const auto s = g->sortSummary.lock();
        jg["sortSummary"] = s ? Json(s->Name()) : Json();
        doc["groups"].push_back(jg);
    }
    doc["summaries"] = Json::array();
    for (const auto& s : report.Summaries()) {
        Json js;
        js["name"] = s->Name();
        js["field"] = s->GetSummarizedField()->Name();
        js["operation"] = static_cast<int>(s->GetSummaryOperation());
        js["operationName"] = SummaryOperationName(s->GetSummaryOperation());
        js["area"] = s->GetSummaryArea()->Name();
        js["grandTotal"] = s->GetSummaryArea()->AreaGroupNumber() == 0;
        if (SummaryNeedsSecondField(s->GetSummaryOperation())) {
            js["secondField"] = s->GetSecondSummarizedField()->Name();
        }
        if (SummaryNeedsNumber(s->GetSummaryOperation())) {
            js["number"] = s->GetSummaryNumber();
        }
        doc["summaries"].push_back(js);
    }
    doc["summarySorts"] = Json::array();
    for (const auto& s : report.SummarySorts()) {
        doc["summarySorts"].push_back({{"summary", s->GetSummary()->Name()},
                                       {"direction", static_cast<int>(s->GetSortDirection())}});
    }
    return Dump(doc);
}

} // namespace foliant::engine
