#pragma once

// foliant design FILE.rpt (and the bare foliant FILE.rpt): the program registered for report
// files. The design window over the report until the person closes it.

#include <CLI/CLI.hpp>

#include <string>

namespace foliant::app {

struct DesignCommand {
    CLI::App* command = nullptr;
    std::string report;
    // When set, the window is shown until its run ends, pictured into this PNG file and closed.
    std::string screenshot;
};

// Declares the subcommand on the host's command line.
DesignCommand& AddDesignCommand(CLI::App& app);

// Shows the window; returns 0 when it is closed, or 1 after one line on stderr (the report
// cannot be read, there is no display, the picture cannot be written).
int RunDesign(const DesignCommand& command, int argc, char** argv);

} // namespace foliant::app
