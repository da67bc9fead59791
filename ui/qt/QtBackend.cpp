#include "ui/qt/QtBackend.h"

#include "ui/qt/FormWindow.h"
#include "ui/qt/ViewerBinding.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <stdexcept>

namespace foliant::qt {

namespace {

// The window a box or dialog belongs over: the innermost shown modal window, else the active
// one. A window on its way out (hidden) is never chosen.
QWidget* ActiveParent() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
        return modal;
    }
    QWidget* active = QApplication::activeWindow();
    return active != nullptr && active->isVisible() ? active : nullptr;
}

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int result;
};

std::vector<ButtonChoice> ButtonsFor(int buttons) {
    using B = QMessageBox;
    std::vector<ButtonChoice> out;
    for (int result : forms::MessageBoxResults(buttons)) {
        switch (result) {
        case forms::vbOK:
            out.push_back({B::Ok, result});
            break;
        case forms::vbCancel:
            out.push_back({B::Cancel, result});
            break;
        case forms::vbAbort:
            out.push_back({B::Abort, result});
            break;
        case forms::vbRetry:
            out.push_back({B::Retry, result});
            break;
        case forms::vbIgnore:
            out.push_back({B::Ignore, result});
            break;
        case forms::vbYes:
            out.push_back({B::Yes, result});
            break;
        case forms::vbNo:
            out.push_back({B::No, result});
            break;
        default:
            break;
        }
    }
    return out;
}

} // namespace

QString ToQtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(u';', u' ');
        filters << (description.contains(u'(') ? description : description + " (" + patterns + ")");
    }
    return filters.join(QStringLiteral(";;"));
}

QtBackend::QtBackend(QWidget* owner) : owner_(owner) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw std::logic_error("The Qt backend needs a QApplication made before it.");
    }
    RegisterReportViewerWidget();
}

QtBackend::~QtBackend() {
    for (auto& [form, window] : windows_) {
        delete window.data();
    }
}

FormWindow* QtBackend::WindowOf(const forms::Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.data();
}

FormWindow* QtBackend::Window(forms::Form& form) {
    if (FormWindow* existing = WindowOf(form)) {
        return existing;
    }
    auto* window = new FormWindow(form, owner_.data());
    windows_[&form] = window;
    const forms::Form* key = &form;
    QObject::connect(window, &FormWindow::finishedWithModel, window, [this, key, window] {
        if (!window->InModal()) {
            Dispose(key);
        }
    });
    return window;
}

void QtBackend::Dispose(const forms::Form* form) {
    auto it = windows_.find(form);
    if (it == windows_.end()) {
        return;
    }
    if (FormWindow* window = it->second.data()) {
        // The window outlives this call until the event loop deletes it; it must not call
        // back into a backend that may be gone by then.
        QObject::disconnect(window, nullptr, nullptr, nullptr);
        window->hide();
        window->deleteLater();
    }
    windows_.erase(it);
}

void QtBackend::RunModal(forms::Form& form) {
    FormWindow* window = Window(form);
    QPointer<FormWindow> guard(window);
    window->RunModal();
    if (guard && (guard->Model() == nullptr || !form.Loaded())) {
        Dispose(&form);
    }
}

void QtBackend::ShowModeless(forms::Form& form) {
    Window(form)->SyncShown();
}

int QtBackend::MsgBox(const forms::MessageBoxRequest& request) {
    // On the heap and watched: if its parent window goes while the box is open, the box goes
    // with it and counts as escaped.
    QPointer<QMessageBox> owner = new QMessageBox(ActiveParent());
    QMessageBox& box = *owner;
    box.setText(QString::fromStdString(request.text));
    const QString title = request.title.empty() ? QGuiApplication::applicationDisplayName()
                                                : QString::fromStdString(request.title);
    box.setWindowTitle(title);
    switch (request.icon) {
    case forms::vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case forms::vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case forms::vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case forms::vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    const auto buttons = ButtonsFor(request.buttons);
    for (const auto& choice : buttons) {
        box.addButton(choice.button);
    }
    const auto defaultIndex = static_cast<std::size_t>(request.defaultButton);
    if (defaultIndex < buttons.size()) {
        box.setDefaultButton(buttons[defaultIndex].button);
    }
    // Esc answers Cancel (or No, or the only button), as the platform's boxes do.
    for (int escape : {forms::vbCancel, forms::vbNo, forms::vbOK}) {
        auto found = std::find_if(buttons.begin(), buttons.end(),
                                  [escape](const ButtonChoice& s) { return s.result == escape; });
        if (found != buttons.end()) {
            box.setEscapeButton(found->button);
            break;
        }
    }
    const QMessageBox::StandardButton escapeButton = box.escapeButton() != nullptr
                                                         ? box.standardButton(box.escapeButton())
                                                         : QMessageBox::NoButton;
    box.exec();
    QMessageBox::StandardButton clicked = escapeButton;
    if (owner) {
        clicked = owner->standardButton(owner->clickedButton());
        delete owner.data();
    }
    for (const auto& choice : buttons) {
        if (choice.button == clicked) {
            return choice.result;
        }
    }
    return buttons.empty() ? forms::vbOK : buttons.back().result;
}

std::optional<std::string> QtBackend::FileDialog(const forms::FileDialogRequest& request) {
    QPointer<QFileDialog> owner =
        new QFileDialog(ActiveParent(), QString::fromStdString(request.title));
    QFileDialog& dialog = *owner;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Only the overwrite-prompt flag (2) makes the dialog ask before replacing a file.
    if ((request.flags & 2) == 0) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (!request.filter.empty()) {
        dialog.setNameFilter(ToQtFilter(request.filter));
    }
    if (!request.initDir.empty()) {
        dialog.setDirectory(QString::fromStdString(request.initDir));
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(QString::fromStdString(request.fileName));
    }
    const int result = dialog.exec();
    if (!owner) {
        return std::nullopt; // its parent went away: nothing was chosen
    }
    const QStringList files = owner->selectedFiles();
    delete owner.data();
    if (result != QDialog::Accepted || files.isEmpty()) {
        return std::nullopt;
    }
    return files.first().toStdString();
}

int QtBackend::ScreenWidth() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return ToTwips(screen != nullptr ? screen->geometry().width() : 1920);
}

int QtBackend::ScreenHeight() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return ToTwips(screen != nullptr ? screen->geometry().height() : 1080);
}

std::vector<forms::Rect> QtBackend::Screens() const {
    std::vector<forms::Rect> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const forms::Rect area{ToTwips(g.left()), ToTwips(g.top()), ToTwips(g.width()),
                               ToTwips(g.height())};
        screens.insert(screen == primary ? screens.begin() : screens.end(), area);
    }
    if (screens.empty()) {
        return Backend::Screens();
    }
    return screens;
}

forms::FrameExtents QtBackend::Frame(const forms::Form& form) const {
    if (const FormWindow* window = WindowOf(form); window != nullptr && window->isVisible()) {
        const QRect outer = window->frameGeometry();
        const QRect inner = window->geometry();
        return {ToTwips(inner.left() - outer.left()), ToTwips(inner.top() - outer.top()),
                ToTwips(outer.right() - inner.right()), ToTwips(outer.bottom() - inner.bottom())};
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        // The offscreen platform gives every decorated window a 2-pixel frame.
        return {30, 30, 30, 30};
    }
    // Before the window exists: a typical decorated window (4 px borders, 23 px title bar).
    return {60, 345, 60, 60};
}

} // namespace foliant::qt
