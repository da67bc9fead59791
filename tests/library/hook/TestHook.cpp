// The test hook a host program's real windows are driven by: the component's Qt plugin loads
// this library (FOLIANT_QT_TEST_HOOK) and calls FoliantQtTestHook() at the start of every run.
// It plays the steps of FOLIANT_TEST_STEPS, separated by '|', with QTest input, as a person
// would, printing "hook: STEP" for each step done. A step that cannot be done within 30 s, or
// whose check fails, prints "hook: FAILED ..." and ends the process with status 3.
//
//   wait FORM          until a shown window named FORM is the active modal window; it becomes
//                      the window the next steps act on
//   wait-window NAME   until a shown top-level window named NAME exists; it becomes current
//   gone NAME          until no window named NAME is shown
//   click NAME         a mouse click on the control NAME of the current window
//   key NAME KEY       a key (Enter, Escape, Tab, Down, Up) on the control NAME
//   type NAME TEXT     types TEXT into the control NAME
//   text NAME PATTERN  until the text the control NAME of the current window shows (a line
//                      box, label or button) matches the regular expression PATTERN
//   move NAME L T W H  moves and sizes the window NAME (pixels), as a person drags its
//                      frame; it becomes current
//   geometry NAME L T W H  checks that the shown window NAME stands at exactly that place
//                      and size (pixels)
//   shot PATH          a picture of the current window, as the screen shows it
//   modal-over NAME    checks that the current window is modal and stands over the window NAME
//   blocked NAME       presses the mouse on the button NAME of another window through the
//                      window system and checks that it did not reach it
//   window-click NAME  clicks the button NAME of any window through the window system and
//                      checks that it got the click
//   invoke NAME SLOT   calls the slot of the window NAME, as a timer of the program would
//   close NAME         closes the window NAME as its close button does
//   child NAME         until a program NAME runs as a child of this process
//   no-child NAME      until no program NAME runs as a child of this process
//   press TEXT         until a modal window (a message box) shows a button reading TEXT
//                      (mnemonic marks left out), then clicks it
//   again              starts over at the first step
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Step {
    QString verb;
    QString name;
    QString argument;
};

QList<Step> ParseSteps() {
    QList<Step> steps;
    const QString text = qEnvironmentVariable("FOLIANT_TEST_STEPS");
    for (const QString& line : text.split(u'|', Qt::SkipEmptyParts)) {
        const QString trimmed = line.trimmed();
        const QStringList words = trimmed.split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            continue;
        }
        Step step{words.value(0), words.value(1), {}};
        const qsizetype rest = trimmed.indexOf(step.name) + step.name.size();
        step.argument = words.size() > 2 ? trimmed.mid(rest).trimmed() : QString();
        steps.append(step);
    }
    return steps;
}

[[noreturn]] void Fail(const QString& why) {
    std::printf("hook: FAILED %s\n", qPrintable(why));
    std::fflush(stdout);
    std::_Exit(3);
}

QWidget* ShownWindow(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name && window->isVisible() && window->windowHandle() &&
            window->windowHandle()->isExposed()) {
            return window;
        }
    }
    return nullptr;
}

QWidget* FindAnywhere(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name) {
            return window;
        }
        if (auto* child = window->findChild<QWidget*>(name)) {
            return child;
        }
    }
    return nullptr;
}

// Steps that only wait for something.
bool IsWait(const QString& verb) {
    static const QStringList waits{QStringLiteral("wait"),     QStringLiteral("wait-window"),
                                   QStringLiteral("gone"),     QStringLiteral("child"),
                                   QStringLiteral("no-child"), QStringLiteral("text"),
                                   QStringLiteral("press")};
    return waits.contains(verb);
}

// Whether a live (not yet ended) child process of this one runs the program name.
bool ChildRuns(const QString& name) {
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : processes) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // pid (comm) state ppid ...
        const QString line = QString::fromUtf8(stat.readAll());
        const qsizetype open = line.indexOf(u'(');
        const qsizetype close = line.lastIndexOf(u')');
        const QStringList rest = line.mid(close + 2).split(u' ');
        if (open < 0 || close < open || rest.size() < 2) {
            continue;
        }
        if (line.mid(open + 1, close - open - 1) == name && rest[0] != u"Z" &&
            rest[1].toLongLong() == static_cast<long long>(getpid())) {
            return true;
        }
    }
    return false;
}

// The text a control shows: a line box's, a label's or a button's; null for any other.
QString ShownText(const QWidget& control) {
    if (const auto* box = qobject_cast<const QLineEdit*>(&control)) {
        return box->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        return button->text();
    }
    return {};
}

// The four whole numbers of a step's argument, as a rectangle; fails the run otherwise.
QRect RectangleOf(const QString& verb, const QString& argument) {
    const QStringList parts = argument.split(u' ', Qt::SkipEmptyParts);
    int v[4] = {};
    bool ok = parts.size() == 4;
    for (qsizetype i = 0; ok && i < 4; ++i) {
        v[i] = parts[i].toInt(&ok);
    }
    if (!ok) {
        Fail(verb + " takes four whole numbers, not \"" + argument + "\"");
    }
    return {v[0], v[1], v[2], v[3]};
}

Qt::Key KeyNamed(const QString& name) {
    if (name == u"Enter") {
        return Qt::Key_Return;
    }
    if (name == u"Escape") {
        return Qt::Key_Escape;
    }
    if (name == u"Tab") {
        return Qt::Key_Tab;
    }
    return name == u"Up" ? Qt::Key_Up : Qt::Key_Down;
}

// A click that goes the way a person's does: to the window, which passes it on unless a modal
// window blocks it. Whether the button got it.
bool ClickThroughWindow(QAbstractButton& button) {
    int clicks = 0;
    const auto connection = QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    QWidget* window = button.window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      button.mapTo(window, button.rect().center()));
    QObject::disconnect(connection);
    return clicks > 0;
}

// Whether a press through the window reaches the button. The mouse is let go away from it, so
// a press that got through clicks nothing.
bool PressReaches(QAbstractButton& button) {
    QWidget* window = button.window();
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {},
                      button.mapTo(window, button.rect().center()));
    const bool down = button.isDown();
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {},
                        button.mapTo(window, button.rect().bottomRight() + QPoint(40, 40)));
    return down;
}

// Plays the steps on the application it was made for; made again for each new application.
class Driver : public QObject {
public:
    Driver() : QObject(qApp), steps_(ParseSteps()) {
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.start(20);
    }

    // The application goes (a program without one of its own ends a run): the steps that need
    // no window are played now, up to the first that needs one, which waits for the next run.
    ~Driver() override {
        while (next < static_cast<std::size_t>(steps_.size())) {
            const Step step = steps_[static_cast<qsizetype>(next)];
            if (step.verb == u"again") {
                Print(step);
                next = 0;
                return;
            }
            if (step.verb != u"child" && step.verb != u"no-child") {
                return;
            }
            const auto since = Clock::now();
            while (!Ready(step)) {
                if (Clock::now() - since > std::chrono::seconds(30)) {
                    Fail(step.verb + " " + step.name + ": not within 30 s");
                }
                usleep(20000);
            }
            Print(step);
            ++next;
        }
    }

    static std::size_t next;

private:
    static void Print(const Step& step) {
        std::printf("hook: %s %s%s%s\n", qPrintable(step.verb), qPrintable(step.name),
                    step.argument.isEmpty() ? "" : " ", qPrintable(step.argument));
        std::fflush(stdout);
    }

    void Tick() {
        if (next >= static_cast<std::size_t>(steps_.size())) {
            return;
        }
        const Step step = steps_[static_cast<qsizetype>(next)];
        if (!Ready(step)) {
            if (Clock::now() - waitingSince_ > std::chrono::seconds(30)) {
                Fail(step.verb + " " + step.name + ": not within 30 s");
            }
            return;
        }
        ++next;
        waitingSince_ = Clock::now();
        Print(step);
        // Acted on from a fresh call: an action that opens a modal window runs a nested loop,
        // and the steps after it must go on in there.
        QTimer::singleShot(0, this, [this, step] { Do(step); });
    }

    bool Ready(const Step& step) {
        if (step.verb == u"wait") {
            QWidget* window = ShownWindow(step.name);
            if (window != nullptr && QApplication::activeModalWidget() == window) {
                current_ = window;
                return true;
            }
            return false;
        }
        if (step.verb == u"wait-window") {
            current_ = ShownWindow(step.name);
            return current_ != nullptr;
        }
        if (step.verb == u"gone") {
            return ShownWindow(step.name) == nullptr;
        }
        if (step.verb == u"child" || step.verb == u"no-child") {
            return ChildRuns(step.name) == (step.verb == u"child");
        }
        if (step.verb == u"press") {
            pressed_ = ModalButton(step.name);
            return pressed_ != nullptr;
        }
        if (step.verb == u"text") {
            const QRegularExpression pattern(step.argument);
            return ShownText(*Control(step)).contains(pattern);
        }
        return true;
    }

    QWidget* Control(const Step& step) {
        QWidget* control = current_ ? current_->findChild<QWidget*>(step.name) : nullptr;
        if (control == nullptr) {
            Fail("no control " + step.name + " in the current window");
        }
        return control;
    }

    QAbstractButton* Button(const QString& name) {
        auto* button = qobject_cast<QAbstractButton*>(FindAnywhere(name));
        if (button == nullptr) {
            Fail("no button " + name);
        }
        return button;
    }

    void Do(const Step& step) {
        if (step.verb == u"click") {
            QTest::mouseClick(Control(step), Qt::LeftButton);
        } else if (step.verb == u"key") {
            QTest::keyClick(Control(step), KeyNamed(step.argument));
        } else if (step.verb == u"type") {
            QTest::keyClicks(Control(step), step.argument);
        } else if (step.verb == u"shot") {
            Shoot(step.name);
        } else if (step.verb == u"modal-over") {
            CheckModalOver(step.name);
        } else if (step.verb == u"blocked") {
            if (PressReaches(*Button(step.name))) {
                Fail("the mouse reached " + step.name + " past the modal window");
            }
        } else if (step.verb == u"window-click") {
            if (!ClickThroughWindow(*Button(step.name))) {
                Fail("the click on " + step.name + " did not reach it");
            }
        } else if (step.verb == u"invoke") {
            QObject* target = FindAnywhere(step.name);
            if (target == nullptr ||
                !QMetaObject::invokeMethod(target, qPrintable(step.argument))) {
                Fail("cannot invoke " + step.argument + " on " + step.name);
            }
        } else if (step.verb == u"press") {
            if (pressed_ != nullptr) {
                QTest::mouseClick(pressed_, Qt::LeftButton);
            }
        } else if (step.verb == u"move") {
            current_ = ShownWindow(step.name);
            if (current_ == nullptr) {
                Fail("no shown window " + step.name + " to move");
            }
            current_->setGeometry(RectangleOf(step.verb, step.argument));
        } else if (step.verb == u"geometry") {
            CheckGeometry(step);
        } else if (step.verb == u"close") {
            if (QWidget* window = ShownWindow(step.name)) {
                window->close();
            }
        } else if (step.verb == u"again") {
            next = 0;
        } else if (!IsWait(step.verb)) {
            Fail("unknown step " + step.verb);
        }
    }

    void Shoot(const QString& path) {
        if (current_ == nullptr) {
            Fail("no window to picture");
        }
        QPixmap picture = current_->screen()->grabWindow(current_->winId());
        if (picture.isNull()) {
            picture = current_->grab();
        }
        if (!picture.save(path, "PNG")) {
            Fail("cannot write " + path);
        }
    }

    // The button reading text on the active modal window; null when there is none.
    static QAbstractButton* ModalButton(const QString& text) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return nullptr;
        }
        for (auto* button : modal->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && button->text().remove(u'&') == text) {
                return button;
            }
        }
        return nullptr;
    }

    void CheckGeometry(const Step& step) {
        const QRect expected = RectangleOf(step.verb, step.argument);
        const QWidget* window = ShownWindow(step.name);
        if (window == nullptr) {
            Fail("no shown window " + step.name);
        }
        const QRect actual = window->geometry();
        if (actual != expected) {
            Fail(QStringLiteral("%1 stands at %2 %3 %4 %5")
                     .arg(step.name)
                     .arg(actual.x())
                     .arg(actual.y())
                     .arg(actual.width())
                     .arg(actual.height()));
        }
    }

    void CheckModalOver(const QString& name) {
        QWidget* owner = ShownWindow(name);
        if (current_ == nullptr || owner == nullptr) {
            Fail("no window " + name + " or no current window");
        }
        if (QApplication::activeModalWidget() != current_ || !current_->isModal()) {
            Fail(current_->objectName() + " is not the modal window");
        }
        if (current_->windowHandle()->transientParent() != owner->windowHandle()) {
            Fail(current_->objectName() + " does not stand over " + name);
        }
    }

    QList<Step> steps_;
    QTimer timer_;
    QPointer<QWidget> current_;
    QPointer<QAbstractButton> pressed_;
    Clock::time_point waitingSince_ = Clock::now();
};

std::size_t Driver::next = 0;
QPointer<Driver> driver;

} // namespace

extern "C" __attribute__((visibility("default"))) void FoliantQtTestHook() {
    // One driver per application: a program without one gets a new application for each run.
    if (driver == nullptr) {
        driver = new Driver;
    }
}
