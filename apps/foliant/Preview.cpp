#include "apps/foliant/Preview.h"

#include "apps/foliant/ReportSettings.h"
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"

#ifdef FOLIANT_WITH_GUI
#include "apps/foliant/WizardWindow.h"
#include "preview/QuickView.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/ReportViewer.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#endif

#include <exception>

namespace foliant::app {

PreviewCommand& AddPreviewCommand(CLI::App& app) {
    static PreviewCommand command;
    command.command = app.add_subcommand("preview", "Show a report in the preview window");
    command.command->add_option("FILE", command.report, "the report file (.rpt)")->required();
    command.command->add_option("--page", command.page, "the page to open at (default 1)");
    command.command->add_option("--find", command.find, "find this text once the pages show");
    command.command
        ->add_option("--screenshot", command.screenshot,
                     "picture the window into this PNG file and close it")
        ->group(""); // for checks; not shown in the help
    return command;
}

#ifdef FOLIANT_WITH_GUI
namespace {

// Once the window's run has ended, pictures the window into `path` and closes it.
void ScreenshotWhenDone(const std::string& path, int& status) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, path, &status] {
        QWidget* window = QApplication::activeModalWidget();
        auto* viewer = window ? window->findChild<qt::ReportViewer*>() : nullptr;
        if (viewer == nullptr || viewer->Running()) {
            return;
        }
        timer->stop();
        QApplication::processEvents();
        const QPixmap picture = window->screen()->grabWindow(window->winId());
        if (!picture.save(QString::fromStdString(path), "PNG")) {
            status = FailWith("Cannot write the picture " + path + ".");
        }
        window->close();
        timer->deleteLater();
    });
    timer->start(100);
}

} // namespace
#endif

int RunPreview(const PreviewCommand& command, int argc, char** argv) {
    try {
        const auto report = engine::LoadReportFromFile(command.report);
#ifdef FOLIANT_WITH_GUI
        if (!HaveDisplay()) {
            return FailWith("Cannot open the preview window: there is no display (DISPLAY is "
                            "not set).");
        }
        QApplication application(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Foliant"));
        forms::BackendScope scope(std::make_shared<qt::QtBackend>());
        preview::ReportViewerControl& viewer = preview::LoadPreviewViewer();
        viewer.SetStartPage(command.page);
        viewer.SetFindText(command.find);
        int status = 0;
        if (!command.screenshot.empty()) {
            ScreenshotWhenDone(command.screenshot, status);
        }
        preview::ShowQuickView(report);
        return status;
#else
        (void)argc;
        (void)argv;
        (void)report;
        return FailWith("This foliant was built without windows; the preview cannot be shown.");
#endif
    } catch (const engine::EngineError& e) {
        return FailWith(e.Description());
    } catch (const std::exception& e) {
        return FailWith(e.what());
    }
}

} // namespace foliant::app
