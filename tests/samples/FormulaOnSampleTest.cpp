// The selection formulas the wizard writes, evaluated by the engine on every order of the
// sample database, must select exactly the orders that the same condition written in SQL
// selects.
#include "engine/Report.h"
#include "engine/ReportFieldCatalog.h"
#include "engine/formula/Formula.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <string>

namespace foliant::engine {
namespace {

using formula::FieldReference;

// One row of the orders-with-customers query, read as the engine's values.
class RowSource : public formula::RecordSource {
public:
    RowSource(sqlite3_stmt* stmt, const std::map<std::string, int>& columns)
        : stmt_(stmt), columns_(columns) {}
    Value FieldValue(std::size_t, const FieldReference& field) const override {
        const int c = columns_.at(field.name);
        if (sqlite3_column_type(stmt_, c) == SQLITE_NULL) {
            return {};
        }
        const auto text = [&] {
            return std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c)));
        };
        switch (field.type) {
        case ValueType::Date: {
            const std::string t = text();
            return Date{DaysFromCivil(std::stoi(t.substr(0, 4)),
                                      static_cast<unsigned>(std::stoi(t.substr(5, 2))),
                                      static_cast<unsigned>(std::stoi(t.substr(8, 2))))};
        }
        case ValueType::DateTime: {
            const std::string t = text();
            const std::int64_t days = DaysFromCivil(
                std::stoi(t.substr(0, 4)), static_cast<unsigned>(std::stoi(t.substr(5, 2))),
                static_cast<unsigned>(std::stoi(t.substr(8, 2))));
            return DateTime{days * 86400 + std::stoi(t.substr(11, 2)) * 3600 +
                            std::stoi(t.substr(14, 2)) * 60 + std::stoi(t.substr(17, 2))};
        }
        case ValueType::Time: {
            const std::string t = text();
            return TimeOfDay{std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 +
                             std::stoi(t.substr(6, 2))};
        }
        case ValueType::String:
        case ValueType::LongText:
            return text();
        case ValueType::Boolean:
            return sqlite3_column_int(stmt_, c) != 0;
        default:
            if (IsNumericType(field.type)) {
                return sqlite3_column_double(stmt_, c);
            }
            return text();
        }
    }

private:
    sqlite3_stmt* stmt_;
    const std::map<std::string, int>& columns_;
};

constexpr const char* kJoin = " FROM Orders o JOIN Customers c ON c.CustomerID = o.CustomerID";

int CountWithSql(sqlite3* db, const std::string& where) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = std::string("SELECT count(*)") + kJoin + " WHERE " + where;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
    sqlite3_step(stmt);
    const int n = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return n;
}

TEST(FormulaOnSampleDatabase, SelectsTheSameOrdersAsTheEquivalentSql) {
    const auto report = Report::CreateOverDatabase(FOLIANT_SAMPLE_DB);
    const ReportFieldCatalog catalog(*report);
    // "Today" for the periods: a fixed day inside the sample's years.
    const Date today{DaysFromCivil(2024, 3, 15)};

    struct Case {
        const char* formula;
        const char* sql;
    };
    const Case cases[] = {
        {"{Orders.Amount} > 3000", "o.Amount > 3000"},
        {"{Orders.Amount} > 1000 and {Customers.Country} in ['USA', 'Canada']",
         "o.Amount > 1000 AND c.Country IN ('USA', 'Canada')"},
        {" not ({Customers.Country} in ['USA', 'Canada'])", "c.Country NOT IN ('USA', 'Canada')"},
        {"{Orders.Priority} = 1 and not ({Orders.Amount} in 500 to 2000)",
         "o.Priority = 1 AND NOT (o.Amount BETWEEN 500 AND 2000)"},
        {"{Orders.Freight} in 10 to 20", "o.Freight BETWEEN 10 AND 20"},
        {"{Customers.CustomerName} startswith ['Ba', 'ce']",
         "(lower(c.CustomerName) LIKE 'ba%' OR lower(c.CustomerName) LIKE 'ce%')"},
        {" not ({Customers.CustomerName} like ['*Traders'])",
         "NOT (lower(c.CustomerName) LIKE '%traders')"},
        {"{Orders.OrderDate} < Date(2022, 1, 1)", "o.OrderDate < '2022-01-01'"},
        {"{Orders.OrderDate} in Date(2023, 2, 1) to Date(2023, 2, 28)",
         "o.OrderDate BETWEEN '2023-02-01' AND '2023-02-28'"},
        {"{Orders.OrderDate} in LastFullMonth",
         "o.OrderDate BETWEEN '2024-02-01' AND '2024-02-29'"},
        {" not ({Orders.OrderDate} in YearToDate)",
         "NOT (o.OrderDate BETWEEN '2024-01-01' AND '2024-03-15')"},
        {"{Orders.ShippedAt} >= DateTime(2024, 6, 1, 12, 0, 0)",
         "o.ShippedAt >= '2024-06-01 12:00:00'"},
        {"{Orders.OrderTime} <= Time(9, 30, 0)", "o.OrderTime <= '09:30:00'"},
        {"{Orders.Comments} = 'Call ahead.'", "o.Comments = 'Call ahead.'"},
        {"{Orders.Paid} = false", "o.Paid = 0"},
    };

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(FOLIANT_SAMPLE_DB, &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const std::map<std::string, int> columns = {
        {"{Orders.Amount}", 0},         {"{Customers.Country}", 1}, {"{Orders.Priority}", 2},
        {"{Orders.Freight}", 3},        {"{Orders.OrderDate}", 4},  {"{Orders.ShippedAt}", 5},
        {"{Orders.OrderTime}", 6},      {"{Orders.Comments}", 7},   {"{Orders.Paid}", 8},
        {"{Customers.CustomerName}", 9}};
    const std::string select = std::string("SELECT o.Amount, c.Country, o.Priority, o.Freight, "
                                           "o.OrderDate, o.ShippedAt, o.OrderTime, o.Comments, "
                                           "o.Paid, c.CustomerName") +
                               kJoin;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formula);
        const auto checked = formula::CompileSelectionFormula(c.formula, catalog);
        report->SetSelectionFormulaText(c.formula); // the report accepts it too
        int selected = 0;
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, select.c_str(), -1, &stmt, nullptr), SQLITE_OK);
        const RowSource row(stmt, columns);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            selected += formula::Selects(checked, row, today) ? 1 : 0;
        }
        sqlite3_finalize(stmt);
        const int expected = CountWithSql(db, c.sql);
        EXPECT_EQ(selected, expected);
        // A condition that selects nothing or everything would prove little.
        EXPECT_GT(expected, 0);
        EXPECT_LT(expected, 3000);
    }
    sqlite3_close(db);
}

} // namespace
} // namespace foliant::engine
