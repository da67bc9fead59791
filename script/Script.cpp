#include "script/Script.h"

#include "component/VRStandardWizard.h"
#include "dialog/frmWizard.h"
#include "engine/FileAccess.h"
#include "platform/forms/Dump.h"
#include "platform/forms/HeadlessBackend.h"
#include "platform/forms/UserActions.h"
#include "wizard/WizardState.h"

#include <charconv>
#include <map>
#include <sstream>

namespace foliant::script {

namespace {

using forms::Form;

// Larger than any script a person or a test writes, small enough to read at once.
constexpr std::uintmax_t kMaxScriptSize = 64u << 20;

// Commands and how many arguments each takes (-1: checked by the command itself).
const std::map<std::string, int>& Arity() {
    static const std::map<std::string, int> arity = {
        {"click", 1},  {"select", 2},  {"node", 2},  {"dblclick", 1}, {"type", 2},
        {"append", 2}, {"paste", 2},   {"clear", 1}, {"key", 2},      {"answer", 1},
        {"file", 1},   {"window", -1}, {"dump", 0}};
    return arity;
}

bool ParseInt(const std::string& text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

ScriptLine ParseLine(int number, const std::string& text) {
    ScriptLine line;
    line.number = number;
    std::size_t i = 0;
    std::vector<std::string> words;
    while (true) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        if (text[i] == '"') {
            std::string word;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                word += text[i++];
            }
            if (!closed) {
                throw ScriptError(number, "the quoted text has no closing quote");
            }
            words.push_back(word);
            line.quoted.push_back(true);
        } else {
            const std::size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') {
                if (text[i] == '"') {
                    throw ScriptError(number, "a quote inside a word; put the whole text in "
                                              "quotes");
                }
                ++i;
            }
            words.push_back(text.substr(start, i - start));
            line.quoted.push_back(false);
        }
    }
    line.command = words.front();
    line.args.assign(words.begin() + 1, words.end());
    line.quoted.erase(line.quoted.begin());
    const auto it = Arity().find(line.command);
    if (it == Arity().end()) {
        throw ScriptError(number, "unknown command \"" + line.command + "\"");
    }
    if (it->second >= 0 && static_cast<int>(line.args.size()) != it->second) {
        throw ScriptError(number, "\"" + line.command + "\" takes " + std::to_string(it->second) +
                                      " argument" + (it->second == 1 ? "" : "s") + ", not " +
                                      std::to_string(line.args.size()));
    }
    if (line.command == "window") {
        const bool move = line.args.size() == 6 && line.args[1] == "move";
        const bool state = line.args.size() == 2 && line.args[1] != "move";
        if (!move && !state) {
            throw ScriptError(number, "\"window\" takes a form name and normal, maximized, "
                                      "minimized, close or move L T W H");
        }
    }
    return line;
}

int ParseKey(const ScriptLine& line) {
    const std::string& key = line.args[1];
    if (key == "Enter") {
        return forms::kKeyReturn;
    }
    if (key == "Esc") {
        return forms::kKeyEscape;
    }
    int code = 0;
    if (!ParseInt(key, code) || code < 0 || code > 255) {
        throw ScriptError(line.number,
                          "a key is Enter, Esc or a key code 0 to 255, not \"" + key + "\"");
    }
    return code;
}

int ParseAnswer(const ScriptLine& line) {
    static const std::map<std::string, int> answers = {
        {"OK", forms::vbOK},       {"Cancel", forms::vbCancel}, {"Abort", forms::vbAbort},
        {"Retry", forms::vbRetry}, {"Ignore", forms::vbIgnore}, {"Yes", forms::vbYes},
        {"No", forms::vbNo}};
    const auto it = answers.find(line.args[0]);
    if (it == answers.end()) {
        throw ScriptError(line.number, "an answer is Yes, No, OK, Cancel, Abort, Retry or "
                                       "Ignore, not \"" +
                                           line.args[0] + "\"");
    }
    return it->second;
}

// Runs the script's lines one after the other against the active form.
class Runner {
public:
    Runner(const std::vector<ScriptLine>& script, forms::HeadlessBackend& backend,
           std::ostream& out)
        : script_(script), backend_(backend), out_(out) {}

    // Runs lines while the form stays loaded (or, with no form, to the end).
    void RunWhileOpen(Form* form) {
        while (next_ < script_.size() && (form == nullptr || form->Loaded())) {
            const ScriptLine& line = script_[next_++];
            current_ = line.number;
            try {
                Execute(line, form);
            } catch (const ScriptError&) {
                throw;
            } catch (const std::exception& e) {
                // A refused action, or an error a handler let through: name the line.
                throw ScriptError(line.number, e.what());
            }
        }
    }

    int CurrentLine() const noexcept { return current_; }

private:
    forms::Control& Find(const ScriptLine& line, Form* form) const {
        Form* target = form != nullptr ? form : Wizard::CurrentWizardForm();
        if (target == nullptr) {
            throw ScriptError(line.number, "there is no form to act on");
        }
        forms::Control* control = target->FindControl(line.args[0]);
        if (control == nullptr) {
            throw ScriptError(line.number,
                              "there is no control \"" + line.args[0] + "\" on " + target->Name());
        }
        return *control;
    }

    Form* FindForm(const ScriptLine& line) const {
        const std::string& name = line.args[0];
        if (Form* wizard = Wizard::CurrentWizardForm();
            wizard != nullptr && wizard->Name() == name) {
            return wizard;
        }
        if (const auto& preview = Wizard::State().PreviewForm; preview && preview->Name() == name) {
            return preview.get();
        }
        throw ScriptError(line.number, "there is no form \"" + name + "\"");
    }

    void Execute(const ScriptLine& line, Form* form) {
        const std::string& c = line.command;
        if (c == "dump") {
            Dump(form);
        } else if (c == "answer") {
            backend_.QueueAnswer(ParseAnswer(line));
        } else if (c == "file") {
            if (!line.quoted[0] && line.args[0] == "cancel") {
                backend_.QueueFileCancel();
            } else {
                backend_.QueueFile(line.args[0]);
            }
        } else if (c == "window") {
            Window(line);
        } else {
            forms::Control& control = Find(line, form);
            if (c == "click") {
                control.UserClick();
            } else if (c == "dblclick") {
                control.UserDblClick();
            } else if (c == "select") {
                int index = 0;
                if (line.quoted[1]) {
                    forms::user::Select(control, line.args[1]);
                } else if (ParseInt(line.args[1], index)) {
                    forms::user::Select(control, index);
                } else {
                    throw ScriptError(line.number, "an entry is a 0-based index or a quoted "
                                                   "text, not \"" +
                                                       line.args[1] + "\"");
                }
            } else if (c == "node") {
                int index = 0;
                if (line.quoted[1]) {
                    forms::user::ClickNode(control, line.args[1]);
                } else if (line.args[1].starts_with('#') &&
                           ParseInt(line.args[1].substr(1), index)) {
                    forms::user::ClickNode(control, index);
                } else {
                    throw ScriptError(line.number, "a node is #INDEX (from 1) or a quoted "
                                                   "text, not \"" +
                                                       line.args[1] + "\"");
                }
            } else if (c == "type") {
                forms::user::Type(control, line.args[1]);
            } else if (c == "append") {
                forms::user::Append(control, line.args[1]);
            } else if (c == "paste") {
                forms::user::Paste(control, line.args[1]);
            } else if (c == "clear") {
                forms::user::Clear(control);
            } else if (c == "key") {
                control.UserKeyDown(ParseKey(line));
            }
        }
    }

    void Window(const ScriptLine& line) {
        Form& target = *FindForm(line);
        const std::string& action = line.args[1];
        if (action == "close") {
            target.UserClose();
        } else if (action == "normal") {
            target.UserSetWindowState(forms::WindowState::Normal);
        } else if (action == "maximized") {
            target.UserSetWindowState(forms::WindowState::Maximized);
        } else if (action == "minimized") {
            target.UserSetWindowState(forms::WindowState::Minimized);
        } else if (action == "move") {
            int v[4] = {};
            for (int i = 0; i < 4; ++i) {
                if (!ParseInt(line.args[static_cast<std::size_t>(2 + i)], v[i])) {
                    throw ScriptError(line.number, "\"window move\" takes four whole numbers "
                                                   "(twips)");
                }
            }
            target.UserMove(v[0], v[1], v[2], v[3]);
        } else {
            throw ScriptError(line.number, "unknown window action \"" + action + "\"");
        }
    }

    void Dump(Form* form) {
        Form* shown = form != nullptr ? form : Wizard::CurrentWizardForm();
        nlohmann::json dump{
            {"page", Wizard::State().CurrentPage},
            {"form", shown != nullptr ? forms::DumpForm(*shown) : nlohmann::json()},
            {"state", Wizard::DumpWizardState()},
            {"prompts", forms::DumpPrompts(backend_)},
        };
        out_ << dump.dump() << "\n";
    }

    const std::vector<ScriptLine>& script_;
    forms::HeadlessBackend& backend_;
    std::ostream& out_;
    std::size_t next_ = 0;
    int current_ = 0;
};

} // namespace

std::vector<ScriptLine> ParseScript(const std::string& text) {
    std::vector<ScriptLine> lines;
    // Editors may start a UTF-8 file with a byte-order mark; it is not part of line 1.
    const std::string_view bom = "\xEF\xBB\xBF";
    std::istringstream in(text.compare(0, bom.size(), bom) == 0 ? text.substr(bom.size()) : text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        const auto first = raw.find_first_not_of(" \t\r");
        if (first == std::string::npos || raw[first] == '#') {
            continue;
        }
        lines.push_back(ParseLine(number, raw));
    }
    return lines;
}

std::vector<ScriptLine> LoadScript(const std::string& path) {
    std::string text;
    try {
        text = engine::ReadRegularFile(path, kMaxScriptSize);
    } catch (const engine::FileError& e) {
        throw ScriptError(0, "cannot read the script " + path + ": " + e.Reason());
    }
    return ParseScript(text);
}

void RunScripted(const std::vector<ScriptLine>& script, std::ostream& out,
                 const std::function<void()>& run) {
    auto backend = std::make_shared<forms::HeadlessBackend>();
    forms::BackendScope scope(backend);
    Runner runner(script, *backend, out);
    backend->SetDriver([&runner](Form& form) { runner.RunWhileOpen(&form); });
    try {
        run();
        runner.RunWhileOpen(nullptr);
    } catch (const forms::DriverStop& stop) {
        throw ScriptError(runner.CurrentLine(), stop.Reason());
    }
}

void RunScript(const std::vector<ScriptLine>& script, const std::shared_ptr<engine::Report>& report,
               std::ostream& out) {
    RunScripted(script, out, [&report] {
        component::VRStandardWizard wizard;
        wizard.SetVellumReport(report);
        wizard.DisplayReportWizard();
    });
}

} // namespace foliant::script
