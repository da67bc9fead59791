#include "engine/Report.h"
#include "engine/ReportFile.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

using test::ErrorOf;

class ReportFormulaTest : public test::ShopReportTest {};

TEST_F(ReportFormulaTest, RejectedSelectionFormulaKeepsThePreviousOneAndSaysWhere) {
    report->SetSelectionFormulaText("{Orders.Amount} > 100");
    EXPECT_EQ(ErrorOf([&] { report->SetSelectionFormulaText("{Orders.Amount} > 'x'"); }),
              "A number is required here. (at character 19)");
    EXPECT_EQ(ErrorOf([&] { report->SetSelectionFormulaText("{Orders.Nothing} = 1"); }),
              "This field name is not known. (at character 1)");
    EXPECT_EQ(report->GetSelectionFormulaText(), "{Orders.Amount} > 100");
    report->SetSelectionFormulaText("");
    EXPECT_EQ(report->GetSelectionFormulaText(), "");
}

TEST_F(ReportFormulaTest, SelectionFormulaSeesTheReportsOwnDefinitions) {
    report->AddFormulaField("Net", "{Orders.Amount} * 0.8");
    report->AddParameterField("Minimum", ValueType::Number);
    report->SetSelectionFormulaText("{@Net} > {?Minimum}");
    EXPECT_EQ(ErrorOf([&] { report->SetSelectionFormulaText("{@Net} startswith 'A'"); }),
              "A string is required here. (at character 1)");
}

TEST_F(ReportFormulaTest, FormulaFieldTakesTheTypeItComputesAndRefusesBadText) {
    EXPECT_EQ(report->AddFormulaField("Net", "{Orders.Amount} * 0.8")->ValueType(),
              ValueType::Number);
    EXPECT_EQ(report->AddFormulaField("Who", "{Customer.Name} & '!'")->ValueType(),
              ValueType::String);
    EXPECT_EQ(ErrorOf([&] {
                  report->AddFormulaField("Bad", "{Orders.Amount} * ");
              }).rfind("The formula Bad is not valid: ", 0),
              0u);
    EXPECT_EQ(ErrorOf([&] { report->AddFormulaField("Odd", "1 + 1", ValueType::String); }),
              "The formula Odd computes a number value, not a string value.");
    // A formula can only name formulas made before it: no cycle can be built.
    EXPECT_NE(ErrorOf([&] { report->AddFormulaField("Self", "{@Self} + 1"); }), "(no error)");
    EXPECT_EQ(report->GetFormulaList()->ItemCount(), 2);
}

TEST_F(ReportFormulaTest, ReportFileWithAnInvalidFormulaIsRefusedWhole) {
    report->SetSelectionFormulaText("{Orders.Amount} > 100");
    const std::string path = dir.File("r.rpt");
    std::string text = SerializeReport(*report, path);
    const std::string good = "{Orders.Amount} > 100";
    text.replace(text.find(good), good.size(), "{Orders.Amount} > ");
    const std::string error = ErrorOf([&] { LoadReportFromText(text, path); });
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("selection formula"), std::string::npos) << error;
}

} // namespace
} // namespace foliant::engine
