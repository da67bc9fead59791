// libFoliantQt.so's entry point: the Qt front end that shows the component's forms in a host
// program, on the host's QApplication or on one of its own for the time of a run.
#include "ui/qt/plugin/FrontEndPlugin.h"
#include "ui/qt/plugin/OwnApplication.h"
#include "ui/qt/plugin/TestHook.h"

#include "ui/qt/QtBackend.h"

#include <QApplication>
#include <QThread>

#include <optional>
#include <stdexcept>

namespace foliant::qt {

namespace {

// The program's own QApplication, when it can show the forms: it is one, and this is its thread.
void CheckHostApplication(const QCoreApplication& application) {
    if (qobject_cast<const QApplication*>(&application) == nullptr) {
        throw std::runtime_error(
            "The wizard cannot be shown: this program runs a Qt application without widgets "
            "(not a QApplication), and the wizard's windows need one.");
    }
    if (QThread::currentThread() != application.thread()) {
        throw std::runtime_error(
            "The wizard cannot be shown from this thread: its windows must run on the thread "
            "of this program's QApplication. Call DisplayReportWizard from that thread.");
    }
}

// The program's window the forms stand over: its active window, else its only shown window
// (a program whose window has not been given the focus yet); null when there is no telling.
QWidget* HostWindow() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    QWidget* only = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog)) {
            if (only != nullptr) {
                return nullptr;
            }
            only = window;
        }
    }
    return only;
}

// The forms layer of this plugin draws the component's pictures while it lives.
class PicturesScope {
public:
    explicit PicturesScope(forms::PictureProvider pictures) {
        forms::SetPictureProvider(std::move(pictures));
    }
    ~PicturesScope() { forms::SetPictureProvider(nullptr); }
    PicturesScope(const PicturesScope&) = delete;
    PicturesScope& operator=(const PicturesScope&) = delete;
};

class HostedFrontEnd final : public FrontEnd {
public:
    void Run(const HostedRun& run) override {
        std::optional<OwnApplication> own;
        QWidget* owner = nullptr;
        if (const QCoreApplication* host = QCoreApplication::instance()) {
            CheckHostApplication(*host);
            owner = HostWindow();
        } else {
            own.emplace();
        }
        PicturesScope pictures(run.pictures);
        auto backend = std::make_shared<QtBackend>(owner);
        {
            forms::BackendScope scope(backend);
            StartTestHook();
            run.run(backend);
        }
        // The closed windows go before the backend that made them.
        backend.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

} // namespace foliant::qt

extern "C" __attribute__((visibility("default"))) foliant::qt::FrontEnd*
FoliantQtFrontEnd(int version) {
    static foliant::qt::HostedFrontEnd frontEnd;
    return version == foliant::qt::kFrontEndPluginVersion ? &frontEnd : nullptr;
}
