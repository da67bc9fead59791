#pragma once

// The report viewer as a control of a form: a custom control of type "ReportViewer" whose
// object is a report is drawn as a ReportViewer that runs the report and shows its pages.

namespace foliant::qt {

// Makes custom controls of type "ReportViewer" real viewers (the Qt backend does this when it
// is made).
void RegisterReportViewerControl();

} // namespace foliant::qt
