#pragma once

// The report viewer: a report's pages on screen, read-only. A tool bar pages through the
// report (first, previous, next, last, and a page box reading "3 of 52" that takes a number),
// zooms (in, out, fit width, whole page), finds text, prints and exports (PDF, PNG, HTML,
// text, and the detail records as CSV); the keyboard does the same (Page Up/Down and
// Left/Right: previous/next page; Home/End: first/last page; +/-: zoom; Up/Down: scroll;
// Ctrl+F: find, F3 / Shift+F3: next / previous match; Ctrl+P: print; Ctrl with the mouse
// wheel: zoom). It draws the engine's page model through the Qt page painter.
//
// A report is run off the window's thread: while it runs a progress bar counts the records
// and Cancel stops it; the first page shows as soon as it is laid out when the report allows
// (preview::PreviewRun), and the whole document replaces it when the run ends.

#include "engine/Report.h"
#include "engine/page/PageModel.h"
#include "engine/run/Layout.h"
#include "preview/FindText.h"
#include "preview/PreviewRun.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QScrollArea;
class QTimer;
class QToolBar;

namespace foliant::qt {

class PageCanvas;

class ReportViewer : public QWidget {
    Q_OBJECT

public:
    enum class ZoomMode { Fixed, FitWidth, WholePage };

    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    // The pages to show; the viewer goes to the first page and keeps its zoom mode. Ends a run
    // still going.
    void SetDocument(engine::page::Document document);
    const engine::page::Document& Document() const { return *document_; }

    // The report to show and how to lay it out; ShowReport starts running it off this thread
    // and returns at once. The pages shown stay until the run gives new ones; a failing run
    // leaves them and says why (RunError).
    void SetReport(std::shared_ptr<const engine::Report> report,
                   engine::run::LayoutSettings settings = {}, engine::run::RunOptions options = {});
    void ShowReport();
    // Whether a run is going; its records so far.
    bool Running() const { return run_ != nullptr; }
    // Stops the run; the pages shown so far stay.
    void CancelRun();
    // Waits (handling events) until the run ends or `milliseconds` pass; true when it ended.
    bool WaitForRun(int milliseconds = 30000);
    // The last run's error message; empty when it succeeded or was cancelled.
    const QString& RunError() const { return runError_; }
    // When the run shows its pages: open at this page and find this text (empty: none).
    void SetStartRequest(int page, const QString& findText);

    int PageCount() const { return static_cast<int>(document_->pages.size()); }
    // The page shown, 1-based; 0 when there is none.
    int CurrentPage() const { return current_; }
    // Shows page `number`, kept within 1..PageCount().
    void ShowPage(int number);
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    // "3 of 52" ("No pages" for an empty document; "1 of 1+" while a run has shown only its
    // first page), as the page box and its label read.
    QString PageText() const;

    // The zoom: 1.0 shows a page at its true size on the screen.
    double Zoom() const { return zoom_; }
    ZoomMode Mode() const { return mode_; }
    // Sets a fixed zoom, kept within kMinimumZoom..kMaximumZoom.
    void SetZoom(double zoom);
    void ZoomIn();
    void ZoomOut();
    // The page's width fills the view / the whole page fits in the view; kept on resizing.
    void FitWidth();
    void FitWholePage();

    // Finds the text in every page, shows the find bar and goes to the first match at or after
    // the current page; returns the number of matches. Matches are highlighted, the current one
    // more strongly.
    int Find(const QString& text);
    void FindNext();
    void FindPrevious();
    const std::vector<preview::TextMatch>& Matches() const { return matches_; }
    // The current match, or nothing.
    std::optional<preview::TextMatch> CurrentMatch() const;

    // Writes the document to a file chosen by its extension: .pdf, .png (one file per page,
    // see PngPageFileName), .html/.htm, .txt, and .csv (the detail records of the report's
    // run). Throws ExportError naming the file and the problem (an unknown extension
    // included, and CSV without a finished run of a report).
    void ExportTo(const std::string& path);
    // Prints the pages in the printer's page range, each scaled to the printable area. Throws
    // ExportError when there is nothing to print or the printer cannot start.
    void PrintTo(QPrinter& printer);

    static constexpr double kMinimumZoom = 0.1;
    static constexpr double kMaximumZoom = 8.0;

signals:
    void PageChanged(int number);
    void ZoomChanged(double zoom);
    // A run ended (done, failed or cancelled).
    void RunFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Ctrl with the mouse wheel over the page zooms.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBar();
    void BuildFindBar();
    void BuildRunBar();
    QAction* AddAction(const char* name, const QString& text, const QString& tip);
    void ExportWithDialog();
    void PrintWithDialog();
    void ApplyZoom();
    void UpdateControls();
    void UpdateHighlights();
    double FitZoom(ZoomMode mode) const;
    void PollRun();
    void TakeDocument(std::shared_ptr<const engine::page::Document> document, bool complete);
    void ApplyStartRequest();
    void GoToMatch(std::size_t index);
    void PageBoxEntered();

    // Shared with the run that made it: taking a long report's pages copies nothing.
    std::shared_ptr<const engine::page::Document> document_ =
        std::make_shared<const engine::page::Document>();
    bool complete_ = true; // false while only the early first page is shown
    std::shared_ptr<const engine::Report> report_;
    engine::run::LayoutSettings settings_;
    engine::run::RunOptions options_;
    std::unique_ptr<preview::PreviewRun> run_;
    std::shared_ptr<const engine::run::RunResult> finishedRun_;
    int shownVersion_ = 0;
    QString runError_;
    std::optional<int> startPage_;
    QString startFind_;
    int current_ = 0;
    double zoom_ = 1.0;
    ZoomMode mode_ = ZoomMode::FitWidth;
    std::vector<preview::TextMatch> matches_;
    std::size_t match_ = 0;

    QToolBar* toolBar_ = nullptr;
    QAction* first_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    QAction* last_ = nullptr;
    QAction* zoomIn_ = nullptr;
    QAction* zoomOut_ = nullptr;
    QAction* fitWidth_ = nullptr;
    QAction* wholePage_ = nullptr;
    QAction* find_ = nullptr;
    QAction* print_ = nullptr;
    QAction* export_ = nullptr;
    QLineEdit* pageBox_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    QToolBar* findBar_ = nullptr;
    QLineEdit* findBox_ = nullptr;
    QLabel* findLabel_ = nullptr;
    QToolBar* runBar_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* runLabel_ = nullptr;
    QAction* cancel_ = nullptr;
    QTimer* poll_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PageCanvas* canvas_ = nullptr;
};

} // namespace foliant::qt
