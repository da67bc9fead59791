#pragma once

// Writing the report engine's pages as a PDF, one page at a time: each page is painted into
// the PDF as soon as it is added and the PDF's bytes go out as they are made, so that a long
// report is never held whole, neither as pages nor as a PDF.

#include "engine/AtomicFile.h"
#include "engine/page/PageModel.h"

#include <functional>
#include <memory>
#include <string>

namespace foliant::qt {

// One PDF being written: one PDF page per page added, each the page's own size, text as text.
// The bytes go to `write` piece by piece. A failure of `write` is never thrown through Qt's
// code: it is kept, nothing more is written, and the next Add or Finish throws it as it was.
// A PdfPages destroyed before Finish writes nothing more.
class PdfPages {
public:
    // `path` names the file in messages only.
    PdfPages(engine::ChunkWriter write, std::string path, const std::string& title);
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    // Paints the page as the PDF's next page. Throws ExportError when the PDF or the page
    // cannot be started.
    void Add(const engine::page::Page& page);
    // Writes the end of the PDF. Throws ExportError when no page was added or the PDF cannot
    // be finished.
    void Finish();

private:
    struct Output;
    std::unique_ptr<Output> out_;
    std::string path_;
    int pages_ = 0;
};

// Replaces the file at `path` with the PDF of the pages `produce` adds (see WriteFileAtomically:
// an earlier file stays as it was when anything fails; a device or pipe is written into).
// Failures to write throw ExportError "Cannot write the PDF <path>: <reason>."; whatever else
// `produce` throws (a report that cannot run) goes on as it is.
void WritePdf(const std::string& path, const std::string& title,
              const std::function<void(PdfPages&)>& produce);

// Writes the document as a PDF through WritePdf. Throws ExportError when the file cannot be
// written or the document has no pages.
void WriteDocumentPdf(const engine::page::Document& document, const std::string& path);

} // namespace foliant::qt
