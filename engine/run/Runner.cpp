#include "engine/run/Runner.h"

#include "engine/SourceConnection.h"
#include "engine/core/EngineError.h"
#include "engine/formula/SqlTranslation.h"
#include "engine/run/GroupPush.h"
#include "engine/run/Selection.h"
#include "engine/run/Values.h"

#include <algorithm>
#include <ctime>
#include <limits>
#include <set>

namespace foliant::engine::run {

namespace {

// The second field of correlation, covariance and weighted average; null for the others.
std::shared_ptr<FieldDefinition> SecondField(const FieldDefinition& summary) {
    return SummaryNeedsSecondField(summary.GetSummaryOperation())
               ? summary.GetSecondSummarizedField()
               : nullptr;
}

// An SQL expression that orders a field's records as the engine orders its values, when there
// is one: numbers, text and Booleans by the column itself (text byte by byte), dates and
// date-times as the dialect orders them however they are stored. Nothing for times, formulas
// and the rest: their records stay in the order they were stored, and the engine orders the
// groups itself.
std::optional<std::string> SqlOrderExpression(const FieldDefinition& field,
                                              const formula::SqlDialect& dialect) {
    if (field.Kind() != FieldKind::Database && field.Kind() != FieldKind::SqlExpression) {
        return std::nullopt;
    }
    const std::string c = ColumnExpression(field);
    const ValueType t = field.ValueType();
    if (IsTextType(t)) {
        return dialect.TextOrder(c);
    }
    if (IsNumericType(t) || t == ValueType::Boolean) {
        return c;
    }
    if (IsDateType(t)) {
        return dialect.DateOrder(c);
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
    return node.SummaryValue(index);
}

// One run of a report, step by step: what the report needs, its summaries by level, how each
// level of groups is arranged, the query, and the records read into the group tree.
class ReportRun {
public:
    ReportRun(const Report& report, const RunOptions& options)
        : report_(report), options_(options), source_(RequireSource(report)),
          runDate_(options.today ? *options.today : LocalToday()),
          selection_(report, runDate_, options.parameters), groups_(report.Groups()),
          levels_(groups_.size()) {
        result_.report = report.shared_from_this();
        result_.runDate = runDate_;
    }

    RunResult Run() {
        FindNeeds();
        auto rules = IndexSummaries();
        const auto arrangement = ArrangeLevels();
        OpenDatabase();
        if (PushGroupsDown(arrangement)) {
            return std::move(result_);
        }
        PrepareQuery();
        result_.tree = std::make_unique<GroupTree>(std::move(rules));
        listener_ = groups_.empty() && options_.recordLimit == 0 ? options_.listener : nullptr;
        result_.tree->KeepRecordNumbers(ShowsRecords() && !listener_);
        if (listener_) {
            listener_->Started(result_);
        }
        ReadRecords();
        result_.tree->Arrange(arrangement);
        if (listener_) {
            listener_->Finished(result_);
        }
        return std::move(result_);
    }

private:
    static std::shared_ptr<DataSource> RequireSource(const Report& report) {
        auto source = report.GetDataSource();
        if (!source) {
            throw EngineError("The report has no data source to run over.");
        }
        return source;
    }

    // What the report uses: the fields its objects show, its groups, summaries and selection.
    void FindNeeds() {
        needs_.FormulaFieldReferences = [this](const FieldDefinition& f) {
            return selection_.FormulaReferences(f);
        };
        for (const auto& object : report_.AllObjects()) {
            if (object->Kind() == ObjectKind::Field) {
                needs_.Show(object->field());
            }
        }
        for (const auto& g : groups_) {
            needs_.Use(g->field);
        }
        for (const auto& s : report_.Summaries()) {
            needs_.Use(s);
        }
        for (const auto& f : selection_.Fields()) {
            needs_.Use(f);
        }
        for (std::size_t i = 0; i < needs_.stored.size(); ++i) {
            result_.storedIndex_[needs_.stored[i].get()] = i;
        }
        result_.storedFields = needs_.stored;
    }

    // The summaries by level, indexed for the result; returns what the group tree computes at
    // each level.
    std::vector<std::vector<SummaryRule>> IndexSummaries() {
        result_.levelSummaries.assign(levels_ + 1, {});
        std::vector<std::vector<SummaryRule>> rules(levels_ + 1);
        for (const auto& s : report_.Summaries()) {
            const int level = RunResult::SummaryLevel(*s);
            if (level < 0 || static_cast<std::size_t>(level) > levels_) {
                continue;
            }
            auto& list = result_.levelSummaries[static_cast<std::size_t>(level)];
            result_.summaryIndex_[s.get()] = {level, list.size()};
            list.push_back(s);
            rules[static_cast<std::size_t>(level)].push_back(
                {s->GetSummaryOperation(), s->GetSummaryNumber(), s->GetSummarizedField().get(),
                 SecondField(*s).get()});
        }
        return rules;
    }

    // How each level's groups are ordered, sorted and cut.
    std::vector<LevelArrangement> ArrangeLevels() const {
        std::vector<LevelArrangement> arrangement;
        for (const auto& g : groups_) {
            LevelArrangement how;
            how.order = g->order;
            how.sortMode = g->sortMode;
            how.topCount = g->topCount;
            how.dropOthers = g->dropOthers;
            std::shared_ptr<FieldDefinition> sortSummary = g->sortSummary.lock();
            if (g->sortMode == GroupSortMode::SortAll) {
                sortSummary = nullptr;
                if (const auto sort = report_.SortOfGroup(*g)) {
                    sortSummary = sort->GetSummary();
                    how.direction = sort->GetSortDirection();
                }
            }
            if (sortSummary) {
                const auto found = result_.summaryIndex_.find(sortSummary.get());
                if (found != result_.summaryIndex_.end() && found->second.first == g->number) {
                    how.sortSummary = static_cast<int>(found->second.second);
                }
            }
            arrangement.push_back(how);
        }
        return arrangement;
    }

    void OpenDatabase() { connection_ = source_->Connect(); }

    // A report that shows no record: its groups and summaries computed by the database when
    // it can give exactly what reading the records would. False when the records must be read.
    bool PushGroupsDown(const std::vector<LevelArrangement>& arrangement) {
        if (options_.readEveryRecord || ShowsRecords() || needs_.read.empty()) {
            return false;
        }
        const auto where = selection_.Where(*connection_, needs_.read);
        if (!where.exact || !where.checked.empty()) {
            return false; // some records are the engine's to select
        }
        GroupPushRequest request;
        request.groups = groups_;
        request.levelSummaries = result_.levelSummaries;
        request.arrangement = arrangement;
        request.where = where.clause;
        request.whereParameters = where.parameters;
        std::optional<PushedGroups> pushed;
        Cancellable([&] {
            pushed = PushGroups(*source_, request, *connection_, [this] { return KeepGoing(); });
        });
        if (!pushed) {
            return false;
        }
        result_.tree = std::move(pushed->tree);
        result_.tree->Arrange(arrangement);
        result_.recordCount = static_cast<std::uint32_t>(
            std::min<std::int64_t>(pushed->records, std::numeric_limits<std::uint32_t>::max()));
        result_.query.sql = pushed->sql;
        result_.groupsComputedByQuery = true;
        return true;
    }

    // The query: the used columns, the part of the selection the database can do, the groups'
    // order as far as the database gives the same order (a group in original order ends it),
    // and then the order the records were stored in. Started, its records streaming.
    void PrepareQuery() {
        const formula::SqlDialect& dialect = connection_->Dialect();
        QueryRequest request;
        request.fields = needs_.read;
        const auto where = selection_.Where(*connection_, needs_.read);
        request.where = where.clause;
        request.whereParameters = where.parameters;
        result_.selectionInQuery = where.exact;
        checked_ = where.checked;
        for (const auto& g : groups_) {
            const auto expression = g->order == GroupOrder::Original
                                        ? std::nullopt
                                        : SqlOrderExpression(*g->field, dialect);
            if (!expression) {
                break;
            }
            request.order.push_back({*expression, g->order == GroupOrder::Descending});
        }
        result_.groupsOrderedByQuery = request.order.size() == groups_.size();
        request.storedOrder = [this](const Table& t) { return connection_->StoredOrder(t); };
        result_.query = BuildQuery(*source_, request, dialect);
        const auto& columns = result_.query.columns;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            columnOf_[columns[i].get()] = i;
        }
        for (const auto& [field, storage] : checked_) {
            checkedColumns_.emplace_back(columnOf_.at(field.get()), storage);
        }
        if (result_.query.tables.empty()) {
            return; // a report that reads no table has no records
        }
        Cancellable([&] {
            cursor_ = connection_->Query(result_.query.sql, result_.query.parameters,
                                         [this] { return KeepGoing(); });
        });
    }

    bool KeepGoing() { return !options_.progress || options_.progress(rowsRead_); }

    // Runs a step of reading, turning a cancelled statement into a cancelled run.
    template <typename F> void Cancellable(F&& step) {
        try {
            step();
        } catch (const QueryCancelled&) {
            throw RunCancelled();
        }
    }

    // Whether the run keeps each group's record numbers. A report that shows nothing per
    // record (no record fields anywhere, no running totals, details without objects, which
    // print nothing whatever their height) needs only its groups and summaries, not its
    // records.
    bool ShowsRecords() const {
        bool detailsShow = false;
        if (const auto details = report_.FindArea("D")) {
            for (const auto& s : details->Sections()) {
                detailsShow = detailsShow || !s->Objects().empty();
            }
        }
        return detailsShow || !needs_.stored.empty() || !report_.RunningTotals().empty();
    }

    // Where a field's value on the current record comes from: a column of the row, or
    // (column -1) FieldValue. Found once per run, so reading a record looks nothing up.
    struct Slot {
        int column = -1;
        const FieldDefinition* field = nullptr;
    };

    Slot SlotOf(const std::shared_ptr<FieldDefinition>& f) const {
        const auto c = columnOf_.find(f.get());
        return c != columnOf_.end() ? Slot{static_cast<int>(c->second), f.get()}
                                    : Slot{-1, f.get()};
    }

    const Value& ValueAt(const Slot& slot) {
        return slot.column >= 0 ? row_[static_cast<std::size_t>(slot.column)]
                                : FieldValue(slot.field);
    }

    // A field's value on the current record: its column, a parameter's value, or a formula's
    // result (computed once per record). The reference holds until the next record is read.
    const Value& FieldValue(const FieldDefinition* f) {
        static const Value null;
        if (!f) {
            return null;
        }
        if (const auto c = columnOf_.find(f); c != columnOf_.end()) {
            return row_[c->second];
        }
        switch (f->Kind()) {
        case FieldKind::Parameter: {
            const auto p = options_.parameters.find(f->ShortName());
            return p != options_.parameters.end() ? p->second : null;
        }
        case FieldKind::Formula: {
            auto found = computed_.find(f);
            if (found == computed_.end()) {
                const RecordView record{result_.query.columns, row_};
                found = computed_.emplace(f, selection_.EvaluateField(*f, record)).first;
            }
            return found->second;
        }
        default:
            return null;
        }
    }

    // Steps the statement to the next row and reads it; false at the end. Tells the caller's
    // progress now and then, which may cancel the run.
    bool ReadRow() {
        constexpr std::uint64_t kProgressEvery = 4096;
        if (options_.progress && ++rowsRead_ % kProgressEvery == 0 &&
            !options_.progress(rowsRead_)) {
            throw RunCancelled();
        }
        bool more = false;
        Cancellable([&] { more = cursor_->Next(stored_); });
        if (!more) {
            return false;
        }
        storedOutOfForm_ = false;
        for (const auto& [column, storage] : checkedColumns_) {
            storedOutOfForm_ = storedOutOfForm_ || (column < stored_.size() &&
                                                    !formula::StoredFits(stored_[column], storage));
        }
        const auto& columns = result_.query.columns;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            row_[i] = ReadStoredValue(i < stored_.size() ? std::move(stored_[i]) : Value{},
                                      columns[i]->ValueType());
        }
        computed_.clear();
        return true;
    }

    // Every selected record into the group tree, and its shown values into the result.
    void ReadRecords() {
        row_.assign(result_.query.columns.size(), Value{});
        std::vector<Slot> groupSlots;
        for (const auto& g : groups_) {
            groupSlots.push_back(SlotOf(g->field));
        }
        std::vector<std::vector<std::pair<Slot, Slot>>> summarySlots;
        for (const auto& level : result_.levelSummaries) {
            auto& slots = summarySlots.emplace_back();
            for (const auto& s : level) {
                slots.emplace_back(SlotOf(s->GetSummarizedField()), SlotOf(SecondField(*s)));
            }
        }
        std::vector<Slot> storedSlots;
        for (const auto& f : needs_.stored) {
            storedSlots.push_back(SlotOf(f));
        }
        std::vector<Value> keys(levels_);
        const GroupTree::SummaryInput input = [&](int level, int index) {
            const auto& [value, second] =
                summarySlots[static_cast<std::size_t>(level)][static_cast<std::size_t>(index)];
            return GroupTree::Inputs{ValueAt(value), ValueAt(second)};
        };
        // A report that reads no table has no records (rather than one row of nothing).
        std::uint32_t record = 0;
        while (cursor_) {
            if (options_.recordLimit != 0 && record >= options_.recordLimit) {
                Cancellable([&] { result_.truncated = cursor_->Next(stored_); });
                break;
            }
            if (!ReadRow()) {
                break;
            }
            if ((!result_.selectionInQuery || storedOutOfForm_) &&
                !selection_.Selects(RecordView{result_.query.columns, row_})) {
                continue;
            }
            for (std::size_t g = 0; g < levels_; ++g) {
                keys[g] = GroupKey(ValueAt(groupSlots[g]), groups_[g]->condition);
            }
            result_.tree->AddRecord(record, keys, input);
            if (listener_) {
                // The record is handed over rather than kept: it is the only stored row.
                result_.records.resize(1);
                result_.records[0].resize(storedSlots.size());
                for (std::size_t i = 0; i < storedSlots.size(); ++i) {
                    result_.records[0][i] = ValueAt(storedSlots[i]);
                }
                listener_->Read(result_);
            } else if (!storedSlots.empty()) {
                std::vector<Value> stored;
                stored.reserve(storedSlots.size());
                for (const auto& slot : storedSlots) {
                    stored.push_back(ValueAt(slot));
                }
                result_.records.push_back(std::move(stored));
            }
            if (record == UINT32_MAX) {
                throw EngineError("The report selects more than 4294967295 records.");
            }
            ++record;
        }
        result_.recordCount = record;
    }

    const Report& report_;
    const RunOptions& options_;
    std::uint64_t rowsRead_ = 0;
    const std::shared_ptr<DataSource> source_;
    const Date runDate_;
    SelectionFilter selection_;
    const std::vector<std::shared_ptr<const Group>> groups_;
    const std::size_t levels_;
    Needs needs_;
    RunResult result_;
    RecordListener* listener_ = nullptr; // told of the records instead of keeping them
    std::unique_ptr<SourceConnection> connection_;
    std::unique_ptr<RecordCursor> cursor_; // after connection_: closed before it
    std::vector<Value> stored_;            // the current record as the database holds it
    std::map<const FieldDefinition*, std::size_t> columnOf_;
    // The columns whose values out of their storage form the query lets through for the
    // selection formula to decide, and whether the current record holds such a value.
    std::vector<std::pair<std::shared_ptr<FieldDefinition>, formula::SqlStorage>> checked_;
    std::vector<std::pair<std::size_t, formula::SqlStorage>> checkedColumns_;
    bool storedOutOfForm_ = false;
    std::vector<Value> row_;                           // the current record's columns
    std::map<const FieldDefinition*, Value> computed_; // its formula fields' values
};

RunResult RunReport(const Report& report, const RunOptions& options) {
    return ReportRun(report, options).Run();
}

} // namespace foliant::engine::run
