#include "ui/qt/PdfPages.h"

#include "ui/qt/PagePainter.h"

#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <exception>
#include <string_view>
#include <utility>

namespace foliant::qt {

namespace page = engine::page;

namespace {

// The PDF writer's output: gathers its many small writes into pieces of 32 KB for the
// chunk writer, and keeps the chunk writer's failure instead of letting it unwind through Qt.
class ChunkDevice final : public QIODevice {
public:
    explicit ChunkDevice(engine::ChunkWriter write) : write_(std::move(write)) {
        open(QIODevice::WriteOnly);
    }

    // Hands on what is gathered.
    void Flush() {
        if (!failure_ && !discarding_ && !pending_.empty()) {
            try {
                write_(pending_);
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
        pending_.clear();
    }
    // From now on takes bytes without writing them anywhere.
    void Discard() { discarding_ = true; }
    // Throws the chunk writer's failure, if it failed.
    void Check() const {
        if (failure_) {
            std::rethrow_exception(failure_);
        }
    }

protected:
    bool isSequential() const override { return true; }
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failure_) {
            return -1;
        }
        if (!discarding_) {
            pending_.append(data, static_cast<std::size_t>(size));
            if (pending_.size() >= kPiece) {
                Flush();
            }
        }
        return failure_ ? -1 : size;
    }

private:
    static constexpr std::size_t kPiece = 32 * 1024;
    engine::ChunkWriter write_;
    std::string pending_;
    std::exception_ptr failure_;
    bool discarding_ = false;
};

QPageSize PageSizeOf(const page::Page& page) {
    // A twip is a twentieth of a point.
    return QPageSize(QSizeF(page.width / 20.0, page.height / 20.0), QPageSize::Point, QString(),
                     QPageSize::ExactMatch);
}

} // namespace

// Declared in this order so that the painter ends before the writer and the device go.
struct PdfPages::Output {
    Output(engine::ChunkWriter write, const std::string& title)
        : device(std::move(write)), writer(&device) {
        writer.setTitle(QString::fromStdString(title));
        writer.setCreator(QStringLiteral("Foliant"));
        writer.setResolution(static_cast<int>(kTwipsPerInch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    }
    ChunkDevice device;
    QPdfWriter writer;
    QPainter painter;
    QtPagePainter pagePainter{painter};
};

PdfPages::PdfPages(engine::ChunkWriter write, std::string path, const std::string& title)
    : out_(std::make_unique<Output>(std::move(write), title)), path_(std::move(path)) {}

PdfPages::~PdfPages() {
    if (out_->painter.isActive()) {
        out_->device.Discard();
        out_->painter.end();
    }
}

void PdfPages::Add(const page::Page& page) {
    out_->writer.setPageSize(PageSizeOf(page));
    if (pages_ == 0) {
        if (!out_->painter.begin(&out_->writer)) {
            throw ExportError("Cannot write the PDF " + path_ + ": the PDF could not be started.");
        }
        out_->painter.setRenderHint(QPainter::Antialiasing, true);
        out_->painter.setRenderHint(QPainter::TextAntialiasing, true);
    } else if (!out_->writer.newPage()) {
        throw ExportError("Cannot write the PDF " + path_ + ": page " +
                          std::to_string(page.number) + " could not be started.");
    }
    ++pages_;
    out_->device.Check();
    // One device unit is a twip, and the PDF's page is the page itself: nothing needs clipping
    // to it.
    page::PaintPage(page, out_->pagePainter);
}

void PdfPages::Finish() {
    if (pages_ == 0) {
        throw ExportError("Cannot write " + path_ + ": the report has no pages.");
    }
    if (!out_->painter.end()) {
        throw ExportError("Cannot write the PDF " + path_ + ": the PDF could not be finished.");
    }
    out_->device.Flush();
    out_->device.Check();
}

void WritePdf(const std::string& path, const std::string& title,
              const std::function<void(PdfPages&)>& produce) {
    SaveFile(
        path,
        [&](const engine::ChunkWriter& write) {
            PdfPages pdf(write, path, title);
            produce(pdf);
            pdf.Finish();
        },
        "the PDF ");
}

void WriteDocumentPdf(const page::Document& document, const std::string& path) {
    if (document.pages.empty()) {
        throw ExportError("Cannot write " + path + ": the report has no pages.");
    }
    WritePdf(path, document.title, [&](PdfPages& pdf) {
        for (const auto& page : document.pages) {
            pdf.Add(page);
        }
    });
}

} // namespace foliant::qt
