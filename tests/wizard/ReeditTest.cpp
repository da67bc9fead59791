// Opening a report the wizard made and finishing without changing anything writes the same
// report: what the import brings into the pages is all the builder needs to build it again,
// and building again replaces what the first build placed instead of adding to it.
#include "WizardTestSupport.h"

#include "generate/LayoutBuilder.h"
#include "generate/SelectionFormula.h"
#include "generate/WizardChoices.h"

#include "engine/run/Runner.h"

#include <sqlite3.h>

namespace foliant::wizard::test {
namespace {

using engine::GroupOrder;
using engine::GroupSortMode;
using engine::SortDirection;
using engine::SummaryOperation;
using generate::GroupChoice;
using generate::ReportChoices;
using generate::SummaryChoice;

// Customers in four countries and their orders.
const char* kSalesSql = R"sql(
CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name VARCHAR(30), Country TEXT, Since DATE);
CREATE TABLE Orders (Id INTEGER PRIMARY KEY, CustomerId INT REFERENCES Customer(Id),
                     Amount MONEY, Quantity SMALLINT, Shipped DATETIME, Rate REAL);
INSERT INTO Customer VALUES (1, 'Ann', 'France', '2020-01-02'), (2, 'Bob', 'Spain', '2019-05-06'),
                            (3, 'Cid', 'Chile', '2018-07-08'), (4, 'Dee', 'France', '2021-02-03');
INSERT INTO Orders VALUES (1, 1, 10.5, 2, '2021-03-05 12:00:00', 0.5),
                          (2, 2, 99.0, 1, '2021-04-01 08:30:00', 1.5),
                          (3, 3, 5.25, 7, '2021-04-02 09:00:00', 2.0),
                          (4, 4, 42.0, 3, '2021-05-09 17:45:00', 0.25);
)sql";

// The group-sorting choice: mode, field, N, drop-others, direction.
generate::GroupSortChoice Sort(GroupSortMode mode, int n = 0, bool drop = false,
                               SortDirection direction = SortDirection::Ascending) {
    return {mode, "Orders.Amount", n, drop, direction};
}

// Two groups whose summaries use every operation, some as grand totals, the outer one kept to
// its top 2 and the inner one sorted.
ReportChoices Grouped(int style, generate::GroupSortChoice outer = Sort(GroupSortMode::TopN, 2),
                      generate::GroupSortChoice inner = Sort(GroupSortMode::SortAll)) {
    ReportChoices c;
    c.title = "Sales";
    c.columns = {{"Customer.Name"}, {"Orders.Amount"}, {"Orders.Quantity"}};
    GroupChoice country{"Customer.Country"};
    for (int op = 0; op <= 9; ++op) {
        country.summaries.push_back({op == 6 ? "Customer.Name" : "Orders.Amount",
                                     static_cast<SummaryOperation>(op), "", 0, op % 3 == 0});
    }
    country.sort = outer;
    GroupChoice name{"Customer.Name", GroupOrder::Descending};
    name.summaries = {{"Orders.Amount", SummaryOperation::Sum},
                      {"Orders.Amount", SummaryOperation::Correlation, "Orders.Rate", 0, true},
                      {"Orders.Amount", SummaryOperation::Covariance, "Orders.Quantity"},
                      {"Orders.Amount", SummaryOperation::WeightedAverage, "Orders.Rate"},
                      {"Orders.Amount", SummaryOperation::Median},
                      {"Orders.Amount", SummaryOperation::Percentile, "", 90, true},
                      {"Orders.Quantity", SummaryOperation::NthLargest, "", 2},
                      {"Orders.Quantity", SummaryOperation::NthSmallest, "", 1},
                      {"Orders.Quantity", SummaryOperation::Mode},
                      {"Orders.Quantity", SummaryOperation::NthMostFrequent, "", 3}};
    name.sort = inner;
    c.groups = {country, name};
    c.style = style;
    return c;
}

struct Case {
    std::string name;
    ReportChoices choices;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (int style = 0; style < 10; ++style) {
        cases.push_back({"every operation in style " + std::to_string(style), Grouped(style)});
    }
    // Each way of sorting a group's groups, outer and inner.
    cases.push_back({"top N dropping the others", Grouped(0, Sort(GroupSortMode::TopN, 3, true))});
    cases.push_back({"bottom N with others", Grouped(0, Sort(GroupSortMode::BottomN, 1))});
    cases.push_back(
        {"bottom N dropping the others", Grouped(1, Sort(GroupSortMode::BottomN, 2, true))});
    cases.push_back({"sort all descending, inner top N",
                     Grouped(2, Sort(GroupSortMode::SortAll, 0, false, SortDirection::Descending),
                             Sort(GroupSortMode::TopN, 1, true))});
    cases.push_back({"unsorted groups",
                     Grouped(3, Sort(GroupSortMode::Unsorted), Sort(GroupSortMode::Unsorted))});
    {
        // A group in original order whose groups are all sorted by a summary: its record order
        // is not the sort's direction.
        ReportChoices c = Grouped(0);
        c.groups[0].order = GroupOrder::Original;
        c.groups[1].sort = Sort(GroupSortMode::SortAll, 0, false, SortDirection::Descending);
        cases.push_back({"record order and sort direction apart", c});
    }
    {
        ReportChoices c = Grouped(5);
        c.selectionFormula = "{Orders.Amount} > 5 and {Customer.Country} <> 'Spain'";
        cases.push_back({"a selection formula", c});
    }
    {
        // Without detail fields, with a formula: nothing here marks the report as having
        // content, and building again must still replace what was built.
        ReportChoices c = Grouped(6);
        c.columns.clear();
        c.selectionFormula = "{Orders.Quantity} >= 1";
        cases.push_back({"groups and a formula, no columns", c});
    }
    {
        ReportChoices c;
        c.columns = {
            {"Orders.Amount"}, {"Customer.Since"}, {"PrintDate", engine::FieldKind::Special}};
        cases.push_back({"columns only, no title", c});
    }
    cases.push_back({"a title and nothing else", [] {
                         ReportChoices c;
                         c.title = "Empty";
                         return c;
                     }()});
    {
        // Two groups summarize the same field the same way; only the outer asks for a grand
        // total, which must not become a second one for the inner.
        ReportChoices c;
        c.columns = {{"Orders.Amount"}};
        GroupChoice day{"Orders.Shipped"};
        day.summaries = {{"Orders.Amount", SummaryOperation::Sum, "", 0, true}};
        GroupChoice since{"Customer.Since", GroupOrder::Descending};
        since.summaries = {{"Orders.Amount"}};
        c.groups = {day, since};
        c.style = 7;
        cases.push_back({"one grand total of two equal summaries", c});
    }
    return cases;
}

// What Finish builds from the open dialog: its lists and boxes with the state's arrays.
ReportChoices ChoicesOfDialog(frmWizard& f, const engine::Report& report) {
    generate::DialogChoices d;
    for (int i = 0; i < f.ReportFieldList1.ListCount(); ++i) {
        d.fields.push_back({f.ReportFieldList1.List(i), f.ReportFieldList1.ItemData(i)});
    }
    for (forms::Node* n = f.GroupTreeView.Nodes().Item(1).Child(); n; n = n->Child()) {
        d.groups.push_back({n->Text(), std::stoi(n->Tag())});
    }
    d.selectionFormula = generate::BuildSelectionFormula(Wizard::FilteredFields(), report);
    d.title = f.TitleText.Text();
    d.style = f.StyleList.ListIndex();
    return generate::ChoicesFromWizard(Wizard::State(), d);
}

std::string Inspect(const std::string& path) {
    return engine::DescribeReport(*engine::LoadReportFromFile(path));
}

class ReeditTest : public WizardTest {
protected:
    // Opens the saved report in the wizard, builds it from what the pages hold and saves it.
    void Reedit(const std::string& from, const std::string& to) {
        const auto report = engine::LoadReportFromFile(from);
        Run(report, [&](frmWizard& f) {
            generate::BuildReportLayout(*report, ChoicesOfDialog(f, *report));
        });
        report->SaveToFile(to, 0);
    }
};

TEST_F(ReeditTest, FinishingAnOpenedReportUnchangedWritesTheSameReport) {
    const auto database = MakeReport(kSalesSql)->GetDataSource()->Path();
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const auto made = engine::Report::CreateOverDatabase(database);
        generate::BuildReportLayout(*made, c.choices);
        const std::string first = dir.File("made.rpt");
        made->SaveToFile(first, 0);
        const std::string expected = Inspect(first);

        Reedit(first, dir.File("once.rpt"));
        EXPECT_EQ(Inspect(dir.File("once.rpt")), expected);
        // And after any number of times: nothing accumulates.
        Reedit(dir.File("once.rpt"), dir.File("twice.rpt"));
        EXPECT_EQ(Inspect(dir.File("twice.rpt")), expected);
    }
}

// Five countries of different sales; the top three are kept and the other two gathered.
const char* kCountriesSql = R"sql(
CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name VARCHAR(30), Country TEXT);
CREATE TABLE Orders (Id INTEGER PRIMARY KEY, CustomerId INT REFERENCES Customer(Id),
                     Amount MONEY);
INSERT INTO Customer VALUES (1, 'Ann', 'France'), (2, 'Bob', 'Spain'), (3, 'Cid', 'Chile'),
                            (4, 'Dee', 'Peru'), (5, 'Eve', 'Japan'), (6, 'Fay', 'Chile');
INSERT INTO Orders VALUES (1, 1, 10.5), (2, 2, 99.0), (3, 3, 5.25), (4, 4, 42.0), (5, 5, 7.75),
                          (6, 6, 61.5), (7, 1, 30.0), (8, 2, NULL), (9, 4, 1.0), (10, 5, 12.5);
)sql";

// Rows of (sum, count) an SQL query over the database gives.
std::vector<std::pair<double, double>> SqlRows(const std::string& database, const char* sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK) << sql;
    std::vector<std::pair<double, double>> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        rows.emplace_back(sqlite3_column_double(statement, 0), sqlite3_column_double(statement, 1));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

double Number(const engine::Value& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        return static_cast<double>(*i);
    }
    return std::get<double>(value);
}

TEST_F(ReeditTest, TopThreeOfFiveWithOthersGivesSqlsNumbersAfterAReedit) {
    const auto database = MakeReport(kCountriesSql)->GetDataSource()->Path();
    ReportChoices c;
    c.columns = {{"Customer.Name"}, {"Orders.Amount"}};
    GroupChoice country{"Customer.Country"};
    country.summaries = {{"Orders.Amount", SummaryOperation::Sum, "", 0, true},
                         {"Orders.Amount", SummaryOperation::Count, "", 0, true}};
    country.sort = Sort(GroupSortMode::TopN, 3);
    c.groups = {country};
    const auto made = engine::Report::CreateOverDatabase(database);
    generate::BuildReportLayout(*made, c);
    made->SaveToFile(dir.File("made.rpt"), 0);
    Reedit(dir.File("made.rpt"), dir.File("edited.rpt"));

    const auto report = engine::LoadReportFromFile(dir.File("edited.rpt"));
    const engine::run::RunResult run = engine::run::RunReport(*report);
    const auto summaries = report->GetSummaryList()->All();
    std::shared_ptr<engine::FieldDefinition> sum, count, grandSum, grandCount;
    for (const auto& s : summaries) {
        const bool grand = engine::run::RunResult::SummaryLevel(*s) == 0;
        auto& slot = s->GetSummaryOperation() == SummaryOperation::Sum
                         ? (grand ? grandSum : sum)
                         : (grand ? grandCount : count);
        slot = s;
    }
    ASSERT_TRUE(sum && count && grandSum && grandCount);

    const char* join = " FROM Orders JOIN Customer ON Customer.Id = Orders.CustomerId";
    const std::string byCountry = std::string("SELECT SUM(Amount) AS s, COUNT(Amount)") + join +
                                  " GROUP BY Country ORDER BY s DESC";
    const auto kept = SqlRows(database, (byCountry + " LIMIT 3").c_str());
    const auto others = SqlRows(
        database, ("SELECT SUM(s), SUM(n) FROM (SELECT SUM(Amount) AS s, COUNT(Amount) AS n" +
                   std::string(join) + " GROUP BY Country ORDER BY s DESC LIMIT -1 OFFSET 3)")
                      .c_str());
    const auto total =
        SqlRows(database, (std::string("SELECT SUM(Amount), COUNT(Amount)") + join).c_str());

    const engine::run::GroupNode& root = run.tree->Root();
    ASSERT_EQ(root.children.size(), 4U) << "three countries and Others";
    for (std::size_t i = 0; i < 4; ++i) {
        const engine::run::GroupNode& group = *root.children[i];
        const std::pair<double, double> expected = i < 3 ? kept[i] : others[0];
        EXPECT_EQ(group.others, i == 3) << i;
        EXPECT_DOUBLE_EQ(Number(run.SummaryValue({&root, &group}, *sum)), expected.first) << i;
        EXPECT_DOUBLE_EQ(Number(run.SummaryValue({&root, &group}, *count)), expected.second) << i;
    }
    EXPECT_DOUBLE_EQ(Number(run.SummaryValue({&root}, *grandSum)), total[0].first);
    EXPECT_DOUBLE_EQ(Number(run.SummaryValue({&root}, *grandCount)), total[0].second);
}

} // namespace
} // namespace foliant::wizard::test
