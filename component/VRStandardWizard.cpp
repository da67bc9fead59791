#include "component/VRStandardWizard.h"

#include "component/Wizard.h"
#include "engine/Report.h"
#include "platform/automation/FoliantGuids.h"

namespace foliant::component {

VRStandardWizard::VRStandardWizard() {
    Wizard::State().ReportErrorNumber = 65535;
}

void VRStandardWizard::SetVellumReport(const std::shared_ptr<automation::Object>& report) {
    report_ = report;
    if (!report) {
        Wizard::State().CurrentReport = nullptr;
        throw automation::AutomationError(automation::kObjectNotSet, "Foliant",
                                          "Object variable not set: VellumReport needs a report.");
    }
    auto asReport = std::dynamic_pointer_cast<engine::Report>(report);
    if (!asReport) {
        throw automation::AutomationError(automation::kTypeMismatch, "Foliant",
                                          "Type mismatch: the object assigned to VellumReport "
                                          "is not a report.");
    }
    Wizard::State().CurrentReport = asReport;
    Wizard::CheckReportKind(static_cast<int>(asReport->GetReportKind()));
}

void VRStandardWizard::DisplayReportWizard() {
    Wizard::RunWizard();
}

const automation::DispatchTable& VRStandardWizard::Dispatch() const {
    using namespace automation;
    static const DispatchTable table(
        IID__VRStandardWizard, kVRStandardWizardInterfaceName,
        {
            PropertyGet("VellumReport", DISPID_VellumReport, &VRStandardWizard::VellumReport),
            PropertyPutRef("VellumReport", DISPID_VellumReport, &VRStandardWizard::SetVellumReport),
            Method("DisplayReportWizard", DISPID_DisplayReportWizard,
                   &VRStandardWizard::DisplayReportWizard),
        });
    return table;
}

} // namespace foliant::component
