#pragma once

#include "engine/Report.h"
#include "platform/forms/Controls.h"

#include <memory>
#include <string>

namespace foliant::preview {

// The report viewer control of the preview window: the report it was given and the requests
// a front end carries out (run and show it, open at a page, find a text). The forms layer
// keeps this state; the Qt front end draws it (a widget made for the type name "ReportViewer")
// and runs the report off the window's thread. Without a front end nothing is drawn.
class ReportViewerControl : public forms::CustomControl {
public:
    static constexpr const char* kTypeName = "ReportViewer";

    ReportViewerControl(forms::Form& form, std::string name);

    // Gives the viewer the report to show; nothing is run until ShowViewerReport.
    void SetViewerReport(std::shared_ptr<engine::Report> report);
    const std::shared_ptr<engine::Report>& ViewerReport() const noexcept { return report_; }
    // Asks the front end to run the viewer's report and show its pages (announces Content).
    void ShowViewerReport();
    // How many times ShowViewerReport has asked; 0 while the report was never shown.
    int ShowRequests() const noexcept { return showRequests_; }

    // The page to open at once the report is shown (1-based) and the text to look for there;
    // for scripts and the command line.
    int StartPage() const noexcept { return startPage_; }
    void SetStartPage(int page) { startPage_ = page; }
    const std::string& FindText() const noexcept { return findText_; }
    void SetFindText(std::string text) { findText_ = std::move(text); }

private:
    std::shared_ptr<engine::Report> report_;
    int showRequests_ = 0;
    int startPage_ = 1;
    std::string findText_;
};

} // namespace foliant::preview
