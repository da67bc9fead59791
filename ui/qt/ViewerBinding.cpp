#include "ui/qt/ViewerBinding.h"

#include "platform/forms/Form.h"
#include "preview/LocaleSettings.h"
#include "preview/ReportViewerControl.h"
#include "ui/qt/ReportViewer.h"
#include "ui/qt/WidgetFactory.h"

namespace foliant::qt {

namespace {

// A viewer that follows its control: each ShowViewerReport of the control runs the report.
class BoundViewer : public ReportViewer {
public:
    BoundViewer(preview::ReportViewerControl& control, QWidget* parent)
        : ReportViewer(parent), control_(&control), form_(&control.Parent()) {
        listener_ = form_->Subscribe([this](const forms::ChangeEvent& event) { OnChange(event); });
        if (control.ShowRequests() > 0) {
            Apply();
        }
    }
    ~BoundViewer() override {
        if (form_ != nullptr) {
            form_->Unsubscribe(listener_);
        }
    }
    BoundViewer(const BoundViewer&) = delete;
    BoundViewer& operator=(const BoundViewer&) = delete;

private:
    void OnChange(const forms::ChangeEvent& event) {
        if (event.what == forms::ChangeEvent::What::FormDestroyed) {
            form_ = nullptr;
            control_ = nullptr;
        } else if (event.what == forms::ChangeEvent::What::Content && event.control == control_) {
            Apply();
        }
    }
    void Apply() {
        SetReport(control_->ViewerReport(), preview::LocaleLayoutSettings());
        SetStartRequest(control_->StartPage(), QString::fromStdString(control_->FindText()));
        ShowReport();
    }

    preview::ReportViewerControl* control_;
    forms::Form* form_;
    forms::Form::ListenerId listener_ = 0;
};

} // namespace

void RegisterReportViewerWidget() {
    RegisterCustomWidget(preview::ReportViewerControl::kTypeName,
                         [](forms::CustomControl& control, QWidget* parent) -> QWidget* {
                             // The factory is asked only for controls of this type name.
                             return new BoundViewer(
                                 static_cast<preview::ReportViewerControl&>(control), parent);
                         });
}

} // namespace foliant::qt
