#include "preview/CsvExport.h"

#include "engine/Area.h"
#include "engine/AtomicFile.h"
#include "engine/FieldDefinition.h"
#include "engine/ReportObject.h"
#include "engine/Section.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace foliant::preview {

namespace {

struct Column {
    int left = 0;
    std::shared_ptr<engine::FieldDefinition> field;
    std::string heading;
};

std::string Pad(unsigned value, int width) {
    std::string text = std::to_string(value);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(text.size()))),
                       '0') +
           text;
}

std::string IsoDate(engine::Date date) {
    const auto c = engine::CivilFromDays(date.days);
    return std::to_string(c.year) + "-" + Pad(c.month, 2) + "-" + Pad(c.day, 2);
}

std::string IsoTime(std::int64_t seconds) {
    const auto s = static_cast<unsigned>(seconds);
    return Pad(s / 3600, 2) + ":" + Pad(s / 60 % 60, 2) + ":" + Pad(s % 60, 2);
}

std::string PlainText(const engine::Value& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "true" : "false"; }
        std::string operator()(std::int64_t n) const { return std::to_string(n); }
        std::string operator()(double d) const {
            char buffer[32];
            const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, d);
            return error == std::errc() ? std::string(buffer, end) : std::string();
        }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(engine::Date d) const { return IsoDate(d); }
        std::string operator()(engine::TimeOfDay t) const { return IsoTime(t.seconds); }
        std::string operator()(engine::DateTime t) const {
            const std::int64_t day =
                t.seconds >= 0 ? t.seconds / 86400 : (t.seconds - 86399) / 86400;
            return IsoDate({static_cast<std::int32_t>(day)}) + " " +
                   IsoTime(t.seconds - day * 86400);
        }
        std::string operator()(const engine::Bytes&) const { return {}; }
    };
    return std::visit(Visitor{}, value);
}

std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// The page header's text object that stands over a column: the one at the same left.
std::string HeadingOver(const engine::Report& report, const Column& column) {
    if (const auto header = report.FindArea("PH")) {
        for (const auto& section : header->Sections()) {
            for (const auto& object : section->Objects()) {
                if (object->Kind() == engine::ObjectKind::Text && object->Left() == column.left) {
                    return object->text();
                }
            }
        }
    }
    const std::string& name = column.field->Name();
    return name.size() > 2 && name.front() == '{' ? name.substr(1, name.size() - 2) : name;
}

std::vector<Column> DetailColumns(const engine::run::RunResult& run) {
    std::vector<Column> columns;
    if (const auto details = run.report->FindArea("D")) {
        for (const auto& section : details->Sections()) {
            for (const auto& object : section->Objects()) {
                if (object->Kind() == engine::ObjectKind::Field && object->field()) {
                    columns.push_back({object->Left(), object->field(), {}});
                }
            }
        }
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const Column& a, const Column& b) { return a.left < b.left; });
    for (Column& column : columns) {
        column.heading = HeadingOver(*run.report, column);
    }
    return columns;
}

void AppendRow(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += (i == 0 ? "" : ",") + Quoted(fields[i]);
    }
    out += "\r\n";
}

void AppendRecords(std::string& out, const engine::run::RunResult& run,
                   const std::vector<Column>& columns, const engine::run::GroupNode& node) {
    for (const auto& child : node.children) {
        AppendRecords(out, run, columns, *child);
    }
    std::vector<std::string> fields(columns.size());
    for (const std::uint32_t record : node.records) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            fields[i] = PlainText(run.StoredValue(record, *columns[i].field));
        }
        AppendRow(out, fields);
    }
}

} // namespace

std::string DetailRecordsCsv(const engine::run::RunResult& run) {
    const std::vector<Column> columns = DetailColumns(run);
    std::string out;
    std::vector<std::string> headings;
    for (const Column& column : columns) {
        headings.push_back(column.heading);
    }
    AppendRow(out, headings);
    if (run.tree) {
        AppendRecords(out, run, columns, run.tree->Root());
    }
    return out;
}

void WriteDetailRecordsCsv(const engine::run::RunResult& run, const std::string& path) {
    engine::WriteFileAtomically(path, DetailRecordsCsv(run));
}

} // namespace foliant::preview
