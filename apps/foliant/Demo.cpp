#include "apps/foliant/Demo.h"

#include <algorithm>
#include <string>
#include <vector>

namespace foliant::app {

using namespace foliant::engine;

namespace {

constexpr int kGap = 240;

} // namespace

std::shared_ptr<Report> BuildDemoReport(const std::string& databasePath) {
    auto report = Report::CreateOverDatabase(databasePath);
    report->SetTitleText("Sales by Country");
    report->SetSelectionFormulaText("{Orders.Amount} > 100");

    const auto sections = report->GetSectionList();
    const auto header = sections->ItemAt("PH");
    const auto details = sections->ItemAt("D");

    const auto title = header->PlaceFieldObject("ReportTitle", 0, 0);
    const int dateTop = title->ObjectHeight() + kGap;
    const auto date = header->PlaceFieldObject("PrintDate", 0, dateTop);
    const int headingTop = dateTop + date->ObjectHeight() + kGap;

    // One column per field, left to right, each with its heading above it.
    const std::vector<std::string> columns = {"{Orders.OrderID}", "{Customers.CustomerName}",
                                              "{Orders.OrderDate}", "{Orders.Amount}"};
    int x = 0;
    for (const auto& name : columns) {
        const auto field = details->PlaceFieldObject(name, x, 0);
        const auto def = field->GetFieldDefinition();
        const auto heading = header->PlaceTextObject(def->ShortName(), x, headingTop);
        heading->SetObjectWidth(field->ObjectWidth());
        heading->SetHorizontalAlign(IsNumericType(def->ValueType()) ? HorizontalAlignment::Right
                                                                    : HorizontalAlignment::Left);
        x += field->ObjectWidth() + kGap;
        details->SetSectionHeight(std::max(details->SectionHeight(), field->ObjectHeight()));
        header->SetSectionHeight(
            std::max(header->SectionHeight(), heading->Top() + heading->ObjectHeight()));
    }

    // Group on the country, the sum of the amounts in its footer and as a grand total.
    const auto country = report->LookupFieldDefinition("{Customers.Country}");
    const int group =
        report->InsertGroup(0, country, GroupCondition::EachValue, GroupOrder::Ascending);
    const auto footer = report->GetAreaList()->ItemAt("GF" + std::to_string(group));
    const auto footerSection = footer->AreaSections()->ItemAt(1);
    const auto amount = details->SectionObjects()->ItemAt(4);
    const auto sum = footerSection->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Sum,
                                                       amount->Left(), 0);
    footerSection->PlaceFieldObject("GroupName ({Customers.Country})", 0, 0);
    const auto count =
        footerSection->PlaceSummaryObject("{Orders.OrderID}", SummaryOperation::Count,
                                          amount->Left() + amount->ObjectWidth() + kGap, 0);
    (void)count;

    const auto footerOfReport = sections->ItemAt("RF");
    footerOfReport->PlaceTextObject("Grand Total:", 0, 0);
    footerOfReport->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Sum, amount->Left(), 0);

    // Countries by their sales, largest first.
    report->AddSummarySort(sum->GetFieldDefinition(), static_cast<int>(SortDirection::Descending));
    report->ApplyLayoutStyle(0);
    return report;
}

} // namespace foliant::app
