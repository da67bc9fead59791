// A program that runs a Qt application without widgets (a QGuiApplication) cannot host the
// wizard's windows, which are widgets: the call is refused with the reason, and the program goes
// on (Qt would otherwise end it at the first widget).
#include "examples/qt-host/Component.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

TEST(GuiApplicationHost, RunningTheWizardIsRefusedWithTheReason) {
    int argc = 1;
    char name[] = "host";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    qthost::Foliant foliant;
    const qthost::Object report = foliant.NewReport(FOLIANT_SAMPLE_DB);
    try {
        foliant.RunWizard(report);
        FAIL() << "the wizard ran without a QApplication";
    } catch (const qthost::ComponentError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_STREQ(e.what(), "The wizard cannot be shown: this program runs a Qt application "
                               "without widgets (not a QApplication), and the wizard's windows "
                               "need one.");
    }
    EXPECT_FALSE(foliant.DescribeReport(report).isEmpty()) << "the program goes on";
}

} // namespace
