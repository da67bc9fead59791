// The design window's frame: its panels, actions, menus, title and closing.

#include "ui/qt/DesignWindow.h"

#include "design/RecentFiles.h"
#include "ui/qt/DesignOverlay.h"
#include "ui/qt/DesignProperties.h"
#include "ui/qt/PageCanvas.h"
#include "ui/qt/ReportViewer.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace foliant::qt {

DesignWindow::DesignWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("designWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildPanels();
    BuildActions();
    BuildMenus();
    ConnectEdits();
    resize(1200, 800);
    UpdateTitle();
}

DesignWindow::~DesignWindow() {
    if (wizard_ != nullptr) {
        wizard_->disconnect(this);
    }
}

void DesignWindow::BuildPanels() {
    auto* split = new QSplitter(this);
    structure_ = new DesignStructure(split);
    viewer_ = new ReportViewer(split);
    overlay_ = new DesignOverlay(viewer_->Canvas());
    properties_ = new DesignProperties(split);
    split->addWidget(structure_);
    split->addWidget(viewer_);
    split->addWidget(properties_);
    split->setStretchFactor(1, 1);
    split->setSizes({300, 640, 260});
    setCentralWidget(split);
    statusBar()->showMessage(tr("Ready"));
}

QAction* DesignWindow::AddAction(const char* name, const QString& text, const QKeySequence& keys) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    addAction(action);
    return action;
}

void DesignWindow::BuildActions() {
    open_ = AddAction("open", tr("&Open..."), QKeySequence::Open);
    save_ = AddAction("save", tr("&Save"), QKeySequence::Save);
    save_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    saveAs_ = AddAction("saveAs", tr("Save &As..."), QKeySequence::SaveAs);
    export_ = AddAction("export", tr("&Export..."), QKeySequence(tr("Ctrl+E")));
    print_ = AddAction("print", tr("&Print..."), QKeySequence::Print);
    runWizard_ = AddAction("runWizard", tr("Run &Wizard"), QKeySequence(tr("Ctrl+R")));
    close_ = AddAction("close", tr("&Close"), QKeySequence::Quit);
    undo_ = AddAction("undo", tr("&Undo"), QKeySequence(tr("Ctrl+Z")));
    redo_ = AddAction("redo", tr("&Redo"), QKeySequence(tr("Ctrl+Shift+Z")));
    connect(open_, &QAction::triggered, this, &DesignWindow::OpenWithDialog);
    connect(save_, &QAction::triggered, this, &DesignWindow::Save);
    connect(saveAs_, &QAction::triggered, this, &DesignWindow::SaveAs);
    connect(export_, &QAction::triggered, viewer_, &ReportViewer::ExportWithDialog);
    connect(print_, &QAction::triggered, viewer_, &ReportViewer::PrintWithDialog);
    connect(runWizard_, &QAction::triggered, this, &DesignWindow::RunWizard);
    connect(close_, &QAction::triggered, this, &QWidget::close);
    connect(undo_, &QAction::triggered, this, &DesignWindow::Undo);
    connect(redo_, &QAction::triggered, this, &DesignWindow::Redo);
}

void DesignWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(open_);
    recent_ = file->addMenu(tr("Open &Recent"));
    recent_->setObjectName(QStringLiteral("recentFiles"));
    file->addSeparator();
    file->addActions({save_, saveAs_, export_, print_});
    file->addSeparator();
    file->addAction(close_);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addActions({undo_, redo_});
    QMenu* report = menuBar()->addMenu(tr("&Report"));
    report->addAction(runWizard_);
    QToolBar* tools = addToolBar(tr("Design"));
    tools->setObjectName(QStringLiteral("designToolBar"));
    tools->addActions({runWizard_, save_, undo_, redo_});
    UpdateRecentMenu(design::RecentFiles());
}

void DesignWindow::UpdateRecentMenu(const std::vector<std::string>& files) {
    recent_->clear();
    for (const std::string& file : files) {
        QAction* action = recent_->addAction(QString::fromStdString(file));
        connect(action, &QAction::triggered, this, [this, file] {
            if (MaySetAside()) {
                Open(file);
            }
        });
    }
    recent_->setEnabled(!files.empty());
}

void DesignWindow::UpdateTitle() {
    const QString name = document_ ? QString::fromStdString(document_->Title()) : tr("No report");
    setWindowTitle(tr("%1 - Foliant Design").arg(name));
    const bool open = document_ != nullptr;
    const bool ready = Editable();
    save_->setEnabled(open);
    saveAs_->setEnabled(open);
    runWizard_->setEnabled(open && wizard_ == nullptr);
    export_->setEnabled(ready);
    print_->setEnabled(ready);
    undo_->setEnabled(ready && document_->CanUndo());
    redo_->setEnabled(ready && document_->CanRedo());
    undo_->setText(open ? QString::fromStdString(document_->UndoText()) : tr("&Undo"));
    redo_->setText(open ? QString::fromStdString(document_->RedoText()) : tr("&Redo"));
}

bool DesignWindow::MaySetAside() {
    if (!document_ || !document_->Modified()) {
        return true;
    }
    const auto answer = QMessageBox::question(
        this, tr("Foliant Design"),
        tr("The report %1 has changes that are not saved. Save them?")
            .arg(QFileInfo(QString::fromStdString(document_->FilePath())).fileName()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) {
        return Save();
    }
    return answer == QMessageBox::Discard;
}

void DesignWindow::closeEvent(QCloseEvent* event) {
    if (MaySetAside()) {
        viewer_->CancelRun();
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace foliant::qt
