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

} // namespace

bool HaveDisplay() {
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
}

void RunWizardWindow(const std::shared_ptr<engine::Report>& report, int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Foliant"));
    forms::BackendScope scope(std::make_shared<qt::QtBackend>());
    component::VRStandardWizard wizard;
    wizard.SetVellumReport(report);
    wizard.DisplayReportWizard();
    // The closed window is deleted later; let that happen while its backend still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace foliant::app
