// The viewer's run of a report off the window's thread: starting it, following its progress,
// taking its pages, cancelling it.

#include "ui/qt/ReportViewer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace foliant::qt {

void ReportViewer::SetDocument(engine::page::Document document) {
    run_.reset();
    poll_->stop();
    runBar_->hide();
    finishedRun_.reset();
    complete_ = true;
    document_ = std::make_shared<const engine::page::Document>(std::move(document));
    matches_.clear();
    current_ = document_->pages.empty() ? 0 : 1;
    ApplyZoom();
    emit PageChanged(current_);
}

void ReportViewer::SetReport(std::shared_ptr<const engine::Report> report,
                             engine::run::LayoutSettings settings,
                             engine::run::RunOptions options) {
    report_ = std::move(report);
    settings_ = std::move(settings);
    options_ = std::move(options);
}

void ReportViewer::SetStartRequest(int page, const QString& findText) {
    startPage_ = page;
    startFind_ = findText;
}

void ReportViewer::ShowReport() {
    run_.reset();
    runError_.clear();
    if (!report_) {
        SetDocument({});
        return;
    }
    shownVersion_ = 0;
    run_ = std::make_unique<preview::PreviewRun>(report_, options_, settings_);
    progress_->setRange(0, 0);
    cancel_->setEnabled(true);
    runLabel_->setText(tr("Running the report..."));
    runBar_->show();
    poll_->start();
}

void ReportViewer::CancelRun() {
    if (run_) {
        run_->Cancel();
        runLabel_->setText(tr("Cancelling..."));
    }
}

bool ReportViewer::WaitForRun(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (run_ && clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return !run_;
}

void ReportViewer::PollRun() {
    if (!run_) {
        poll_->stop();
        return;
    }
    const preview::PreviewRun::Status status = run_->Poll();
    if (status.version != shownVersion_ && status.document) {
        shownVersion_ = status.version;
        if (status.phase == preview::PreviewRun::Phase::Done) {
            finishedRun_ = status.run;
        }
        TakeDocument(status.document, status.phase == preview::PreviewRun::Phase::Done);
    }
    const QLocale locale;
    if (const std::uint64_t expected = run_->RecordsExpected(); expected > 0) {
        progress_->setRange(0, 1000);
        progress_->setValue(static_cast<int>(run_->WorkDone() * 500 / expected));
        runLabel_->setText(
            tr("Laying out %1 records...").arg(locale.toString(qulonglong(expected))));
    } else if (const std::uint64_t read = run_->WorkDone(); read > 0) {
        runLabel_->setText(tr("%1 records read...").arg(locale.toString(qulonglong(read))));
    }
    if (status.phase == preview::PreviewRun::Phase::Running) {
        return;
    }
    if (status.phase == preview::PreviewRun::Phase::Failed) {
        runError_ = QString::fromStdString(status.error);
    }
    run_.reset();
    poll_->stop();
    runBar_->setVisible(!runError_.isEmpty());
    progress_->setRange(0, 1);
    progress_->setValue(0);
    cancel_->setEnabled(false);
    if (!runError_.isEmpty()) {
        runLabel_->setText(tr("The report could not be run: %1").arg(runError_));
    }
    complete_ = true;
    UpdateControls();
    emit RunFinished();
}

void ReportViewer::TakeDocument(std::shared_ptr<const engine::page::Document> document,
                                bool complete) {
    const int keep = std::max(current_, 1);
    document_ = std::move(document);
    complete_ = complete;
    current_ = document_->pages.empty() ? 0 : std::clamp(keep, 1, PageCount());
    if (!matches_.empty()) {
        matches_ = preview::FindInDocument(*document_, findBox_->text().toStdString());
        match_ = 0;
    }
    ApplyZoom();
    emit PageChanged(current_);
    if (complete) {
        ApplyStartRequest();
    }
}

void ReportViewer::ApplyStartRequest() {
    if (startPage_) {
        ShowPage(*startPage_);
        startPage_.reset();
    }
    if (!startFind_.isEmpty()) {
        Find(startFind_);
        startFind_.clear();
    }
}

} // namespace foliant::qt
