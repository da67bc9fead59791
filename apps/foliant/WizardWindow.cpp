#include "apps/foliant/WizardWindow.h"

#include "component/VRStandardWizard.h"
#include "platform/forms/Backend.h"
#include "ui/qt/QtBackend.h"

#include <QApplication>

#include <cstdlib>

namespace foliant::app {

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Puts the previous backend back however the run ends.
class BackendScope {
public:
    explicit BackendScope(std::shared_ptr<forms::Backend> backend)
        : previous_(forms::SetBackend(std::move(backend))) {}
    ~BackendScope() { forms::SetBackend(previous_); }
    BackendScope(const BackendScope&) = delete;
    BackendScope& operator=(const BackendScope&) = delete;

private:
    std::shared_ptr<forms::Backend> previous_;
};

} // namespace

bool HaveDisplay() {
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
}

void RunWizardWindow(const std::shared_ptr<engine::Report>& report, int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Foliant"));
    BackendScope scope(std::make_shared<qt::QtBackend>());
    component::VRStandardWizard wizard;
    wizard.SetVellumReport(report);
    wizard.DisplayReportWizard();
    // The closed window is deleted later; let that happen while its backend still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace foliant::app
