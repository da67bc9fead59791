// The wizard's windows in a program that runs its own QApplication (this test's): they show on
// that application's thread only, one run at a time, and a call made while the wizard is open
// is refused without harm to the open one.
#include "examples/qt-host/Component.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>

namespace {

using qthost::ComponentError;

struct Outcome {
    int number = 0;
    std::string description;
};

// What running the wizard over report ended with: number 0 when it ran.
Outcome RunWizard(qthost::Foliant& foliant, const qthost::Object& report) {
    try {
        foliant.RunWizard(report);
        return {};
    } catch (const ComponentError& e) {
        return {e.Number(), e.what()};
    }
}

QWidget* ShownWizard() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == u"frmWizard" && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Once the wizard shows: runs during, then presses Cancel as a person would.
void WhileTheWizardIsOpen(const std::function<void()>& during) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, during] {
        QWidget* wizard = ShownWizard();
        if (wizard == nullptr) {
            return;
        }
        timer->deleteLater();
        timer->stop();
        during();
        QTest::mouseClick(wizard->findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                          Qt::LeftButton);
    });
    timer->start(10);
}

class HostingTest : public ::testing::Test {
protected:
    qthost::Foliant foliant;
    qthost::Object report = foliant.NewReport(FOLIANT_SAMPLE_DB);
};

TEST_F(HostingTest, ACallFromAThreadOtherThanTheApplicationsIsRefusedAndHarmsNothing) {
    Outcome fromThread;
    std::thread([&] { fromThread = RunWizard(foliant, report); }).join();
    EXPECT_EQ(fromThread.number, 5);
    EXPECT_EQ(fromThread.description,
              "The wizard cannot be shown from this thread: its windows must run on the thread "
              "of this program's QApplication. Call DisplayReportWizard from that thread.");

    WhileTheWizardIsOpen([] {});
    EXPECT_EQ(RunWizard(foliant, report).number, 0) << "the application's own thread still can";
    EXPECT_EQ(ShownWizard(), nullptr);
}

TEST_F(HostingTest, ASecondCallWhileTheWizardIsOpenIsError400AndTheOpenWizardGoesOn) {
    std::optional<Outcome> second;
    QWidget* openBefore = nullptr;
    WhileTheWizardIsOpen([&] {
        openBefore = ShownWizard();
        qthost::Foliant other;
        second = RunWizard(other, report);
        EXPECT_EQ(ShownWizard(), openBefore) << "the open wizard is left as it was";
    });
    EXPECT_EQ(RunWizard(foliant, report).number, 0);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->number, 400);
    EXPECT_EQ(second->description,
              "Form already displayed; can't show modally: the wizard is open.");
}

TEST_F(HostingTest, AnotherThreadCannotShowTheWizardWhileThisOneShowsIt) {
    Outcome fromThread;
    WhileTheWizardIsOpen([&] {
        qthost::Foliant other;
        std::thread([&] { fromThread = RunWizard(other, report); }).join();
    });
    EXPECT_EQ(RunWizard(foliant, report).number, 0);
    EXPECT_EQ(fromThread.number, 5);
    EXPECT_EQ(fromThread.description,
              "The wizard cannot be shown from this thread: another thread of this program is "
              "showing it, and the wizard's windows run on one thread at a time.");
}

} // namespace
