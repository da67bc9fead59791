#include "component/Wizard.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

namespace foliant::Wizard {

namespace {

// The minimal preview form: the viewer control slot of the window that shows a finished
// report. It is loaded hidden at the start of every run.
class QuickView : public forms::Form {
public:
    QuickView() : Form("QuickView") { SetClientSize(9600, 7200); }
    forms::CustomControl& vrViewer1 =
        AddControl<forms::CustomControl>("vrViewer1", {0, 0, 9600, 7200}, "", "ReportViewer");
};

} // namespace

void LoadPreviewViewer() {
    WizardState& s = State();
    auto form = std::make_shared<QuickView>();
    form->Load();
    s.PreviewViewer = &form->vrViewer1;
    s.PreviewForm = std::move(form);
}

} // namespace foliant::Wizard
