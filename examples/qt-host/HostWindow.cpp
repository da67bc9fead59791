#include "HostWindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace qthost {

namespace {

QTreeWidgetItem* Add(QTreeWidgetItem* parent, const QString& text) {
    return new QTreeWidgetItem(parent, QStringList{text});
}

// A report object as a person reads it: the field it shows or its text, and where it stands.
QString DescribeObject(const QJsonObject& object) {
    const QString what = object.value(u"kind").toString() == u"field"
                             ? object.value(u"field").toObject().value(u"name").toString()
                             : QStringLiteral("\"%1\"").arg(object.value(u"text").toString());
    return QStringLiteral("%1 at %2, %3")
        .arg(what)
        .arg(object.value(u"left").toInt())
        .arg(object.value(u"top").toInt());
}

} // namespace

HostWindow::HostWindow(Foliant& foliant, QString databasePath)
    : foliant_(foliant), databasePath_(std::move(databasePath)),
      newReport_(new QPushButton(QStringLiteral("New report…"))), structure_(new QTreeWidget),
      status_(new QLabel(QStringLiteral("Make a new report over %1.").arg(databasePath_))) {
    setObjectName(QStringLiteral("HostWindow"));
    setWindowTitle(QStringLiteral("Reports"));
    newReport_->setObjectName(QStringLiteral("newReport"));
    structure_->setObjectName(QStringLiteral("structure"));
    structure_->setHeaderLabel(QStringLiteral("Report structure"));
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(newReport_, 0, Qt::AlignLeft);
    layout->addWidget(structure_);
    layout->addWidget(status_);
    setCentralWidget(central);
    resize(640, 480);
    connect(newReport_, &QPushButton::clicked, this, &HostWindow::NewReport);
}

void HostWindow::NewReport() {
    std::printf("host: New report… opens the wizard\n");
    std::fflush(stdout);
    try {
        const Object report = foliant_.NewReport(databasePath_);
        foliant_.RunWizard(report);
        const QJsonObject described =
            QJsonDocument::fromJson(foliant_.DescribeReport(report).toUtf8()).object();
        ShowStructure(described);
        status_->setText(QStringLiteral("The wizard is closed; this is the report it left."));
        std::printf("host: the wizard is closed; the report is titled \"%s\" and has %d groups\n",
                    qPrintable(described.value(u"title").toString()),
                    static_cast<int>(described.value(u"groups").toArray().size()));
    } catch (const ComponentError& e) {
        status_->setText(QStringLiteral("The wizard could not be used: error %1: %2")
                             .arg(e.Number())
                             .arg(QString::fromUtf8(e.what())));
        std::printf("host: error %d: %s\n", e.Number(), e.what());
    }
    std::fflush(stdout);
}

void HostWindow::ShowStructure(const QJsonObject& report) {
    structure_->clear();
    auto* root = new QTreeWidgetItem(structure_,
                                     QStringList{QStringLiteral("Report \"%1\", style %2")
                                                     .arg(report.value(u"title").toString(),
                                                          report.value(u"styleName").toString())});
    if (const QString formula = report.value(u"selectionFormula").toString(); !formula.isEmpty()) {
        Add(root, QStringLiteral("Records where %1").arg(formula));
    }
    for (const QJsonValue group : report.value(u"groups").toArray()) {
        Add(root, QStringLiteral("Group %1 on %2")
                      .arg(group.toObject().value(u"number").toInt())
                      .arg(group.toObject().value(u"field").toString()));
    }
    for (const QJsonValue area : report.value(u"areas").toArray()) {
        QTreeWidgetItem* item = Add(root, area.toObject().value(u"name").toString());
        for (const QJsonValue section : area.toObject().value(u"sections").toArray()) {
            for (const QJsonValue object : section.toObject().value(u"objects").toArray()) {
                Add(item, DescribeObject(object.toObject()));
            }
        }
    }
    structure_->expandAll();
}

} // namespace qthost
