// foliant: the host program. Commands:
//   foliant inspect FILE.rpt            the report's structure as JSON
//   foliant demo [--db DB] [--out FILE]  make a report over the sample database and save it
//   foliant new [DB]                    a new columnar report over DB, then the wizard
//   foliant edit FILE.rpt               the wizard over a saved report
//   foliant script SCRIPT [--db DB | --report FILE.rpt]  the wizard headless, driven by a script
//   foliant export FILE.rpt --pdf|--png|--html|--text OUT  the report written without a window
//   foliant preview FILE.rpt            the report's pages in a window
//   foliant register [--library LIB]    registers the component, the .rpt file type and the
//                                       folder of the help files
//   foliant unregister [--library LIB]  removes these registrations
// Exit status 0 on success; otherwise 1 with one line on stderr saying what went wrong.
#include "apps/foliant/Demo.h"
#include "apps/foliant/Export.h"
#include "apps/foliant/Preview.h"
#include "apps/foliant/Registration.h"
#include "apps/foliant/ReportSettings.h"
#include "script/Script.h"
#ifdef FOLIANT_WITH_GUI
#include "apps/foliant/WizardWindow.h"
#endif
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <new>
#include <string>

using foliant::app::FailWith;

int main(int argc, char** argv) {
    CLI::App app{"Foliant: reports over SQLite databases", "foliant"};
    app.require_subcommand(1);

    std::string inspectPath;
    auto* inspect = app.add_subcommand("inspect", "Print a report file's structure as JSON");
    inspect->add_option("FILE", inspectPath, "the report file (.rpt)")->required();

#ifdef FOLIANT_SAMPLE_DB
    std::string database = FOLIANT_SAMPLE_DB;
#else
    std::string database;
#endif
    std::string out = "foliant-demo.rpt";
    auto* demo = app.add_subcommand(
        "demo", "Make a report over the sample database, save it and print its structure");
    demo->add_option("--db", database, "the database (default: the sample database)");
    demo->add_option("--out", out, "the report file to write (default: foliant-demo.rpt)");
    int demoStyle = 0;
    demo->add_option("--style", demoStyle, "the layout style, 0 to 9 (default: 0, Standard)")
        ->check(CLI::Range(0, 9));

#ifdef FOLIANT_SAMPLE_DB
    std::string newDatabase = FOLIANT_SAMPLE_DB;
#else
    std::string newDatabase;
#endif
    auto* create = app.add_subcommand(
        "new", "Make a new columnar report over a database and run the wizard on it");
    create->add_option("DB", newDatabase, "the database (default: the sample database)");
    std::string editPath;
    auto* edit = app.add_subcommand("edit", "Run the wizard on a saved report");
    edit->add_option("FILE", editPath, "the report file (.rpt)")->required();

#ifdef FOLIANT_SAMPLE_DB
    std::string scriptDatabase = FOLIANT_SAMPLE_DB;
#else
    std::string scriptDatabase;
#endif
    std::string scriptPath;
    std::string scriptReport;
    auto* script = app.add_subcommand(
        "script", "Run the wizard headless, driven by an automation script; dump prints JSON");
    script->add_option("SCRIPT", scriptPath, "the script file")->required();
    auto* scriptDb = script->add_option("--db", scriptDatabase,
                                        "a new report over this database (default: the sample "
                                        "database)");
    script->add_option("--report", scriptReport, "a saved report (.rpt)")->excludes(scriptDb);

    std::string library;
    auto* registerCommand = app.add_subcommand(
        "register", "Register the wizard component and make this program open .rpt files");
    registerCommand->add_option("--library", library,
                                "the component library (default: libFoliant.so beside foliant)");
    auto* unregisterCommand =
        app.add_subcommand("unregister", "Remove the component's and the .rpt file type's "
                                         "registration");
    unregisterCommand->add_option("--library", library,
                                  "the component library (default: libFoliant.so beside "
                                  "foliant)");

    const auto& exportCommand = foliant::app::AddExportCommand(app);
    const auto& previewCommand = foliant::app::AddPreviewCommand(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "foliant: " << e.what() << " (see foliant --help)\n";
        return 2;
    }

    if (*exportCommand.command) {
        return foliant::app::RunExport(exportCommand, argc, argv);
    }
    if (*previewCommand.command) {
        return foliant::app::RunPreview(previewCommand, argc, argv);
    }
    try {
        if (*registerCommand) {
            return foliant::app::RunRegister(library);
        }
        if (*unregisterCommand) {
            return foliant::app::RunUnregister(library);
        }
        if (*inspect) {
            const auto report = foliant::engine::LoadReportFromFile(inspectPath);
            std::cout << foliant::engine::DescribeReport(*report) << "\n";
            return 0;
        }
        if (*create || *edit) {
#ifdef FOLIANT_WITH_GUI
            const auto report = *create ? foliant::engine::Report::CreateOverDatabase(newDatabase)
                                        : foliant::engine::LoadReportFromFile(editPath);
            if (!foliant::app::HaveDisplay()) {
                return FailWith(
                    "Cannot open the wizard window: there is no display (DISPLAY is not "
                    "set).");
            }
            foliant::app::RunWizardWindow(report, argc, argv);
            return 0;
#else
            return FailWith("This foliant was built without windows; the wizard cannot be shown.");
#endif
        }
        if (*script) {
            try {
                const auto lines = foliant::script::LoadScript(scriptPath);
                const auto report =
                    scriptReport.empty()
                        ? foliant::engine::Report::CreateOverDatabase(scriptDatabase)
                        : foliant::engine::LoadReportFromFile(scriptReport);
                foliant::script::RunScript(lines, report, std::cout);
            } catch (const foliant::script::ScriptError& e) {
                std::cout.flush();
                if (e.Line() == 0) {
                    return FailWith(e.Reason());
                }
                std::cerr << "foliant: " << scriptPath << ":" << e.Line() << ": " << e.Reason()
                          << "\n";
                return 1;
            }
            return 0;
        }
        if (*demo) {
            const auto report = foliant::app::BuildDemoReport(database, demoStyle);
            report->SaveToFile(out, 0);
            // Print what was saved, read back from the file.
            const auto saved = foliant::engine::LoadReportFromFile(out);
            std::cout << foliant::engine::DescribeReport(*saved) << "\n";
            std::cerr << "foliant: saved the report to " << out << "\n";
            return 0;
        }
    } catch (const foliant::engine::EngineError& e) {
        return FailWith(e.Description());
    } catch (const std::bad_alloc&) {
        return FailWith("There is not enough memory to finish the command.");
    } catch (const std::exception& e) {
        return FailWith(e.what());
    }
    return 1;
}
