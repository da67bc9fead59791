#include "ui/qt/plugin/OwnApplication.h"

#include <QApplication>

#include <cstdlib>
#include <dlfcn.h>
#include <stdexcept>

namespace foliant::qt {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A function of a display server's client library, which stays loaded while this lives.
class ClientLibrary {
public:
    explicit ClientLibrary(const char* file) : handle_(dlopen(file, RTLD_NOW | RTLD_LOCAL)) {}
    ~ClientLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    ClientLibrary(const ClientLibrary&) = delete;
    ClientLibrary& operator=(const ClientLibrary&) = delete;

    template <typename Function> Function Get(const char* name) const {
        return handle_ != nullptr ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
    }

private:
    void* handle_;
};

// Whether an X server answers at DISPLAY: one connection opened and closed.
bool XServerAnswers() {
    const ClientLibrary xcb("libxcb.so.1");
    const auto connect = xcb.Get<void* (*)(const char*, int*)>("xcb_connect");
    const auto failed = xcb.Get<int (*)(void*)>("xcb_connection_has_error");
    const auto disconnect = xcb.Get<void (*)(void*)>("xcb_disconnect");
    if (connect == nullptr || failed == nullptr || disconnect == nullptr) {
        return false;
    }
    void* connection = connect(nullptr, nullptr);
    const bool answers = connection != nullptr && failed(connection) == 0;
    if (connection != nullptr) {
        disconnect(connection);
    }
    return answers;
}

// Whether a Wayland compositor answers at WAYLAND_DISPLAY.
bool WaylandAnswers() {
    const ClientLibrary wayland("libwayland-client.so.0");
    const auto connect = wayland.Get<void* (*)(const char*)>("wl_display_connect");
    const auto disconnect = wayland.Get<void (*)(void*)>("wl_display_disconnect");
    if (connect == nullptr || disconnect == nullptr) {
        return false;
    }
    void* display = connect(nullptr);
    if (display != nullptr) {
        disconnect(display);
    }
    return display != nullptr;
}

} // namespace

std::string DisplayProblem() {
    const std::string platform = Variable("QT_QPA_PLATFORM");
    const std::string x11 = Variable("DISPLAY");
    const std::string wayland = Variable("WAYLAND_DISPLAY");
    const bool wantsX11 = platform.empty() || platform.starts_with("xcb");
    const bool wantsWayland = platform.empty() || platform.starts_with("wayland");
    if (!wantsX11 && !wantsWayland) {
        return {}; // offscreen, vnc, a framebuffer: Qt draws there without a display server
    }
    if ((wantsX11 && !x11.empty() && XServerAnswers()) ||
        (wantsWayland && !wayland.empty() && WaylandAnswers())) {
        return {};
    }
    if (x11.empty() && wayland.empty()) {
        return "The wizard cannot be shown: this process has no display (DISPLAY and "
               "WAYLAND_DISPLAY are not set).";
    }
    return "The wizard cannot be shown: the display " + (x11.empty() ? wayland : x11) +
           " cannot be reached.";
}

OwnApplication::OwnApplication() {
    if (const std::string problem = DisplayProblem(); !problem.empty()) {
        throw std::runtime_error(problem);
    }
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setApplicationDisplayName(QStringLiteral("Foliant"));
}

OwnApplication::~OwnApplication() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    application_.reset();
}

} // namespace foliant::qt
