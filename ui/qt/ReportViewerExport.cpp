// The viewer's outputs: files by extension (PDF, PNG, HTML, text, CSV) and printing.

#include "ui/qt/ReportViewer.h"

#include "engine/core/EngineError.h"
#include "engine/page/HtmlPainter.h"
#include "engine/page/TextPainter.h"
#include "preview/CsvExport.h"
#include "ui/qt/PagePainter.h"
#include "ui/qt/PdfPages.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cctype>

namespace foliant::qt {

namespace {

std::string LowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

void WriteTextFile(const std::string& path, const std::string& content) {
    SaveFile(path, QByteArray::fromStdString(content));
}

} // namespace

void ReportViewer::ExportTo(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext == "pdf") {
        WriteDocumentPdf(*document_, path);
    } else if (ext == "png") {
        WriteDocumentPngs(*document_, path);
    } else if (ext == "html" || ext == "htm") {
        WriteTextFile(path, engine::page::RenderHtml(*document_));
    } else if (ext == "txt") {
        WriteTextFile(path, engine::page::RenderText(*document_));
    } else if (ext == "csv") {
        if (!finishedRun_) {
            throw ExportError("Cannot export to " + path +
                              ": the detail records come from a finished run of the report.");
        }
        WriteTextFile(path, preview::DetailRecordsCsv(*finishedRun_));
    } else {
        throw ExportError("Cannot export to " + path +
                          ": the name must end in .pdf, .png, .html, .txt or .csv.");
    }
}

void ReportViewer::ExportWithDialog() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export Report"), QString(),
        tr("PDF (*.pdf);;PNG images, one per page (*.png);;HTML (*.html);;Text (*.txt);;"
           "Detail records as CSV (*.csv)"),
        &filter);
    if (path.isEmpty()) {
        return;
    }
    std::string target = path.toStdString();
    if (LowerExtension(target).empty()) {
        // The extension of the chosen filter: "PDF (*.pdf)" gives ".pdf".
        const auto open = filter.indexOf(QStringLiteral("*."));
        const auto close = filter.indexOf(QLatin1Char(')'), open);
        if (open >= 0 && close > open) {
            target += filter.mid(open + 1, close - open - 1).toStdString();
        }
    }
    try {
        ExportTo(target);
    } catch (const ExportError& e) {
        QMessageBox::warning(this, tr("Export Report"), QString::fromStdString(e.what()));
    }
}

void ReportViewer::PrintTo(QPrinter& printer) {
    if (document_->pages.empty()) {
        throw ExportError("There are no pages to print.");
    }
    const int count = PageCount();
    const int from = printer.fromPage() > 0 ? std::min(printer.fromPage(), count) : 1;
    const int to = printer.toPage() > 0 ? std::clamp(printer.toPage(), from, count) : count;
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw ExportError("Cannot start printing on " + printer.printerName().toStdString() +
                          (printer.outputFileName().isEmpty()
                               ? std::string()
                               : " (" + printer.outputFileName().toStdString() + ")") +
                          ".");
    }
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    for (int number = from; number <= to; ++number) {
        if (number > from) {
            printer.newPage();
        }
        const auto& page = document_->pages[static_cast<std::size_t>(number - 1)];
        const double scale = std::min(area.width() / page.width, area.height() / page.height);
        PaintPageAt(painter, page, scale);
    }
    painter.end();
}

void ReportViewer::PrintWithDialog() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(document_->title));
    printer.setFromTo(1, PageCount());
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, PageCount());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    try {
        PrintTo(printer);
    } catch (const ExportError& e) {
        QMessageBox::warning(this, tr("Print"), QString::fromStdString(e.what()));
    }
}

} // namespace foliant::qt
