#include "apps/foliant/Demo.h"

#include "generate/LayoutBuilder.h"

namespace foliant::app {

using namespace foliant::engine;

std::shared_ptr<Report> BuildDemoReport(const std::string& databasePath, int style) {
    generate::ReportChoices choices;
    choices.selectionFormula = "{Orders.Amount} > 100";
    choices.title = "Sales by Country";
    choices.columns = {
        {"Orders.OrderID"}, {"Customers.CustomerName"}, {"Orders.OrderDate"}, {"Orders.Amount"}};
    // Countries by their sales, largest first, with the number of orders of each.
    generate::GroupChoice country{"Customers.Country", GroupOrder::Ascending};
    country.summaries = {{"Orders.Amount", SummaryOperation::Sum, "", 0, true},
                         {"Orders.OrderID", SummaryOperation::Count}};
    country.sort.mode = GroupSortMode::SortAll;
    country.sort.field = "Orders.Amount";
    country.sort.direction = SortDirection::Descending;
    choices.groups = {country};
    choices.style = style;

    auto report = Report::CreateOverDatabase(databasePath);
    generate::BuildReportLayout(*report, choices);
    return report;
}

} // namespace foliant::app
