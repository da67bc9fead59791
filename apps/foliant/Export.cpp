#include "apps/foliant/Export.h"

#include "apps/foliant/ReportSettings.h"
#include "engine/AtomicFile.h"
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"
#include "engine/page/HtmlPainter.h"
#include "engine/page/Painter.h"
#include "engine/page/TextPainter.h"
#include "engine/run/Layout.h"

#ifdef FOLIANT_WITH_GUI
#include "ui/qt/PagePainter.h"
#include "ui/qt/PdfPages.h"

#include <QGuiApplication>
#endif

#include <cstdlib>
#include <exception>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace foliant::app {

namespace {

// Replaces the file whole, so a failed export leaves an earlier file as it was. produce
// writes the contents piece by piece; its own failures (the report's run) go on as they are.
void WriteFile(const std::string& path,
               const std::function<void(const engine::ChunkWriter&)>& produce) {
    std::exception_ptr making; // a failure making the contents rather than writing them
    try {
        engine::WriteFileAtomically(path, [&](const engine::ChunkWriter& write) {
            bool writing = false;
            try {
                produce([&](std::string_view piece) {
                    writing = true;
                    write(piece);
                    writing = false;
                });
            } catch (...) {
                if (!writing) {
                    making = std::current_exception();
                }
                throw;
            }
        });
    } catch (const engine::EngineError& e) {
        if (making) {
            std::rethrow_exception(making);
        }
        // The reason is what follows the file's name ("cannot create a temporary file in …").
        std::string reason = e.Description();
        if (const auto at = reason.find(path + ": "); at != std::string::npos) {
            reason.erase(0, at + path.size() + 2);
        }
        throw std::runtime_error("Cannot write " + path + ": " + reason);
    }
}

void WriteFile(const std::string& path, const std::string& content) {
    WriteFile(path, [&](const engine::ChunkWriter& write) { write(content); });
}

// The report as text, each page written as soon as it is laid out, so that a long listing
// is never held whole.
void ExportText(const engine::Report& report, const std::string& path) {
    WriteFile(path, [&](const engine::ChunkWriter& write) {
        engine::page::TextPainter painter;
        engine::run::RenderReportPages(report, {}, LocaleLayoutSettings(),
                                       [&](engine::page::Page&& page) {
                                           engine::page::PaintPage(page, painter);
                                           write(painter.TakeText());
                                       });
    });
}

// An export needs a name to write to; the writers check everything else about it.
void CheckOutput(const ExportCommand& command) {
    if (command.out.empty()) {
        throw std::runtime_error("Cannot export " + command.report + ": " + command.formatOption +
                                 " names no file.");
    }
}

#ifdef FOLIANT_WITH_GUI
// The report as a PDF, each page painted into it as soon as it is laid out and the PDF's bytes
// written as they are made, so that a long listing is never held whole.
void ExportPdf(const engine::Report& report, const std::string& path) {
    qt::WritePdf(path, report.GetTitleText(), [&](qt::PdfPages& pdf) {
        engine::run::RenderReportPages(report, {}, LocaleLayoutSettings(),
                                       [&](engine::page::Page&& page) { pdf.Add(page); });
    });
}

// Qt's own notes (a missing runtime folder, a painter that could not start) would add lines to
// the one-line reason the export ends with; the export reports its failures itself.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::cerr << message.toStdString() << "\n";
    }
}

// Fonts and painting need a GUI application object but no screen: without a chosen platform
// the export draws off screen, so it runs where no display exists.
std::unique_ptr<QGuiApplication> PaintingApplication(int argc, char** argv) {
    if (QGuiApplication::instance() != nullptr) {
        return nullptr;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    qInstallMessageHandler(QuietQt);
    static int count = 0;
    count = argc > 0 ? 1 : 0;
    return std::make_unique<QGuiApplication>(count, argv);
}
#endif

} // namespace

ExportCommand& AddExportCommand(CLI::App& app) {
    static ExportCommand command;
    command.command =
        app.add_subcommand("export", "Run a report and write its pages to PDF, PNG, HTML or text");
    command.command->add_option("FILE", command.report, "the report file (.rpt)")->required();
    auto* format = command.command->add_option_group("format", "what to write (one of them)");
    const auto choose = [format](const char* name, ExportFormat chosen, const char* help) {
        format
            ->add_option_function<std::string>(
                name,
                [chosen, name](const std::string& out) {
                    command.format = chosen;
                    command.formatOption = name;
                    command.out = out;
                },
                help)
            ->type_name("OUT");
    };
    choose("--pdf", ExportFormat::Pdf, "a PDF file");
    choose("--png", ExportFormat::Png,
           "PNG images, one per page (OUT-1.png, OUT-2.png, ... or a name with %d)");
    choose("--html", ExportFormat::Html, "an HTML file");
    choose("--text", ExportFormat::Text, "a text file");
    format->require_option(1);
    command.command->add_option("--dpi", command.dpi, "resolution of PNG images (default 150)")
        ->check(CLI::Range(10.0, 1200.0));
    return command;
}

int RunExport(const ExportCommand& command, int argc, char** argv) {
    try {
        CheckOutput(command);
        const auto report = engine::LoadReportFromFile(command.report);
        if (command.format == ExportFormat::Text) {
            ExportText(*report, command.out);
            return 0;
        }
        if (command.format == ExportFormat::Html) {
            WriteFile(command.out, engine::page::RenderHtml(engine::run::RenderReport(
                                       *report, {}, LocaleLayoutSettings())));
            return 0;
        }
#ifdef FOLIANT_WITH_GUI
        const auto application = PaintingApplication(argc, argv);
        if (command.format == ExportFormat::Pdf) {
            ExportPdf(*report, command.out);
        } else {
            qt::WriteDocumentPngs(engine::run::RenderReport(*report, {}, LocaleLayoutSettings()),
                                  command.out, command.dpi);
        }
        return 0;
#else
        (void)argc;
        (void)argv;
        return FailWith("This foliant was built without Qt; it writes HTML and text only.");
#endif
    } catch (const engine::EngineError& e) {
        return FailWith(e.Description());
    } catch (const std::exception& e) {
        return FailWith(e.what());
    }
}

} // namespace foliant::app
