#pragma once

// foliant export FILE.rpt --pdf|--png|--html|--text OUT: a report run and written without a
// window. PNG writes one file per page (see PngPageFileName: "%d" in OUT is the page number;
// otherwise name-1.png, name-2.png, … for several pages).

#include <CLI/CLI.hpp>

#include <string>

namespace foliant::app {

enum class ExportFormat { Pdf, Png, Html, Text };

struct ExportCommand {
    CLI::App* command = nullptr;
    std::string report;
    ExportFormat format = ExportFormat::Text; // the one format option given
    std::string formatOption;                 // as it was written: "--text"
    std::string out;                          // its value, "" when given empty
    double dpi = 150;
};

// Declares the subcommand on the host's command line; the options are read into the result.
ExportCommand& AddExportCommand(CLI::App& app);

// Runs the export the command line asked for. Returns 0, or 1 after one line on stderr naming
// the file and the problem (no output name, a report that cannot be read or run, an output
// that cannot be written: a folder, in a folder that does not exist, a pipe nobody reads).
int RunExport(const ExportCommand& command, int argc, char** argv);

} // namespace foliant::app
