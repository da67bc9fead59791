#pragma once

namespace foliant::qt {

// Makes the report viewer control of the forms layer (preview::ReportViewerControl, type name
// "ReportViewer") a real ReportViewer on screen: when the control is asked to show its report
// the viewer runs it, laid out by this machine's locale, and opens at the control's start page
// and find text. Safe to call more than once.
void RegisterReportViewerWidget();

} // namespace foliant::qt
