#include "preview/ReportViewerControl.h"

namespace foliant::preview {

ReportViewerControl::ReportViewerControl(forms::Form& form, std::string name)
    : CustomControl(form, std::move(name), kTypeName) {}

void ReportViewerControl::SetViewerReport(std::shared_ptr<engine::Report> report) {
    report_ = std::move(report);
}

void ReportViewerControl::ShowViewerReport() {
    ++showRequests_;
    Announce(forms::ChangeEvent::What::Content);
}

} // namespace foliant::preview
