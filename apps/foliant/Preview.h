#pragma once

// foliant preview FILE.rpt: the preview window QuickView alone, with the report's pages in
// the report viewer (paging, zoom, find, print, export), placed where it was last closed,
// until the person closes it.

#include <CLI/CLI.hpp>

#include <string>

namespace foliant::app {

struct PreviewCommand {
    CLI::App* command = nullptr;
    std::string report;
    // When set, the window is shown until its run ends, pictured into this PNG file and closed.
    std::string screenshot;
    int page = 1;
    std::string find;
};

// Declares the subcommand on the host's command line.
PreviewCommand& AddPreviewCommand(CLI::App& app);

// Shows the window; returns 0 when it is closed, or 1 after one line on stderr (the report
// cannot be read or run, there is no display, the screenshot cannot be written).
int RunPreview(const PreviewCommand& command, int argc, char** argv);

} // namespace foliant::app
