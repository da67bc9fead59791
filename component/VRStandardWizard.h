#pragma once

#include "platform/automation/Dispatch.h"

#include <cstdint>
#include <memory>

namespace foliant::component {

// The component's one public class. A host assigns a report of the report engine to
// VellumReport and calls DisplayReportWizard, which shows the wizard dialog modally over it.
// All objects of a thread share that thread's wizard state: the last report assigned in a
// thread is the one every later DisplayReportWizard of the thread works on.
//
// Hosts call it through its default interface _VRStandardWizard: VellumReport (get, put by
// reference; dispatch id 0x68030000) and DisplayReportWizard (0x60030001). Errors raised by
// its members reach the host with their number and description.
class VRStandardWizard : public automation::Dispatchable {
public:
    // Sets the thread's ReportErrorNumber to 65535.
    VRStandardWizard();

    // The object last assigned to this wizard; null before any assignment.
    std::shared_ptr<automation::Object> VellumReport() const { return report_; }

    // Stores the object (by reference) as this wizard's report and, when it is a report of the
    // engine, as the thread's CurrentReport. Throws AutomationError:
    // - 13 (type mismatch) when the object is not a report; CurrentReport keeps its value;
    // - 91 when the object is null;
    // - ReportErrorNumber, decreased by 1 first, with string 249 as description, when the
    //   report is not columnar. The report stays stored all the same.
    void SetVellumReport(const std::shared_ptr<automation::Object>& report);

    // Runs the wizard over CurrentReport and returns when the dialog has been closed. Has no
    // error handling of its own: an engine error during the import, or the lack of a report,
    // ends the call with that error. Called while the wizard is open in this thread it throws
    // AutomationError 400 and leaves the open wizard alone.
    // Hosts reach this through the dispatch interface, so a library that serves the class can
    // decide how the run is hosted (see the component library's headless runs).
    virtual void DisplayReportWizard();

protected:
    const automation::DispatchTable& Dispatch() const override;

private:
    std::shared_ptr<automation::Object> report_;
};

} // namespace foliant::component
