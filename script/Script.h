#pragma once

// Wizard automation scripts: lines of a person's actions against named controls of the form
// that is active (the wizard), run headless. See RunScript for the language. Used by the host
// program (foliant script) and by the component library for hosts without windows.

#include "engine/Report.h"

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace foliant::script {

// A script line that is malformed, names an unknown control, acts on a hidden or disabled
// control, or meets a message box or file dialog with nothing queued.
class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& reason)
        : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line),
          reason_(reason) {}
    int Line() const noexcept { return line_; }
    const std::string& Reason() const noexcept { return reason_; }

private:
    int line_;
    std::string reason_;
};

// One parsed line: the command and its arguments, quotes removed.
struct ScriptLine {
    int number = 0;
    std::string command;
    std::vector<std::string> args;
    std::vector<bool> quoted; // per argument: written in quotes
};

// Parses the whole script; throws ScriptError for the first malformed line. Blank lines and
// lines starting with "#" are skipped. Arguments are words or texts in double quotes, a quote
// inside written twice ("say ""hi""").
std::vector<ScriptLine> ParseScript(const std::string& text);

// Reads and parses the script file at path. Throws ScriptError (line 0, the reason naming the
// file) when it cannot be read or is not a regular file, or for its first malformed line.
std::vector<ScriptLine> LoadScript(const std::string& path);

// Runs the wizard over the report with the headless backend, the script driving it:
//   click NAME | select NAME INDEX|"text" | node NAME #INDEX|"text" | dblclick NAME
//   type NAME "text" | append NAME "text" | paste NAME "text" | clear NAME
//   key NAME Enter|Esc|CODE | answer Yes|No|OK|Cancel|Abort|Retry|Ignore | file "path"|cancel
//   window NAME normal|maximized|minimized|close|move L T W H | dump
// Each dump writes one JSON object (the page, the active form's controls, the wizard state,
// the message boxes and file dialogs so far) as one line to out. Lines after the wizard has
// closed still run. Throws ScriptError naming the line; the wizard's own errors pass through.
void RunScript(const std::vector<ScriptLine>& script, const std::shared_ptr<engine::Report>& report,
               std::ostream& out);

// The same with any run: installs a headless backend for this thread whose modal shows the
// script drives, calls run (which shows the wizard modally), then runs the lines left after
// the wizard closed. The thread's previous backend is back afterwards, however it ends.
void RunScripted(const std::vector<ScriptLine>& script, std::ostream& out,
                 const std::function<void()>& run);

} // namespace foliant::script
