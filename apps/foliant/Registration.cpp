#include "apps/foliant/Registration.h"

#include "platform/automation/foliant_automation.h"
#include "platform/help/HtmlHelp.h"
#include "platform/shell/Shell.h"
#include "platform/winreg/WinReg.h"
#include "registry/RegObject.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace foliant::app {

namespace {

namespace wr = foliant::winreg;

const std::string kExtension = ".rpt";

std::string HexResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

struct LibraryCloser {
    void operator()(void* library) const { ::dlclose(library); }
};

// The registry's message text for a result code.
std::string MessageText(wr::LONG code) {
    char text[512] = {};
    const wr::DWORD length =
        wr::FormatMessageA(wr::FORMAT_MESSAGE_FROM_SYSTEM | wr::FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<wr::DWORD>(code), 0, text, sizeof text, nullptr);
    return length > 0 ? std::string(text, length) : "error " + std::to_string(code);
}

// A marker whose address names this program's file.
const int kInThisProgram = 0;

} // namespace

std::string ProgramPath() {
    return shell::ModuleFileName(&kInThisProgram);
}

std::string FindComponentLibrary(const std::string& given) {
    if (!given.empty()) {
        if (!shell::FileExists(given)) {
            throw RegistrationError("The component library " + given + " does not exist.");
        }
        return given;
    }
    const std::string folder = shell::FolderOf(ProgramPath());
    for (const std::string& candidate : {shell::JoinPath(folder, "libFoliant.so"),
                                         shell::JoinPath(folder, "../lib/libFoliant.so")}) {
        if (!folder.empty() && shell::FileExists(candidate)) {
            return candidate;
        }
    }
#ifdef FOLIANT_COMPONENT_LIBRARY
    if (shell::FileExists(FOLIANT_COMPONENT_LIBRARY)) {
        return FOLIANT_COMPONENT_LIBRARY;
    }
#endif
    throw RegistrationError("Cannot find the component library libFoliant.so beside " +
                            ProgramPath() + "; name it with --library.");
}

void CallRegistrationExport(const std::string& library, bool registerIt) {
    const char* name = registerIt ? "DllRegisterServer" : "DllUnregisterServer";
    std::unique_ptr<void, LibraryCloser> handle(::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!handle) {
        const char* reason = ::dlerror();
        throw RegistrationError("Cannot load the component library " + library + ": " +
                                (reason != nullptr ? reason : "unknown reason") + ".");
    }
    void* symbol = ::dlsym(handle.get(), name);
    if (symbol == nullptr) {
        throw RegistrationError("The library " + library + " is not a component: it has no " +
                                name + ".");
    }
    LPFNREGISTERSERVER entry = nullptr;
    static_assert(sizeof entry == sizeof symbol);
    std::memcpy(&entry, &symbol, sizeof symbol);
    const HRESULT hr = entry();
    if (FAILED(hr)) {
        throw RegistrationError(std::string(name) + " of " + library + " failed (" + HexResult(hr) +
                                ")" +
                                (hr == SELFREG_E_CLASS || hr == SELFREG_E_TYPELIB
                                     ? ": the registry refused the class's keys."
                                     : "."));
    }
}

void RegisterReportFiles(const std::string& program) {
    registry::RegObject reg;
    reg.RaiseWriteError(true);
    try {
        reg.CreateEXEAssociation("\"" + program + "\" design", kReportFileClass,
                                 kReportFileDescription, kExtension, -1);
        reg.RegWrite(static_cast<std::int32_t>(wr::HKEY_CLASSES_ROOT),
                     std::string(kReportFileClass) + "\\DefaultIcon", "",
                     automation::Variant(program + ",0"), wr::REG_SZ);
    } catch (const automation::AutomationError& e) {
        throw RegistrationError("Cannot register the " + kExtension +
                                " file type: " + e.Description());
    }
}

void UnregisterReportFiles() {
    registry::RegObject reg;
    const auto root = static_cast<std::int32_t>(wr::HKEY_CLASSES_ROOT);
    const automation::Variant named = reg.RegRead(root, kExtension, "", automation::Variant(""));
    if (const auto* name = named.TryGet<std::string>();
        name != nullptr && *name == kReportFileClass) {
        if (const auto rc = wr::RegDeleteTreeA(wr::HKEY_CLASSES_ROOT, kExtension.c_str());
            rc != wr::ERROR_SUCCESS && rc != wr::ERROR_FILE_NOT_FOUND) {
            throw RegistrationError("Cannot remove the " + kExtension +
                                    " file type: " + MessageText(rc));
        }
    }
    if (const auto rc = wr::RegDeleteTreeA(wr::HKEY_CLASSES_ROOT, kReportFileClass);
        rc != wr::ERROR_SUCCESS && rc != wr::ERROR_FILE_NOT_FOUND) {
        throw RegistrationError(std::string("Cannot remove the file class ") + kReportFileClass +
                                ": " + MessageText(rc));
    }
}

namespace {

// The help files of a folder: Wizards_<code>.chm, in name order.
std::vector<std::string> HelpFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && name.starts_with("Wizards_") &&
            name.ends_with(".chm")) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The help folder key, opened (and made when missing) for writing.
wr::HKEY OpenHelpFolderKey() {
    wr::HKEY key = 0;
    if (const auto rc = wr::RegCreateKeyExA(wr::HKEY_LOCAL_MACHINE, help::kHelpFolderKey, 0,
                                            nullptr, 0, wr::KEY_ALL_ACCESS, nullptr, &key, nullptr);
        rc != wr::ERROR_SUCCESS) {
        throw RegistrationError(std::string("Cannot open HKEY_LOCAL_MACHINE\\") +
                                help::kHelpFolderKey + ": " + MessageText(rc));
    }
    return key;
}

} // namespace

std::vector<std::string> RegisterHelpFiles(const std::string& folder) {
    const std::vector<std::string> names =
        folder.empty() ? std::vector<std::string>{} : HelpFilesIn(folder);
    if (names.empty()) {
        return names;
    }
    const wr::HKEY key = OpenHelpFolderKey();
    for (const auto& name : names) {
        const auto rc = wr::RegSetValueExA(key, name.c_str(), 0, wr::REG_SZ,
                                           reinterpret_cast<const wr::BYTE*>(folder.c_str()),
                                           static_cast<wr::DWORD>(folder.size() + 1));
        if (rc != wr::ERROR_SUCCESS) {
            wr::RegCloseKey(key);
            throw RegistrationError("Cannot register the help file " + name + ": " +
                                    MessageText(rc));
        }
    }
    wr::RegCloseKey(key);
    return names;
}

void UnregisterHelpFiles(const std::string& folder) {
    for (const auto& name : HelpFilesIn(folder)) {
        if (help::RegisteredHelpFolder(help::kHelpFolderKey, name) != folder) {
            continue;
        }
        const wr::HKEY key = OpenHelpFolderKey();
        const auto rc = wr::RegDeleteValueA(key, name.c_str());
        wr::RegCloseKey(key);
        if (rc != wr::ERROR_SUCCESS && rc != wr::ERROR_FILE_NOT_FOUND) {
            throw RegistrationError("Cannot remove the registration of the help file " + name +
                                    ": " + MessageText(rc));
        }
    }
}

} // namespace foliant::app
