#include "apps/foliant/Registration.h"

#include "apps/foliant/DesktopFiles.h"
#include "apps/foliant/InstalledFiles.h"
#include "apps/foliant/ReportSettings.h"
#include "engine/FileAccess.h"
#include "platform/automation/foliant_automation.h"
#include "platform/help/HtmlHelp.h"
#include "platform/help/Installation.h"
#include "platform/shell/Shell.h"
#include "platform/winreg/WinReg.h"
#include "registry/RegObject.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

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
        // Loading waits on a pipe and cannot load a folder: only a file is tried.
        try {
            engine::RequireRegularFile(given);
        } catch (const engine::FileError& e) {
            throw RegistrationError("Cannot use the component library " + given + ": " +
                                    e.Reason() + ".");
        }
        return given;
    }
    for (const std::string& candidate : ComponentLibraryCandidates(ProgramPath())) {
        if (shell::FileExists(candidate)) {
            return candidate;
        }
    }
    throw RegistrationError("Cannot find the component library libFoliant.so beside " +
                            ProgramPath() + " or in its installation; name it with --library.");
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

namespace {

void WriteReportFileKeys(const std::string& program) {
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

void RemoveReportFileKeys() {
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

// Runs change as one transaction of the registry: a RegistrationError it throws undoes all of
// it and passes on.
void AllOrNothing(const std::string& what, const std::function<void()>& change) {
    std::optional<RegistrationError> failure;
    const wr::LONG rc = wr::RegTransact(wr::HKEY_CLASSES_ROOT, [&] {
        failure.reset();
        try {
            change();
            return wr::ERROR_SUCCESS;
        } catch (const RegistrationError& e) {
            failure = e;
            return wr::ERROR_CANTWRITE;
        }
    });
    if (failure) {
        throw *failure;
    }
    if (rc != wr::ERROR_SUCCESS) {
        throw RegistrationError("Cannot " + what + ": " + MessageText(rc));
    }
}

// Keeps other register and unregister commands of the same registry waiting while it lives.
// Without a lock file (a registry folder that cannot be written) nothing waits; each step
// is still whole on its own.
class CommandLock {
public:
    CommandLock() {
        const std::filesystem::path store = wr::RegistryStoreFile(wr::HKEY_CLASSES_ROOT);
        std::error_code ec;
        std::filesystem::create_directories(store.parent_path(), ec);
        const std::string file = (store.parent_path() / "registration.lock").string();
        fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_EX);
        }
    }
    ~CommandLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    CommandLock(const CommandLock&) = delete;
    CommandLock& operator=(const CommandLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

void RegisterReportFiles(const std::string& program) {
    AllOrNothing("register the " + kExtension + " file type",
                 [&] { WriteReportFileKeys(program); });
}

void UnregisterReportFiles() {
    AllOrNothing("remove the " + kExtension + " file type", [] { RemoveReportFileKeys(); });
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

int RunRegister(const std::string& library) {
    const std::string component = FindComponentLibrary(library);
    const std::string program = ProgramPath();
    const CommandLock lock;
    CallRegistrationExport(component, true);
    try {
        RegisterReportFiles(program);
    } catch (const RegistrationError&) {
        // Half a registration helps nobody: take the component's back.
        CallRegistrationExport(component, false);
        throw;
    }
    std::cout << "Registered the component " << component << " and the .rpt file type "
              << "(opened with \"" << program << "\" design).\n";
    try {
        const auto files = RegisterDesktopFiles(program);
        std::cout << "Wrote the desktop's launcher " << files[0] << " and the file type "
                  << files[1] << ".\n";
    } catch (const RegistrationError& e) {
        // Finish still finds this program through the registry.
        std::cerr << "foliant: warning: " << e.what() << "\n";
    }
    try {
        const std::string folder = help::HelpFilesFolder();
        if (const auto names = RegisterHelpFiles(folder); !names.empty()) {
            std::cout << "Registered the help files in " << folder << " (" << names.size()
                      << " languages).\n";
        }
    } catch (const RegistrationError& e) {
        // Help still finds the files in the installation without the registration.
        std::cerr << "foliant: warning: " << e.what() << "\n";
    }
    return 0;
}

int RunUnregister(const std::string& library) {
    const CommandLock lock;
    // The file type goes even when the component library cannot be found any more.
    std::string failure;
    try {
        CallRegistrationExport(FindComponentLibrary(library), false);
    } catch (const RegistrationError& e) {
        failure = e.what();
    }
    UnregisterReportFiles();
    UnregisterHelpFiles(help::HelpFilesFolder());
    UnregisterDesktopFiles();
    if (!failure.empty()) {
        return FailWith(failure);
    }
    std::cout << "Removed the registration of the component and of the .rpt file type.\n";
    return 0;
}

} // namespace foliant::app
