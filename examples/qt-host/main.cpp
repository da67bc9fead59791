// A small Qt program that embeds the report wizard: its window has a "New report…" button that
// makes a new report over a database, opens the wizard over it, modal over the window, and then
// shows the report's structure. The component shows its windows on this program's own
// QApplication; the program links libFoliant.so and uses nothing of it but its C interface.
//
//   foliant-qt-host DATABASE [--new]
//
// --new presses "New report…" as soon as the window shows.
#include "HostWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: foliant-qt-host DATABASE [--new]\n");
        return 1;
    }
    try {
        qthost::Foliant foliant;
        qthost::HostWindow window(foliant, arguments.at(1));
        window.show();
        window.activateWindow();
        if (arguments.contains(QStringLiteral("--new"))) {
            QTimer::singleShot(0, &window, &qthost::HostWindow::NewReport);
        }
        const int status = QApplication::exec();
        std::printf("host: closed\n");
        return status;
    } catch (const qthost::ComponentError& e) {
        std::fprintf(stderr, "foliant-qt-host: %s\n", e.what());
        return 1;
    }
}
