#include "apps/foliant/Design.h"

#include "apps/foliant/ReportSettings.h"
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"

#ifdef FOLIANT_WITH_GUI
#include "apps/foliant/WizardWindow.h"
#include "ui/qt/DesignWindow.h"
#include "ui/qt/ReportViewer.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#endif

#include <exception>

namespace foliant::app {

DesignCommand& AddDesignCommand(CLI::App& app) {
    static DesignCommand command;
    command.command = app.add_subcommand(
        "design", "Open a report file to look at, adjust and re-run it (the program registered "
                  "for .rpt files)");
    command.command->add_option("FILE", command.report, "the report file (.rpt)")->required();
    command.command
        ->add_option("--screenshot", command.screenshot,
                     "picture the window into this PNG file once its pages show, and close it")
        ->group(""); // for checks; not shown in the help
    return command;
}

#ifdef FOLIANT_WITH_GUI
namespace {

// Once the window's pages show, pictures the window into `path` and closes it.
void ScreenshotWhenShown(qt::DesignWindow& window, const std::string& path, int& status) {
    auto* timer = new QTimer(&window);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, timer, path, &status] {
        if (window.Viewer()->Running() || !window.isVisible()) {
            return;
        }
        timer->stop();
        QApplication::processEvents();
        const QPixmap picture = window.screen()->grabWindow(window.winId());
        if (!picture.save(QString::fromStdString(path), "PNG")) {
            status = FailWith("Cannot write the picture " + path + ".");
        }
        window.close();
    });
    timer->start(100);
}

} // namespace
#endif

int RunDesign(const DesignCommand& command, int argc, char** argv) {
    try {
        engine::LoadReportFromFile(command.report); // says what is wrong before any window
#ifdef FOLIANT_WITH_GUI
        if (!HaveDisplay()) {
            return FailWith("Cannot open the design window: there is no display (DISPLAY is "
                            "not set).");
        }
        QApplication application(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Foliant"));
        qt::DesignWindow window;
        if (!window.Open(command.report)) {
            return 1;
        }
        int status = 0;
        if (!command.screenshot.empty()) {
            ScreenshotWhenShown(window, command.screenshot, status);
        }
        window.show();
        application.exec();
        return status;
#else
        (void)argc;
        (void)argv;
        return FailWith("This foliant was built without windows; the design window cannot be "
                        "shown.");
#endif
    } catch (const engine::EngineError& e) {
        return FailWith(e.Description());
    } catch (const std::exception& e) {
        return FailWith(e.what());
    }
}

} // namespace foliant::app
