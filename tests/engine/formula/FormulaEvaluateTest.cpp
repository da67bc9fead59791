// What formulas mean on records: each case says why its expected answer is right.

#include "FormulaTestSupport.h"

#include <gtest/gtest.h>

using namespace foliant::engine;
using namespace foliant::engine::formula;
using namespace foliant::engine::formula::testing;

namespace {

const Date kToday = D(2024, 3, 13); // a Wednesday in a leap year

MapRecord Sample() {
    return MapRecord{
        {"{Orders.Amount}", std::int64_t{150}},
        {"{Orders.Quantity}", std::int64_t{3}},
        {"{Orders.OrderDate}", D(1996, 12, 31)},
        {"{Orders.Shipped}", DT(1996, 12, 31, 23, 59, 59)},
        {"{Orders.Paid}", true},
        {"{Orders.PickupTime}", TimeOfDay{23 * 3600 + 59 * 60 + 59}},
        {"{Customer.Name}", std::string("Smith")},
        {"{Customer.Notes}", std::string("")},
    };
}

struct Case {
    std::string text;
    MapRecord record;
    bool selected;
    const char* reason;
};

void ExpectSelection(const std::vector<Case>& cases, Date today = kToday) {
    const MapCatalog catalog;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + "  [" + c.reason + "]");
        const CheckedFormula f = CompileSelectionFormula(c.text, catalog);
        EXPECT_EQ(Selects(f, c.record, today), c.selected);
    }
}

} // namespace

TEST(FormulaEvaluate, NullsMakeComparisonsFalse) {
    const MapRecord none;
    ExpectSelection({
        {"{Orders.Amount} > 100", Sample(), true, "150 > 100"},
        {"{Orders.Amount} > 100", none, false, "a null is not greater than anything"},
        {"{Orders.Amount} <> 100", none, false, "nor different from anything"},
        {"not ({Orders.Amount} = 100)", none, true, "not turns the false comparison to true"},
        {" not ({Customer.Name} in ['A', 'B'])", none, true,
         "a null name is not in the list, so 'is not one of' keeps it"},
        {"{Orders.Amount} in 1 to 200", none, false, "a null is in no range"},
        {"{Customer.Name} like '*'", none, false, "a null matches no pattern, not even *"},
        {"{Customer.Name} startswith ''", none, false, "nor any prefix"},
        {"{Orders.OrderDate} in AllDatesToToday", none, false, "nor any period"},
        {"{Orders.Paid}", none, false, "a null Boolean is not true"},
        {"not {Orders.Paid}", none, true, "and counts as false under not"},
        {"{Orders.Amount} + {Orders.Quantity} > 0", MapRecord{{"{Orders.Amount}", 1.0}}, false,
         "null propagates through arithmetic, then the comparison is false"},
        {"{Customer.Name} & 'x' = 'x'", none, false, "and through concatenation"},
        {"", none, true, "the empty formula keeps every record"},
    });
}

TEST(FormulaEvaluate, ComparisonsOfEachType) {
    ExpectSelection({
        {"{Orders.Amount} = 150.0", Sample(), true, "integers and decimals compare by value"},
        {"{Orders.Amount} in 100 to 150", Sample(), true, "a range includes its upper end"},
        {"{Orders.Amount} in 150 to 100", Sample(), false, "an inverted range is empty"},
        {"{Orders.Amount} in [1, 150, 3]", Sample(), true, "one list item is enough"},
        {"{Orders.Amount} in []", Sample(), false, "the empty list holds nothing"},
        {"{Customer.Name} = 'smith'", Sample(), false, "= compares text exactly, case included"},
        {"{Customer.Name} < 'smith'", Sample(), true, "upper case sorts before lower case"},
        {"{Customer.Name} = \"Smith\"", Sample(), true, "both quote forms make text"},
        {"{Customer.Name} = 'O''Brien'", MapRecord{{"{Customer.Name}", std::string("O'Brien")}},
         true, "a doubled quote stands for one"},
        {"{Orders.OrderDate} = Date(1996, 12, 31)", Sample(), true, "the same day"},
        {"{Orders.Shipped} = DateTime(1996, 12, 31, 23, 59, 59)", Sample(), true,
         "the same second"},
        {"{Orders.Shipped} > Date(1996, 12, 31)", Sample(), true,
         "a date meets a date-time as its midnight"},
        {"{Orders.OrderDate} < {Orders.Shipped}", Sample(), true,
         "midnight of the 31st is before 23:59:59 that day"},
        {"{Orders.PickupTime} <= Time(23, 59, 59)", Sample(), true, "the same time"},
        {"{Orders.PickupTime} < Time(23, 59, 59)", Sample(), false, "not earlier than itself"},
        {"{Orders.Paid} = True", Sample(), true, "Booleans compare with Booleans"},
        {"{Orders.Paid} and not ({Orders.Paid} = false)", Sample(), true,
         "a Boolean field is a condition by itself"},
        {"{Orders.Quantity} = 9007199254740993",
         MapRecord{{"{Orders.Quantity}", std::int64_t{9007199254740993}}}, true,
         "large integers compare exactly"},
        {"{Orders.Quantity} = 9007199254740992.0",
         MapRecord{{"{Orders.Quantity}", std::int64_t{9007199254740993}}}, false,
         "an integer is not rounded to the nearest double to compare"},
        {"{Orders.Shipped} = DateTime(1996, 12, 31, 0, 0, 0)",
         MapRecord{{"{Orders.Shipped}", D(1996, 12, 31)}}, true,
         "a date given for a date-time field is read as its midnight"},
    });
}

TEST(FormulaEvaluate, LikeAndStartsWithIgnoreCase) {
    const MapRecord mueller{{"{Customer.Name}", std::string("M\xc3\x9cLLER")}}; // MÜLLER
    const MapRecord empty{{"{Customer.Name}", std::string("")}};
    ExpectSelection({
        {"{Customer.Name} like 'SM?TH'", Sample(), true, "? stands for one character"},
        {"{Customer.Name} like 'Sm*'", Sample(), true, "* stands for the rest"},
        {"{Customer.Name} like '*it'", Sample(), false, "the pattern covers the whole text"},
        {"{Customer.Name} like '*i*h'", Sample(), true, "several stars"},
        {"{Customer.Name} like 'Smith?'", Sample(), false, "? needs a character"},
        {"{Customer.Name} like ''", Sample(), false, "the empty pattern matches only ''"},
        {"{Customer.Name} like ''", empty, true, "the empty text matches it"},
        {"{Customer.Name} like ['X*', '*TH']", Sample(), true, "any pattern of the list"},
        {" not ({Customer.Name} like ['S*'])", Sample(), false, "the negated list form"},
        {"{Customer.Name} like 'm?ller'", mueller, true,
         "? covers the two bytes of \xc3\x9c and case is ignored beyond ASCII"},
        {"{Customer.Name} like 'M\xc3\xbc*'", mueller, true, "\xc3\xbc matches \xc3\x9c"},
        {"{Customer.Name} startswith 'sm'", Sample(), true, "case is ignored"},
        {"{Customer.Name} startswith ['x', 'SMI']", Sample(), true, "any prefix of the list"},
        {"{Customer.Name} startswith ''", Sample(), true, "every text starts with ''"},
        {"{Customer.Name} startswith 'Smithy'", Sample(), false, "a prefix longer than the text"},
        {"{Customer.Name} startswith 'S*'", Sample(), false, "startswith has no wildcards"},
        {" not ({Customer.Name} startswith ['Sm'])", Sample(), false, "the negated list form"},
    });
}

TEST(FormulaEvaluate, OperatorsBindLoosestFirstOrAndNot) {
    ExpectSelection({
        {"{Orders.Amount} > 100 or {Orders.Amount} < 0 and false", Sample(), true,
         "and binds tighter than or"},
        {"not {Orders.Amount} = 150 and true", Sample(), false,
         "not applies to the comparison, which is true"},
        {"1 + 2 * 3 = 7", Sample(), true, "* before +"},
        {"(1 + 2) * 3 = 9", Sample(), true, "parentheses first"},
        {"- 2 * 3 = -6", Sample(), true, "unary minus"},
        {"10 - 2 - 3 = 5", Sample(), true, "left to right"},
        {"7 mod 3 = 1 and -7 mod 3 = -1", Sample(), true, "mod keeps the dividend's sign"},
        {"7 / 2 = 3.5", Sample(), true, "division is exact"},
        {"{Orders.Amount} * 2 - 1 = 299", Sample(), true, "150 * 2 - 1"},
        {"9223372036854775807 + 1 > 9223372036854775807", Sample(), true,
         "integer overflow continues in floating point instead of wrapping"},
        {"{Customer.Name} & {Orders.Amount} = 'Smith150'", Sample(), true, "& writes numbers"},
        {"'x' & 1.5 & true = 'x1.5True'", Sample(), true, "& writes decimals and Booleans"},
        {"'' & Date(1996, 12, 31) & ' ' & Time(1, 2, 3) = '1996-12-31 01:02:03'", Sample(), true,
         "& writes dates and times in ISO form"},
        {"{Customer.Name} + 's' = 'Smiths'", Sample(), true, "+ joins text"},
        {"{Orders.OrderDate} + 1 = Date(1997, 1, 1)", Sample(), true, "adding days to a date"},
        {"{Orders.OrderDate} - Date(1996, 1, 1) = 365", Sample(), true,
         "1996 is a leap year: 365 days from 1 January to 31 December"},
        {"{Orders.Shipped} - {Orders.OrderDate} > 0.9999", Sample(), true,
         "date-times differ by fractions of a day"},
        {"{Orders.Shipped} + 0.5 = DateTime(1997, 1, 1, 11, 59, 59)", Sample(), true,
         "half a day is twelve hours"},
    });
}

TEST(FormulaEvaluate, RuntimeFailuresNameTheProblem) {
    const MapCatalog catalog;
    const MapRecord zero{{"{Orders.Amount}", std::int64_t{10}},
                         {"{Orders.Quantity}", std::int64_t{0}}};
    try {
        Selects(CompileSelectionFormula("{Orders.Amount} / {Orders.Quantity} > 1", catalog), zero,
                kToday);
        FAIL() << "no error";
    } catch (const FormulaError& e) {
        EXPECT_EQ(e.Message(), "The formula divides by zero.");
        EXPECT_EQ(e.Position(), 16u);
    }
    try {
        Selects(CompileSelectionFormula("{Orders.OrderDate} + 3000000 > Date(1, 1, 1)", catalog),
                Sample(), kToday);
        FAIL() << "no error";
    } catch (const FormulaError& e) {
        EXPECT_EQ(e.Message(), "The resulting date is outside the years 1 to 9999.");
        EXPECT_EQ(e.Position(), 19u);
    }
    try {
        Selects(CompileSelectionFormula("{Orders.Amount} > 1", catalog),
                MapRecord{{"{Orders.Amount}", std::string("12")}}, kToday);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(),
                     "The value of {Orders.Amount} in this record is not a currency value.");
    }
    EXPECT_THROW(Selects(CompileSelectionFormula("{Orders.Amount} > 1", catalog), Sample(),
                         Date{DaysFromCivil(10000, 1, 1)}),
                 EngineError);
}

TEST(FormulaEvaluate, EachFieldIsReadOncePerRecordByItsIndex) {
    class Counting : public RecordSource {
    public:
        mutable std::vector<std::size_t> asked;
        Value FieldValue(std::size_t index, const FieldReference& f) const override {
            asked.push_back(index);
            return f.name == "{Orders.Amount}" ? Value(std::int64_t{5}) : Value(std::string("a"));
        }
    } record;
    const MapCatalog catalog;
    const CheckedFormula f = CompileSelectionFormula(
        "{Customer.Name} = 'a' and {Orders.Amount} > 1 and {Orders.Amount} < 9 and "
        "{Customer.Name} like 'A'",
        catalog);
    EXPECT_TRUE(Selects(f, record, kToday));
    EXPECT_EQ(record.asked, (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Evaluate(CheckedFormula(), record, kToday)));
    EXPECT_EQ(Evaluate(CompileFormulaField("{Orders.Amount} * 3", catalog), record, kToday),
              Value(std::int64_t{15}));
}

// Each period as a closed range of days around today, 13 March 2024 (a Wednesday).
TEST(FormulaEvaluate, PeriodsAreDateRangesAroundTheRunDate) {
    struct PeriodCase {
        const char* name;
        std::optional<Date> first;
        std::optional<Date> last;
        const char* reason;
    };
    const std::optional<Date> open;
    const PeriodCase cases[] = {
        {"WeekToDateFromSun", D(2024, 3, 10), kToday, "from Sunday the 10th"},
        {"MonthToDate", D(2024, 3, 1), kToday, "from the 1st"},
        {"YearToDate", D(2024, 1, 1), kToday, "from 1 January"},
        {"Last7Days", D(2024, 3, 7), kToday, "today and the 6 days before"},
        {"Last4WeeksToSun", D(2024, 2, 12), D(2024, 3, 10),
         "28 days ending on Sunday the 10th; February 2024 has 29 days"},
        {"LastFullWeek", D(2024, 3, 3), D(2024, 3, 9), "Sunday to Saturday of last week"},
        {"LastFullMonth", D(2024, 2, 1), D(2024, 2, 29), "February of a leap year"},
        {"AllDatesToToday", open, kToday, "no first day"},
        {"AllDatesToYesterday", open, D(2024, 3, 12), "up to yesterday"},
        {"AllDatesFromToday", kToday, open, "no last day"},
        {"AllDatesFromTomorrow", D(2024, 3, 14), open, "from tomorrow"},
        {"Aged0To30Days", D(2024, 2, 12), kToday, "today - 30 to today"},
        {"Aged31To60Days", D(2024, 1, 13), D(2024, 2, 11), "today - 60 to today - 31"},
        {"Aged61To90Days", D(2023, 12, 14), D(2024, 1, 12), "today - 90 to today - 61"},
        {"Over90Days", open, D(2023, 12, 13), "before today - 90"},
        {"Next30Days", kToday, D(2024, 4, 12), "today to today + 30"},
        {"Next31To60Days", D(2024, 4, 13), D(2024, 5, 12), "today + 31 to today + 60"},
        {"Next61To90Days", D(2024, 5, 13), D(2024, 6, 11), "today + 61 to today + 90"},
        {"Next91To365Days", D(2024, 6, 12), D(2025, 3, 13), "today + 91 to today + 365"},
        {"Calendar1stQtr", D(2024, 1, 1), D(2024, 3, 31), "January to March"},
        {"Calendar2ndQtr", D(2024, 4, 1), D(2024, 6, 30), "April to June"},
        {"Calendar3rdQtr", D(2024, 7, 1), D(2024, 9, 30), "July to September"},
        {"Calendar4thQtr", D(2024, 10, 1), D(2024, 12, 31), "October to December"},
        {"Calendar1stHalf", D(2024, 1, 1), D(2024, 6, 30), "January to June"},
        {"Calendar2ndHalf", D(2024, 7, 1), D(2024, 12, 31), "July to December"},
        {"LastYearMTD", D(2023, 3, 1), D(2023, 3, 13), "month to date, a year back"},
        {"LastYearYTD", D(2023, 1, 1), D(2023, 3, 13), "year to date, a year back"},
    };
    ASSERT_EQ(std::size(cases), static_cast<std::size_t>(kPeriodCount));
    const MapCatalog catalog;
    for (const PeriodCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "  [" + c.reason + "]");
        const CheckedFormula onDate =
            CompileSelectionFormula(std::string("{Orders.OrderDate} in ") + c.name, catalog);
        const CheckedFormula onDateTime =
            CompileSelectionFormula(std::string("{Orders.Shipped} in ") + c.name, catalog);
        auto day = [&](Date d) {
            return Selects(onDate, MapRecord{{"{Orders.OrderDate}", d}}, kToday);
        };
        auto moment = [&](Date d, int h, int mi, int s) {
            return Selects(onDateTime,
                           MapRecord{{"{Orders.Shipped}", DateTime{std::int64_t{d.days} * 86400 +
                                                                   h * 3600 + mi * 60 + s}}},
                           kToday);
        };
        const Date farPast = D(1, 1, 1);
        const Date farFuture = D(9999, 12, 31);
        if (c.first) {
            EXPECT_TRUE(day(*c.first));
            EXPECT_FALSE(day(Date{c.first->days - 1}));
            EXPECT_TRUE(moment(*c.first, 0, 0, 0));
            EXPECT_FALSE(moment(Date{c.first->days - 1}, 23, 59, 59));
        } else {
            EXPECT_TRUE(day(farPast));
        }
        if (c.last) {
            EXPECT_TRUE(day(*c.last));
            EXPECT_FALSE(day(Date{c.last->days + 1}));
            EXPECT_TRUE(moment(*c.last, 23, 59, 59));
            EXPECT_FALSE(moment(Date{c.last->days + 1}, 0, 0, 0));
        } else {
            EXPECT_TRUE(day(farFuture));
        }
        // The name written by the wizard in its negated form.
        const CheckedFormula negated = CompileSelectionFormula(
            std::string(" not ({Orders.OrderDate} in ") + c.name + ")", catalog);
        const Date inside = c.first ? *c.first : *c.last;
        EXPECT_FALSE(Selects(negated, MapRecord{{"{Orders.OrderDate}", inside}}, kToday));
    }
}

TEST(FormulaEvaluate, PeriodsOnCalendarEdges) {
    // On a Sunday the week to date is that Sunday alone, and the four weeks end a week earlier.
    const Date sunday = D(2024, 3, 10);
    EXPECT_EQ(PeriodRange(Period::WeekToDateFromSun, sunday).first, sunday);
    EXPECT_EQ(PeriodRange(Period::Last4WeeksToSun, sunday).last, D(2024, 3, 3));
    EXPECT_EQ(PeriodRange(Period::LastFullWeek, sunday).first, D(2024, 3, 3));
    // On 29 February, a year back is 28 February of a common year.
    EXPECT_EQ(PeriodRange(Period::LastYearMTD, D(2024, 2, 29)).first, D(2023, 2, 1));
    EXPECT_EQ(PeriodRange(Period::LastYearMTD, D(2024, 2, 29)).last, D(2023, 2, 28));
    // In January the last full month is December of the year before.
    EXPECT_EQ(PeriodRange(Period::LastFullMonth, D(2024, 1, 15)).first, D(2023, 12, 1));
    EXPECT_EQ(PeriodRange(Period::LastFullMonth, D(2024, 1, 15)).last, D(2023, 12, 31));
    // Before 1970 weekdays still count from Sunday.
    EXPECT_EQ(PeriodRange(Period::LastFullWeek, D(1969, 12, 31)).first, D(1969, 12, 21));
}
