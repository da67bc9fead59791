#include "engine/Report.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace foliant::engine {
namespace {

using test::ErrorOf;

class ModelTest : public test::ShopReportTest {
protected:
    std::shared_ptr<Section> SectionNamed(const std::string& name) {
        return report->GetSectionList()->ItemAt(name);
    }
};

TEST_F(ModelTest, NewReportHasFiveAreasWithOneSectionEachInPrintOrder) {
    EXPECT_EQ(report->GetReportKind(), ReportKind::Columnar);
    const auto areas = report->GetAreaList();
    ASSERT_EQ(areas->ItemCount(), 5);
    const std::vector<std::pair<std::string, AreaKind>> expected = {{"RH", AreaKind::ReportHeader},
                                                                    {"PH", AreaKind::PageHeader},
                                                                    {"D", AreaKind::Details},
                                                                    {"RF", AreaKind::ReportFooter},
                                                                    {"PF", AreaKind::PageFooter}};
    for (int i = 1; i <= 5; ++i) {
        const auto area = areas->ItemAt(i);
        EXPECT_EQ(area->Name(), expected[static_cast<std::size_t>(i - 1)].first);
        EXPECT_EQ(area->AreaKind(), expected[static_cast<std::size_t>(i - 1)].second);
        EXPECT_EQ(area->AreaGroupNumber(), 0);
        ASSERT_EQ(area->AreaSections()->ItemCount(), 1);
        EXPECT_EQ(area->AreaSections()->ItemAt(1)->Name(), area->Name());
        EXPECT_EQ(areas->ItemAt(area->Name()), area);
    }
    EXPECT_EQ(report->GetSectionList()->ItemCount(), 5);
}

TEST_F(ModelTest, ListsAreOneBasedAndNameWhatIsMissing) {
    const auto areas = report->GetAreaList();
    EXPECT_EQ(ErrorOf([&] { areas->ItemAt(0); }),
              "There is no area 0: the list has 5 areas, numbered from 1.");
    EXPECT_EQ(ErrorOf([&] { areas->ItemAt(6); }),
              "There is no area 6: the list has 5 areas, numbered from 1.");
    EXPECT_EQ(ErrorOf([&] { areas->ItemAt("GF7"); }), "There is no area named GF7.");
    // Names are exact: the lower-case name is another name.
    EXPECT_EQ(ErrorOf([&] { areas->ItemAt("d"); }), "There is no area named d.");
    EXPECT_EQ(ErrorOf([&] { SectionNamed("D")->SectionObjects()->ItemAt(1); }),
              "There is no object 1 in section D: the list is empty.");
    // Late-bound keys: whole numbers (of any width) are indexes, text is a name.
    EXPECT_EQ(areas->ItemAt(automation::Variant(std::int16_t{2}))->Name(), "PH");
    EXPECT_EQ(areas->ItemAt(automation::Variant(3.0))->Name(), "D");
    EXPECT_EQ(areas->ItemAt(automation::Variant("RF"))->Name(), "RF");
    EXPECT_THROW(areas->ItemAt(automation::Variant(2.5)), EngineError);
    EXPECT_THROW(areas->ItemAt(automation::Variant(true)), EngineError);
}

TEST_F(ModelTest, ObjectListsFollowPlacingAndDiscarding) {
    const auto d = SectionNamed("D");
    const auto objects = d->SectionObjects(); // taken before any change
    const auto a = d->PlaceFieldObject("{Orders.Amount}", 0, 0);
    const auto b = d->PlaceTextObject("note", 100, 0);
    const auto c = d->PlaceFieldObject("{Customer.Name}", 200, 0);
    ASSERT_EQ(objects->ItemCount(), 3);
    EXPECT_EQ(objects->ItemAt(2), b);
    d->DiscardObject(2);
    EXPECT_EQ(objects->ItemCount(), 2);
    EXPECT_EQ(objects->ItemAt(2), c);
    EXPECT_EQ(objects->ItemAt("{Orders.Amount}"), a);
    d->DiscardObject(a);
    EXPECT_EQ(objects->ItemCount(), 1);
    EXPECT_EQ(a->GetSection(), nullptr);
    // An object can only be discarded from its own section.
    EXPECT_EQ(ErrorOf([&] { SectionNamed("PH")->DiscardObject(c); }),
              "Cannot discard the field object {Customer.Name} in section D: it is not in section "
              "PH.");
    EXPECT_THROW(d->DiscardObject(a), EngineError);
}

TEST_F(ModelTest, FieldObjectsGetTheEngineSizesAndCanBeMovedResizedAndAligned) {
    const auto d = SectionNamed("D");
    const auto name = d->PlaceFieldObject("{Customer.Name}", 10, 20);
    EXPECT_EQ(name->Kind(), ObjectKind::Field);
    EXPECT_EQ(name->Left(), 10);
    EXPECT_EQ(name->Top(), 20);
    EXPECT_EQ(name->ObjectHeight(), kDefaultObjectHeight);
    EXPECT_EQ(name->ObjectWidth(), 30 * 120); // VARCHAR(30): 120 twips a character
    EXPECT_EQ(name->HorizontalAlign(), HorizontalAlignment::Default);
    const auto amount = d->PlaceFieldObject("{Orders.Amount}", 0, 0);
    EXPECT_EQ(amount->ObjectWidth(), 1440);
    EXPECT_EQ(d->PlaceFieldObject("{Orders.Quantity}", 0, 0)->ObjectWidth(), 720);
    EXPECT_EQ(d->PlaceFieldObject("PrintDate", 0, 0)->ObjectWidth(), 1200);

    name->SetLeft(1440);
    name->SetTop(0);
    name->SetObjectWidth(2000);
    name->SetObjectHeight(480);
    name->SetHorizontalAlign(3);
    EXPECT_EQ(name->Left(), 1440);
    EXPECT_EQ(name->ObjectWidth(), 2000);
    EXPECT_EQ(name->ObjectHeight(), 480);
    EXPECT_EQ(name->HorizontalAlign(), HorizontalAlignment::Right);

    EXPECT_EQ(ErrorOf([&] { name->SetLeft(-1); }),
              "The left position of the field object {Customer.Name} in section D cannot be -1: "
              "it must be at least 0 twips.");
    EXPECT_THROW(name->SetObjectWidth(0), EngineError);
    EXPECT_THROW(name->SetHorizontalAlign(4), EngineError);
    EXPECT_EQ(name->Left(), 1440);
    EXPECT_THROW(d->PlaceFieldObject("{Orders.Amount}", -5, 0), EngineError);
    EXPECT_EQ(d->SectionObjects()->ItemCount(), 4);
}

TEST_F(ModelTest, TextAndFieldObjectsAnswerOnlyForTheirKind) {
    const auto ph = SectionNamed("PH");
    const auto text = ph->PlaceTextObject("Amount", 0, 0);
    EXPECT_EQ(text->Kind(), ObjectKind::Text);
    EXPECT_EQ(text->text(), "Amount");
    EXPECT_EQ(text->ObjectWidth(), 6 * 120);
    EXPECT_EQ(ErrorOf([&] { text->field(); }),
              "The text object \"Amount\" in section PH shows no field.");
    const auto field = ph->PlaceFieldObject("ReportTitle", 0, 0);
    EXPECT_THROW(field->text(), EngineError);
    EXPECT_THROW(field->SetText("x"), EngineError);
}

TEST_F(ModelTest, FieldNamesOfEveryKind) {
    const auto amount = report->LookupFieldDefinition("{Orders.Amount}");
    ASSERT_TRUE(amount);
    EXPECT_EQ(amount->Kind(), FieldKind::Database);
    EXPECT_EQ(amount->Name(), "{Orders.Amount}");
    EXPECT_EQ(amount->ShortName(), "Amount");
    EXPECT_EQ(amount->TableOfField(), "Orders");
    EXPECT_EQ(amount->TableAliasName(), "Orders");
    EXPECT_EQ(amount->DatabaseFieldName(), "Amount");
    EXPECT_EQ(amount->ValueType(), ValueType::Currency);
    EXPECT_EQ(ErrorOf([&] { amount->FormulaFieldName(); }),
              "The field {Orders.Amount} is not a formula field.");

    const auto formula = report->AddFormulaField("Net", "{Orders.Amount} * 0.8", ValueType::Number);
    const auto parameter = report->AddParameterField("Year", ValueType::Int16, "Which year?");
    const auto total =
        report->AddRunningTotalField("Running", "{Orders.Amount}", SummaryOperation::Sum);
    const auto sql =
        report->AddSqlExpressionField("Upper", "upper(Customer.Name)", ValueType::String);
    EXPECT_EQ(formula->Name(), "{@Net}");
    EXPECT_EQ(formula->FormulaFieldName(), "Net");
    EXPECT_EQ(parameter->Name(), "{?Year}");
    EXPECT_EQ(parameter->ParameterFieldName(), "Year");
    EXPECT_EQ(total->Name(), "{#Running}");
    EXPECT_EQ(total->RunningTotalFieldName(), "Running");
    EXPECT_EQ(total->GetSummarizedField(), amount);
    EXPECT_EQ(total->ValueType(), ValueType::Currency);
    EXPECT_EQ(sql->Name(), "{%Upper}");
    EXPECT_EQ(sql->SQLExpressionFieldName(), "Upper");

    // The checker's lookup: every braced kind, with kind and value type; unknown names give none.
    for (const auto& def : {amount, formula, parameter, total, sql}) {
        EXPECT_EQ(report->LookupFieldDefinition(def->Name()), def) << def->Name();
    }
    EXPECT_EQ(report->LookupFieldDefinition("{@Missing}"), nullptr);
    EXPECT_EQ(report->LookupFieldDefinition("{Orders.amount}"), nullptr); // case-sensitive
    EXPECT_EQ(report->LookupFieldDefinition("Orders.Amount"), nullptr);
    EXPECT_EQ(report->LookupFieldDefinition("PrintDate"), nullptr); // not braced

    EXPECT_EQ(report->GetFormulaList()->ItemAt("Net"), formula);
    EXPECT_EQ(report->GetFormulaList()->ItemAt("{@Net}"), formula);
    EXPECT_EQ(ErrorOf([&] { report->AddFormulaField("Net", "1"); }),
              "There is already a formula named Net ({@Net}).");
    EXPECT_THROW(report->AddFormulaField("", "1"), EngineError);
    EXPECT_THROW(report->AddFormulaField("a}b", "1"), EngineError);
    EXPECT_THROW(report->AddRunningTotalField("T2", "{Customer.Name}", SummaryOperation::Sum),
                 EngineError);

    const auto printDate = SectionNamed("PH")->PlaceFieldObject("PrintDate", 0, 0)->field();
    EXPECT_EQ(printDate->Kind(), FieldKind::Special);
    EXPECT_EQ(printDate->Name(), "PrintDate");
    EXPECT_EQ(printDate->ValueType(), ValueType::Date);
    // The same special field is one definition however often it is shown.
    EXPECT_EQ(SectionNamed("PF")->PlaceFieldObject("PrintDate", 0, 0)->field(), printDate);
}

TEST_F(ModelTest, UnknownFieldNamesSayWhatIsMissing) {
    const auto d = SectionNamed("D");
    EXPECT_EQ(ErrorOf([&] { d->PlaceFieldObject("{Order.Amount}", 0, 0); }),
              "There is no field named {Order.Amount}: the data source has no table named Order.");
    EXPECT_EQ(ErrorOf([&] { d->PlaceFieldObject("{Orders.Amt}", 0, 0); }),
              "There is no field named {Orders.Amt}: table Orders has no field named Amt.");
    EXPECT_EQ(ErrorOf([&] { d->PlaceFieldObject("{@Profit}", 0, 0); }),
              "There is no formula named {@Profit}.");
    EXPECT_THROW(d->PlaceFieldObject("Orders.Amount", 0, 0), EngineError);
    EXPECT_THROW(d->PlaceFieldObject("printdate", 0, 0), EngineError);
    EXPECT_EQ(d->SectionObjects()->ItemCount(), 0);
}

TEST_F(ModelTest, SummariesBelongToTheirGroupOrAreGrandTotals) {
    const int g = report->InsertGroup(0, report->LookupFieldDefinition("{Customer.Country}"),
                                      GroupCondition::EachValue, GroupOrder::Ascending);
    const auto gf = SectionNamed("GF1");
    const auto gh = report->GetAreaList()->ItemAt("GH1");
    const auto sum = gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Sum, 0, 0);
    const auto def = sum->field();
    EXPECT_EQ(def->Kind(), FieldKind::Summary);
    EXPECT_EQ(def->Name(), "Sum of {Orders.Amount}");
    EXPECT_EQ(def->GetSummaryArea(), gh); // a footer summary is the group's (header's) summary
    EXPECT_EQ(def->GetSummaryArea()->AreaGroupNumber(), g);
    EXPECT_EQ(def->GetSummarizedField()->Name(), "{Orders.Amount}");
    EXPECT_EQ(def->GetSummaryOperation(), SummaryOperation::Sum);

    // The same summary shown twice in the group is one definition.
    const auto again = SectionNamed("GH1")->PlaceSummaryObject("{Orders.Amount}", 0, 500, 0);
    EXPECT_EQ(again->field(), def);
    const auto grand = SectionNamed("RF")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0);
    EXPECT_NE(grand->field(), def);
    EXPECT_EQ(grand->field()->GetSummaryArea()->Name(), "RF");
    EXPECT_EQ(report->GetSummaryList()->ItemCount(), 2);

    // Parameters: the second field, N or P.
    const auto cov = gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Covariance, 0, 0,
                                            automation::Variant("{Orders.Rate}"));
    EXPECT_EQ(cov->field()->GetSecondSummarizedField()->Name(), "{Orders.Rate}");
    EXPECT_EQ(cov->field()->Name(), "Covariance of {Orders.Amount} and {Orders.Rate}");
    const auto third = gf->PlaceSummaryObject("{Customer.Name}", SummaryOperation::NthLargest, 0, 0,
                                              automation::Variant(std::int16_t{3}));
    EXPECT_EQ(third->field()->GetSummaryNumber(), 3);
    EXPECT_EQ(third->field()->Name(), "3rd largest of {Customer.Name}");
    EXPECT_EQ(third->field()->ValueType(), ValueType::String);

    // Refused: the wrong place, a text sum, a missing or impossible parameter, binary data.
    EXPECT_EQ(ErrorOf([&] { SectionNamed("D")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0); }),
              "A summary cannot be placed in section D: summaries go in a group header or footer, "
              "or in the report header or footer.");
    EXPECT_EQ(ErrorOf([&] { gf->PlaceSummaryObject("{Customer.Name}", 0, 0, 0); }),
              "The sum of {Customer.Name} cannot be computed: {Customer.Name} is a string field, "
              "not a number.");
    EXPECT_THROW(gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Correlation, 0, 0),
                 EngineError);
    EXPECT_EQ(ErrorOf([&] {
                  gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::NthSmallest, 0, 0,
                                         automation::Variant(std::int16_t{-1}));
              }),
              "The Nth smallest of {Orders.Amount} needs N, a whole number from 1 to 1000000.");
    EXPECT_THROW(gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Percentile, 0, 0,
                                        automation::Variant(std::string("2.5"))),
                 EngineError);
    EXPECT_THROW(gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Sum, 0, 0,
                                        automation::Variant(2)),
                 EngineError);
    EXPECT_THROW(gf->PlaceSummaryObject("{Customer.Photo}", SummaryOperation::Count, 0, 0),
                 EngineError);
    EXPECT_THROW(gf->PlaceSummaryObject("{Orders.Amount}", 19, 0, 0), EngineError);
    EXPECT_EQ(report->GetSummaryList()->ItemCount(), 4);
}

TEST_F(ModelTest, ASummarysNIsAWholeNumberGivenAsANumberOrAText) {
    report->InsertGroup(0, report->LookupFieldDefinition("{Customer.Country}"), 14, 0);
    const auto gf = SectionNamed("GF1");
    const auto nth = [&](const automation::Variant& n) {
        return gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::NthLargest, 0, 0, n)
            ->field()
            ->GetSummaryNumber();
    };
    EXPECT_EQ(nth(automation::Variant(4.0)), 4);
    EXPECT_EQ(nth(automation::Variant("7")), 7);
    // Not whole, too large to convert, not a number at all, or text with more than a number.
    for (const automation::Variant& bad :
         {automation::Variant(2.5), automation::Variant(1e300),
          automation::Variant(std::numeric_limits<double>::quiet_NaN()), automation::Variant("4x"),
          automation::Variant(true)}) {
        EXPECT_EQ(ErrorOf([&] { nth(bad); }),
                  "The Nth largest of {Orders.Amount} needs N, a whole number from 1 to 1000000.");
    }
}

TEST_F(ModelTest, DiscardingTheLastObjectOfASummaryRemovesTheSummary) {
    report->InsertGroup(0, report->LookupFieldDefinition("{Customer.Country}"), 14, 0);
    const auto gf = SectionNamed("GF1");
    const auto a = gf->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0);
    const auto b = SectionNamed("GH1")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0);
    report->AddSummarySort(a->field(), 1);
    gf->DiscardObject(a);
    EXPECT_EQ(report->GetSummaryList()->ItemCount(), 1) << "still shown in the header";
    EXPECT_EQ(report->GetSummarySortList()->ItemCount(), 1);
    SectionNamed("GH1")->DiscardObject(b);
    EXPECT_EQ(report->GetSummaryList()->ItemCount(), 0);
    EXPECT_EQ(report->GetSummarySortList()->ItemCount(), 0);
    EXPECT_EQ(report->GetAreaList()->ItemAt("GH1")->GetGroupSortMode(), 0);
}

TEST_F(ModelTest, TitleStyleAndSelectionFormula) {
    report->SetTitleText("Sales");
    EXPECT_EQ(report->GetTitleText(), "Sales");
    report->ApplyLayoutStyle(9);
    EXPECT_EQ(report->GetLayoutStyle(), 9);
    EXPECT_EQ(ErrorOf([&] { report->ApplyLayoutStyle(10); }),
              "There is no layout style 10: styles are numbered 0 to 9.");
    EXPECT_THROW(report->ApplyLayoutStyle(-1), EngineError);
    EXPECT_EQ(report->GetLayoutStyle(), 9);
    report->SetSelectionFormulaText("{Orders.Amount} > 100");
    EXPECT_EQ(report->GetSelectionFormulaText(), "{Orders.Amount} > 100");
    EXPECT_THROW(report->SetSelectionFormulaText(std::string("a\0b", 3)), EngineError);
    EXPECT_EQ(report->GetSelectionFormulaText(), "{Orders.Amount} > 100");
    report->SetSelectionFormulaText("");
    EXPECT_EQ(report->GetSelectionFormulaText(), "");
}

TEST_F(ModelTest, SectionHeights) {
    const auto d = SectionNamed("D");
    EXPECT_EQ(d->SectionHeight(), kDefaultSectionHeight);
    d->SetSectionHeight(0);
    EXPECT_EQ(d->SectionHeight(), 0);
    EXPECT_THROW(d->SetSectionHeight(-1), EngineError);
    // Placing objects never changes a section's height: callers grow sections themselves.
    d->PlaceFieldObject("{Orders.Amount}", 0, 1000);
    EXPECT_EQ(d->SectionHeight(), 0);
}

} // namespace
} // namespace foliant::engine
