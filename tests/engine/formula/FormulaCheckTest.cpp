// What the formula checker rejects, with the exact message and position, and what it accepts.
// Positions are byte offsets into the formula text.

#include "FormulaTestSupport.h"

#include <gtest/gtest.h>

using namespace foliant::engine;
using namespace foliant::engine::formula;
using namespace foliant::engine::formula::testing;

namespace {

struct Rejected {
    std::string text;
    std::string message;
    std::size_t position;
    const char* reason;
};

void ExpectRejected(const std::vector<Rejected>& cases, bool selection = true) {
    const MapCatalog catalog;
    for (const Rejected& c : cases) {
        SCOPED_TRACE(c.text + "  [" + c.reason + "]");
        try {
            if (selection) {
                CompileSelectionFormula(c.text, catalog);
            } else {
                CompileFormulaField(c.text, catalog);
            }
            ADD_FAILURE() << "accepted";
        } catch (const FormulaError& e) {
            EXPECT_EQ(e.Message(), c.message);
            EXPECT_EQ(e.Position(), c.position);
        }
    }
}

void ExpectAccepted(const std::vector<std::string>& texts) {
    const MapCatalog catalog;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_NO_THROW(CompileSelectionFormula(text, catalog));
    }
}

} // namespace

TEST(FormulaCheck, LexicalProblemsAreReportedWhereTheyStand) {
    ExpectRejected({
        {"{Orders.Amount} > 100 #", "This character is not part of the formula language.", 22,
         "a stray character is named at its own place"},
        {"{Customer.Name} = 'Smith", "The ' that ends the text is missing.", 24,
         "an open string runs to the end, so the end is where the quote is missing"},
        {"{Customer.Name} = \"Smith", "The \" that ends the text is missing.", 24,
         "the double-quoted form names its own quote"},
        {"{Orders.Amount > 100", "The } is missing.", 20,
         "a field name without its closing brace swallows the rest of the text"},
        {"Orders.Amount} > 1", "A Boolean value is required here.", 0,
         "a field name without its opening brace is an unknown word"},
        {"{Orders.Amount} > 1e5", "The remaining text does not appear to be part of the formula.",
         19, "numbers have no exponent: 1 is read, e5 is left over"},
        {"{Orders.Amount} > 1" + std::string(400, '0'), "This number is too large.", 18,
         "a number beyond the range of doubles is not rounded to infinity"},
    });
}

TEST(FormulaCheck, FieldsMustBeKnownAndUsable) {
    ExpectRejected({
        {"{Orders.Amout} > 100", "This field name is not known.", 0, "a misspelt field"},
        {"{Customer.Name} = 'A' and {Nope.X} = 1", "This field name is not known.", 26,
         "the second condition's field is reported at its own brace"},
        {"{orders.amount} > 1", "This field name is not known.", 0,
         "the catalog is asked with the name as written; this one matches names exactly"},
        {"{Orders.Photo} = 1", "This field's type of value cannot be used in a formula.", 0,
         "a picture has no value a formula could compare"},
        {"{} = 1", "This field name is not known.", 0, "empty braces name nothing"},
    });
}

TEST(FormulaCheck, ComparisonsNeedOperandsOfOneType) {
    ExpectRejected({
        {"{Orders.Amount} = 'Smith'", "A number is required here.", 18,
         "a currency field compares with numbers only"},
        {"{Customer.Name} = 5", "A string is required here.", 18,
         "a text field compares with text only"},
        {"{Orders.OrderDate} = 5", "A date is required here.", 21,
         "a date field compares with dates only"},
        {"{Orders.PickupTime} < Date(2000, 1, 1)", "A time is required here.", 22,
         "a time of day is not a date"},
        {"{Orders.Paid} = 1", "A Boolean value is required here.", 16,
         "a Boolean field is not a number"},
        {"{Orders.Amount}", "A Boolean value is required here.", 0,
         "a selection formula must be a condition"},
        {"{Orders.Amount} > 100 < 200",
         "The remaining text does not appear to be part of the formula.", 22,
         "comparisons do not chain"},
        {"({Orders.Amount} > 100", "The ) is missing.", 22, "an open parenthesis at the end"},
        {"{Orders.Amount} > 100)", "The remaining text does not appear to be part of the formula.",
         21, "a closing parenthesis with nothing open"},
        {"{Orders.Amount} > 100 and", "A Boolean value is required here.", 25,
         "and needs a second condition"},
        {"{Orders.Amount} > 100 and 5", "A Boolean value is required here.", 26,
         "and joins conditions, not numbers"},
        {"not {Orders.Amount}", "A Boolean value is required here.", 4,
         "not applies to a condition"},
        {"{Orders.Amount} >", "A number is required here.", 17,
         "the missing operand is named by the type its place needs"},
    });
}

// The texts the selection page builds from values the user typed badly.
TEST(FormulaCheck, WizardFormulasBuiltFromBadValuesAreRejectedClearly) {
    ExpectRejected({
        {"{Orders.Amount} = ", "A number is required here.", 18,
         "an empty single value leaves nothing after the operator"},
        {"{Orders.Amount} = abc", "A number is required here.", 18,
         "a word typed for a number reaches the engine unquoted"},
        {"{Orders.Amount} > 1.234,5",
         "The remaining text does not appear to be part of the formula.", 23,
         "a number in a foreign notation stops at the comma"},
        {"{Orders.Quantity} = 1 and not ({Orders.Amount} in  to 5)", "A number is required here.",
         51, "an empty first value of a range leaves the word to where the number belongs"},
        {"{Orders.Amount} in 1 to ", "A number is required here.", 24,
         "an empty second value of a range"},
        {"{Customer.Name} = 'O'Brien'",
         "The remaining text does not appear to be part of the formula.", 21,
         "an apostrophe in the value ends the string early (it is not doubled)"},
        {"{Orders.Paid} = Yes", "A Boolean value is required here.", 16,
         "a Boolean value is written as typed; only true and false are Booleans"},
        {"{Orders.Paid} = ", "A Boolean value is required here.", 16, "an empty Boolean value"},
    });
}

TEST(FormulaCheck, RangesListsAndPeriods) {
    ExpectRejected({
        {"{Orders.Amount} in 1 5", "The word to is missing.", 21, "a range needs to"},
        {"not ({Orders.Amount} in 1 to 5", "The ) is missing.", 30,
         "the negated range's parenthesis is not closed"},
        {"{Customer.Name} in 'A' to 5", "A string is required here.", 26,
         "both ends of a range have the field's type"},
        {"{Customer.Name} in ['A', 'B'", "The ] is missing.", 28, "an open list at the end"},
        {"{Customer.Name} in ['A' 'B']", "The ] is missing.", 24,
         "list items are separated by commas"},
        {"{Orders.Amount} in [1, 'two']", "A number is required here.", 23,
         "every item of a list has the field's type"},
        {"{Orders.Amount} in [1, ]", "A number is required here.", 23,
         "a trailing comma leaves an item missing"},
        {"{Orders.Amount} in LastFullMonth", "A date is required here.", 0,
         "a period applies to a date or date-time only"},
        {"{Orders.OrderDate} in LastMonth", "A date is required here.", 22,
         "a word that is not one of the period names is not a date"},
        {"LastFullMonth", "A period name can only follow in.", 0, "a period is not a value"},
        {"{Orders.Amount} like '1*'", "A string is required here.", 0, "like matches text only"},
        {"{Customer.Name} startswith ['A', 5]", "A string is required here.", 33,
         "every prefix is text"},
        {"{Customer.Name} like", "A string is required here.", 20, "like needs a pattern"},
    });
}

TEST(FormulaCheck, ArithmeticNeedsFittingOperands) {
    ExpectRejected({
        {"{Customer.Name} * 2 = 4", "A number is required here.", 0, "text cannot be multiplied"},
        {"{Orders.Amount} + 'a' > 1", "A number is required here.", 18,
         "a number adds only numbers"},
        {"{Orders.Paid} + 1 = 2", "A number is required here.", 0, "a Boolean cannot be added to"},
        {"{Customer.Name} - 'a' = 'b'", "A number is required here.", 0,
         "text cannot be subtracted"},
        {"{Orders.OrderDate} + {Orders.OrderDate} > 1", "A number is required here.", 21,
         "two dates cannot be added, only subtracted"},
    });
    ExpectRejected(
        {
            {"-'a'", "A number is required here.", 1, "only numbers can be negated"},
            {"{Orders.Amount} mod", "A number is required here.", 19, "mod needs a divisor"},
            {"", "A value or field is required here.", 0, "a formula field needs a formula"},
            {"  ", "A value or field is required here.", 2, "blank is not a formula either"},
        },
        false);
}

TEST(FormulaCheck, DateAndTimeLiterals) {
    ExpectRejected({
        {"{Orders.OrderDate} = Date(1996, 13, 31)", "This date is not valid.", 21,
         "there is no thirteenth month"},
        {"{Orders.OrderDate} = Date(1995, 2, 29)", "This date is not valid.", 21,
         "1995 is not a leap year"},
        {"{Orders.OrderDate} = Date(10000, 1, 1)", "This date is not valid.", 21,
         "years run from 1 to 9999"},
        {"{Orders.OrderDate} = Date(1996, 12)", "The , is missing.", 34, "a date has three parts"},
        {"{Orders.OrderDate} = Date 1996", "The ( is missing.", 26,
         "the parts are given in parentheses"},
        {"{Orders.OrderDate} = Date(1996.5, 1, 1)", "A whole number is required here.", 26,
         "parts are whole numbers"},
        {"{Orders.OrderDate} = Date(1996, 12, 31", "The ) is missing.", 38,
         "the parenthesis after the last part"},
        {"{Orders.PickupTime} = Time(24, 0, 0)", "This time is not valid.", 22,
         "hours run from 0 to 23"},
        {"{Orders.Shipped} = DateTime(1996, 12, 31, 23, 59, 60)", "This time is not valid.", 19,
         "seconds run from 0 to 59"},
    });
}

TEST(FormulaCheck, NestingIsBoundedExactlyAtTheLimit) {
    const MapCatalog catalog;
    const int n = kMaxFormulaNesting;
    auto parens = [](int k) {
        return std::string(static_cast<std::size_t>(k), '(') + "{Orders.Paid}" +
               std::string(static_cast<std::size_t>(k), ')');
    };
    std::string nots;
    for (int i = 0; i < n; ++i) {
        nots += "not ";
    }
    EXPECT_NO_THROW(CompileSelectionFormula(parens(n), catalog));
    EXPECT_NO_THROW(CompileSelectionFormula(nots + "{Orders.Paid}", catalog));
    EXPECT_NO_THROW(
        CompileFormulaField(std::string(static_cast<std::size_t>(n), '-') + "1", catalog));
    ExpectRejected({
        {parens(n + 1), "The formula is nested too deeply.", static_cast<std::size_t>(n),
         "the parenthesis one past the limit is reported"},
        {nots + "not {Orders.Paid}", "The formula is nested too deeply.",
         static_cast<std::size_t>(4 * n), "not nests as parentheses do"},
        {"{Orders.Amount} = " + std::string(static_cast<std::size_t>(n + 1), '-') + "1",
         "The formula is nested too deeply.", 18 + static_cast<std::size_t>(n),
         "so does unary minus"},
        {std::string(100000, '('), "The formula is nested too deeply.", static_cast<std::size_t>(n),
         "a huge nesting stops at the limit instead of exhausting the stack"},
    });
}

TEST(FormulaCheck, LongChainsAreNotNesting) {
    // 5000 alternatives and 5000 additions stay flat: they are not limited by the nesting bound.
    const MapCatalog catalog;
    std::string ors = "{Orders.Amount} = 0";
    std::string sum = "{Orders.Amount} = 0";
    for (int i = 1; i < 5000; ++i) {
        ors += " or {Orders.Amount} = " + std::to_string(i);
        sum += " + 1";
    }
    const CheckedFormula f = CompileSelectionFormula(ors, catalog);
    EXPECT_TRUE(Selects(f, MapRecord{{"{Orders.Amount}", std::int64_t{4999}}}, D(2000, 1, 1)));
    EXPECT_NO_THROW(CompileSelectionFormula(sum, catalog));
}

TEST(FormulaCheck, ErrorsAreEngineErrorsWhoseDescriptionGivesTheCharacter) {
    const MapCatalog catalog;
    try {
        CompileSelectionFormula("{Customer.Name} = 'M\xc3\xbcller' x", catalog);
        FAIL() << "accepted";
    } catch (const EngineError& e) {
        // The ü takes two bytes: the x is byte 28 but character 28 counted from 1.
        EXPECT_EQ(e.Number(), kEngineErrorNumber);
        EXPECT_EQ(e.Description(), "The remaining text does not appear to be part of the formula. "
                                   "(at character 28)");
        EXPECT_EQ(dynamic_cast<const FormulaError&>(e).Position(), 28u);
    }
    try {
        CompileSelectionFormula("{Orders.Amount} = ", catalog);
        FAIL() << "accepted";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "A number is required here. (at character 19)");
    }
}

// Every shape of formula the selection page writes.
TEST(FormulaCheck, EveryWizardFormulaFormIsAccepted) {
    ExpectAccepted({
        "{Customer.Name} = 'Smith'",
        "{Orders.Amount} <> 100",
        "{Orders.Amount} < 100.5",
        "{Orders.Amount} <= 100",
        "{Orders.Amount} > 100 and {Customer.Name} in ['A', 'B']",
        "{Orders.Amount} >= 1234.5",
        "{Orders.Amount} in 1 to 5",
        "{Orders.Quantity} = 1 and not ({Orders.Amount} in 1 to 5)",
        " not ({Customer.Name} in ['A', 'B'])",
        "{Orders.Amount} = 1 and  not ({Customer.Name} in ['A'])",
        "{Customer.Name} like ['S*', '?mith']",
        " not ({Customer.Name} like ['S*'])",
        "{Customer.Name} startswith ['Sm', 'Jo']",
        " not ({Customer.Name} startswith ['Sm'])",
        "{Orders.OrderDate} in LastFullMonth",
        " not ({Orders.OrderDate} in LastFullMonth)",
        "{Orders.Shipped} in Last7Days and  not ({Orders.OrderDate} in Over90Days)",
        "{Orders.OrderDate} = Date(1996, 12, 31)",
        "{Orders.OrderDate} in Date(1996, 1, 1) to Date(1996, 12, 31)",
        "{Orders.Shipped} < DateTime(1996, 12, 31, 23, 59, 59)",
        "{Orders.PickupTime} <= Time(23, 59, 59)",
        "{Orders.Paid} = True",
        "{Orders.Paid} <> false",
        "{Customer.Notes} = ''",
        "{@Total} > 0 and {?Region} = 'North' and {#Running} < 10 and {%Upper} = 'A'",
        "",
        "   ",
    });
}

TEST(FormulaCheck, KeywordsIgnoreCaseAndAllPeriodsAreKnown) {
    ExpectAccepted({
        "{Customer.Name} IN ['a'] AND NOT ({Orders.Amount} In 1 TO 2) OR {Orders.Paid} = TRUE",
        "{Orders.OrderDate} = date(1996,12,31) or {Orders.OrderDate} in lastfullmonth",
        "{Customer.Name} LIKE 'a' or {Customer.Name} STARTSWITH 'b' or 7 MOD 2 = 1",
    });
    const MapCatalog catalog;
    for (int i = 0; i < kPeriodCount; ++i) {
        const std::string name(PeriodName(static_cast<Period>(i)));
        SCOPED_TRACE(name);
        EXPECT_NO_THROW(CompileSelectionFormula("{Orders.Shipped} in " + name, catalog));
        EXPECT_EQ(FindPeriod(name), static_cast<Period>(i));
    }
}

TEST(FormulaCheck, ResultTypesAndFieldsOfFormulaFields) {
    const MapCatalog catalog;
    struct Case {
        const char* text;
        ValueType type;
    } cases[] = {
        {"{Orders.Amount} * 2", ValueType::Number},
        {"{Customer.Name} & {Orders.Amount}", ValueType::String},
        {"{Customer.Name} + 'x'", ValueType::String},
        {"{Orders.OrderDate} + 1", ValueType::Date},
        {"{Orders.Shipped} - 0.5", ValueType::DateTime},
        {"{Orders.Shipped} - {Orders.OrderDate}", ValueType::Number},
        {"{Orders.Amount} > 1", ValueType::Boolean},
        {"Time(1, 2, 3)", ValueType::Time},
        {"({Orders.OrderDate})", ValueType::Date},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CompileFormulaField(c.text, catalog).ResultValueType(), c.type);
    }
    const CheckedFormula f = CompileSelectionFormula(
        "{Orders.Amount} > 1 and {Customer.Name} = 'a' or {Orders.Amount} < 0", catalog);
    ASSERT_EQ(f.Fields().size(), 2u); // each field once, in order of first appearance
    EXPECT_EQ(f.Fields()[0].name, "{Orders.Amount}");
    EXPECT_EQ(f.Fields()[0].type, ValueType::Currency);
    EXPECT_EQ(f.Fields()[1].name, "{Customer.Name}");
    EXPECT_EQ(f.Fields()[1].kind, FieldKind::Database);
    EXPECT_TRUE(CompileSelectionFormula("  ", catalog).IsEmpty());
    EXPECT_EQ(CheckedFormula().ResultValueType(), ValueType::Unknown);
}
