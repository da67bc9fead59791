#include "engine/formula/SqlTranslation.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <set>

namespace foliant::engine::formula {

namespace {

constexpr std::int32_t kFirstDay = DaysFromCivil(1, 1, 1);
constexpr std::int32_t kLastDay = DaysFromCivil(9999, 12, 31);
constexpr std::size_t kMaxPatternBytes = 10000; // well under SQLite's LIKE pattern limit
// SQLite limits an expression's depth (1000) and its parameters (32766). A chain of AND/OR is
// as deep as it is long, so the translation stops at a number of terms well below both.
constexpr int kMaxSqlTerms = 300;
constexpr std::size_t kMaxSqlParameters = 10000;

std::string TwoDigits(unsigned v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

std::string IsoDate(std::int32_t days) {
    const CivilDate c = CivilFromDays(days);
    std::string y = std::to_string(c.year);
    y.insert(0, 4 - std::min<std::size_t>(4, y.size()), '0');
    return y + "-" + TwoDigits(c.month) + "-" + TwoDigits(c.day);
}

std::string IsoDateTime(std::int64_t seconds) {
    const std::int64_t day = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const auto s = static_cast<unsigned>(seconds - day * 86400);
    return IsoDate(static_cast<std::int32_t>(day)) + " " + TwoDigits(s / 3600) + ":" +
           TwoDigits(s / 60 % 60) + ":" + TwoDigits(s % 60);
}

bool StorageFits(SqlStorage storage, FormulaType type) {
    switch (storage) {
    case SqlStorage::Number:
        return type == FormulaType::Number;
    case SqlStorage::Text:
        return type == FormulaType::Text;
    case SqlStorage::IsoDate:
        return type == FormulaType::Date;
    case SqlStorage::IsoDateTime:
        return type == FormulaType::DateTime;
    }
    return false;
}

// One side of a comparison: a column, or a literal whose SQL form depends on the column it
// meets.
struct Operand {
    bool isColumn = false;
    std::string sql;
    SqlStorage storage = SqlStorage::Number;
    Value literal;
};

// The parameter a literal becomes when it meets a column of `storage`; nullopt when SQLite
// would not compare the two as the evaluator does.
std::optional<Value> ParameterFor(const Value& v, SqlStorage storage) {
    switch (storage) {
    case SqlStorage::Number:
        if (std::holds_alternative<std::int64_t>(v) || std::holds_alternative<double>(v)) {
            return v;
        }
        return std::nullopt;
    case SqlStorage::Text:
        if (std::holds_alternative<std::string>(v)) {
            return v;
        }
        return std::nullopt;
    case SqlStorage::IsoDate:
        if (const auto* d = std::get_if<Date>(&v)) {
            return Value(IsoDate(d->days));
        }
        return std::nullopt;
    case SqlStorage::IsoDateTime:
        if (const auto* d = std::get_if<Date>(&v)) {
            return Value(IsoDate(d->days) + " 00:00:00");
        }
        if (const auto* dt = std::get_if<DateTime>(&v)) {
            return Value(IsoDateTime(dt->seconds));
        }
        return std::nullopt;
    }
    return std::nullopt;
}

const char* CompareSql(CompareOp op) {
    switch (op) {
    case CompareOp::Equal:
        return " = ";
    case CompareOp::NotEqual:
        return " <> ";
    case CompareOp::Less:
        return " < ";
    case CompareOp::LessOrEqual:
        return " <= ";
    case CompareOp::Greater:
        return " > ";
    case CompareOp::GreaterOrEqual:
        return " >= ";
    }
    return " = ";
}

// A `like` pattern (* and ?) or a `startswith` prefix as a LIKE pattern with \ as escape;
// nullopt unless every character is ASCII (where SQLite folds case as the evaluator does).
std::optional<std::string> LikePattern(const std::string& text, bool prefix) {
    if (text.size() > kMaxPatternBytes) {
        return std::nullopt;
    }
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0 || u >= 0x80) {
            return std::nullopt;
        }
        if (c == '\\' || c == '%' || c == '_') {
            out.push_back('\\');
            out.push_back(c);
        } else if (prefix) {
            out.push_back(c); // startswith has no wildcards of its own
        } else if (c == '*') {
            out.push_back('%');
        } else if (c == '?') {
            out.push_back('_');
        } else {
            out.push_back(c);
        }
    }
    if (prefix) {
        out.push_back('%');
    }
    return out;
}

class Translator {
public:
    Translator(const CheckedFormula& f, const SqlColumnMapper& columns, Date today,
               const SqlDialect& dialect)
        : formula_(f), columns_(columns), today_(today), dialect_(dialect),
          mapped_(f.Fields().size()), tried_(f.Fields().size(), false) {}

    std::vector<Value>& Parameters() { return parameters_; }

    // A condition of a top-level `and` as SQL that also lets through the records whose columns
    // it uses hold values out of their storage form (the evaluator decides on those); adds
    // those columns' fields to `checked`. nullopt when the condition is not exact.
    std::optional<std::string> Conjunct(const Node& n, std::set<std::size_t>& checked) {
        checked_.clear();
        auto sql = Condition(n);
        if (!sql || checked_.empty()) {
            return sql;
        }
        std::string out = "(" + *sql;
        for (const std::size_t field : checked_) {
            out += " OR " + mapped_[field]->mismatch;
            checked.insert(field);
        }
        return out + ")";
    }

    // The condition as SQL that yields 0 or 1, never NULL; nullopt when it is not exact.
    // On nullopt the parameters are left as they were.
    std::optional<std::string> Condition(const Node& n) {
        const std::size_t mark = parameters_.size();
        const int spent = spent_;
        std::optional<std::string> sql;
        if (++spent_ <= kMaxSqlTerms) {
            sql = ConditionInner(n);
        }
        if (!sql || spent_ > kMaxSqlTerms || parameters_.size() > kMaxSqlParameters) {
            parameters_.resize(mark);
            spent_ = spent;
            return std::nullopt;
        }
        return sql;
    }

private:
    std::optional<std::string> ConditionInner(const Node& n) {
        switch (n.kind) {
        case NodeKind::Group:
            return Condition(*n.children[0]);
        case NodeKind::Literal:
            if (const auto* b = std::get_if<bool>(&n.literal)) {
                return dialect_.Truth(*b);
            }
            return std::nullopt;
        case NodeKind::Not: {
            auto inner = Condition(*n.children[0]);
            if (!inner) {
                return std::nullopt;
            }
            return "(NOT " + *inner + ")";
        }
        case NodeKind::And:
        case NodeKind::Or: {
            std::string sql = "(";
            for (std::size_t i = 0; i < n.children.size(); ++i) {
                auto part = Condition(*n.children[i]);
                if (!part) {
                    return std::nullopt;
                }
                if (i > 0) {
                    sql += n.kind == NodeKind::And ? " AND " : " OR ";
                }
                sql += *part;
            }
            return sql + ")";
        }
        case NodeKind::Compare:
            return Comparison(n);
        case NodeKind::InRange:
            return Range(n);
        case NodeKind::InList:
            return List(n);
        case NodeKind::InPeriod:
            return InPeriod(n);
        case NodeKind::Like:
        case NodeKind::StartsWith:
            return Like(n);
        default:
            return std::nullopt;
        }
    }

    std::optional<SqlColumn> Column(std::size_t index) {
        if (!tried_[index]) {
            tried_[index] = true;
            mapped_[index] = columns_(index, formula_.Fields()[index]);
        }
        return mapped_[index];
    }

    std::optional<Operand> OperandOf(const Node& n) {
        switch (n.kind) {
        case NodeKind::Group:
            return OperandOf(*n.children[0]);
        case NodeKind::Field: {
            auto column = Column(n.field);
            if (!column || !StorageFits(column->storage, n.type)) {
                return std::nullopt;
            }
            if (!column->mismatch.empty()) {
                checked_.insert(n.field);
            }
            Operand o;
            o.isColumn = true;
            o.storage = column->storage;
            o.sql = "(" + column->expression + ")";
            if (o.storage == SqlStorage::Text) {
                o.sql = dialect_.BinaryText(o.sql);
            }
            return o;
        }
        case NodeKind::Literal: {
            Operand o;
            o.literal = n.literal;
            return o;
        }
        case NodeKind::Negate: {
            auto inner = OperandOf(*n.children[0]);
            if (!inner || inner->isColumn) {
                return std::nullopt;
            }
            if (const auto* i = std::get_if<std::int64_t>(&inner->literal)) {
                if (*i == std::numeric_limits<std::int64_t>::min()) {
                    return std::nullopt;
                }
                inner->literal = -*i;
                return inner;
            }
            if (const auto* d = std::get_if<double>(&inner->literal)) {
                inner->literal = -*d;
                return inner;
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
        }
    }

    // Brings operands to SQL of one storage: at least one must be a column, every column of the
    // same storage, every literal convertible. Returns the SQL of each and the null guards.
    struct Resolved {
        std::vector<std::string> sql;
        std::string guards; // "X IS NOT NULL AND " per column
        SqlStorage storage = SqlStorage::Number;
    };

    std::optional<Resolved> Resolve(std::vector<Operand>& operands) {
        std::optional<SqlStorage> storage;
        for (const Operand& o : operands) {
            if (o.isColumn) {
                if (storage && *storage != o.storage) {
                    return std::nullopt;
                }
                storage = o.storage;
            }
        }
        if (!storage) {
            return std::nullopt; // constants only: the evaluator decides
        }
        Resolved r;
        r.storage = *storage;
        for (const Operand& o : operands) {
            if (o.isColumn) {
                r.sql.push_back(o.sql);
                r.guards += o.sql + " IS NOT NULL AND ";
                ++spent_;
                continue;
            }
            auto parameter = ParameterFor(o.literal, *storage);
            if (!parameter) {
                return std::nullopt;
            }
            r.sql.push_back(Placeholder(std::move(*parameter), *storage));
        }
        return r;
    }

    std::optional<std::vector<Operand>> Operands(const Node& n, std::size_t count) {
        std::vector<Operand> out;
        for (std::size_t i = 0; i < count; ++i) {
            auto o = OperandOf(*n.children[i]);
            if (!o) {
                return std::nullopt;
            }
            out.push_back(std::move(*o));
        }
        return out;
    }

    std::optional<std::string> Comparison(const Node& n) {
        auto ops = Operands(n, 2);
        if (!ops) {
            return std::nullopt;
        }
        auto r = Resolve(*ops);
        if (!r) {
            return std::nullopt;
        }
        return "(" + r->guards + r->sql[0] + CompareSql(n.compare) + r->sql[1] + ")";
    }

    std::optional<std::string> Range(const Node& n) {
        auto ops = Operands(n, 3);
        if (!ops) {
            return std::nullopt;
        }
        auto r = Resolve(*ops);
        if (!r) {
            return std::nullopt;
        }
        return "(" + r->guards + r->sql[0] + " >= " + r->sql[1] + " AND " + r->sql[0] +
               " <= " + r->sql[2] + ")";
    }

    std::optional<std::string> List(const Node& n) {
        auto ops = Operands(n, n.children.size());
        if (!ops || !(*ops)[0].isColumn) {
            return std::nullopt;
        }
        for (std::size_t i = 1; i < ops->size(); ++i) {
            if ((*ops)[i].isColumn) {
                return std::nullopt; // a null item would make IN null
            }
        }
        if (ops->size() == 1) {
            return dialect_.Truth(false);
        }
        auto r = Resolve(*ops);
        if (!r) {
            return std::nullopt;
        }
        std::string sql = "(" + r->guards + r->sql[0] + " IN (";
        for (std::size_t i = 1; i < r->sql.size(); ++i) {
            sql += (i > 1 ? ", " : "") + r->sql[i];
        }
        return sql + "))";
    }

    std::optional<std::string> InPeriod(const Node& n) {
        auto subject = OperandOf(*n.children[0]);
        if (!subject || !subject->isColumn) {
            return std::nullopt;
        }
        const bool withTime = subject->storage == SqlStorage::IsoDateTime;
        const DateRange range = PeriodRange(n.period, today_);
        if ((range.first && range.first->days > kLastDay) ||
            (range.last && range.last->days < kFirstDay)) {
            return dialect_.Truth(false); // no stored date lies outside the years 1 to 9999
        }
        std::string sql = "(" + subject->sql + " IS NOT NULL";
        if (range.first && range.first->days > kFirstDay) {
            sql += " AND " + subject->sql + " >= " +
                   Placeholder(IsoDate(range.first->days) + (withTime ? " 00:00:00" : ""),
                               subject->storage);
        }
        if (range.last && range.last->days < kLastDay) {
            sql += " AND " + subject->sql + " <= " +
                   Placeholder(IsoDate(range.last->days) + (withTime ? " 23:59:59" : ""),
                               subject->storage);
        }
        return sql + ")";
    }

    std::optional<std::string> Like(const Node& n) {
        auto subject = OperandOf(*n.children[0]);
        if (!subject || !subject->isColumn || subject->storage != SqlStorage::Text) {
            return std::nullopt;
        }
        if (n.children.size() == 1) {
            return dialect_.Truth(false);
        }
        std::string sql = "(" + subject->sql + " IS NOT NULL AND (";
        for (std::size_t i = 1; i < n.children.size(); ++i) {
            auto item = OperandOf(*n.children[i]);
            if (!item || item->isColumn) {
                return std::nullopt;
            }
            auto pattern =
                LikePattern(std::get<std::string>(item->literal), n.kind == NodeKind::StartsWith);
            if (!pattern) {
                return std::nullopt;
            }
            ++spent_;
            sql += (i > 1 ? " OR " : "") +
                   dialect_.LikeIgnoringCase(subject->sql,
                                             Placeholder(std::move(*pattern), SqlStorage::Text));
        }
        return sql + "))";
    }

    // Adds a parameter and returns its placeholder.
    std::string Placeholder(Value value, SqlStorage storage) {
        parameters_.push_back(std::move(value));
        return dialect_.Parameter(parameters_.size(), parameters_.back(), storage);
    }

    const CheckedFormula& formula_;
    const SqlColumnMapper& columns_;
    Date today_;
    const SqlDialect& dialect_;
    std::vector<std::optional<SqlColumn>> mapped_;
    std::vector<bool> tried_;
    std::vector<Value> parameters_;
    int spent_ = 0;                 // terms written so far, across the conjuncts that were kept
    std::set<std::size_t> checked_; // fields with a mismatch condition the conjunct reads
};

// The conditions of a top-level `and` (through parentheses), each of which may be pushed alone.
void Conjuncts(const Node& n, std::vector<const Node*>& out) {
    if (n.kind == NodeKind::Group) {
        Conjuncts(*n.children[0], out);
    } else if (n.kind == NodeKind::And) {
        for (const auto& c : n.children) {
            Conjuncts(*c, out);
        }
    } else {
        out.push_back(&n);
    }
}

} // namespace

SqlWhere TranslateToSql(const CheckedFormula& formula, const SqlColumnMapper& columns, Date today,
                        const SqlDialect& dialect) {
    SqlWhere result;
    if (formula.IsEmpty()) {
        result.exact = true;
        return result;
    }
    if (today.days < kFirstDay || today.days > kLastDay) {
        return result; // the evaluator reports the bad run date
    }
    Translator t(formula, columns, today, dialect);
    std::vector<const Node*> parts;
    Conjuncts(*formula.Root(), parts);
    result.exact = true;
    std::set<std::size_t> checked;
    for (const Node* part : parts) {
        auto sql = t.Conjunct(*part, checked);
        if (!sql) {
            result.exact = false;
            continue;
        }
        result.clause += (result.clause.empty() ? "" : " AND ") + *sql;
    }
    result.parameters = std::move(t.Parameters());
    result.checked.assign(checked.begin(), checked.end());
    return result;
}

namespace {

bool DigitsAt(const std::string& s, std::size_t pos, std::size_t count, int& out) {
    out = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return false;
        }
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

// "YYYY-MM-DD" of a day of the years 1 to 9999 at the start of s (at least 10 characters).
bool IsoDayAtStart(const std::string& s) {
    int y = 0, m = 0, d = 0;
    if (!DigitsAt(s, 0, 4, y) || s[4] != '-' || !DigitsAt(s, 5, 2, m) || s[7] != '-' ||
        !DigitsAt(s, 8, 2, d) || y < 1 || m < 1 || m > 12 || d < 1) {
        return false;
    }
    const auto month = static_cast<unsigned>(m);
    const CivilDate back = CivilFromDays(DaysFromCivil(y, month, static_cast<unsigned>(d)));
    return back.month == month && back.day == static_cast<unsigned>(d);
}

} // namespace

bool StoredFits(const Value& stored, SqlStorage storage) {
    if (IsNull(stored)) {
        return true;
    }
    const auto* text = std::get_if<std::string>(&stored);
    switch (storage) {
    case SqlStorage::Number:
        return std::holds_alternative<std::int64_t>(stored) ||
               std::holds_alternative<double>(stored);
    case SqlStorage::Text:
        return text != nullptr;
    case SqlStorage::IsoDate:
        return text && text->size() == 10 && IsoDayAtStart(*text);
    case SqlStorage::IsoDateTime: {
        int h = 0, mi = 0, sec = 0;
        return text && text->size() == 19 && IsoDayAtStart(*text) && (*text)[10] == ' ' &&
               DigitsAt(*text, 11, 2, h) && (*text)[13] == ':' && DigitsAt(*text, 14, 2, mi) &&
               (*text)[16] == ':' && DigitsAt(*text, 17, 2, sec) && h < 24 && mi < 60 && sec < 60;
    }
    }
    return false;
}

void BindSqlParameters(sqlite3_stmt* statement, const std::vector<Value>& parameters, int first) {
    int index = first;
    for (const Value& v : parameters) {
        int rc = SQLITE_MISUSE;
        if (const auto* i = std::get_if<std::int64_t>(&v)) {
            rc = sqlite3_bind_int64(statement, index, *i);
        } else if (const auto* d = std::get_if<double>(&v)) {
            rc = sqlite3_bind_double(statement, index, *d);
        } else if (const auto* s = std::get_if<std::string>(&v)) {
            rc = sqlite3_bind_text64(statement, index, s->data(), s->size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
        }
        if (rc != SQLITE_OK) {
            throw EngineError("The selection formula's value number " +
                              std::to_string(index - first + 1) +
                              " could not be passed to the database: " + sqlite3_errstr(rc) + ".");
        }
        ++index;
    }
}

} // namespace foliant::engine::formula
