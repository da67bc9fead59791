// Looking fields up by their plain names, and their value-type tests.
#include "WizardTestSupport.h"

#include "wizard/FieldLookup.h"

namespace foliant::wizard::test {
namespace {

// One column of each value type the tests tell apart, and a table whose name starts like a
// formula's, so that a table field and a formula can answer to the same braced name.
const char* kTypesSql = R"sql(
CREATE TABLE T (Tiny TINYINT, Small SMALLINT, Whole INT, Big INTEGER, Real REAL, Money MONEY,
                Flag BOOLEAN, Day DATE, At TIME, Name VARCHAR(10), Stamp DATETIME, Note MEMO,
                Raw BLOB);
CREATE TABLE "@Sales" (Total REAL);
)sql";

class FieldLookupTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        report = MakeReport(kTypesSql);
        Wizard::State().CurrentReport = report;
    }
    std::shared_ptr<Report> report;
};

TEST_F(FieldLookupTest, EachValueTypeIsNumericDateOrNeither) {
    struct Case {
        const char* name;
        bool numeric;
        bool date;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"T.Tiny", true, false, "int8, type 1: the first numeric type"},
        {"T.Small", true, false, "int16"},
        {"T.Whole", true, false, "int32"},
        {"T.Big", true, false, "number"},
        {"T.Real", true, false, "number"},
        {"T.Money", true, false, "currency, type 8: the last numeric type"},
        {"T.Flag", false, false, "Boolean, type 9, just past the numbers"},
        {"T.Day", false, true, "date, type 10"},
        {"T.At", false, false, "time, type 11, is not a date"},
        {"T.Name", false, false, "string, type 12"},
        {"T.Stamp", false, true, "date-time, type 16"},
        {"T.Note", false, false, "long text, type 14"},
        {"T.Raw", false, false, "blob, type 22"},
    };
    for (const Case& c : cases) {
        ASSERT_NE(Wizard::FindFieldDefinition(c.name), nullptr) << c.name;
        EXPECT_EQ(Wizard::IsNumericField(c.name), c.numeric) << c.name << ": " << c.why;
        EXPECT_EQ(Wizard::IsDateField(c.name), c.date) << c.name << ": " << c.why;
    }
}

TEST_F(FieldLookupTest, ATableFieldComesBeforeAFormulaOfTheSameBracedName) {
    // The formula "Sales.Total" is braced as {@Sales.Total}, as is the field Total of the
    // table "@Sales".
    report->AddFormulaField("Sales.Total", "'text'");
    const auto found = Wizard::FindFieldDefinition("@Sales.Total");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Kind(), engine::FieldKind::Database);
    EXPECT_TRUE(Wizard::IsNumericField("@Sales.Total"));
}

TEST_F(FieldLookupTest, FormulasAreFoundWhenNoTableFieldAnswers) {
    report->AddFormulaField("Due", "Date(2020, 1, 2)");
    report->AddFormulaField("Twice", "{T.Money} * 2");
    const auto due = Wizard::FindFieldDefinition("@Due");
    ASSERT_NE(due, nullptr);
    EXPECT_EQ(due->Kind(), engine::FieldKind::Formula);
    EXPECT_TRUE(Wizard::IsDateField("@Due"));
    EXPECT_FALSE(Wizard::IsNumericField("@Due"));
    EXPECT_TRUE(Wizard::IsNumericField("@Twice"));
}

TEST_F(FieldLookupTest, NamesMatchExactlyAndAnUnknownNameIsNeitherNumericNorDate) {
    report->AddParameterField("Year", engine::ValueType::Int32);
    for (const char* name : {"t.money", "T.Money ", "{T.Money}", "T", "", "?Year", "Nowhere.X"}) {
        EXPECT_EQ(Wizard::FindFieldDefinition(name), nullptr) << '"' << name << '"';
        EXPECT_FALSE(Wizard::IsNumericField(name)) << '"' << name << '"';
        EXPECT_FALSE(Wizard::IsDateField(name)) << '"' << name << '"';
    }
}

TEST(FieldLookupWithoutReport, IsAnErrorNamingTheMissingReport) {
    Wizard::ResetState();
    try {
        Wizard::FindFieldDefinition("T.Money");
        FAIL() << "a lookup without a report answered";
    } catch (const automation::AutomationError& e) {
        EXPECT_EQ(e.Number(), 91);
    }
}

} // namespace
} // namespace foliant::wizard::test
