// Writing a report as JSON: the report file (SerializeReport) and the description
// (DescribeReport) walk the report with the same writers. The file refers to summaries by
// their number and keeps only what reading needs; the description names everything and adds
// what a person wants to see (kinds, type and operation names, section names).

#include "engine/LayoutStyle.h"
#include "engine/ReportFile.h"
#include "engine/ReportFileFormat.h"

#include <string>

namespace foliant::engine {

namespace {

using Json = ReportJson;
namespace fs = std::filesystem;

enum class Purpose { File, Description };

// The data source path as stored: relative to the report's folder when the database lies in
// that folder or below it, absolute otherwise; a server's URI as it is (it has no password).
std::string StoredDataSourcePath(const std::string& databasePath, const std::string& reportPath) {
    if (DataSource::IsServerUri(databasePath)) {
        return databasePath;
    }
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

// A field definition as the description shows it.
Json DescribeField(const FieldDefinition& f) {
    Json j;
    j["name"] = f.Name();
    j["kind"] = static_cast<int>(f.Kind());
    j["valueType"] = static_cast<int>(f.ValueType());
    j["valueTypeName"] = ValueTypeName(f.ValueType());
    return j;
}

// An object's own font and colour: only the choices made.
Json FormatJson(const ObjectFormat& format) {
    Json j = Json::object();
    if (format.fontFamily) {
        j["fontFamily"] = *format.fontFamily;
    }
    if (format.fontSize) {
        j["fontSize"] = *format.fontSize;
    }
    if (format.bold) {
        j["bold"] = *format.bold;
    }
    if (format.italic) {
        j["italic"] = *format.italic;
    }
    if (format.colour) {
        j["colour"] = ColourText(*format.colour);
    }
    return j;
}

class Writer {
public:
    Writer(const Report& report, Purpose purpose)
        : report_(report), describe_(purpose == Purpose::Description) {}

    Json DataSource(const std::string& path) const;
    // One formula, parameter, SQL expression or running total.
    Json Definition(const FieldDefinition& f) const;
    Json Definitions(const std::vector<std::shared_ptr<FieldDefinition>>& list) const;
    Json Groups() const;
    Json Summaries() const;
    Json SummarySorts() const;
    Json Areas() const;

private:
    // A summary as others refer to it: by its number in the file, by its name in the
    // description.
    Json SummaryReference(const std::shared_ptr<FieldDefinition>& summary) const;
    Json Object(const ReportObject& o) const;

    const Report& report_;
    bool describe_;
};

Json Writer::DataSource(const std::string& path) const {
    const auto ds = report_.GetDataSource();
    Json j;
    j["path"] = path;
    j["tables"] = Json::array();
    for (const auto& t : ds->Tables()) {
        Json jt;
        jt["name"] = t->TableName();
        jt["view"] = t->IsView();
        jt["fields"] = Json::array();
        for (const auto& f : t->Fields()) {
            Json jf = describe_ ? DescribeField(*f) : Json{{"name", f->ShortName()}};
            jf["declaredType"] = f->DeclaredType();
            jt["fields"].push_back(jf);
        }
        j["tables"].push_back(jt);
    }
    j["links"] = Json::array();
    for (const auto& l : ds->Links()) {
        j["links"].push_back({{describe_ ? "from" : "fromTable", l->FromTable()},
                              {"fromFields", l->FromFields()},
                              {describe_ ? "to" : "toTable", l->ToTable()},
                              {"toFields", l->ToFields()}});
    }
    return j;
}

Json Writer::Definition(const FieldDefinition& f) const {
    Json j = describe_ ? DescribeField(f) : Json{{"name", f.ShortName()}};
    // The file states each value type; a parameter's comes before its prompt.
    const bool typed = !describe_;
    const int type = static_cast<int>(f.ValueType());
    switch (f.Kind()) {
    case FieldKind::Formula:
        j["text"] = f.DefinitionText();
        break;
    case FieldKind::Parameter:
        if (typed) {
            j["valueType"] = type;
        }
        j["prompt"] = f.DefinitionText();
        return j;
    case FieldKind::SqlExpression:
        j["expression"] = f.DefinitionText();
        break;
    case FieldKind::RunningTotal:
        j["field"] = f.GetSummarizedField()->Name();
        j["operation"] = static_cast<int>(f.GetSummaryOperation());
        return j;
    default:
        return j;
    }
    if (typed) {
        j["valueType"] = type;
    }
    return j;
}

Json Writer::Definitions(const std::vector<std::shared_ptr<FieldDefinition>>& list) const {
    Json j = Json::array();
    for (const auto& f : list) {
        j.push_back(Definition(*f));
    }
    return j;
}

Json Writer::SummaryReference(const std::shared_ptr<FieldDefinition>& summary) const {
    if (describe_) {
        return summary->Name();
    }
    const auto& all = report_.Summaries();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i] == summary) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

Json Writer::Groups() const {
    Json list = Json::array();
    for (const auto& g : report_.Groups()) {
        Json j;
        if (describe_) {
            j["number"] = g->number;
        }
        j["field"] = g->field->Name();
        j["condition"] = static_cast<int>(g->condition);
        j["order"] = static_cast<int>(g->order);
        j["sortMode"] = static_cast<int>(g->sortMode);
        j["topCount"] = g->topCount;
        j["dropOthers"] = g->dropOthers;
        const auto sortSummary = g->sortSummary.lock();
        j["sortSummary"] = sortSummary ? SummaryReference(sortSummary) : Json();
        list.push_back(j);
    }
    return list;
}

Json Writer::Summaries() const {
    Json list = Json::array();
    for (const auto& s : report_.Summaries()) {
        const SummaryOperation op = s->GetSummaryOperation();
        Json j;
        if (describe_) {
            j["name"] = s->Name();
        }
        j["field"] = s->GetSummarizedField()->Name();
        j["operation"] = static_cast<int>(op);
        if (describe_) {
            j["operationName"] = SummaryOperationName(op);
        }
        j["area"] = s->GetSummaryArea()->Name();
        if (describe_) {
            j["grandTotal"] = s->GetSummaryArea()->AreaGroupNumber() == 0;
        }
        if (SummaryNeedsSecondField(op)) {
            j["secondField"] = s->GetSecondSummarizedField()->Name();
        }
        if (SummaryNeedsNumber(op)) {
            j["number"] = s->GetSummaryNumber();
        }
        list.push_back(j);
    }
    return list;
}

Json Writer::SummarySorts() const {
    Json list = Json::array();
    for (const auto& s : report_.SummarySorts()) {
        list.push_back({{"summary", SummaryReference(s->GetSummary())},
                        {"direction", static_cast<int>(s->GetSortDirection())}});
    }
    return list;
}

Json Writer::Object(const ReportObject& o) const {
    Json j;
    if (o.Kind() == ObjectKind::Text) {
        j["kind"] = "text";
        j["text"] = o.text();
    } else {
        j["kind"] = "field";
        const auto f = o.field();
        if (describe_) {
            j["field"] = DescribeField(*f);
        } else if (f->Kind() == FieldKind::Summary) {
            j["summary"] = SummaryReference(f);
        } else if (f->Kind() == FieldKind::GroupName) {
            // By group number: two groups on one field have group names of the same name.
            j["groupName"] = f->GroupOfName().lock()->number;
        } else {
            j["field"] = f->Name();
        }
    }
    j["left"] = o.Left();
    j["top"] = o.Top();
    j["width"] = o.ObjectWidth();
    j["height"] = o.ObjectHeight();
    j["align"] = static_cast<int>(o.HorizontalAlign());
    if (!o.Format().Empty()) {
        j["format"] = FormatJson(o.Format());
    }
    return j;
}

Json Writer::Areas() const {
    Json list = Json::array();
    for (const auto& a : report_.Areas()) {
        Json ja;
        ja["name"] = a->Name();
        if (describe_) {
            ja["kind"] = static_cast<int>(a->AreaKind());
            if (a->AreaGroupNumber() != 0) {
                ja["groupNumber"] = a->AreaGroupNumber();
            }
        }
        ja["sections"] = Json::array();
        for (const auto& sec : a->Sections()) {
            Json js;
            if (describe_) {
                js["name"] = sec->Name();
            }
            js["height"] = sec->SectionHeight();
            if (sec->NewPageBefore()) {
                js["newPageBefore"] = true;
            }
            js["objects"] = Json::array();
            for (const auto& o : sec->Objects()) {
                js["objects"].push_back(Object(*o));
            }
            ja["sections"].push_back(js);
        }
        list.push_back(ja);
    }
    return list;
}

} // namespace

std::string SerializeReport(const Report& report, const std::string& reportPath) {
    const Writer w(report, Purpose::File);
    Json doc;
    doc["format"] = kReportFormat;
    doc["version"] = kReportFormatVersion;
    doc["kind"] = static_cast<int>(report.GetReportKind());
    doc["title"] = report.GetTitleText();
    doc["style"] = report.GetLayoutStyle();
    doc["selectionFormula"] = report.GetSelectionFormulaText();
    doc["dataSource"] =
        w.DataSource(StoredDataSourcePath(report.GetDataSource()->Path(), reportPath));
    doc["formulas"] = w.Definitions(report.Formulas());
    doc["parameters"] = w.Definitions(report.Parameters());
    doc["sqlExpressions"] = w.Definitions(report.SqlExpressions());
    doc["runningTotals"] = w.Definitions(report.RunningTotals());
    doc["groups"] = w.Groups();
    doc["summaries"] = w.Summaries();
    doc["summarySorts"] = w.SummarySorts();
    doc["areas"] = w.Areas();
    return Dump(doc) + "\n";
}

std::string DescribeReport(const Report& report) {
    const Writer w(report, Purpose::Description);
    Json doc;
    doc["kind"] = static_cast<int>(report.GetReportKind());
    doc["title"] = report.GetTitleText();
    doc["style"] = report.GetLayoutStyle();
    doc["styleName"] = StyleFor(report.GetLayoutStyle()).name;
    doc["selectionFormula"] = report.GetSelectionFormulaText();
    doc["dataSource"] = w.DataSource(report.GetDataSource()->Path());
    Json definitions = Json::array();
    for (const auto* list : {&report.Formulas(), &report.Parameters(), &report.RunningTotals(),
                             &report.SqlExpressions()}) {
        for (const auto& f : *list) {
            definitions.push_back(w.Definition(*f));
        }
    }
    doc["fieldDefinitions"] = definitions;
    doc["areas"] = w.Areas();
    doc["groups"] = w.Groups();
    doc["summaries"] = w.Summaries();
    doc["summarySorts"] = w.SummarySorts();
    return Dump(doc);
}

} // namespace foliant::engine
