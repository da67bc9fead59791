#pragma once

// foliant export FILE.rpt --pdf|--png|--html|--text OUT: a report run and written without a
// window. PNG writes one file per page (see PngPageFileName: "%d" in OUT is the page number;
// otherwise name-1.png, name-2.png, … for several pages).

#include <CLI/CLI.hpp>

#include <string>

namespace foliant::app {

struct ExportCommand {
    CLI::App* command = nullptr;
    std::string report;
    std::string pdf;
    std::string png;
    std::string html;
    std::string text;
    double dpi = 150;
};

// Declares the subcommand on the host's command line; the options are read into the result.
ExportCommand& AddExportCommand(CLI::App& app);

// Runs the export the command line asked for. Returns 0, or 1 after one line on stderr naming
// the file and the problem (the report cannot be read or run, the output cannot be written).
int RunExport(const ExportCommand& command, int argc, char** argv);

} // namespace foliant::app
