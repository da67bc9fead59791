// The design window's files: opening a report, saving it (atomically, as the engine saves),
// the recent-files list, and going back to the wizard over the saved file.

#include "ui/qt/DesignWindow.h"

#include "design/RecentFiles.h"
#include "engine/core/EngineError.h"
#include "preview/LocaleSettings.h"
#include "ui/qt/ReportViewer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>

namespace foliant::qt {

namespace {

const char* kFilter = QT_TRANSLATE_NOOP("DesignWindow", "Foliant reports (*.rpt)");

// The name with ".rpt" at its end (a name typed without it gets it).
std::string WithExtension(std::string name) {
    const bool has =
        name.size() >= 4 && QString::fromStdString(name.substr(name.size() - 4))
                                    .compare(QStringLiteral(".rpt"), Qt::CaseInsensitive) == 0;
    return has ? name : name + ".rpt";
}

} // namespace

bool DesignWindow::Open(const std::string& path) {
    std::unique_ptr<design::DesignDocument> opened;
    try {
        opened = design::DesignDocument::Open(path);
    } catch (const engine::EngineError& e) {
        QMessageBox::warning(this, tr("Foliant Design"), QString::fromStdString(e.Description()));
        return false;
    }
    viewer_->CancelRun();
    document_ = std::move(opened);
    selection_ = {};
    structure_->Rebuild(document_->Report());
    ShowChosen();
    viewer_->SetReport(document_->SharedReport(), preview::LocaleLayoutSettings());
    viewer_->ShowReport();
    UpdateRecentMenu(design::AddRecentFile(path));
    UpdateTitle();
    return true;
}

void DesignWindow::OpenWithDialog() {
    if (!MaySetAside()) {
        return;
    }
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open Report"), QString(), tr(kFilter));
    if (!path.isEmpty()) {
        Open(path.toStdString());
    }
}

bool DesignWindow::SaveTo(const std::string& path) {
    try {
        document_->SaveAs(path);
    } catch (const engine::EngineError& e) {
        QMessageBox::warning(this, tr("Save Report"), QString::fromStdString(e.Description()));
        return false;
    }
    UpdateRecentMenu(design::AddRecentFile(path));
    statusBar()->showMessage(tr("Saved %1").arg(QString::fromStdString(path)), 3000);
    UpdateTitle();
    return true;
}

bool DesignWindow::Save() {
    return document_ && SaveTo(document_->FilePath());
}

bool DesignWindow::SaveAs() {
    if (!document_) {
        return false;
    }
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save Report As"), QString::fromStdString(document_->FilePath()), tr(kFilter));
    return !path.isEmpty() && SaveTo(WithExtension(path.toStdString()));
}

void DesignWindow::RunWizard() {
    if (!document_ || wizard_ != nullptr) {
        return;
    }
    // The wizard reads the file: what is only in this window would be lost to it.
    if (document_->Modified() &&
        QMessageBox::question(this, tr("Run Wizard"),
                              tr("The wizard works on the saved report. Save the changes first?"),
                              QMessageBox::Save | QMessageBox::Cancel,
                              QMessageBox::Save) != QMessageBox::Save) {
        return;
    }
    if (document_->Modified() && !Save()) {
        return;
    }
    const QString file = QString::fromStdString(document_->FilePath());
    wizard_ = new QProcess(this);
    connect(wizard_, &QProcess::finished, this, [this, file](int code) {
        wizard_->deleteLater();
        wizard_ = nullptr;
        statusBar()->showMessage(code == 0 ? tr("The wizard closed.")
                                           : tr("The wizard ended with status %1.").arg(code));
        Open(file.toStdString()); // what the wizard saved
    });
    connect(wizard_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            QMessageBox::warning(this, tr("Run Wizard"),
                                 tr("Cannot start the wizard: %1").arg(wizard_->errorString()));
            wizard_->deleteLater();
            wizard_ = nullptr;
            UpdateTitle();
        }
    });
    wizard_->start(QCoreApplication::applicationFilePath(), {QStringLiteral("edit"), file});
    statusBar()->showMessage(tr("The wizard is open over %1.").arg(file));
    UpdateTitle();
}

} // namespace foliant::qt
