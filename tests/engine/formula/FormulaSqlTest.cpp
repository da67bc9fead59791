// Formulas against a database the test builds: the evaluator, the same condition written in
// SQL by hand, and the engine's own SQL translation must select the same records.

#include "FormulaTestSupport.h"
#include "engine/formula/SqlTranslation.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>

using namespace foliant::engine;
using namespace foliant::engine::formula;
using namespace foliant::engine::formula::testing;

namespace {

const Date kRunDate = D(2024, 3, 13);

class Database {
public:
    Database() {
        sqlite3_open(":memory:", &db_);
        Exec("CREATE TABLE Orders (id INTEGER PRIMARY KEY, Amount REAL, Quantity INT, "
             "Name TEXT, OrderDate DATE, Shipped DATETIME, Paid BOOLEAN)");
        const char* names[] = {"Smith",
                               "smith",
                               "SMITHERS",
                               "Jones",
                               "jones",
                               "O'Brien",
                               "A",
                               "B",
                               "b",
                               "",
                               "Sm_th",
                               "50%",
                               "Zed",
                               "M\xc3\xbcller",
                               "M\xc3\x9cLLER",
                               "St*r"};
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, "INSERT INTO Orders VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &st,
                           nullptr);
        std::uint32_t r = 12345;
        for (int id = 1; id <= 400; ++id) {
            r = r * 1103515245u + 12345u;
            const std::uint32_t x = r >> 8;
            sqlite3_bind_int(st, 1, id);
            if (id % 17 == 0) {
                sqlite3_bind_null(st, 2);
            } else if (x % 3 == 0) {
                sqlite3_bind_double(st, 2, (x % 200) + 0.5);
            } else {
                sqlite3_bind_int(st, 2, static_cast<int>(x % 200));
            }
            id % 19 == 0 ? sqlite3_bind_null(st, 3) : sqlite3_bind_int(st, 3, x % 5);
            if (id % 13 == 0) {
                sqlite3_bind_null(st, 4);
            } else {
                sqlite3_bind_text(st, 4, names[x % std::size(names)], -1, SQLITE_TRANSIENT);
            }
            const std::int32_t day = DaysFromCivil(2023, 1, 1) + static_cast<std::int32_t>(x % 600);
            const std::uint32_t second = (x / 7) % 86400;
            if (id % 11 == 0) {
                sqlite3_bind_null(st, 5);
                sqlite3_bind_null(st, 6);
            } else {
                sqlite3_bind_text(st, 5, Iso(day).c_str(), -1, SQLITE_TRANSIENT);
                const std::string shipped = Iso(day + static_cast<std::int32_t>(x % 3)) + " " +
                                            Two(second / 3600) + ":" + Two(second / 60 % 60) + ":" +
                                            Two(second % 60);
                sqlite3_bind_text(st, 6, shipped.c_str(), -1, SQLITE_TRANSIENT);
            }
            id % 7 == 0 ? sqlite3_bind_null(st, 7) : sqlite3_bind_int(st, 7, (x / 3) % 2);
            EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    static std::string Two(unsigned v) { return (v < 10 ? "0" : "") + std::to_string(v); }
    static std::string Iso(std::int32_t days) {
        const CivilDate c = CivilFromDays(days);
        return std::to_string(c.year) + "-" + Two(c.month) + "-" + Two(c.day);
    }

    void Exec(const std::string& sql) {
        ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db_);
    }

    int Count(const std::string& where, const std::vector<Value>& parameters = {}) {
        sqlite3_stmt* st = nullptr;
        const std::string sql = "SELECT count(*) FROM Orders WHERE " + where;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_) << " in " << sql;
            return -1;
        }
        BindSqlParameters(st, parameters);
        EXPECT_EQ(sqlite3_step(st), SQLITE_ROW);
        const int n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return n;
    }

    // Every record as the engine's reader gives it to the evaluator.
    std::vector<MapRecord> Records() {
        std::vector<MapRecord> out;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_,
                           "SELECT Amount, Quantity, Name, OrderDate, Shipped, Paid FROM Orders "
                           "ORDER BY id",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            auto column = [&](int i) -> Value {
                switch (sqlite3_column_type(st, i)) {
                case SQLITE_INTEGER:
                    return std::int64_t{sqlite3_column_int64(st, i)};
                case SQLITE_FLOAT:
                    return sqlite3_column_double(st, i);
                case SQLITE_TEXT:
                    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
                default:
                    return Value{};
                }
            };
            const Value date = column(3);
            const Value shipped = column(4);
            const Value paid = column(5);
            MapRecord r{
                {"{Orders.Amount}", column(0)},
                {"{Orders.Quantity}", column(1)},
                {"{Customer.Name}", column(2)},
                {"{Orders.OrderDate}", IsNull(date) ? Value{} : Value(ParseDate(date))},
                {"{Orders.Shipped}", IsNull(shipped) ? Value{} : Value(ParseDateTime(shipped))},
                {"{Orders.Paid}",
                 IsNull(paid) ? Value{} : Value(std::get<std::int64_t>(paid) != 0)},
            };
            out.push_back(r);
        }
        sqlite3_finalize(st);
        return out;
    }

private:
    static Date ParseDate(const Value& v) {
        int y = 0, m = 0, d = 0;
        std::sscanf(std::get<std::string>(v).c_str(), "%d-%d-%d", &y, &m, &d);
        return D(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
    }
    static DateTime ParseDateTime(const Value& v) {
        int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0;
        std::sscanf(std::get<std::string>(v).c_str(), "%d-%d-%d %d:%d:%d", &y, &m, &d, &h, &mi, &s);
        return DT(y, static_cast<unsigned>(m), static_cast<unsigned>(d), h, mi, s);
    }

    sqlite3* db_ = nullptr;
};

std::optional<SqlColumn> Columns(std::size_t, const FieldReference& f) {
    if (f.name == "{Orders.Amount}") {
        return SqlColumn{"Amount", SqlStorage::Number, {}};
    }
    if (f.name == "{Orders.Quantity}") {
        return SqlColumn{"Quantity", SqlStorage::Number, {}};
    }
    if (f.name == "{Customer.Name}") {
        return SqlColumn{"Name", SqlStorage::Text, {}};
    }
    if (f.name == "{Orders.OrderDate}") {
        return SqlColumn{"OrderDate", SqlStorage::IsoDate, {}};
    }
    if (f.name == "{Orders.Shipped}") {
        return SqlColumn{"Shipped", SqlStorage::IsoDateTime, {}};
    }
    return std::nullopt; // Paid is stored as 0/1, which the evaluator reads as a Boolean
}

struct TranslationCase {
    std::string formula;
    std::string sql; // the same condition, written independently
    bool exact;      // whether the engine's translation must be complete
    const char* reason;
};

} // namespace

TEST(FormulaSql, EvaluatorHandWrittenSqlAndTranslationSelectTheSameRecords) {
    const std::vector<TranslationCase> cases = {
        // Forms the selection page writes.
        {"{Customer.Name} = 'Smith'", "Name = 'Smith'", true, "text equality is exact"},
        {"{Orders.Amount} > 100", "Amount > 100", true, "a number comparison"},
        {"{Orders.Amount} <> 50", "Amount <> 50", true, "nulls are not 'different'"},
        {"{Orders.Amount} <= 50.5", "Amount <= 50.5", true, "decimals and integers mix"},
        {"{Orders.Amount} > 100 and {Customer.Name} in ['A', 'B']",
         "Amount > 100 AND Name IN ('A', 'B')", true, "two conditions joined by and"},
        {" not ({Customer.Name} in ['A', 'B'])", "Name IS NULL OR Name NOT IN ('A', 'B')", true,
         "the negated list keeps null names"},
        {"{Orders.Amount} in 20 to 80", "Amount BETWEEN 20 AND 80", true, "an inclusive range"},
        {"{Orders.Quantity} = 1 and not ({Orders.Amount} in 1 to 50)",
         "Quantity = 1 AND (Amount IS NULL OR Amount NOT BETWEEN 1 AND 50)", true,
         "a negated range after another condition"},
        {"{Orders.Amount} in [10, 20.5, 30]", "Amount IN (10, 20.5, 30)", true, "a number list"},
        {"{Customer.Name} like ['sm*', '?ones']", "Name LIKE 'sm%' OR Name LIKE '_ones'", true,
         "like ignores case; * and ? are % and _"},
        {" not ({Customer.Name} like ['S*'])", "Name IS NULL OR Name NOT LIKE 'S%'", true,
         "the negated like list"},
        {"{Customer.Name} like '*_*'", "Name LIKE '%\\_%' ESCAPE '\\'", true,
         "an underscore in a pattern is a plain character"},
        {"{Customer.Name} like '*%'", "Name LIKE '%\\%' ESCAPE '\\'", true, "so is a percent sign"},
        {"{Customer.Name} startswith ['sm', 'o''']", "Name LIKE 'sm%' OR Name LIKE 'o''%'", true,
         "startswith ignores case"},
        {"{Customer.Name} startswith 'st*'", "Name LIKE 'st*%'", true,
         "a star in a prefix is a plain character"},
        {" not ({Customer.Name} startswith ['Sm'])", "Name IS NULL OR Name NOT LIKE 'Sm%'", true,
         "the negated startswith list"},
        {"{Orders.OrderDate} in LastFullMonth", "OrderDate BETWEEN '2024-02-01' AND '2024-02-29'",
         true, "February 2024"},
        {" not ({Orders.OrderDate} in LastFullMonth)",
         "OrderDate IS NULL OR OrderDate NOT BETWEEN '2024-02-01' AND '2024-02-29'", true,
         "the negated period"},
        {"{Orders.Shipped} in Last7Days", "Shipped >= '2024-03-07' AND Shipped < '2024-03-14'",
         true, "a period covers whole days of a date-time"},
        {"{Orders.OrderDate} in Over90Days", "OrderDate < '2023-12-14'", true, "open start"},
        {"{Orders.OrderDate} in AllDatesFromTomorrow", "OrderDate > '2024-03-13'", true,
         "open end"},
        {"{Orders.OrderDate} = Date(2024, 3, 5)", "OrderDate = '2024-03-05'", true, "a day"},
        {"{Orders.OrderDate} in Date(2024, 1, 1) to Date(2024, 3, 31)",
         "OrderDate BETWEEN '2024-01-01' AND '2024-03-31'", true, "a date range"},
        {"{Orders.Shipped} >= DateTime(2024, 3, 1, 12, 0, 0)", "Shipped >= '2024-03-01 12:00:00'",
         true, "a moment"},
        {"{Orders.Shipped} < Date(2024, 3, 1)", "Shipped < '2024-03-01'", true,
         "a date meets a date-time at midnight"},
        // More than the page writes.
        {"{Customer.Name} >= 'M'", "Name >= 'M'", true, "text order is byte order"},
        {"not ({Orders.Amount} > 100 or {Customer.Name} = 'Smith')",
         "NOT (coalesce(Amount > 100, 0) OR coalesce(Name = 'Smith', 0))", true,
         "not over or, with nulls counting as false"},
        {"{Orders.Paid} and {Orders.Amount} > 100", "Paid = 1 AND Amount > 100", false,
         "the Boolean column stays with the evaluator, the comparison still narrows the read"},
        {"{Orders.Amount} > 100 or {Orders.Paid}", "Amount > 100 OR Paid = 1", false,
         "an or with an untranslatable side cannot be narrowed"},
        {"{Orders.Amount} * 2 > 150", "Amount * 2 > 150", false, "arithmetic is not pushed"},
        {"50 in {Orders.Quantity} to {Orders.Amount}", "50 BETWEEN Quantity AND Amount", true,
         "a constant tested against two columns is one parameter written twice"},
        {"{Customer.Name} like 'm\xc3\xbc*'", "Name LIKE 'M\xc3\xbc%' OR Name LIKE 'M\xc3\x9c%'",
         false, "SQLite folds only ASCII case; the evaluator folds \xc3\xbc as well"},
    };
    Database db;
    const std::vector<MapRecord> records = db.Records();
    ASSERT_EQ(records.size(), 400u);
    const MapCatalog catalog;
    for (const TranslationCase& c : cases) {
        SCOPED_TRACE(c.formula + "  [" + c.reason + "]");
        const CheckedFormula f = CompileSelectionFormula(c.formula, catalog);
        int evaluated = 0;
        for (const MapRecord& r : records) {
            evaluated += Selects(f, r, kRunDate) ? 1 : 0;
        }
        EXPECT_GT(evaluated, 0) << "the case should select something";
        EXPECT_LT(evaluated, 400) << "the case should leave something out";
        EXPECT_EQ(evaluated, db.Count(c.sql)) << c.sql;

        const SqlWhere w = TranslateToSql(f, Columns, kRunDate);
        EXPECT_EQ(w.exact, c.exact) << w.clause;
        const int translated = w.clause.empty() ? 400 : db.Count(w.clause, w.parameters);
        if (w.exact) {
            EXPECT_EQ(translated, evaluated) << w.clause;
        } else {
            EXPECT_GE(translated, evaluated) << w.clause;
        }
    }
}

TEST(FormulaSql, PartialTranslationKeepsOnlyTheTranslatableConditions) {
    const MapCatalog catalog;
    const CheckedFormula f = CompileSelectionFormula(
        "{Orders.Paid} and ({Orders.Amount} > 100 and {Customer.Name} = 'x''y')", catalog);
    const SqlWhere w = TranslateToSql(f, Columns, kRunDate);
    EXPECT_FALSE(w.exact);
    EXPECT_EQ(w.clause, "((Amount) IS NOT NULL AND (Amount) > ?1) AND ((Name) COLLATE BINARY IS "
                        "NOT NULL AND (Name) COLLATE BINARY = ?2)");
    EXPECT_EQ(w.parameters, (std::vector<Value>{std::int64_t{100}, std::string("x'y")}));
}

TEST(FormulaSql, NothingIsPushedThatSqliteWouldCompareDifferently) {
    const MapCatalog catalog;
    auto translate = [&](const std::string& text, SqlColumnMapper columns = Columns) {
        return TranslateToSql(CompileSelectionFormula(text, catalog), columns, kRunDate);
    };
    // A column whose storage does not match the field's type.
    const SqlWhere mismatched =
        translate("{Orders.Amount} > 1", [](std::size_t, const FieldReference&) {
            return std::optional<SqlColumn>(SqlColumn{"Amount", SqlStorage::Text, {}});
        });
    EXPECT_TRUE(mismatched.clause.empty());
    EXPECT_FALSE(mismatched.exact);
    // A date-time literal against a column of dates stored as text.
    EXPECT_FALSE(translate("{Orders.OrderDate} = DateTime(2024, 1, 1, 0, 0, 0)").exact);
    // Constants, formula fields and parameters have no column.
    EXPECT_FALSE(translate("1 = 1").exact);
    EXPECT_FALSE(translate("{?Region} = 'North'").exact);
    // Very long alternatives would exceed SQLite's expression depth.
    std::string ors = "{Orders.Amount} = 0";
    for (int i = 1; i < 2000; ++i) {
        ors += " or {Orders.Amount} = " + std::to_string(i);
    }
    EXPECT_FALSE(translate(ors).exact);
    // The empty formula needs no clause and is exact.
    const SqlWhere empty = TranslateToSql(CheckedFormula(), Columns, kRunDate);
    EXPECT_TRUE(empty.exact);
    EXPECT_TRUE(empty.clause.empty());
}
