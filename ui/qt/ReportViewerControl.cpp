#include "ui/qt/ReportViewerControl.h"

#include "engine/Report.h"
#include "platform/forms/Controls.h"
#include "ui/qt/ReportViewer.h"
#include "ui/qt/WidgetFactory.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <exception>

namespace foliant::qt {

namespace {

// The viewer of a preview window, showing the report the control holds. The report runs once
// the window is up, so a report that cannot run leaves the window there with the reason.
QWidget* MakeReportViewer(forms::CustomControl& control, QWidget* parent) {
    auto* viewer = new ReportViewer(parent);
    viewer->setFocusPolicy(Qt::StrongFocus);
    std::shared_ptr<const engine::Report> report =
        std::dynamic_pointer_cast<const engine::Report>(control.Object());
    QTimer::singleShot(0, viewer, [viewer = QPointer<ReportViewer>(viewer), report] {
        if (!viewer || !report) {
            return;
        }
        try {
            viewer->SetReport(report);
            viewer->ShowReport();
            viewer->setFocus();
        } catch (const std::exception& error) {
            QMessageBox::warning(viewer, QStringLiteral("Preview"),
                                 QString::fromUtf8(error.what()));
        }
    });
    return viewer;
}

} // namespace

void RegisterReportViewerControl() {
    RegisterCustomWidget("ReportViewer", MakeReportViewer);
}

} // namespace foliant::qt
