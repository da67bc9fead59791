#include "engine/run/Runner.h"

#include "engine/SqliteHandles.h"
#include "engine/core/EngineError.h"
#include "engine/run/Selection.h"
#include "engine/run/Values.h"

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <set>

namespace foliant::engine::run {

namespace {

Value ColumnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, column));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt, column));
        return data ? Bytes(data, data + size) : Bytes{};
    }
    default:
        return {};
    }
}

// The second field of correlation, covariance and weighted average; null for the others.
std::shared_ptr<FieldDefinition> SecondField(const FieldDefinition& summary) {
    return SummaryNeedsSecondField(summary.GetSummaryOperation())
               ? summary.GetSecondSummarizedField()
               : nullptr;
}

// An SQL expression that orders a field's records as the engine orders its values, when there
// is one: numbers, text and Booleans by the column itself (the column's affinity keeps its
// values of one storage class), dates and date-times by their Julian day however they are
// stored (ISO text, Julian day, Unix seconds, as ReadStoredValue reads them). Nothing for
// times, formulas and the rest: their records stay in the order they were stored, and the
// engine orders the groups itself.
std::optional<std::string> SqlOrderExpression(const FieldDefinition& field) {
    if (field.Kind() != FieldKind::Database && field.Kind() != FieldKind::SqlExpression) {
        return std::nullopt;
    }
    const std::string c = ColumnExpression(field);
    const ValueType t = field.ValueType();
    if (IsNumericType(t) || IsTextType(t) || t == ValueType::Boolean) {
        return c;
    }
    if (IsDateType(t)) {
        return "CASE typeof(" + c + ") WHEN 'text' THEN julianday(trim(" + c +
               ")) WHEN 'real' THEN " + c + " WHEN 'integer' THEN CASE WHEN " + c +
               " BETWEEN 1721426 AND 5373484 THEN " + c + " ELSE " + c +
               " / 86400.0 + 2440587.5 END END";
    }
    return std::nullopt;
}

Date LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                              static_cast<unsigned>(local.tm_mday))};
}

// What a run must read and keep, found by walking everything the report shows or uses.
class Needs {
public:
    std::vector<std::shared_ptr<FieldDefinition>> read;   // database and SQL expression fields
    std::vector<std::shared_ptr<FieldDefinition>> stored; // record-level fields objects show

    void Use(const std::shared_ptr<FieldDefinition>& f) {
        if (!f || !visited_.insert(f.get()).second) {
            return;
        }
        switch (f->Kind()) {
        case FieldKind::Database:
        case FieldKind::SqlExpression:
            read.push_back(f);
            break;
        case FieldKind::Summary:
            Use(f->GetSummarizedField());
            Use(SecondField(*f));
            break;
        case FieldKind::RunningTotal:
            Use(f->GetSummarizedField());
            break;
        case FieldKind::GroupName:
            Use(f->GetGroupConditionField());
            break;
        case FieldKind::Formula:
            for (const auto& ref : FormulaFieldReferences(*f)) {
                Use(ref);
            }
            break;
        default:
            break;
        }
    }

    void Show(const std::shared_ptr<FieldDefinition>& f) {
        Use(f);
        if (!f || !shown_.insert(f.get()).second) {
            return;
        }
        switch (f->Kind()) {
        case FieldKind::Database:
        case FieldKind::SqlExpression:
        case FieldKind::Formula:
        case FieldKind::Parameter:
            stored.push_back(f);
            break;
        case FieldKind::RunningTotal:
            Show(f->GetSummarizedField());
            break;
        default:
            break;
        }
    }

    // Formula fields read the fields their formula names; the formula unit answers which.
    std::function<std::vector<std::shared_ptr<FieldDefinition>>(const FieldDefinition&)>
        FormulaFieldReferences =
            [](const FieldDefinition&) { return std::vector<std::shared_ptr<FieldDefinition>>{}; };

private:
    std::set<const FieldDefinition*> visited_;
    std::set<const FieldDefinition*> shown_;
};

} // namespace

int RunResult::SummaryLevel(const FieldDefinition& summary) {
    const auto area = summary.GetSummaryArea();
    if (area && area->AreaKind() == AreaKind::GroupHeader) {
        return area->AreaGroupNumber();
    }
    return 0;
}

Value RunResult::StoredValue(std::uint32_t record, const FieldDefinition& field) const {
    const auto found = storedIndex_.find(&field);
    if (found == storedIndex_.end() || record >= records.size()) {
        return {};
    }
    const auto& row = records[record];
    return found->second < row.size() ? row[found->second] : Value{};
}

Value RunResult::SummaryValue(const std::vector<const GroupNode*>& path,
                              const FieldDefinition& summary) const {
    const auto found = summaryIndex_.find(&summary);
    if (found == summaryIndex_.end()) {
        return {};
    }
    const auto [level, index] = found->second;
    if (static_cast<std::size_t>(level) >= path.size() || !path[static_cast<std::size_t>(level)]) {
        return {};
    }
    const GroupNode& node = *path[static_cast<std::size_t>(level)];
    return index < node.summaries.size() ? node.summaries[index].Result() : Value{};
}

RunResult RunReport(const Report& report, const RunOptions& options) {
    RunResult result;
    result.report = report.shared_from_this();
    result.runDate = options.today ? *options.today : LocalToday();
    const auto source = report.GetDataSource();
    if (!source) {
        throw EngineError("The report has no data source to run over.");
    }

    // What the report uses.
    SelectionFilter selection(report, result.runDate, options.parameters);
    Needs needs;
    needs.FormulaFieldReferences = [&](const FieldDefinition& f) {
        return selection.FormulaReferences(f);
    };
    for (const auto& object : report.AllObjects()) {
        if (object->Kind() == ObjectKind::Field) {
            needs.Show(object->field());
        }
    }
    const auto groups = report.Groups();
    for (const auto& g : groups) {
        needs.Use(g->field);
    }
    for (const auto& s : report.Summaries()) {
        needs.Use(s);
    }
    for (const auto& f : selection.Fields()) {
        needs.Use(f);
    }

    // Summaries by level.
    const int levels = static_cast<int>(groups.size());
    result.levelSummaries.assign(static_cast<std::size_t>(levels) + 1, {});
    std::vector<std::vector<SummaryRule>> rules(static_cast<std::size_t>(levels) + 1);
    for (const auto& s : report.Summaries()) {
        const int level = RunResult::SummaryLevel(*s);
        if (level < 0 || level > levels) {
            continue;
        }
        auto& list = result.levelSummaries[static_cast<std::size_t>(level)];
        result.summaryIndex_[s.get()] = {level, list.size()};
        list.push_back(s);
        rules[static_cast<std::size_t>(level)].push_back(
            {s->GetSummaryOperation(), s->GetSummaryNumber()});
    }

    // How each level is arranged.
    std::vector<LevelArrangement> arrangement;
    for (const auto& g : groups) {
        LevelArrangement how;
        how.order = g->order;
        how.sortMode = g->sortMode;
        how.topCount = g->topCount;
        how.dropOthers = g->dropOthers;
        std::shared_ptr<FieldDefinition> sortSummary = g->sortSummary.lock();
        if (g->sortMode == GroupSortMode::SortAll) {
            sortSummary = nullptr;
            if (const auto sort = report.SortOfGroup(*g)) {
                sortSummary = sort->GetSummary();
                how.direction = sort->GetSortDirection();
            }
        }
        if (sortSummary) {
            const auto found = result.summaryIndex_.find(sortSummary.get());
            if (found != result.summaryIndex_.end() && found->second.first == g->number) {
                how.sortSummary = static_cast<int>(found->second.second);
            }
        }
        arrangement.push_back(how);
    }

    // The query: the used columns, the part of the selection SQL can do, the groups' order
    // as far as SQL gives the same order (a group in original order ends it).
    SqliteConnection conn;
    const std::string& path = source->Path();
    if (sqlite3_open_v2(path.c_str(), &conn.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        throw EngineError("Cannot open the database " + path + ": " +
                          (conn.db ? sqlite3_errmsg(conn.db) : "out of memory") + ".");
    }
    QueryRequest request;
    request.fields = needs.read;
    const auto where = selection.Where(conn.db, needs.read);
    request.where = where.clause;
    request.whereParameters = where.parameters;
    result.selectionInQuery = where.exact;
    for (const auto& g : groups) {
        const auto expression =
            g->order == GroupOrder::Original ? std::nullopt : SqlOrderExpression(*g->field);
        if (!expression) {
            break;
        }
        request.order.push_back({*expression, g->order == GroupOrder::Descending});
    }
    result.groupsOrderedByQuery = request.order.size() == groups.size();
    result.query = BuildQuery(*source, request);
    const auto& columns = result.query.columns;
    std::map<const FieldDefinition*, std::size_t> columnOf;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columnOf[columns[i].get()] = i;
    }

    for (std::size_t i = 0; i < needs.stored.size(); ++i) {
        result.storedIndex_[needs.stored[i].get()] = i;
    }
    result.storedFields = needs.stored;

    SqliteStatement stmt;
    if (sqlite3_prepare_v2(conn.db, result.query.sql.c_str(), -1, &stmt.stmt, nullptr) !=
        SQLITE_OK) {
        // A table without rowids: the stored order is left to SQLite.
        request.orderByRowid = false;
        result.query = BuildQuery(*source, request);
    }
    if (!stmt.stmt && sqlite3_prepare_v2(conn.db, result.query.sql.c_str(), -1, &stmt.stmt,
                                         nullptr) != SQLITE_OK) {
        throw EngineError("Cannot read the report's records from " + path + ": " +
                          sqlite3_errmsg(conn.db) + ".");
    }
    BindParameters(stmt.stmt, result.query.parameters);

    result.tree = std::make_unique<GroupTree>(std::move(rules));
    GroupTree& tree = *result.tree;
    // A report that shows nothing per record (no record fields anywhere, no running totals,
    // details that take no room) needs only its groups and summaries, not its records.
    bool detailsTakeRoom = false;
    if (const auto details = report.FindArea("D")) {
        for (const auto& s : details->Sections()) {
            detailsTakeRoom = detailsTakeRoom || s->SectionHeight() > 0 || !s->Objects().empty();
        }
    }
    tree.KeepRecordNumbers(detailsTakeRoom || !needs.stored.empty() ||
                           !report.RunningTotals().empty());

    std::vector<Value> row(columns.size());
    std::vector<Value> keys(static_cast<std::size_t>(levels));
    std::map<const FieldDefinition*, Value> computed; // formula values of the current record
    const bool storeRows = !needs.stored.empty();

    const auto fieldValue = [&](const std::shared_ptr<FieldDefinition>& f) -> Value {
        if (!f) {
            return {};
        }
        if (const auto c = columnOf.find(f.get()); c != columnOf.end()) {
            return row[c->second];
        }
        switch (f->Kind()) {
        case FieldKind::Parameter: {
            const auto p = options.parameters.find(f->ShortName());
            return p != options.parameters.end() ? p->second : Value{};
        }
        case FieldKind::Formula: {
            auto found = computed.find(f.get());
            if (found == computed.end()) {
                found =
                    computed.emplace(f.get(), selection.EvaluateField(*f, RecordView{columns, row}))
                        .first;
            }
            return found->second;
        }
        default:
            return {};
        }
    };

    const GroupTree::SummaryInput input = [&](int level, int index) -> std::pair<Value, Value> {
        const auto& s =
            result.levelSummaries[static_cast<std::size_t>(level)][static_cast<std::size_t>(index)];
        return {fieldValue(s->GetSummarizedField()), fieldValue(SecondField(*s))};
    };

    // A report that reads no table has no records (rather than SQLite's one row of nothing).
    std::uint32_t record = 0;
    constexpr std::uint64_t kProgressEvery = 4096;
    std::uint64_t read = 0;
    for (; !result.query.tables.empty();) {
        if (options.recordLimit != 0 && record >= options.recordLimit) {
            result.truncated = sqlite3_step(stmt.stmt) == SQLITE_ROW;
            break;
        }
        if (options.progress && ++read % kProgressEvery == 0 && !options.progress(read)) {
            throw RunCancelled();
        }
        const int rc = sqlite3_step(stmt.stmt);
        if (rc == SQLITE_DONE) {
            break;
        }
        if (rc != SQLITE_ROW) {
            throw EngineError("Cannot read the report's records from " + path + ": " +
                              sqlite3_errmsg(conn.db) + ".");
        }
        for (std::size_t i = 0; i < columns.size(); ++i) {
            row[i] = ReadStoredValue(ColumnValue(stmt.stmt, static_cast<int>(i)),
                                     columns[i]->ValueType());
        }
        computed.clear();
        if (!result.selectionInQuery && !selection.Selects(RecordView{columns, row})) {
            continue;
        }
        for (int g = 0; g < levels; ++g) {
            const auto& group = groups[static_cast<std::size_t>(g)];
            keys[static_cast<std::size_t>(g)] =
                GroupKey(fieldValue(group->field), group->condition);
        }
        tree.AddRecord(record, keys, input);
        if (storeRows) {
            std::vector<Value> stored;
            stored.reserve(needs.stored.size());
            for (const auto& f : needs.stored) {
                stored.push_back(fieldValue(f));
            }
            result.records.push_back(std::move(stored));
        }
        if (record == UINT32_MAX) {
            throw EngineError("The report selects more than 4294967295 records.");
        }
        ++record;
    }
    result.recordCount = record;
    tree.Arrange(arrangement);
    return result;
}

} // namespace foliant::engine::run
