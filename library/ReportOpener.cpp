#include "library/ReportOpener.h"

#include "engine/Report.h"
#include "engine/ReportFile.h"

namespace foliant::component {

std::shared_ptr<automation::Object> ReportOpener::NewReport(std::string databasePath) {
    return engine::Report::CreateOverDatabase(databasePath);
}

std::shared_ptr<automation::Object> ReportOpener::OpenReport(std::string path) {
    return engine::LoadReportFromFile(path);
}

namespace {

// The report behind an argument of the member named member.
engine::Report& ReportArgument(const std::shared_ptr<automation::Object>& report,
                               const std::string& member) {
    if (!report) {
        throw automation::AutomationError(automation::kObjectNotSet, "Foliant",
                                          "Object variable not set: " + member +
                                              " needs a report.");
    }
    const auto asReport = std::dynamic_pointer_cast<engine::Report>(report);
    if (!asReport) {
        throw automation::AutomationError(automation::kTypeMismatch, "Foliant",
                                          "Type mismatch: the object given to " + member +
                                              " is not a report.");
    }
    return *asReport;
}

} // namespace

void ReportOpener::SaveReport(std::shared_ptr<automation::Object> report, std::string path) {
    ReportArgument(report, "SaveReport").SaveToFile(path, 0);
}

std::string ReportOpener::DescribeReport(std::shared_ptr<automation::Object> report) {
    return engine::DescribeReport(ReportArgument(report, "DescribeReport"));
}

const automation::DispatchTable& ReportOpener::Dispatch() const {
    using namespace automation;
    static const DispatchTable table(
        IID__ReportOpener, "_ReportOpener",
        {
            Method("NewReport", DISPID_NewReport, &ReportOpener::NewReport),
            Method("OpenReport", DISPID_OpenReport, &ReportOpener::OpenReport),
            Method("SaveReport", DISPID_SaveReport, &ReportOpener::SaveReport),
            Method("DescribeReport", DISPID_DescribeReport, &ReportOpener::DescribeReport),
        });
    return table;
}

automation::CoClassInfo ReportOpenerClass() {
    return {CLSID_ReportOpener, "ReportOpener",  kReportOpenerProgId,
            IID__ReportOpener,  "_ReportOpener", [] { return std::make_shared<ReportOpener>(); }};
}

} // namespace foliant::component
