#include "preview/QuickView.h"

#include "platform/forms/Backend.h"
#include "platform/winreg/WinReg.h"
#include "preview/Placement.h"
#include "resources/Resources.h"
#include "wizard/WizardState.h"

#include <cstdint>
#include <string>

namespace foliant::preview {

namespace {

constexpr int kPreviewCaption = 126;
constexpr std::int32_t kCurrentUser = static_cast<std::int32_t>(winreg::HKEY_CURRENT_USER);
constexpr std::int32_t kRegSz = 1;
constexpr std::int32_t kRegDword = 4;

std::string AsText(const automation::Variant& value) {
    const auto* text = value.TryGet<std::string>();
    return text != nullptr ? *text : std::string();
}

forms::WindowState AsWindowState(const automation::Variant& value) {
    const auto* number = value.TryGet<std::int32_t>();
    const auto state = number != nullptr ? static_cast<std::int16_t>(*number) : 0;
    switch (state) {
    case static_cast<int>(forms::WindowState::Minimized):
        return forms::WindowState::Minimized;
    case static_cast<int>(forms::WindowState::Maximized):
        return forms::WindowState::Maximized;
    default:
        return forms::WindowState::Normal;
    }
}

} // namespace

QuickView::QuickView() : Form("QuickView") {
    SetClientSize(kDesignedWidth, kDesignedHeight);
    SetBorderStyle(forms::BorderStyle::Sizable);
    OnLoad = [this] { Form_Load(); };
    OnResize = [this] { Form_Resize(); };
    OnUnload = [this](int& cancel) { Form_Unload(cancel); };
}

void QuickView::Form_Load() {
    SetCaption(resources::LoadResString(kPreviewCaption));
    placement_ = std::make_shared<registry::RegObject>();
    placement_->ClassKey(kCurrentUser);
    placement_->SubKey(kPlacementKey);
    RestorePosition();
    placement_->ValueName(kStateValue);
    placement_->Default(std::int32_t{0});
    SetWindowState(AsWindowState(placement_->Value()));
}

void QuickView::RestorePosition() {
    placement_->ValueName(kPositionValue);
    placement_->Default(std::string());
    const auto stored = ParseStoredPosition(AsText(placement_->Value()));
    const forms::Backend& backend = forms::CurrentBackend();
    if (stored && IsOnScreen(*stored, backend.Screens())) {
        Move(stored->left, stored->top, stored->width, stored->height);
        return;
    }
    const forms::Rect screen{0, 0, backend.ScreenWidth(), backend.ScreenHeight()};
    const forms::Rect centred = CentredPosition(Width(), Height(), screen);
    Move(centred.left, centred.top, centred.width, centred.height);
}

void QuickView::Form_Resize() {
    vrViewer1.Move(0, 0, ScaleWidth(), ScaleHeight());
}

void QuickView::Form_Unload(int& /*cancel*/) {
    if (!placement_) {
        return;
    }
    // Failures to store are left in LastError: the window closes whatever the store says.
    if (WindowState() != forms::WindowState::Minimized) {
        placement_->ValueName(kStateValue);
        placement_->ValueType(kRegDword);
        placement_->Value(static_cast<std::int32_t>(WindowState()));
    }
    if (WindowState() == forms::WindowState::Normal) {
        placement_->ValueName(kPositionValue);
        placement_->ValueType(kRegSz);
        placement_->Value(FormatStoredPosition({Left(), Top(), Width(), Height()}));
    }
    placement_.reset();
    Wizard::WizardState& s = Wizard::State();
    if (s.PreviewForm.get() == this) {
        s.PreviewViewer = nullptr;
    }
}

ReportViewerControl& LoadPreviewViewer() {
    Wizard::WizardState& s = Wizard::State();
    auto* loaded = dynamic_cast<QuickView*>(s.PreviewForm.get());
    if (loaded == nullptr || !loaded->Loaded()) {
        auto form = std::make_shared<QuickView>();
        form->Load();
        loaded = form.get();
        s.PreviewForm = std::move(form);
    }
    s.PreviewViewer = &loaded->vrViewer1;
    return loaded->vrViewer1;
}

void ShowQuickView(std::shared_ptr<engine::Report> report) {
    Wizard::WizardState& s = Wizard::State();
    auto* viewer = dynamic_cast<ReportViewerControl*>(s.PreviewViewer);
    if (viewer == nullptr || s.PreviewForm == nullptr || !s.PreviewForm->Loaded()) {
        viewer = &LoadPreviewViewer();
    }
    // The form stays alive while it is shown even if a new run replaces the state's copy.
    const std::shared_ptr<forms::Form> form = s.PreviewForm;
    viewer->SetViewerReport(std::move(report));
    viewer->ShowViewerReport();
    form->Show(true);
}

} // namespace foliant::preview
