// The main of the test executables that make widgets: one QApplication for the whole run, made
// before any test. Without a display and without a platform chosen in the environment they
// draw offscreen, so listing and running them works in any shell, as ctest does when it
// discovers the tests.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Foliant"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
