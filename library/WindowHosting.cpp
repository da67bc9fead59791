#include "library/WindowHosting.h"

#include "library/FrontEndLibrary.h"
#include "library/HostedWizard.h"

#include <cstdlib>
#include <dlfcn.h>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace foliant::component {

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Asks the loader without loading anything.
bool QtWidgetsLoaded() {
    void* widgets = dlopen("libQt6Widgets.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (widgets != nullptr) {
        dlclose(widgets);
    }
    return widgets != nullptr;
}

// The thread that shows the wizard's windows now, if any.
class WindowsThread {
public:
    // Claims the windows for this thread; throws when another thread has them.
    void Claim() {
        std::lock_guard lock(mutex_);
        if (owner_ && *owner_ != std::this_thread::get_id()) {
            throw automation::AutomationError(
                kWizardRunError, "Foliant",
                "The wizard cannot be shown from this thread: another thread of this program "
                "is showing it, and the wizard's windows run on one thread at a time.");
        }
        owner_ = std::this_thread::get_id();
    }
    void Release() {
        std::lock_guard lock(mutex_);
        owner_.reset();
    }
    bool IsThisThread() {
        std::lock_guard lock(mutex_);
        return owner_ == std::this_thread::get_id();
    }

private:
    std::mutex mutex_;
    std::optional<std::thread::id> owner_;
};

WindowsThread& Windows() {
    static WindowsThread windows;
    return windows;
}

class ClaimScope {
public:
    ClaimScope() { Windows().Claim(); }
    ~ClaimScope() { Windows().Release(); }
    ClaimScope(const ClaimScope&) = delete;
    ClaimScope& operator=(const ClaimScope&) = delete;
};

} // namespace

bool HaveDisplay() {
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM") || QtWidgetsLoaded();
}

bool WindowsOpenOnThisThread() {
    return Windows().IsThisThread();
}

void RunInWindows(const std::function<void()>& wizard) {
    ClaimScope claim;
    qt::FrontEnd& frontEnd = LoadFrontEnd();
    // Nothing thrown by the wizard crosses into the plugin: it comes back here and is thrown on.
    std::exception_ptr failure;
    qt::HostedRun run;
    run.pictures = [](const forms::Picture& picture) { return forms::PictureBytes(picture); };
    run.run = [&](const std::shared_ptr<forms::Backend>& backend) {
        try {
            forms::BackendScope scope(backend);
            wizard();
        } catch (...) {
            failure = std::current_exception();
        }
    };
    try {
        frontEnd.Run(run);
    } catch (const std::exception& e) {
        throw automation::AutomationError(kWizardRunError, "Foliant", e.what());
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace foliant::component
