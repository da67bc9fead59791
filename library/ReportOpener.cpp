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

void ReportOpener::SaveReport(std::shared_ptr<automation::Object> report, std::string path) {
    if (!report) {
        throw automation::AutomationError(automation::kObjectNotSet, "Foliant",
                                          "Object variable not set: SaveReport needs a report.");
    }
    const auto asReport = std::dynamic_pointer_cast<engine::Report>(report);
    if (!asReport) {
        throw automation::AutomationError(automation::kTypeMismatch, "Foliant",
                                          "Type mismatch: the object given to SaveReport is not "
                                          "a report.");
    }
    asReport->SaveToFile(path, 0);
}

const automation::DispatchTable& ReportOpener::Dispatch() const {
    using namespace automation;
    static const DispatchTable table(
        IID__ReportOpener, "_ReportOpener",
        {
            Method("NewReport", DISPID_NewReport, &ReportOpener::NewReport),
            Method("OpenReport", DISPID_OpenReport, &ReportOpener::OpenReport),
            Method("SaveReport", DISPID_SaveReport, &ReportOpener::SaveReport),
        });
    return table;
}

automation::CoClassInfo ReportOpenerClass() {
    return {CLSID_ReportOpener, "ReportOpener",  kReportOpenerProgId,
            IID__ReportOpener,  "_ReportOpener", [] { return std::make_shared<ReportOpener>(); }};
}

} // namespace foliant::component
