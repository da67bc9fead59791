// Fuzzes the formula language end to end: compile (as a selection formula and as a formula
// field), evaluate on a fixed set of records, and translate to SQL; wherever the translation
// claims to be exact, SQLite must select the same records as the evaluator (and a partial
// translation must never drop a record the evaluator keeps). Any disagreement aborts.
//
// Input: two bytes for the run's date (days around 2000-01-01), then the formula text. Run with
// -dict=fuzz/formula.dict to reach the keywords and fields sooner.

#include "engine/formula/Formula.h"
#include "engine/formula/SqlTranslation.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

using namespace foliant::engine;
using namespace foliant::engine::formula;

namespace {

struct Row {
    Value n, r, s, d, dt, b, t;
};

Date Day(int y, unsigned m, unsigned d) {
    return Date{DaysFromCivil(y, m, d)};
}

DateTime At(int y, unsigned m, unsigned d, int h, int mi, int s) {
    return DateTime{static_cast<std::int64_t>(DaysFromCivil(y, m, d)) * 86400 + h * 3600 + mi * 60 +
                    s};
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {std::int64_t{100}, 1.5, std::string("Smith"), Day(1996, 12, 31),
         At(1996, 12, 31, 23, 59, 59), true, TimeOfDay{3600}},
        {std::int64_t{-7}, -0.25, std::string("smithers"), Day(2000, 1, 1), At(2000, 1, 1, 0, 0, 0),
         false, TimeOfDay{0}},
        {Value{}, Value{}, Value{}, Value{}, Value{}, Value{}, Value{}},
        {std::int64_t{0}, 100.0, std::string(""), Day(1999, 12, 31), At(1999, 12, 31, 12, 0, 0),
         true, TimeOfDay{86399}},
        {std::int64_t{9007199254740993}, 1e300, std::string("O'Brien"), Day(2000, 2, 29),
         At(2000, 2, 28, 6, 30, 0), Value{}, TimeOfDay{43200}},
        {std::int64_t{5}, 5.0, std::string("M\xc3\xbcller \xc3\x84"), Day(1, 1, 1),
         At(9999, 12, 31, 23, 59, 59), false, Value{}},
        {std::int64_t{-9223372036854775807 - 1}, 0.1, std::string("a_b%c\\d*?"), Day(9999, 12, 31),
         At(1, 1, 1, 0, 0, 0), true, TimeOfDay{1}},
        {std::int64_t{42}, 42.0, std::string("ABC"), Day(1999, 12, 1), At(1999, 11, 30, 0, 0, 1),
         false, TimeOfDay{60}},
    };
    return rows;
}

class Catalog : public FieldCatalog {
public:
    std::optional<FieldInfo> FindField(std::string_view name) const override {
        static const std::pair<const char*, ValueType> kFields[] = {
            {"{T.N}", ValueType::Int32},     {"{T.R}", ValueType::Number},
            {"{T.S}", ValueType::String},    {"{T.D}", ValueType::Date},
            {"{T.DT}", ValueType::DateTime}, {"{T.B}", ValueType::Boolean},
            {"{T.Tm}", ValueType::Time},     {"{T.Pic}", ValueType::Blob},
        };
        for (const auto& [n, t] : kFields) {
            if (name == n) {
                return FieldInfo{FieldKind::Database, t};
            }
        }
        return std::nullopt;
    }
};

class RowSource : public RecordSource {
public:
    explicit RowSource(const Row& row) : row_(row) {}
    Value FieldValue(std::size_t, const FieldReference& f) const override {
        if (f.name == "{T.N}") {
            return row_.n;
        }
        if (f.name == "{T.R}") {
            return row_.r;
        }
        if (f.name == "{T.S}") {
            return row_.s;
        }
        if (f.name == "{T.D}") {
            return row_.d;
        }
        if (f.name == "{T.DT}") {
            return row_.dt;
        }
        if (f.name == "{T.B}") {
            return row_.b;
        }
        return row_.t;
    }

private:
    const Row& row_;
};

std::string Two(unsigned v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

std::string Iso(std::int32_t days) {
    const CivilDate c = CivilFromDays(days);
    std::string y = std::to_string(c.year);
    while (y.size() < 4) {
        y.insert(0, "0");
    }
    return y + "-" + Two(c.month) + "-" + Two(c.day);
}

void Bind(sqlite3_stmt* st, int i, const Value& v) {
    if (IsNull(v)) {
        sqlite3_bind_null(st, i);
    } else if (auto* n = std::get_if<std::int64_t>(&v)) {
        sqlite3_bind_int64(st, i, *n);
    } else if (auto* r = std::get_if<double>(&v)) {
        sqlite3_bind_double(st, i, *r);
    } else if (auto* s = std::get_if<std::string>(&v)) {
        sqlite3_bind_text(st, i, s->c_str(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    } else if (auto* d = std::get_if<Date>(&v)) {
        sqlite3_bind_text(st, i, Iso(d->days).c_str(), -1, SQLITE_TRANSIENT);
    } else if (auto* dt = std::get_if<DateTime>(&v)) {
        const std::int64_t day = dt->seconds / 86400;
        const auto s = static_cast<unsigned>(dt->seconds - day * 86400);
        const std::string text = Iso(static_cast<std::int32_t>(day)) + " " + Two(s / 3600) + ":" +
                                 Two(s / 60 % 60) + ":" + Two(s % 60);
        sqlite3_bind_text(st, i, text.c_str(), -1, SQLITE_TRANSIENT);
    }
}

sqlite3* Database() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        sqlite3_exec(d,
                     "CREATE TABLE T (id INTEGER PRIMARY KEY, N INT, R REAL, S TEXT, D DATE, "
                     "DT DATETIME)",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(d, "INSERT INTO T VALUES (?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
        for (std::size_t i = 0; i < Rows().size(); ++i) {
            const Row& row = Rows()[i];
            sqlite3_bind_int64(st, 1, static_cast<std::int64_t>(i));
            Bind(st, 2, row.n);
            Bind(st, 3, row.r);
            Bind(st, 4, row.s);
            Bind(st, 5, row.d);
            Bind(st, 6, row.dt);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        return d;
    }();
    return db;
}

std::optional<SqlColumn> MapColumn(std::size_t, const FieldReference& f) {
    if (f.name == "{T.N}") {
        return SqlColumn{"N", SqlStorage::Number, {}};
    }
    if (f.name == "{T.R}") {
        return SqlColumn{"R", SqlStorage::Number, {}};
    }
    if (f.name == "{T.S}") {
        return SqlColumn{"S", SqlStorage::Text, {}};
    }
    if (f.name == "{T.D}") {
        return SqlColumn{"D", SqlStorage::IsoDate, {}};
    }
    if (f.name == "{T.DT}") {
        return SqlColumn{"DT", SqlStorage::IsoDateTime, {}};
    }
    return std::nullopt;
}

[[noreturn]] void Disagree(const std::string& text, const SqlWhere& w, const char* what) {
    std::fprintf(stderr, "SQL translation disagrees (%s)\nformula: %s\nclause: %s\n", what,
                 text.c_str(), w.clause.c_str());
    std::abort();
}

void CheckTranslation(const CheckedFormula& f, const std::set<std::size_t>& kept, Date today) {
    const SqlWhere w = TranslateToSql(f, MapColumn, today);
    if (w.clause.empty()) {
        if (w.exact && kept.size() != Rows().size()) {
            Disagree(f.Text(), w, "no clause but not every record kept");
        }
        return;
    }
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT id FROM T WHERE " + w.clause;
    if (sqlite3_prepare_v2(Database(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        Disagree(f.Text(), w, sqlite3_errmsg(Database()));
    }
    BindSqlParameters(st, w.parameters);
    std::set<std::size_t> selected;
    int rc = 0;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        selected.insert(static_cast<std::size_t>(sqlite3_column_int64(st, 0)));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        Disagree(f.Text(), w, "step failed");
    }
    if (w.exact && selected != kept) {
        Disagree(f.Text(), w, "exact clause selects other records");
    }
    for (std::size_t id : kept) {
        if (!selected.count(id)) {
            Disagree(f.Text(), w, "partial clause drops a kept record");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const int offset = (data[0] | (data[1] << 8)) - 32768;
    const Date today{DaysFromCivil(2000, 1, 1) + offset / 2};
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    const Catalog catalog;
    try {
        const CheckedFormula f = CompileSelectionFormula(text, catalog);
        std::set<std::size_t> kept;
        bool evaluated = true;
        for (std::size_t i = 0; i < Rows().size(); ++i) {
            try {
                if (Selects(f, RowSource(Rows()[i]), today)) {
                    kept.insert(i);
                }
            } catch (const FormulaError&) {
                evaluated = false; // e.g. a division by zero: the run stops, nothing to compare
            }
        }
        if (evaluated) {
            CheckTranslation(f, kept, today);
        }
    } catch (const FormulaError& e) {
        if (e.Message().empty() || e.Position() > text.size()) {
            std::abort();
        }
    }
    try {
        const CheckedFormula f = CompileFormulaField(text, catalog);
        (void)f.ResultValueType();
        for (const Row& row : Rows()) {
            try {
                (void)Evaluate(f, RowSource(row), today);
            } catch (const FormulaError&) {
            }
        }
    } catch (const FormulaError& e) {
        if (e.Message().empty() || e.Position() > text.size()) {
            std::abort();
        }
    }
    return 0;
}
