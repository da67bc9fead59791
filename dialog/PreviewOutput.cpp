// The preview output of Finish: a window "QuickView" whose one control, the report viewer
// "vrViewer1", fills it and shows the current report (the Qt front end draws the viewer).

#include "dialog/frmWizard.h"
#include "resources/Resources.h"
#include "wizard/WizardState.h"

namespace foliant::Wizard {

namespace {

constexpr int kPreviewCaption = 126;
constexpr int kPreviewWidth = 8280;
constexpr int kPreviewHeight = 5670;

} // namespace

void ShowPreview() {
    WizardState& s = State();
    auto form = std::make_shared<forms::Form>("QuickView");
    form->SetCaption(resources::LoadResString(kPreviewCaption));
    form->SetClientSize(kPreviewWidth, kPreviewHeight);
    auto& viewer = form->AddControl<forms::CustomControl>(
        "vrViewer1", {0, 0, kPreviewWidth, kPreviewHeight}, "", "ReportViewer");
    form->OnResize = [form = form.get(), &viewer] {
        viewer.Move(0, 0, form->ScaleWidth(), form->ScaleHeight());
    };
    viewer.SetObject(s.CurrentReport);
    s.PreviewForm = form;
    s.PreviewViewer = &viewer;
    form->Show(true);
}

} // namespace foliant::Wizard
