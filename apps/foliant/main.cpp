// foliant: the host program. Commands:
//   foliant inspect FILE.rpt            the report's structure as JSON
//   foliant demo [--db DB] [--out FILE] [--style N]  the wizard walked through by a script over
//                                       the sample database: saves a report and its PDF
//   foliant new [DB]                    a new columnar report over DB, then the wizard
//   foliant edit FILE.rpt               the wizard over a saved report
//   foliant script SCRIPT [--db DB | --report FILE.rpt]  the wizard headless, driven by a script
//   foliant export FILE.rpt --pdf|--png|--html|--text OUT  the report written without a window
//   foliant preview FILE.rpt            the report's pages in a window
//   foliant design FILE.rpt             the program that opens .rpt files (also: foliant
//                                       FILE.rpt): pages, structure and properties to adjust
//   foliant register [--library LIB]    registers the component, the .rpt file type and the
//                                       folder of the help files
//   foliant unregister [--library LIB]  removes these registrations
//   foliant --version                   the version
// Exit status 0 on success; 1 with one line on stderr saying what went wrong; 2 when the
// command line itself is wrong.
#include "apps/foliant/Demo.h"
#include "apps/foliant/Design.h"
#include "apps/foliant/Export.h"
#include "apps/foliant/InstalledFiles.h"
#include "apps/foliant/Preview.h"
#include "apps/foliant/Registration.h"
#include "apps/foliant/ReportSettings.h"
#include "dialog/frmWizard.h"
#include "script/Script.h"
#ifdef FOLIANT_WITH_GUI
#include "apps/foliant/WizardWindow.h"
#endif
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

using foliant::app::FailWith;

namespace {

// The options of the commands main declares itself; the export and preview commands keep
// theirs in their own units.
// A database left empty is the installation's sample database (DatabaseOrSample).
struct Commands {
    CLI::App* inspect = nullptr;
    std::string inspectPath;

    CLI::App* demo = nullptr;
    std::string demoDatabase;
    std::string demoOut = "foliant-demo.rpt";
    int demoStyle = 0;

    CLI::App* create = nullptr;
    std::string newDatabase;
    CLI::App* edit = nullptr;
    std::string editPath;

    CLI::App* script = nullptr;
    std::string scriptPath;
    std::string scriptDatabase;
    std::string scriptReport;

    CLI::App* registerCommand = nullptr;
    CLI::App* unregisterCommand = nullptr;
    std::string library;
};

void DeclareReportCommands(CLI::App& app, Commands& c) {
    c.inspect = app.add_subcommand("inspect", "Print a report file's structure as JSON");
    c.inspect->add_option("FILE", c.inspectPath, "the report file (.rpt)")->required();

    c.demo = app.add_subcommand("demo", "Walk through the wizard over the sample database, save "
                                        "the report and its PDF and print the first page");
    c.demo->add_option("--db", c.demoDatabase, "the database (default: the sample database)");
    c.demo->add_option("--out", c.demoOut, "the report file to write (default: foliant-demo.rpt)");
    c.demo->add_option("--style", c.demoStyle, "the layout style, 0 to 9 (default: 0, Standard)")
        ->check(CLI::Range(0, 9));
}

void DeclareWizardCommands(CLI::App& app, Commands& c) {
    c.create = app.add_subcommand(
        "new", "Make a new columnar report over a database and run the wizard on it");
    c.create->add_option("DB", c.newDatabase, "the database (default: the sample database)");
    c.edit = app.add_subcommand("edit", "Run the wizard on a saved report");
    c.edit->add_option("FILE", c.editPath, "the report file (.rpt)")->required();

    c.script = app.add_subcommand(
        "script", "Run the wizard headless, driven by an automation script; dump prints JSON");
    c.script->add_option("SCRIPT", c.scriptPath, "the script file")->required();
    auto* scriptDb = c.script->add_option("--db", c.scriptDatabase,
                                          "a new report over this database (default: the sample "
                                          "database)");
    c.script->add_option("--report", c.scriptReport, "a saved report (.rpt)")->excludes(scriptDb);
}

void DeclareRegistrationCommands(CLI::App& app, Commands& c) {
    c.registerCommand = app.add_subcommand(
        "register", "Register the wizard component and make this program open .rpt files");
    c.registerCommand->add_option("--library", c.library,
                                  "the component library (default: libFoliant.so beside foliant)");
    c.unregisterCommand =
        app.add_subcommand("unregister", "Remove the component's and the .rpt file type's "
                                         "registration");
    c.unregisterCommand->add_option("--library", c.library,
                                    "the component library (default: libFoliant.so beside "
                                    "foliant)");
}

int RunWizardInWindow(const Commands& c, int argc, char** argv) {
#ifdef FOLIANT_WITH_GUI
    const auto report = *c.create ? foliant::engine::Report::CreateOverDatabase(
                                        foliant::app::DatabaseOrSample(c.newDatabase))
                                  : foliant::engine::LoadReportFromFile(c.editPath);
    if (!foliant::app::HaveDisplay()) {
        return FailWith("Cannot open the wizard window: there is no display (DISPLAY is not "
                        "set).");
    }
    foliant::app::RunWizardWindow(report, argc, argv);
    return 0;
#else
    (void)c;
    (void)argc;
    (void)argv;
    return FailWith("This foliant was built without windows; the wizard cannot be shown.");
#endif
}

int RunWizardScript(const Commands& c) {
    try {
        const auto lines = foliant::script::LoadScript(c.scriptPath);
        const auto report = c.scriptReport.empty()
                                ? foliant::engine::Report::CreateOverDatabase(
                                      foliant::app::DatabaseOrSample(c.scriptDatabase))
                                : foliant::engine::LoadReportFromFile(c.scriptReport);
        foliant::script::RunScript(lines, report, std::cout);
    } catch (const foliant::script::ScriptError& e) {
        std::cout.flush();
        if (e.Line() == 0) {
            return FailWith(e.Reason());
        }
        std::cerr << "foliant: " << c.scriptPath << ":" << e.Line() << ": " << e.Reason() << "\n";
        return 1;
    }
    return 0;
}

int Demo(const Commands& c, int argc, char** argv) {
    try {
        foliant::app::RunDemo(foliant::app::DatabaseOrSample(c.demoDatabase), c.demoOut,
                              c.demoStyle, std::cout, argc, argv);
    } catch (const foliant::script::ScriptError& e) {
        return FailWith("The walk through the wizard stopped at step " + std::to_string(e.Line()) +
                        ": " + e.Reason());
    }
    return 0;
}

// Runs the command main declared itself that the command line chose.
int RunCommand(const Commands& c, int argc, char** argv) {
    if (*c.registerCommand) {
        return foliant::app::RunRegister(c.library);
    }
    if (*c.unregisterCommand) {
        return foliant::app::RunUnregister(c.library);
    }
    if (*c.inspect) {
        const auto report = foliant::engine::LoadReportFromFile(c.inspectPath);
        std::cout << foliant::engine::DescribeReport(*report) << "\n";
        return 0;
    }
    if (*c.create || *c.edit) {
        return RunWizardInWindow(c, argc, argv);
    }
    if (*c.script) {
        return RunWizardScript(c);
    }
    if (*c.demo) {
        return Demo(c, argc, argv);
    }
    return 1;
}

// The program registered for report files is started with the file alone ("foliant
// FILE.rpt"): that opens it as "foliant design FILE.rpt" would.
std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.size() == 1 && foliant::Wizard::WithReportExtension(args[0]) == args[0] &&
        args[0].front() != '-') {
        args.insert(args.begin(), "design");
    }
    std::reverse(args.begin(), args.end()); // CLI11 takes the arguments last first
    return args;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Foliant: reports over SQLite databases", "foliant"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "foliant " FOLIANT_VERSION, "Print the version and exit");
    app.footer("Exit status: 0 when the command succeeded; 1 when it failed, with one line on "
               "standard error saying what went wrong; 2 when the command line is wrong.");
    Commands commands;
    DeclareReportCommands(app, commands);
    DeclareWizardCommands(app, commands);
    DeclareRegistrationCommands(app, commands);
    const auto& exportCommand = foliant::app::AddExportCommand(app);
    const auto& previewCommand = foliant::app::AddPreviewCommand(app);
    const auto& designCommand = foliant::app::AddDesignCommand(app);

    try {
        auto args = Arguments(argc, argv);
        app.parse(args);
    } catch (const CLI::Success& e) {
        // --help and --version.
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
    if (*designCommand.command) {
        return foliant::app::RunDesign(designCommand, argc, argv);
    }
    try {
        return RunCommand(commands, argc, argv);
    } catch (const foliant::engine::EngineError& e) {
        return FailWith(e.Description());
    } catch (const std::bad_alloc&) {
        return FailWith("There is not enough memory to finish the command.");
    } catch (const std::exception& e) {
        return FailWith(e.what());
    }
}
