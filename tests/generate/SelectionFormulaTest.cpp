// The record selection formula built from filtered fields: the text of every condition form,
// and the records it keeps compared with SQL written by hand for the same condition.
#include "generate/SelectionFormula.h"

#include "engine/Report.h"
#include "engine/run/Runner.h"
#include "resources/Resources.h"
#include "tests/engine/RunTestSupport.h"
#include "tests/locale/ScopedLocale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace foliant::generate {
namespace {

using engine::test::QueryRows;

// One row per kind of value; no nulls, so that SQL and the formula agree on every row.
const char* kData = R"sql(
CREATE TABLE T (Id INTEGER PRIMARY KEY, Name VARCHAR(30), Amount MONEY, Qty SMALLINT,
                Day DATE, At DATETIME, Opens TIME, Vip BOOLEAN);
INSERT INTO T VALUES
 (1, 'Smith',    100,    1, '2025-05-03', '2025-05-03 08:00:00', '08:00:00', 1),
 (2, 'O''Brien', 1234.5, 2, '2025-06-29', '2025-06-29 23:59:59', '23:59:59', 0),
 (3, 'smithers', 99.5,   3, '1996-12-31', '1996-12-31 12:00:00', '12:00:00', 1),
 (4, 'Anna',     250,    4, '2025-01-15', '2025-01-15 09:30:00', '09:30:00', 0),
 (5, 'Bob',      -20,    5, '2025-07-10', '2025-07-10 00:00:00', '00:00:00', 1),
 (6, 'Smithson', 1000,   6, '2024-06-15', '2024-06-15 18:45:00', '18:45:00', 0),
 (7, 'Obi',      10,     7, '2025-06-30', '2025-06-30 10:00:00', '10:00:00', 1);
)sql";

class SelectionFormulaTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = engine::test::MakeDatabase(dir.File("t.db"), kData);
        report = engine::Report::CreateOverDatabase(db);
        report->FindSection("D")->PlaceFieldObject("{T.Id}", 0, 0);
    }

    // The Ids of the records the report keeps under the formula (run on 30 June 2025).
    std::vector<std::int64_t> KeptIds(const std::string& formula) {
        report->SetSelectionFormulaText(formula);
        const auto result = engine::run::RunReport(*report, engine::test::FixedRun());
        const auto id = report->LookupFieldDefinition("{T.Id}");
        std::vector<std::int64_t> ids;
        for (std::uint32_t r = 0; r < result.RecordCount(); ++r) {
            ids.push_back(std::get<std::int64_t>(result.StoredValue(r, *id)));
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    std::vector<std::int64_t> SqlIds(const std::string& where) {
        std::vector<std::int64_t> ids;
        for (const auto& row : QueryRows(db, "SELECT Id FROM T WHERE " + where + " ORDER BY Id")) {
            ids.push_back(std::get<std::int64_t>(row.at(0)));
        }
        return ids;
    }

    std::string Format(const std::string& field, const std::string& value, int op = kEqualTo) {
        return FormatConditionValue(field, value, op, *report);
    }

    engine::test::TempDir dir;
    std::string db;
    std::shared_ptr<engine::Report> report;
    locale::test::ScopedLocale english{"en_US.UTF-8"};
};

struct FormulaCase {
    const char* why;
    std::vector<FilteredField> fields;
    const char* formula;
    const char* where; // the same condition in SQL, over table T
};

// Every operator on every kind of field the page offers it for, and the ways conditions join.
const FormulaCase kCases[] = {
    {"nothing filtered", {}, "", "1"},
    {"is any value adds nothing", {{"T.Amount", 0, {}}}, "", "1"},
    {"a list without values adds nothing", {{"T.Name", 3, {}}, {"T.Qty", 4, {}}}, "", "1"},
    {"is equal to a number", {{"T.Amount", 1, {"100"}}}, "{T.Amount} = 100", "Amount = 100"},
    {"is not equal to", {{"T.Amount", 2, {"100"}}}, "{T.Amount} <> 100", "Amount <> 100"},
    {"is one of",
     {{"T.Amount", 3, {"100", "250"}}},
     "{T.Amount} in [100, 250]",
     "Amount IN (100, 250)"},
    {"is not one of starts with a space",
     {{"T.Amount", 4, {"100", "250"}}},
     " not ({T.Amount} in [100, 250])",
     "Amount NOT IN (100, 250)"},
    {"is less than a negative number", {{"T.Amount", 5, {"-1"}}}, "{T.Amount} < -1", "Amount < -1"},
    {"is less than or equal to", {{"T.Amount", 6, {"100"}}}, "{T.Amount} <= 100", "Amount <= 100"},
    {"is greater than with a decimal point",
     {{"T.Amount", 7, {"99.5"}}},
     "{T.Amount} > 99.5",
     "Amount > 99.5"},
    {"is greater than or equal to, thousands separator removed",
     {{"T.Amount", 8, {"1,000"}}},
     "{T.Amount} >= 1000",
     "Amount >= 1000"},
    {"is between",
     {{"T.Amount", 9, {"99.5", "250"}}},
     "{T.Amount} in 99.5 to 250",
     "Amount BETWEEN 99.5 AND 250"},
    {"is not between",
     {{"T.Amount", 10, {"99.5", "250"}}},
     "not ({T.Amount} in 99.5 to 250)",
     "Amount NOT BETWEEN 99.5 AND 250"},
    {"a small integer field", {{"T.Qty", 7, {"5"}}}, "{T.Qty} > 5", "Qty > 5"},

    {"is equal to a text", {{"T.Name", 1, {"Smith"}}}, "{T.Name} = 'Smith'", "Name = 'Smith'"},
    {"an apostrophe is doubled, so only that name is kept",
     {{"T.Name", 1, {"O'Brien"}}},
     "{T.Name} = 'O''Brien'",
     "Name = 'O''Brien'"},
    {"an apostrophe cannot end the text early and select every record",
     {{"T.Name", 1, {"x' or 'a' = 'a"}}},
     "{T.Name} = 'x'' or ''a'' = ''a'",
     "Name = 'x'' or ''a'' = ''a'"},
    {"a text list",
     {{"T.Name", 3, {"Smith", "Anna"}}},
     "{T.Name} in ['Smith', 'Anna']",
     "Name IN ('Smith', 'Anna')"},
    {"a negated text list",
     {{"T.Name", 4, {"Smith"}}},
     " not ({T.Name} in ['Smith'])",
     "Name NOT IN ('Smith')"},
    {"texts order by their bytes", {{"T.Name", 5, {"Bob"}}}, "{T.Name} < 'Bob'", "Name < 'Bob'"},
    {"is less than or equal to a text",
     {{"T.Name", 6, {"Bob"}}},
     "{T.Name} <= 'Bob'",
     "Name <= 'Bob'"},
    {"is greater than a text", {{"T.Name", 7, {"Smith"}}}, "{T.Name} > 'Smith'", "Name > 'Smith'"},
    {"is greater than or equal to a text",
     {{"T.Name", 8, {"Smith"}}},
     "{T.Name} >= 'Smith'",
     "Name >= 'Smith'"},
    {"a text range",
     {{"T.Name", 9, {"B", "Smith"}}},
     "{T.Name} in 'B' to 'Smith'",
     "Name BETWEEN 'B' AND 'Smith'"},
    {"a negated text range",
     {{"T.Name", 10, {"B", "Smith"}}},
     "not ({T.Name} in 'B' to 'Smith')",
     "Name NOT BETWEEN 'B' AND 'Smith'"},
    {"starts with, whatever the case",
     {{"T.Name", 11, {"SMI", "an"}}},
     "{T.Name} startswith ['SMI', 'an']",
     "Name LIKE 'smi%' OR Name LIKE 'an%'"},
    {"does not start with",
     {{"T.Name", 12, {"smi"}}},
     " not ({T.Name} startswith ['smi'])",
     "Name NOT LIKE 'smi%'"},
    {"is like, with * and ?",
     {{"T.Name", 13, {"*son", "?bi"}}},
     "{T.Name} like ['*son', '?bi']",
     "Name LIKE '%son' OR Name LIKE '_bi'"},
    {"is not like",
     {{"T.Name", 14, {"*i*"}}},
     " not ({T.Name} like ['*i*'])",
     "Name NOT LIKE '%i%'"},

    {"a date as typed the American way",
     {{"T.Day", 1, {"12/31/1996"}}},
     "{T.Day} = Date(1996, 12, 31)",
     "Day = '1996-12-31'"},
    {"is not equal to a date with a two-digit year",
     {{"T.Day", 2, {"31/12/96"}}},
     "{T.Day} <> Date(1996, 12, 31)",
     "Day <> '1996-12-31'"},
    {"a date list in the named-month forms",
     {{"T.Day", 3, {"December,  31, 1996", "Dec 31, 1996", "May 3, 2025"}}},
     "{T.Day} in [Date(1996, 12, 31), Date(1996, 12, 31), Date(2025, 5, 3)]",
     "Day IN ('1996-12-31', '2025-05-03')"},
    {"a negated date list",
     {{"T.Day", 4, {"2025-05-03"}}},
     " not ({T.Day} in [Date(2025, 5, 3)])",
     "Day NOT IN ('2025-05-03')"},
    {"before a date",
     {{"T.Day", 5, {"1/15/2025"}}},
     "{T.Day} < Date(2025, 1, 15)",
     "Day < '2025-01-15'"},
    {"on or before a date",
     {{"T.Day", 6, {"1/15/2025"}}},
     "{T.Day} <= Date(2025, 1, 15)",
     "Day <= '2025-01-15'"},
    {"after a date",
     {{"T.Day", 7, {"6/29/2025"}}},
     "{T.Day} > Date(2025, 6, 29)",
     "Day > '2025-06-29'"},
    {"on or after a date",
     {{"T.Day", 8, {"6/29/2025"}}},
     "{T.Day} >= Date(2025, 6, 29)",
     "Day >= '2025-06-29'"},
    {"a date range",
     {{"T.Day", 9, {"1/1/2025", "6/30/2025"}}},
     "{T.Day} in Date(2025, 1, 1) to Date(2025, 6, 30)",
     "Day BETWEEN '2025-01-01' AND '2025-06-30'"},
    {"a negated date range",
     {{"T.Day", 10, {"1/1/2025", "6/30/2025"}}},
     "not ({T.Day} in Date(2025, 1, 1) to Date(2025, 6, 30))",
     "Day NOT BETWEEN '2025-01-01' AND '2025-06-30'"},
    {"a period, measured from the run date (30 June 2025)",
     {{"T.Day", 11, {"LastFullMonth"}}},
     "{T.Day} in LastFullMonth",
     "Day BETWEEN '2025-05-01' AND '2025-05-31'"},
    {"outside a period",
     {{"T.Day", 12, {"LastFullMonth"}}},
     " not ({T.Day} in LastFullMonth)",
     "Day NOT BETWEEN '2025-05-01' AND '2025-05-31'"},

    {"a date-time with its time",
     {{"T.At", 1, {"6/29/2025 11:59:59PM"}}},
     "{T.At} = DateTime(2025, 6, 29, 23, 59, 59)",
     "At = '2025-06-29 23:59:59'"},
    {"a date-time range typed as dates starts at midnight",
     {{"T.At", 9, {"5/3/2025", "6/30/2025"}}},
     "{T.At} in DateTime(2025, 5, 3, 0, 0, 0) to DateTime(2025, 6, 30, 0, 0, 0)",
     "At BETWEEN '2025-05-03 00:00:00' AND '2025-06-30 00:00:00'"},
    {"a date-time in a period",
     {{"T.At", 11, {"Calendar2ndQtr"}}},
     "{T.At} in Calendar2ndQtr",
     "date(At) BETWEEN '2025-04-01' AND '2025-06-30'"},
    {"a time",
     {{"T.Opens", 5, {"11:59:59PM"}}},
     "{T.Opens} < Time(23, 59, 59)",
     "Opens < '23:59:59'"},
    {"a time range",
     {{"T.Opens", 9, {"8:00 AM", "12:00:00"}}},
     "{T.Opens} in Time(8, 0, 0) to Time(12, 0, 0)",
     "Opens BETWEEN '08:00:00' AND '12:00:00'"},
    {"a Boolean value", {{"T.Vip", 1, {"true"}}}, "{T.Vip} = true", "Vip = 1"},
    {"a Boolean value in any case", {{"T.Vip", 2, {"True"}}}, "{T.Vip} <> True", "Vip <> 1"},

    {"two conditions are joined with and",
     {{"T.Amount", 7, {"100"}}, {"T.Name", 3, {"Anna", "O'Brien"}}},
     "{T.Amount} > 100 and {T.Name} in ['Anna', 'O''Brien']",
     "Amount > 100 AND Name IN ('Anna', 'O''Brien')"},
    {"the field after a range uses its own value, not the range's second",
     {{"T.Amount", 9, {"99.5", "250"}}, {"T.Name", 1, {"Anna"}}},
     "{T.Amount} in 99.5 to 250 and {T.Name} = 'Anna'",
     "Amount BETWEEN 99.5 AND 250 AND Name = 'Anna'"},
    {"a negated range keeps the condition before it",
     {{"T.Qty", 8, {"2"}}, {"T.Amount", 10, {"1", "200"}}},
     "{T.Qty} >= 2 and not ({T.Amount} in 1 to 200)",
     "Qty >= 2 AND Amount NOT BETWEEN 1 AND 200"},
    {"a negated list after a condition has two spaces before not",
     {{"T.Qty", 7, {"2"}}, {"T.Amount", 0, {}}, {"T.Name", 4, {"Anna"}}},
     "{T.Qty} > 2 and  not ({T.Name} in ['Anna'])",
     "Qty > 2 AND Name NOT IN ('Anna')"},
};

TEST_F(SelectionFormulaTest, EachConditionFormKeepsTheRecordsItsSqlKeeps) {
    for (const FormulaCase& c : kCases) {
        SCOPED_TRACE(c.why);
        const std::string formula = BuildSelectionFormula(c.fields, *report);
        EXPECT_EQ(formula, c.formula);
        const auto expected = SqlIds(c.where);
        EXPECT_EQ(KeptIds(formula), expected) << c.where;
    }
}

TEST_F(SelectionFormulaTest, ASystemWithGermanSeparatorsReadsNumbersItsWay) {
    locale::test::ScopedLocale german("de_DE.UTF-8");
    const std::string formula = BuildSelectionFormula({{"T.Amount", 1, {"1.234,5"}}}, *report);
    EXPECT_EQ(formula, "{T.Amount} = 1234.5");
    EXPECT_EQ(KeptIds(formula), SqlIds("Amount = 1234.5"));
    EXPECT_EQ(KeptIds(formula), std::vector<std::int64_t>{2});
    // Dates are read day first; the forms that cannot be read so are read month first.
    EXPECT_EQ(Format("T.Day", "3.5.2025"), "Date(2025, 5, 3)");
    EXPECT_EQ(Format("T.Day", "12/31/1996"), "Date(1996, 12, 31)");
    locale::test::ScopedLocale french("fr_FR.UTF-8");
    EXPECT_EQ(Format("T.Amount", "1 234,5"), "1234.5");
}

// The description of the automation error f throws, with its number.
std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const automation::AutomationError& e) {
        return std::to_string(e.Number()) + ": " + e.Description();
    }
    return "(no error)";
}

TEST_F(SelectionFormulaTest, ANumberValueGoesInOnlyAsAPlainNumber) {
    // Text typed into a number field once became part of the formula and kept every record.
    const auto build = [this](const std::string& value) {
        return [this, value] { BuildSelectionFormula({{"T.Amount", 7, {value}}}, *report); };
    };
    EXPECT_EQ(ErrorOf(build("1 or true")),
              "13: The value \"1 or true\" of T.Amount is not a number.");
    EXPECT_EQ(ErrorOf(build("1)")), "13: The value \"1)\" of T.Amount is not a number.");
    EXPECT_EQ(ErrorOf(build("ten")), "13: The value \"ten\" of T.Amount is not a number.");
    EXPECT_EQ(ErrorOf(build("1.2.3")), "13: The value \"1.2.3\" of T.Amount is not a number.");
    EXPECT_EQ(ErrorOf(build("--1")), "13: The value \"--1\" of T.Amount is not a number.");
    EXPECT_EQ(ErrorOf(build("")), "13: No number was entered for T.Amount.");
    EXPECT_EQ(ErrorOf(build(" , ")), "13: No number was entered for T.Amount.");
    // Spaces around a number and a point at either end are still one number.
    EXPECT_EQ(Format("T.Amount", " 12 "), "12");
    EXPECT_EQ(Format("T.Amount", "12."), "12.");
    EXPECT_EQ(Format("T.Amount", ".5"), ".5");
    EXPECT_NO_THROW(report->SetSelectionFormulaText("{T.Amount} = 12. or {T.Amount} = .5"));
    // A Boolean value is true or false and nothing more.
    EXPECT_EQ(ErrorOf([this] { Format("T.Vip", "true or true"); }),
              "13: The value \"true or true\" of T.Vip is not true or false.");
}

TEST_F(SelectionFormulaTest, ADateOrTimeThatCannotBeReadAsksForOne) {
    const std::string asking = "13: " + resources::LoadResString(272);
    for (const char* value :
         {"tomorrow", "", "13/13/1996", "2/30/2025", "12/31/10000", "1/1/0000", "23:59:59"}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ErrorOf([&] { Format("T.Day", value); }), asking);
        EXPECT_EQ(ErrorOf([&] { Format("T.At", value); }), asking);
    }
    EXPECT_EQ(ErrorOf([&] { Format("T.Opens", "12/31/1996"); }), asking);
    EXPECT_EQ(ErrorOf([&] { Format("T.Opens", "25:00"); }), asking);
    // Each form the message offers is read.
    for (const char* value : {"12/31/1996", "31/12/96", "December,  31, 1996", "Dec 31, 1996"}) {
        EXPECT_EQ(Format("T.Day", value), "Date(1996, 12, 31)") << value;
    }
    for (const char* value : {"23:59:59", "11:59:59PM"}) {
        EXPECT_EQ(Format("T.Opens", value), "Time(23, 59, 59)") << value;
    }
    // A period name stands as it is; a date field with another operator never takes one.
    EXPECT_EQ(Format("T.Day", "MonthToDate", kStartsWithOrInPeriod), "MonthToDate");
    EXPECT_EQ(ErrorOf([&] { Format("T.Day", "MonthToDate"); }), asking);
}

} // namespace
} // namespace foliant::generate
