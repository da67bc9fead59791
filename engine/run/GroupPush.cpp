#include "engine/run/GroupPush.h"

#include "engine/run/Query.h"
#include "engine/run/Values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

namespace foliant::engine::run {

namespace {

using Op = SummaryOperation;
using formula::SqlStorage;

// Exact sums of whole numbers: 64-bit values and their squares summed over many records.
__extension__ typedef __int128 Wide;

bool IsMoment(Op op) {
    return op == Op::SampleVariance || op == Op::SampleStdDev || op == Op::PopulationVariance ||
           op == Op::PopulationStdDev;
}
bool IsPair(Op op) {
    return op == Op::Correlation || op == Op::Covariance || op == Op::WeightedAverage;
}
bool IsArithmetic(Op op) {
    return op == Op::Sum || op == Op::Average || IsMoment(op) || IsPair(op);
}

// How a summary is computed: in the level's main GROUP BY, or by a ranked query of its own.
enum class Method { Main, Percentile, Nth, Frequency };

Method MethodOf(Op op) {
    switch (op) {
    case Op::Median:
    case Op::Percentile:
        return Method::Percentile;
    case Op::NthLargest:
    case Op::NthSmallest:
        return Method::Nth;
    case Op::Mode:
    case Op::NthMostFrequent:
        return Method::Frequency;
    default:
        return Method::Main;
    }
}

// How the server must store a field's values to compare them as the engine does.
std::optional<SqlStorage> StorageOf(ValueType t) {
    if (IsNumericType(t) || t == ValueType::Boolean) {
        return SqlStorage::Number;
    }
    if (IsTextType(t)) {
        return SqlStorage::Text;
    }
    if (t == ValueType::Date) {
        return SqlStorage::IsoDate;
    }
    if (t == ValueType::DateTime) {
        return SqlStorage::IsoDateTime;
    }
    return std::nullopt;
}

// Whether a group condition's key for values of the type is the value itself.
bool KeyIsValue(ValueType t, GroupCondition c) {
    if (c == GroupCondition::EachValue || c == GroupCondition::EachTimeValue) {
        return true;
    }
    if (t == ValueType::Date) {
        return c == GroupCondition::EachDay || c == GroupCondition::EachSecond ||
               c == GroupCondition::EachMinute || c == GroupCondition::EachHour;
    }
    if (t == ValueType::DateTime) {
        return c == GroupCondition::EachSecond;
    }
    return StorageOf(t).has_value() && !IsDateType(t);
}

std::optional<Wide> WideOf(const Value& v) {
    if (IsNull(v)) {
        return Wide{0}; // a sum over no values
    }
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return Wide{*i};
    }
    const auto* s = std::get_if<std::string>(&v);
    if (!s || s->empty() || s->size() > 38) {
        return std::nullopt;
    }
    const bool negative = (*s)[0] == '-';
    Wide out = 0;
    for (std::size_t i = negative ? 1 : 0; i < s->size(); ++i) {
        const char c = (*s)[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        out = out * 10 + (c - '0');
    }
    return negative ? -out : out;
}

std::int64_t CountOf(const Value& v) {
    const auto* i = std::get_if<std::int64_t>(&v);
    return i ? *i : 0;
}

// The squared deviations of n values from their sums: (n·Σx² − (Σx)²) / n, nullopt on
// overflow. For pairs, the co-moment from Σx, Σy and Σxy.
std::optional<long double> Deviations(Wide n, Wide sx, Wide sy, Wide sxy) {
    Wide a = 0;
    Wide b = 0;
    if (n == 0) {
        return 0.0L;
    }
    if (__builtin_mul_overflow(n, sxy, &a) || __builtin_mul_overflow(sx, sy, &b)) {
        return std::nullopt;
    }
    return static_cast<long double>(a - b) / static_cast<long double>(n);
}

// The engine's percentile of n ascending numbers, given the numbers at the places around
// the exact rank (places e−1, e, e+1 for e = ⌊P·(n−1)/100⌋): the same arithmetic as the
// engine's own, so the results agree to the last bit.
std::optional<Value> PercentileOf(int p, std::int64_t n, const std::vector<Value>& around) {
    if (n <= 0) {
        return Value{};
    }
    const std::int64_t e = p * (n - 1) / 100;
    const long double rank = static_cast<long double>(p) / 100 * static_cast<long double>(n - 1);
    const auto lo = static_cast<std::int64_t>(std::floor(rank));
    const std::int64_t hi = std::min(lo + 1, n - 1);
    const auto at = [&](std::int64_t place) -> std::optional<double> {
        const std::int64_t i = place - (e - 1);
        if (i < 0 || i > 2) {
            return std::nullopt;
        }
        return NumberOf(around[static_cast<std::size_t>(i)]);
    };
    const auto low = at(lo);
    const auto high = at(hi);
    if (!low || !high) {
        return std::nullopt;
    }
    const long double frac = rank - static_cast<long double>(lo);
    return Value{static_cast<double>(*low + (static_cast<long double>(*high) - *low) * frac)};
}

} // namespace

// The queries and their reading, for one report.
class GroupPusher {
public:
    GroupPusher(const DataSource& source, const GroupPushRequest& request,
                SourceConnection& connection, const KeepGoing& keepGoing)
        : source_(source), request_(request), connection_(connection),
          dialect_(connection.Dialect()), keepGoing_(keepGoing), levels_(request.groups.size()) {}

    std::optional<PushedGroups> Run() {
        if (!Possible()) {
            return std::nullopt;
        }
        try {
            return Compute();
        } catch (const QueryOverflow&) {
            return std::nullopt; // a sum the server cannot hold: the engine sums the records
        }
    }

private:
    std::optional<PushedGroups> Compute() {
        BuildInner();
        std::vector<std::vector<SummaryRule>> rules;
        for (const auto& level : request_.levelSummaries) {
            auto& r = rules.emplace_back();
            for (const auto& s : level) {
                const auto second =
                    IsPair(s->GetSummaryOperation()) ? s->GetSecondSummarizedField() : nullptr;
                r.push_back({s->GetSummaryOperation(), s->GetSummaryNumber(),
                             s->GetSummarizedField().get(), second.get(), true});
            }
        }
        out_.tree = std::make_unique<GroupTree>(std::move(rules));
        out_.tree->KeepRecordNumbers(false);
        // The innermost groups first: they make every group and count the records.
        for (std::size_t level = levels_ + 1; level-- > 0;) {
            const bool innermost = level == levels_;
            if (!innermost && request_.levelSummaries[level].empty()) {
                continue;
            }
            if (!ReadMain(level, innermost) || !ReadRanked(level)) {
                return std::nullopt;
            }
        }
        out_.records = out_.tree->Root().recordCount;
        return std::move(out_);
    }

    // --- Whether the database can give exactly the engine's result -------------------------

    bool Holds(const std::shared_ptr<FieldDefinition>& f, bool wholeNumbers) {
        if (!f || f->Kind() != FieldKind::Database) {
            return false;
        }
        const auto storage = StorageOf(f->ValueType());
        if (!storage) {
            return false;
        }
        const auto key = std::make_pair(f->Name(), wholeNumbers ? -1 : static_cast<int>(*storage));
        auto found = holds_.find(key);
        if (found == holds_.end()) {
            const bool ok = wholeNumbers ? f->ValueType() != ValueType::Currency &&
                                               IsNumericType(f->ValueType()) &&
                                               connection_.ColumnHoldsWholeNumbers(*f)
                                         : connection_.ColumnHolds(*f, *storage);
            found = holds_.emplace(key, ok).first;
        }
        return found->second;
    }

    bool SummaryPossible(const FieldDefinition& s) {
        const Op op = s.GetSummaryOperation();
        const auto field = s.GetSummarizedField();
        if (!field) {
            return false;
        }
        const ValueType t = field->ValueType();
        if (IsArithmetic(op)) {
            return Holds(field, true) && (!IsPair(op) || Holds(s.GetSecondSummarizedField(), true));
        }
        if (op == Op::Count) {
            return Holds(field, false);
        }
        if (MethodOf(op) == Method::Percentile) {
            return IsNumericType(t) && Holds(field, false);
        }
        return t != ValueType::Boolean && Holds(field, false);
    }

    // An Others group gathers the summaries of its level and the levels inside it.
    bool OthersPossible() const {
        for (std::size_t l = 1; l <= levels_ && l <= request_.arrangement.size(); ++l) {
            const LevelArrangement& how = request_.arrangement[l - 1];
            const bool others =
                (how.sortMode == GroupSortMode::TopN || how.sortMode == GroupSortMode::BottomN) &&
                !how.dropOthers && how.sortSummary >= 0;
            for (std::size_t inner = l; others && inner <= levels_; ++inner) {
                for (const auto& s : request_.levelSummaries[inner]) {
                    if (!SummaryAccumulator::MergesFromParts(s->GetSummaryOperation())) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

    bool Possible() {
        if (request_.levelSummaries.size() != levels_ + 1 || !OthersPossible()) {
            return false;
        }
        for (const auto& g : request_.groups) {
            if (g->order == GroupOrder::Original || !Holds(g->field, false) ||
                !KeyIsValue(g->field->ValueType(), g->condition)) {
                return false;
            }
        }
        for (const auto& level : request_.levelSummaries) {
            for (const auto& s : level) {
                if (!SummaryPossible(*s)) {
                    return false;
                }
            }
        }
        return true;
    }

    // --- SQL ---------------------------------------------------------------------------------

    // The records as a derived table: one column per field used, named c0, c1, ...
    void BuildInner() {
        QueryRequest q;
        for (const auto& g : request_.groups) {
            q.fields.push_back(g->field);
        }
        for (const auto& level : request_.levelSummaries) {
            for (const auto& s : level) {
                q.fields.push_back(s->GetSummarizedField());
                if (IsPair(s->GetSummaryOperation())) {
                    q.fields.push_back(s->GetSecondSummarizedField());
                }
            }
        }
        q.where = request_.where;
        q.whereParameters = request_.whereParameters;
        q.nameColumns = true;
        const QueryPlan plan = BuildQuery(source_, q, dialect_);
        for (std::size_t i = 0; i < plan.columns.size(); ++i) {
            column_[plan.columns[i]->Name()] = "r.c" + std::to_string(i);
        }
        inner_ = " FROM (" + plan.sql + ") r";
        parameters_ = plan.parameters;
    }

    std::string Column(const std::shared_ptr<FieldDefinition>& f) const {
        return column_.at(f->Name());
    }

    // A value as the engine compares it: text byte by byte.
    std::string Compared(const std::string& e, const FieldDefinition& f) const {
        return IsTextType(f.ValueType()) ? dialect_.BinaryText("CAST(" + e + " AS TEXT)") : e;
    }

    // The key columns of a level, as selected from the derived table.
    std::vector<std::string> Keys(std::size_t level) const {
        std::vector<std::string> keys;
        for (std::size_t g = 0; g < level; ++g) {
            keys.push_back(Compared(Column(request_.groups[g]->field), *request_.groups[g]->field));
        }
        return keys;
    }

    static std::string List(const std::vector<std::string>& items, const std::string& prefix) {
        std::string out;
        for (std::size_t i = 0; i < items.size(); ++i) {
            out += (i ? ", " : prefix) + items[i];
        }
        return out;
    }

    // The main query's columns for one summary.
    std::vector<std::string> MainColumns(const FieldDefinition& s) const {
        const Op op = s.GetSummaryOperation();
        const std::string v = Column(s.GetSummarizedField());
        const auto sum = [](const std::string& e) { return "CAST(sum(" + e + ") AS TEXT)"; };
        if (op == Op::Count) {
            return {"count(" + v + ")"};
        }
        if (op == Op::DistinctCount) {
            return {"count(DISTINCT " + Compared(v, *s.GetSummarizedField()) + ")"};
        }
        if (op == Op::Maximum || op == Op::Minimum) {
            return {"count(" + v + ")", std::string(op == Op::Maximum ? "max(" : "min(") +
                                            Compared(v, *s.GetSummarizedField()) + ")"};
        }
        if (op == Op::Sum || op == Op::Average) {
            return {"count(" + v + ")", sum(v)};
        }
        if (IsMoment(op)) {
            return {"count(" + v + ")", sum(v), sum(dialect_.WideInteger(v) + " * " + v)};
        }
        if (IsPair(op)) {
            const std::string w = Column(s.GetSecondSummarizedField());
            const std::string x = "CASE WHEN " + w + " IS NOT NULL THEN " + v + " END";
            const std::string y = "CASE WHEN " + v + " IS NOT NULL THEN " + w + " END";
            const std::string wx = dialect_.WideInteger(x);
            const std::string wy = dialect_.WideInteger(y);
            return {"count(" + x + ")", sum(x), sum(y), sum(wx + " * " + x), sum(wy + " * " + y),
                    sum(wx + " * " + y)};
        }
        return {};
    }

    // The query of a ranked summary: the level's keys, then the values the summary is read from.
    std::string RankedSql(std::size_t level, const FieldDefinition& s) const {
        const Op op = s.GetSummaryOperation();
        const auto& field = *s.GetSummarizedField();
        const std::string v = Column(s.GetSummarizedField());
        const auto keys = Keys(level);
        std::vector<std::string> named;
        std::vector<std::string> outerKeys;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            named.push_back(keys[i] + " AS k" + std::to_string(i));
            outerKeys.push_back(Compared("t.k" + std::to_string(i), *request_.groups[i]->field));
        }
        const std::string partition = List(keys, "PARTITION BY ");
        const std::string group = List(outerKeys, " GROUP BY ");
        const std::string select = "SELECT " + List(outerKeys, "") + (keys.empty() ? "" : ", ");
        const std::string valued = " WHERE " + v + " IS NOT NULL";
        const auto pick = [](const std::string& place) {
            return "max(CASE WHEN t.rn = " + place + " THEN t.v END)";
        };
        const std::string n = std::to_string(s.GetSummaryNumber());
        switch (MethodOf(op)) {
        case Method::Percentile: {
            const int p = op == Op::Median ? 50 : std::clamp(s.GetSummaryNumber(), 0, 100);
            const std::string e = "(" + std::to_string(p) + " * (t.n - 1)) / 100";
            return select + "max(t.n), " + pick(e) + ", " + pick(e + " + 1") + ", " +
                   pick(e + " + 2") + " FROM (SELECT " + List(named, "") +
                   (keys.empty() ? "" : ", ") + v + " AS v, row_number() OVER (" + partition +
                   " ORDER BY " + v + ") AS rn, count(*) OVER (" + partition + ") AS n" + inner_ +
                   valued + ") t" + group;
        }
        case Method::Nth:
            return select + pick(n) + " FROM (SELECT " + List(named, "") +
                   (keys.empty() ? "" : ", ") + v + " AS v, row_number() OVER (" + partition +
                   " ORDER BY " + Compared(v, field) + (op == Op::NthLargest ? " DESC" : "") +
                   ") AS rn" + inner_ + valued + ") t" + group;
        default: {
            const std::string cv = Compared(v, field);
            std::vector<std::string> fKeys;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                fKeys.push_back("f.k" + std::to_string(i));
            }
            return select + pick(op == Op::Mode ? "1" : n) + " FROM (SELECT " + List(fKeys, "") +
                   (keys.empty() ? "" : ", ") + "f.v, row_number() OVER (" +
                   List(fKeys, "PARTITION BY ") + " ORDER BY f.c DESC, " + Compared("f.v", field) +
                   ") AS rn FROM (SELECT " + List(named, "") + (keys.empty() ? "" : ", ") + cv +
                   " AS v, count(*) AS c" + inner_ + valued + " GROUP BY " + List(keys, "") +
                   (keys.empty() ? "" : ", ") + cv + ") f) t" + group;
        }
        }
    }

    // --- Reading -----------------------------------------------------------------------------

    // Runs a query; each row's group (found by its first `level` columns) and the rest of the
    // row go to `take`. False when two rows name the same group as the engine keys them.
    template <typename Take> bool Read(const std::string& sql, std::size_t level, Take&& take) {
        auto cursor = connection_.Query(sql, parameters_, keepGoing_);
        std::set<std::vector<Value>, PathLess> seen;
        std::vector<Value> row;
        std::vector<Value> path(level);
        while (cursor->Next(row)) {
            for (std::size_t g = 0; g < level; ++g) {
                const auto& group = *request_.groups[g];
                path[g] =
                    GroupKey(ReadStoredValue(row[g], group.field->ValueType()), group.condition);
            }
            if (!seen.insert(path).second) {
                return false;
            }
            if (!take(path, std::vector<Value>(row.begin() + static_cast<std::ptrdiff_t>(level),
                                               row.end()))) {
                return false;
            }
        }
        return true;
    }

    struct PathLess {
        bool operator()(const std::vector<Value>& a, const std::vector<Value>& b) const {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                ValueLess());
        }
    };

    // The parts of one summary from its main-query columns.
    static std::optional<SummaryParts> MainParts(const FieldDefinition& s, const Value* c) {
        const Op op = s.GetSummaryOperation();
        SummaryParts parts;
        parts.count = CountOf(c[0]);
        if (op == Op::DistinctCount) {
            parts.value = parts.count;
        } else if (op == Op::Maximum || op == Op::Minimum) {
            parts.value = ReadStoredValue(c[1], s.GetSummarizedField()->ValueType());
        } else if (op != Op::Count) {
            const Wide n = parts.count;
            const auto sx = WideOf(c[1]);
            if (!sx) {
                return std::nullopt;
            }
            const long double count = parts.count > 0 ? static_cast<long double>(n) : 1.0L;
            parts.sum = static_cast<long double>(*sx);
            parts.mean = parts.sum / count;
            if (IsMoment(op)) {
                const auto sxx = WideOf(c[2]);
                const auto m2 = sxx ? Deviations(n, *sx, *sx, *sxx) : std::nullopt;
                if (!m2) {
                    return std::nullopt;
                }
                parts.m2 = *m2;
            } else if (IsPair(op)) {
                const auto sy = WideOf(c[2]);
                const auto sxx = WideOf(c[3]);
                const auto syy = WideOf(c[4]);
                const auto sxy = WideOf(c[5]);
                if (!sy || !sxx || !syy || !sxy) {
                    return std::nullopt;
                }
                const auto m2 = Deviations(n, *sx, *sx, *sxx);
                const auto m2Y = Deviations(n, *sy, *sy, *syy);
                const auto co = Deviations(n, *sx, *sy, *sxy);
                if (!m2 || !m2Y || !co) {
                    return std::nullopt;
                }
                parts.m2 = *m2;
                parts.m2Y = *m2Y;
                parts.coMoment = *co;
                parts.meanY = static_cast<long double>(*sy) / count;
                parts.weights = static_cast<long double>(*sy);
                parts.weighted = static_cast<long double>(*sxy);
            }
        }
        return parts;
    }

    // The level's GROUP BY: its groups' record counts (innermost) and the summaries it computes.
    bool ReadMain(std::size_t level, bool innermost) {
        const auto& summaries = request_.levelSummaries[level];
        const auto keys = Keys(level);
        std::vector<std::string> columns = keys;
        columns.push_back("count(*)");
        std::vector<std::size_t> offsets;
        for (const auto& s : summaries) {
            offsets.push_back(columns.size() - keys.size());
            for (auto& c : MainColumns(*s)) {
                columns.push_back(std::move(c));
            }
        }
        const std::string sql = "SELECT " + List(columns, "") + inner_ + List(keys, " GROUP BY ");
        if (innermost) {
            out_.sql = sql;
        }
        return Read(sql, level, [&](const std::vector<Value>& path, const std::vector<Value>& c) {
            GroupNode& node = out_.tree->GroupAt(path, level);
            if (innermost) {
                for (std::size_t d = 0; d <= level; ++d) {
                    out_.tree->GroupAt(path, d).recordCount += CountOf(c[0]);
                }
            }
            for (std::size_t i = 0; i < summaries.size(); ++i) {
                const FieldDefinition& s = *summaries[i];
                if (MethodOf(s.GetSummaryOperation()) != Method::Main) {
                    continue;
                }
                const auto parts = MainParts(s, &c[offsets[i]]);
                if (!parts) {
                    return false;
                }
                node.SetSummary(i, *parts);
            }
            return true;
        });
    }

    // The level's ranked summaries, one query each.
    bool ReadRanked(std::size_t level) {
        const auto& summaries = request_.levelSummaries[level];
        for (std::size_t i = 0; i < summaries.size(); ++i) {
            const FieldDefinition& s = *summaries[i];
            const Op op = s.GetSummaryOperation();
            const Method method = MethodOf(op);
            if (method == Method::Main) {
                continue;
            }
            const bool ok =
                Read(RankedSql(level, s), level,
                     [&](const std::vector<Value>& path, const std::vector<Value>& c) {
                         SummaryParts parts;
                         if (method == Method::Percentile) {
                             parts.count = CountOf(c[0]);
                             const int p =
                                 op == Op::Median ? 50 : std::clamp(s.GetSummaryNumber(), 0, 100);
                             std::vector<Value> around;
                             for (std::size_t k = 1; k <= 3; ++k) {
                                 around.push_back(
                                     ReadStoredValue(c[k], s.GetSummarizedField()->ValueType()));
                             }
                             const auto value = PercentileOf(p, parts.count, around);
                             if (!value) {
                                 return false;
                             }
                             parts.value = *value;
                         } else {
                             parts.value =
                                 ReadStoredValue(c[0], s.GetSummarizedField()->ValueType());
                             parts.count = IsNull(parts.value) ? 0 : 1;
                         }
                         out_.tree->GroupAt(path, level).SetSummary(i, parts);
                         return true;
                     });
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    const DataSource& source_;
    const GroupPushRequest& request_;
    SourceConnection& connection_;
    const formula::SqlDialect& dialect_;
    const KeepGoing& keepGoing_;
    const std::size_t levels_;
    std::map<std::pair<std::string, int>, bool> holds_;
    std::map<std::string, std::string> column_;
    std::string inner_;
    std::vector<Value> parameters_;
    PushedGroups out_;
};

std::optional<PushedGroups> PushGroups(const DataSource& source, const GroupPushRequest& request,
                                       SourceConnection& connection, const KeepGoing& keepGoing) {
    return GroupPusher(source, request, connection, keepGoing).Run();
}

} // namespace foliant::engine::run
