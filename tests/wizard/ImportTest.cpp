// What an existing report brings into the pages and the state.
#include "WizardTestSupport.h"

#include "platform/forms/Dump.h"
#include "resources/Resources.h"
#include "wizard/GroupData.h"

namespace foliant::wizard::test {
namespace {

std::vector<std::string> Items(const forms::ListControl& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.ListCount(); ++i) {
        out.push_back(list.List(i) + "/" + std::to_string(list.ItemData(i)));
    }
    return out;
}

template <typename T> std::vector<T> Values(const Wizard::OneBasedArray<T>& array) {
    return {array.Values().begin(), array.Values().end()};
}

TEST_F(WizardTest, AnEmptyReportBringsNothingAndAnEarlierRunLeavesNothingBehind) {
    // A first run over a report with a group, a summary and content.
    const auto full = MakeReport();
    AddGroup(*full, "{Customer.Country}");
    PlaceSummary(*full, "GF1", "{Orders.Amount}", 0);
    Run(full, [](frmWizard&) {});
    ASSERT_TRUE(Wizard::State().ReportHasContent);
    ASSERT_EQ(Wizard::State().SummaryField.UBound(), 1);
    Wizard::State().SelectValueCount.Append(0); // as a filtered field would leave it

    // A second run in the same thread over an empty report starts from nothing.
    int nextPage = 0;
    Run(MakeReport(), [&nextPage](frmWizard& f) {
        EXPECT_EQ(f.ReportFieldList1.ListCount(), 0);
        EXPECT_EQ(f.GroupTreeView.Nodes().Count(), 1);
        EXPECT_EQ(f.StyleList.ListIndex(), 0);
        EXPECT_EQ(f.TitleText.Text(), "");
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        nextPage = Wizard::State().CurrentPage;
    });
    const auto& s = Wizard::State();
    EXPECT_FALSE(s.ReportHasContent);
    EXPECT_EQ(nextPage, 5); // the selection page is offered again
    EXPECT_TRUE(s.GroupSummaryCount.IsEmpty());
    EXPECT_TRUE(s.GroupSortField.IsEmpty());
    EXPECT_TRUE(s.SummaryField.IsEmpty());
    EXPECT_TRUE(s.SummaryGrandTotal.IsEmpty());
    EXPECT_TRUE(s.SelectValueCount.IsEmpty());
}

TEST_F(WizardTest, DetailFieldsComeInByLeftAndEqualLeftsLastPlacedFirst) {
    const auto report = MakeReport();
    PlaceField(*report, "D", "{Orders.Amount}", 1440);
    PlaceField(*report, "D", "{Customer.Name}", 0);
    PlaceField(*report, "D", "{Orders.Quantity}", 1440);
    Run(report, [](frmWizard& f) {
        EXPECT_EQ(
            Items(f.ReportFieldList1),
            (std::vector<std::string>{"Customer.Name/1", "Orders.Quantity/1", "Orders.Amount/1"}));
        EXPECT_EQ(f.ReportFieldList1.ListIndex(), 0);
    });
}

TEST_F(WizardTest, EveryDisplayableFieldKindComesInWithItsSignAndKind) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    report->AddFormulaField("Profit", "{Orders.Amount} * 2", engine::ValueType::Number);
    report->AddParameterField("Year", engine::ValueType::Int32);
    report->AddRunningTotalField("Total", "{Orders.Amount}", engine::SummaryOperation::Sum);
    report->AddSqlExpressionField("Expr", "1", engine::ValueType::Number);
    int left = 0;
    for (const char* name : {"{Orders.Amount}", "{@Profit}", "PrintDate", "{?Year}", "{#Total}",
                             "{%Expr}", "GroupName ({Customer.Country})"}) {
        PlaceField(*report, "D", name, left);
        left += 1000;
    }
    Run(report, [](frmWizard& f) {
        // The group name (kind 5) is not a column of the report.
        EXPECT_EQ(Items(f.ReportFieldList1),
                  (std::vector<std::string>{"Orders.Amount/1", "@Profit/2", "PrintDate/4",
                                            "?Year/6", "#Total/7", "%Expr/8"}));
    });
}

struct ContentCase {
    const char* name;
    bool fields;
    bool group;
    bool formula;
    bool expected;
};

void PrintTo(const ContentCase& c, std::ostream* os) {
    *os << c.name;
}

class ReportHasContentTest : public WizardTest,
                             public ::testing::WithParamInterface<ContentCase> {};

TEST_P(ReportHasContentTest, IsSetByFieldsWithAFormulaOrByGroupsWithoutOne) {
    const ContentCase c = GetParam();
    const auto report = MakeReport();
    if (c.fields) {
        PlaceField(*report, "D", "{Orders.Amount}");
    }
    if (c.group) {
        AddGroup(*report, "{Customer.Country}");
    }
    if (c.formula) {
        report->SetSelectionFormulaText("{Orders.Amount} > 5");
    }
    Run(report, [](frmWizard&) {});
    EXPECT_EQ(Wizard::State().ReportHasContent, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportHasContentTest,
                         ::testing::Values(ContentCase{"Empty", false, false, false, false},
                                           ContentCase{"FieldsOnly", true, false, false, false},
                                           ContentCase{"FieldsAndFormula", true, false, true, true},
                                           ContentCase{"GroupOnly", false, true, false, true},
                                           ContentCase{"GroupAndFormula", false, true, true, false},
                                           ContentCase{"FormulaOnly", false, false, true, false},
                                           ContentCase{"Everything", true, true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardTest, GroupsComeInWithTheirSummariesGroupAfterGroup) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}", 1);
    AddGroup(*report, "{Customer.Name}", 2);
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 11, std::string("{Orders.Rate}"));
    PlaceSummary(*report, "GF2", "{Orders.Quantity}", 15, std::int32_t{3});
    PlaceSummary(*report, "GF2", "{Customer.Name}", 6);
    // Grand totals: the covariance of Amount with anything, and a count of Quantity (which is
    // not the Nth largest of Quantity).
    PlaceSummary(*report, "RF", "{Orders.Amount}", 11, std::string("{Orders.Quantity}"));
    PlaceSummary(*report, "RF", "{Orders.Quantity}", 6);
    report->SetSelectionFormulaText("{Orders.Amount} > 1");
    Run(report, [](frmWizard& f) {
        const auto& nodes = f.GroupTreeView.Nodes();
        ASSERT_EQ(nodes.Count(), 3);
        EXPECT_EQ(nodes.Item(2).Text(), "Customer.Country");
        EXPECT_EQ(nodes.Item(2).Tag(), "1");
        EXPECT_EQ(nodes.Item(2).Image(), "GroupItem");
        EXPECT_EQ(nodes.Item(2).Parent(), &nodes.Item(1));
        EXPECT_EQ(nodes.Item(3).Text(), "Customer.Name");
        EXPECT_EQ(nodes.Item(3).Tag(), "2");
        EXPECT_EQ(nodes.Item(3).Parent(), &nodes.Item(2));
        EXPECT_TRUE(nodes.Item(1).Expanded());
        EXPECT_TRUE(nodes.Item(2).Expanded());
    });
    const auto& s = Wizard::State();
    EXPECT_EQ(Values(s.GroupSummaryCount), (std::vector<std::int16_t>{2, 2}));
    EXPECT_EQ(Values(s.SummaryField),
              (std::vector<std::string>{"Orders.Amount", "Orders.Amount", "Orders.Quantity",
                                        "Customer.Name"}));
    EXPECT_EQ(Values(s.SummaryOperation), (std::vector<std::int32_t>{0, 11, 15, 6}));
    EXPECT_EQ(Values(s.SummaryParameter), (std::vector<std::string>{"", "Orders.Rate", "3", ""}));
    EXPECT_EQ(Values(s.SummaryGrandTotal), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(Values(s.GroupSortKind), (std::vector<std::int16_t>{2, 2}));
    EXPECT_EQ(Values(s.GroupSortValue), (std::vector<std::int16_t>{-1, -1}));
    EXPECT_EQ(Values(s.GroupOthersLabel), (std::vector<std::string>{"Others", "Others"}));
    EXPECT_FALSE(s.ReportHasContent);
}

TEST_F(WizardTest, HeaderSummariesAreKeptBeforeTheFootersOnes) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    PlaceSummary(*report, "GH1", "{Orders.Amount}", 1);
    PlaceSummary(*report, "GF1", "{Orders.Quantity}", 0);
    Run(report, [](frmWizard&) {});
    const auto& s = Wizard::State();
    EXPECT_EQ(Values(s.GroupSummaryCount), (std::vector<std::int16_t>{2}));
    EXPECT_EQ(Values(s.SummaryField),
              (std::vector<std::string>{"Orders.Amount", "Orders.Quantity"}));
}

TEST_F(WizardTest, GroupSortingComesInAsKindValueAndField) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    AddGroup(*report, "{Customer.Name}");
    AddGroup(*report, "{Orders.Quantity}");
    const auto top = PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    report->GroupHeader(1)->SetGroupSortMode(2);
    report->GroupHeader(1)->SetGroupTopCount(7);
    report->GroupHeader(1)->SetGroupSortSummary(top->field());
    const auto sortAll = PlaceSummary(*report, "GF2", "{Orders.Rate}", 4);
    report->AddSummarySort(sortAll->field(), 1);
    const auto bottom = PlaceSummary(*report, "GF3", "{Orders.Rate}", 0);
    report->GroupHeader(3)->SetGroupSortMode(3);
    report->GroupHeader(3)->SetGroupTopCount(2);
    report->GroupHeader(3)->SetGroupSortSummary(bottom->field());
    report->GroupHeader(3)->SetDropOthers(true);
    Run(report, [](frmWizard&) {});
    const auto& s = Wizard::State();
    EXPECT_EQ(Values(s.GroupSortKind), (std::vector<std::int16_t>{0, 2, 1}));
    EXPECT_EQ(Values(s.GroupSortValue), (std::vector<std::int16_t>{7, 0, 2}));
    // Sort All comes with the field it sorts by, so Finish sorts the same way again.
    EXPECT_EQ(Values(s.GroupSortField),
              (std::vector<std::string>{"Orders.Amount", "Orders.Rate", "Orders.Rate"}));
    // Dropping the groups beyond N comes back as an empty others label, not as "Others".
    EXPECT_EQ(s.GroupOthersLabel(1), resources::LoadResString(Wizard::kOthersText));
    EXPECT_EQ(s.GroupOthersLabel(3), "");
}

TEST_F(WizardTest, AGroupSortedByASummaryKeepsItsOwnRecordOrder) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}", 2);
    report->AddSummarySort(PlaceSummary(*report, "GF1", "{Orders.Amount}", 0)->field(), 1);
    Run(report, [](frmWizard& f) { EXPECT_EQ(f.GroupTreeView.Nodes().Item(2).Tag(), "2"); });
    EXPECT_EQ(Wizard::State().GroupSortValue(1), Wizard::kDescending);
}

TEST_F(WizardTest, OneGrandTotalCountsForOneOfTwoEqualGroupSummaries) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    AddGroup(*report, "{Customer.Name}");
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    PlaceSummary(*report, "GF2", "{Orders.Amount}", 0);
    PlaceSummary(*report, "RF", "{Orders.Amount}", 0);
    Run(report, [](frmWizard&) {});
    EXPECT_EQ(Values(Wizard::State().SummaryGrandTotal), (std::vector<bool>{true, false}));
}

TEST_F(WizardTest, StyleAndTitleComeIntoPageSix) {
    const auto report = MakeReport();
    report->ApplyLayoutStyle(9);
    report->SetTitleText("Sales by Country");
    Run(report, [](frmWizard& f) {
        EXPECT_EQ(f.StyleList.ListIndex(), 9);
        EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(112));
        EXPECT_EQ(f.TitleText.Text(), "Sales by Country");
    });
}

} // namespace
} // namespace foliant::wizard::test
