#include "component/Wizard.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/Picture.h"
#include "resources/Resources.h"

namespace foliant::Wizard {

namespace {

std::vector<std::uint8_t> Copy(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

// The minimal preview form: the viewer control slot of the window that shows a finished
// report. It is loaded hidden at the start of every run.
class QuickView : public forms::Form {
public:
    QuickView() : Form("QuickView") { SetClientSize(9600, 7200); }
    forms::CustomControl& vrViewer1 =
        AddControl<forms::CustomControl>("vrViewer1", {0, 0, 9600, 7200}, "", "ReportViewer");
};

} // namespace

void RegisterResourcePictures() {
    forms::SetPictureProvider([](const forms::Picture& picture) -> std::vector<std::uint8_t> {
        if (picture.id != 0) {
            return resources::HasResPicture(picture.id)
                       ? Copy(resources::LoadResPicture(picture.id))
                       : std::vector<std::uint8_t>{};
        }
        return resources::HasNamedPicture(picture.key)
                   ? Copy(resources::LoadNamedPicture(picture.key))
                   : std::vector<std::uint8_t>{};
    });
}

void LoadPreviewViewer() {
    WizardState& s = State();
    auto form = std::make_shared<QuickView>();
    form->Load();
    s.PreviewViewer = &form->vrViewer1;
    s.PreviewForm = std::move(form);
}

} // namespace foliant::Wizard
