#include "apps/foliant/Preview.h"

#include "apps/foliant/ReportSettings.h"
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"
#include "engine/run/Layout.h"

#ifdef FOLIANT_WITH_GUI
#include "apps/foliant/WizardWindow.h"
#include "ui/qt/ReportViewer.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#endif

#include <exception>

namespace foliant::app {

PreviewCommand& AddPreviewCommand(CLI::App& app) {
    static PreviewCommand command;
    command.command = app.add_subcommand("preview", "Show a report's pages in a window");
    command.command->add_option("FILE", command.report, "the report file (.rpt)")->required();
    command.command->add_option("--page", command.page, "the page to open at (default 1)");
    command.command
        ->add_option("--screenshot", command.screenshot,
                     "picture the window into this PNG file and close it")
        ->group(""); // for checks; not shown in the help
    return command;
}

PreviewCommand& AddDesignCommand(CLI::App& app) {
    static PreviewCommand command;
    command.command =
        app.add_subcommand("design", "Open a report file (the program registered for .rpt files)");
    command.command->add_option("FILE", command.report, "the report file (.rpt)")->required();
    command.command->add_option("--screenshot", command.screenshot)->group("");
    return command;
}

int RunPreview(const PreviewCommand& command, int argc, char** argv) {
    try {
        const auto report = engine::LoadReportFromFile(command.report);
        auto document = engine::run::RenderReport(*report, {}, LocaleLayoutSettings());
#ifdef FOLIANT_WITH_GUI
        if (!HaveDisplay()) {
            return FailWith("Cannot open the preview window: there is no display (DISPLAY is "
                            "not set).");
        }
        QApplication application(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Foliant"));
        qt::ReportViewer viewer;
        viewer.setWindowTitle(QStringLiteral("Preview"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        viewer.resize(std::min(900, screen.width() * 9 / 10),
                      std::min(1000, screen.height() * 9 / 10));
        viewer.SetDocument(std::move(document));
        viewer.ShowPage(command.page);
        viewer.show();
        viewer.setFocus();
        int status = 0;
        if (!command.screenshot.empty()) {
            QTimer::singleShot(500, &viewer, [&] {
                const QPixmap picture = viewer.screen()->grabWindow(viewer.winId());
                if (!picture.save(QString::fromStdString(command.screenshot), "PNG")) {
                    status = FailWith("Cannot write the picture " + command.screenshot + ".");
                }
                viewer.close();
            });
        }
        application.exec();
        return status;
#else
        (void)argc;
        (void)argv;
        (void)document;
        return FailWith("This foliant was built without windows; the preview cannot be shown.");
#endif
    } catch (const engine::EngineError& e) {
        return FailWith(e.Description());
    } catch (const std::exception& e) {
        return FailWith(e.what());
    }
}

} // namespace foliant::app
