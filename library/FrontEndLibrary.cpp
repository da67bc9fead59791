#include "library/FrontEndLibrary.h"

#include "library/HostedWizard.h"
#include "platform/shell/Shell.h"

#include <dlfcn.h>
#include <mutex>

namespace foliant::component {

namespace {

// A marker whose address names the file this code was linked into.
const int kInThisModule = 0;

[[noreturn]] void CannotLoad(const std::string& path, const std::string& why) {
    throw automation::AutomationError(kWizardRunError, "Foliant",
                                      "The wizard cannot be shown: its window front end " + path +
                                          " " + why);
}

// The loaded plugin, closed when the component is unloaded.
class Plugin {
public:
    ~Plugin() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }

    qt::FrontEnd& FrontEnd() {
        std::lock_guard lock(mutex_);
        if (frontEnd_ == nullptr) {
            Load();
        }
        return *frontEnd_;
    }

private:
    void Load() {
        const std::string path = FrontEndPluginPath();
        if (path.empty()) {
            CannotLoad(qt::kFrontEndPluginFile, "cannot be found: the component's own file is "
                                                "not known.");
        }
        if (handle_ == nullptr) {
            handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        }
        if (handle_ == nullptr) {
            const char* error = dlerror();
            CannotLoad(path,
                       "could not be loaded: " + std::string(error != nullptr ? error : "") + ".");
        }
        const auto entry =
            reinterpret_cast<qt::FrontEndEntry>(dlsym(handle_, qt::kFrontEndEntryName));
        if (entry == nullptr) {
            CannotLoad(path, "is not a front end of this component (it has no entry point " +
                                 std::string(qt::kFrontEndEntryName) + ").");
        }
        frontEnd_ = entry(qt::kFrontEndPluginVersion);
        if (frontEnd_ == nullptr) {
            CannotLoad(path, "was built for another version of the component.");
        }
    }

    std::mutex mutex_;
    void* handle_ = nullptr;
    qt::FrontEnd* frontEnd_ = nullptr;
};

Plugin& ThePlugin() {
    static Plugin plugin;
    return plugin;
}

} // namespace

std::string FrontEndPluginPath() {
    const std::string self = shell::ModuleFileName(&kInThisModule);
    if (self.empty()) {
        return {};
    }
    const std::string folder = shell::JoinPath(shell::FolderOf(self), qt::kFrontEndPluginFolder);
    return shell::JoinPath(folder, qt::kFrontEndPluginFile);
}

qt::FrontEnd& LoadFrontEnd() {
    return ThePlugin().FrontEnd();
}

} // namespace foliant::component
