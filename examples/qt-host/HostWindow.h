#pragma once

#include "Component.h"

#include <QMainWindow>

class QJsonObject;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace qthost {

// The program's window: "New report…" makes a new report over the database, opens the wizard
// over it, and shows the report's structure when the wizard is closed.
class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow(Foliant& foliant, QString databasePath);

public slots:
    // A new report and the wizard over it; the structure afterwards, or the error.
    void NewReport();

private:
    void ShowStructure(const QJsonObject& report);

    Foliant& foliant_;
    QString databasePath_;
    QPushButton* newReport_;
    QTreeWidget* structure_;
    QLabel* status_;
};

} // namespace qthost
