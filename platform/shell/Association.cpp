// Which program opens a document: the registry's classes first, then the desktop's default
// application for the document's type.

#include "platform/shell/Internal.h"
#include "platform/shell/Shell.h"
#include "platform/winreg/WinReg.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>

namespace foliant::shell {

namespace detail {

namespace {

namespace reg = foliant::winreg;

// The text of a value of HKEY_CLASSES_ROOT\keyPath ("" names the default value), with
// environment references expanded for REG_EXPAND_SZ. nullopt when missing or not text.
std::optional<std::string> ReadClassesText(const std::string& keyPath, const char* valueName) {
    reg::HKEY key = 0;
    if (reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, keyPath.c_str(), 0, reg::KEY_QUERY_VALUE,
                           &key) != reg::ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    reg::DWORD type = 0;
    reg::DWORD size = 0;
    if (reg::RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) ==
            reg::ERROR_SUCCESS &&
        (type == reg::REG_SZ || type == reg::REG_EXPAND_SZ)) {
        std::string bytes(size, '\0');
        if (reg::RegQueryValueExA(key, valueName, nullptr, &type,
                                  reinterpret_cast<reg::BYTE*>(bytes.data()),
                                  &size) == reg::ERROR_SUCCESS) {
            bytes.resize(std::min<std::size_t>(size, bytes.size()));
            // Stored text usually carries its terminating zero; the text ends at the first.
            bytes.resize(std::strlen(bytes.c_str()));
            if (type == reg::REG_EXPAND_SZ) {
                const reg::DWORD needed = reg::ExpandEnvironmentStringsA(bytes.c_str(), nullptr, 0);
                if (needed > 0) {
                    std::string expanded(needed, '\0');
                    if (reg::ExpandEnvironmentStringsA(bytes.c_str(), expanded.data(), needed) ==
                        needed) {
                        expanded.resize(needed - 1);
                        bytes = expanded;
                    }
                }
            }
            text = bytes;
        }
    }
    reg::RegCloseKey(key);
    return text;
}

// The extension of the file name in path, with its dot (".rpt"); "" when it has none.
std::string ExtensionOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) {
        return {};
    }
    return name.substr(dot);
}

// The registered command text for verb under a class (or extension) key, nullopt when none.
std::optional<std::string> VerbCommand(const std::string& classKey, const std::string& verb) {
    if (!verb.empty()) {
        return ReadClassesText(classKey + "\\shell\\" + verb + "\\command", "");
    }
    if (auto open = ReadClassesText(classKey + "\\shell\\open\\command", "")) {
        return open;
    }
    // A class may name its default action in the default value of its "shell" key.
    if (auto named = ReadClassesText(classKey + "\\shell", ""); named && !named->empty()) {
        return ReadClassesText(classKey + "\\shell\\" + *named + "\\command", "");
    }
    return std::nullopt;
}

// A registered command split into the program and its arguments. A program path with spaces
// may stand unquoted; the longest run of words that names an existing program is taken.
std::vector<std::string> SplitRegisteredCommand(const std::string& text) {
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return {};
    }
    std::string program;
    std::string rest;
    if (text[start] == '"') {
        const auto close = text.find('"', start + 1);
        program = text.substr(start + 1,
                              close == std::string::npos ? std::string::npos : close - start - 1);
        rest = close == std::string::npos ? std::string() : text.substr(close + 1);
    } else {
        auto end = text.find_first_of(" \t", start);
        program = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        rest = end == std::string::npos ? std::string() : text.substr(end);
        for (auto space = end; space != std::string::npos;) {
            const auto next = text.find_first_of(" \t", space + 1);
            const std::string candidate =
                text.substr(start, next == std::string::npos ? std::string::npos : next - start);
            if (candidate.find('/') != std::string::npos && IsExecutableFile(candidate)) {
                program = candidate;
                rest = next == std::string::npos ? std::string() : text.substr(next);
            }
            space = next;
        }
    }
    std::vector<std::string> command{program};
    for (auto& argument : SplitCommandLine(rest)) {
        command.push_back(std::move(argument));
    }
    return command;
}

// Fills the registered command's places: "%1", "%L", "%V" the document, "%*" all parameters,
// "%2".."%9" single parameters, "%W" the working folder, "%%" a percent sign. The document is
// added at the end when the command has no place for it.
std::vector<std::string> FillRegisteredCommand(const std::vector<std::string>& command,
                                               const std::string& path,
                                               const std::string& parameters,
                                               const std::string& directory) {
    const auto parameterList = SplitCommandLine(parameters);
    std::vector<std::string> filled{command.front()};
    bool documentPlaced = false;
    for (std::size_t i = 1; i < command.size(); ++i) {
        const std::string& argument = command[i];
        if (argument == "%*") {
            filled.insert(filled.end(), parameterList.begin(), parameterList.end());
            continue;
        }
        std::string out;
        for (std::size_t k = 0; k < argument.size(); ++k) {
            if (argument[k] != '%' || k + 1 == argument.size()) {
                out += argument[k];
                continue;
            }
            const char code = argument[++k];
            if (code == '1' || code == 'L' || code == 'l' || code == 'V' || code == 'v') {
                out += path;
                documentPlaced = true;
            } else if (code >= '2' && code <= '9') {
                const std::size_t index = static_cast<std::size_t>(code - '2');
                if (index < parameterList.size()) {
                    out += parameterList[index];
                }
            } else if (code == '*') {
                out += parameters;
            } else if (code == 'W' || code == 'w') {
                out += directory.empty() ? CurrentDirectory() : directory;
            } else if (code == '%') {
                out += '%';
            } else {
                // Places this platform has no value for (item lists, hotkeys) are left out.
            }
        }
        filled.push_back(out);
    }
    if (!documentPlaced) {
        filled.push_back(path);
    }
    return filled;
}

// ---- The desktop's default application ----

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The file of a desktop entry id in the data folders, "" when none holds it.
std::string FindDesktopEntry(const std::string& id) {
    std::vector<std::string> folders;
    const char* home = std::getenv("HOME");
    folders.push_back(EnvOr("XDG_DATA_HOME", std::string(home ? home : "") + "/.local/share"));
    const std::string dirs = EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    for (std::size_t start = 0; start <= dirs.size();) {
        auto end = dirs.find(':', start);
        if (end == std::string::npos) {
            end = dirs.size();
        }
        if (end > start) {
            folders.push_back(dirs.substr(start, end - start));
        }
        start = end + 1;
    }
    for (const auto& folder : folders) {
        const std::string direct = JoinPath(folder, "applications/" + id);
        if (FileExists(direct)) {
            return direct;
        }
        // "vendor-app.desktop" may live in a vendor folder.
        if (const auto dash = id.find('-'); dash != std::string::npos) {
            std::string nested = id;
            nested[dash] = '/';
            const std::string path = JoinPath(folder, "applications/" + nested);
            if (FileExists(path)) {
                return path;
            }
        }
    }
    return {};
}

// The Exec line of a desktop entry file, "" when it has none.
std::string ReadDesktopExec(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        line = Trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (inEntry && line.rfind("Exec", 0) == 0) {
            const auto equals = line.find('=');
            if (equals != std::string::npos && Trimmed(line.substr(4, equals - 4)).empty()) {
                return Trimmed(line.substr(equals + 1));
            }
        }
    }
    return {};
}

// Splits an Exec line: white space separates, double quotes group, and inside quotes a
// backslash escapes the next character.
std::vector<std::string> SplitExec(const std::string& exec) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else if (c == ' ' || c == '\t') {
            if (inArgument) {
                arguments.push_back(current);
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments.push_back(current);
    }
    return arguments;
}

// The Exec arguments with their field codes filled for one document.
std::vector<std::string> FillExec(const std::vector<std::string>& exec, const std::string& path) {
    std::vector<std::string> filled;
    bool documentPlaced = false;
    for (const auto& argument : exec) {
        if (argument == "%i" || argument == "%c" || argument == "%k") {
            continue;
        }
        std::string out;
        for (std::size_t k = 0; k < argument.size(); ++k) {
            if (argument[k] != '%' || k + 1 == argument.size()) {
                out += argument[k];
                continue;
            }
            const char code = argument[++k];
            if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                out += path;
                documentPlaced = true;
            } else if (code == '%') {
                out += '%';
            }
        }
        filled.push_back(out);
    }
    if (!documentPlaced && !filled.empty()) {
        filled.push_back(path);
    }
    return filled;
}

Association DesktopDefault(const std::string& path) {
    Association result;
    if (FindProgram("xdg-mime").empty()) {
        return result;
    }
    std::string type;
    if (!RunAndRead({"xdg-mime", "query", "filetype", path}, 5000, type) ||
        (type = Trimmed(type)).empty()) {
        return result;
    }
    // "text/plain; charset=us-ascii" from some back ends: the type is the part before ";".
    type = Trimmed(type.substr(0, type.find(';')));
    std::string id;
    if (!RunAndRead({"xdg-mime", "query", "default", type}, 5000, id) ||
        (id = Trimmed(id)).empty()) {
        return result;
    }
    id = Trimmed(id.substr(0, id.find(';')));
    const std::string entry = FindDesktopEntry(id);
    const auto exec =
        entry.empty() ? std::vector<std::string>() : SplitExec(ReadDesktopExec(entry));
    if (exec.empty()) {
        return result;
    }
    const std::string program = FindProgram(exec.front());
    if (program.empty()) {
        result.status = Lookup::ProgramMissing;
        return result;
    }
    result.status = Lookup::Found;
    result.command = FillExec(exec, path);
    result.command.front() = program;
    return result;
}

} // namespace

Association Associate(const std::string& path, const std::string& verb,
                      const std::string& parameters, const std::string& directory) {
    const bool openVerb = verb.empty() || verb == "open";
    Association result;
    if (const std::string extension = ExtensionOf(path); !extension.empty()) {
        std::optional<std::string> commandText;
        const auto className = ReadClassesText(extension, "");
        if (className && !className->empty()) {
            commandText = VerbCommand(*className, openVerb ? std::string() : verb);
        }
        if (!commandText) {
            commandText = VerbCommand(extension, openVerb ? std::string() : verb);
        }
        if (commandText) {
            auto command = SplitRegisteredCommand(*commandText);
            const std::string program = command.empty() ? std::string() : FindProgram(command[0]);
            if (!program.empty()) {
                command.front() = program;
                result.status = Lookup::Found;
                result.command = FillRegisteredCommand(command, path, parameters, directory);
                return result;
            }
            result.status = Lookup::ProgramMissing;
        }
    }
    if (!openVerb) {
        return result;
    }
    // A program file opens itself.
    if (result.status == Lookup::NotAssociated && IsExecutableFile(path)) {
        result.status = Lookup::Found;
        result.command = {path};
        for (auto& argument : SplitCommandLine(parameters)) {
            result.command.push_back(std::move(argument));
        }
        return result;
    }
    if (Association desktop = DesktopDefault(path); desktop.status == Lookup::Found) {
        return desktop;
    } else if (desktop.status == Lookup::ProgramMissing) {
        result.status = Lookup::ProgramMissing;
    }
    return result;
}

} // namespace detail

std::vector<std::string> DocumentCommand(const std::string& path, const std::string& verb) {
    if (!FileExists(path)) {
        return {};
    }
    auto found = detail::Associate(detail::Absolute(path), verb, "", "");
    return found.status == detail::Lookup::Found ? found.command : std::vector<std::string>();
}

HINSTANCE FindExecutableA(const char* file, const char* directory, char* result,
                          std::size_t resultSize) {
    if (result && resultSize > 0) {
        result[0] = '\0';
    }
    if (!file || !*file) {
        return SE_ERR_FNF;
    }
    const std::string folder = directory ? directory : "";
    if (!folder.empty() && !FolderExists(folder)) {
        return SE_ERR_PNF;
    }
    std::string path = file;
    if (path.front() != '/' && !folder.empty()) {
        path = JoinPath(folder, path);
    }
    if (!FileExists(path)) {
        const std::string parent = FolderOf(path);
        return !parent.empty() && !FolderExists(parent) ? SE_ERR_PNF : SE_ERR_FNF;
    }
    const auto found = detail::Associate(detail::Absolute(path), "", "", "");
    if (found.status == detail::Lookup::ProgramMissing) {
        return SE_ERR_FNF;
    }
    if (found.status != detail::Lookup::Found) {
        return SE_ERR_NOASSOC;
    }
    const std::string& program = found.command.front();
    if (!result || program.size() + 1 > resultSize) {
        return SE_ERR_OOM;
    }
    std::memcpy(result, program.c_str(), program.size() + 1);
    return kShellSuccess;
}

} // namespace foliant::shell
