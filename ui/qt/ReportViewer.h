#pragma once

// The report viewer: a report's pages on screen, read-only. A tool bar pages through the
// report (first, previous, next, last, with "Page N of M"), zooms (in, out, fit width, whole
// page) and exports what is shown (PDF, PNG, HTML, text); the keyboard does the same
// (Page Up/Down and Left/Right: previous/next page; Home/End: first/last page; +/-: zoom;
// Up/Down: scroll; Ctrl with the mouse wheel: zoom). It draws the engine's page model through the
// Qt page painter and knows nothing of how the report was made.

#include "engine/Report.h"
#include "engine/page/PageModel.h"
#include "engine/run/Layout.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QScrollArea;
class QToolBar;

namespace foliant::qt {

class PageCanvas;

class ReportViewer : public QWidget {
    Q_OBJECT

public:
    enum class ZoomMode { Fixed, FitWidth, WholePage };

    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    // The pages to show; the viewer goes to the first page and keeps its zoom mode.
    void SetDocument(engine::page::Document document);
    const engine::page::Document& Document() const { return document_; }

    // The report to show and how to lay it out; ShowReport runs it and shows its pages
    // (throwing the engine's error when the report cannot be run, the pages shown unchanged).
    void SetReport(std::shared_ptr<const engine::Report> report,
                   engine::run::LayoutSettings settings = {}, engine::run::RunOptions options = {});
    void ShowReport();

    int PageCount() const { return static_cast<int>(document_.pages.size()); }
    // The page shown, 1-based; 0 when there is none.
    int CurrentPage() const { return current_; }
    // Shows page `number`, kept within 1..PageCount().
    void ShowPage(int number);
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    // "Page 2 of 5" ("No pages" for an empty document), as the tool bar shows it.
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

    // Writes the document to a file chosen by its extension: .pdf, .png (one file per page,
    // see PngPageFileName), .html/.htm, .txt. Throws ExportError naming the file and the
    // problem (an unknown extension included).
    void ExportTo(const std::string& path);

    static constexpr double kMinimumZoom = 0.1;
    static constexpr double kMaximumZoom = 8.0;

signals:
    void PageChanged(int number);
    void ZoomChanged(double zoom);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Ctrl with the mouse wheel over the page zooms.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ExportWithDialog();
    void ApplyZoom();
    void UpdateControls();
    double FitZoom(ZoomMode mode) const;

    engine::page::Document document_;
    std::shared_ptr<const engine::Report> report_;
    engine::run::LayoutSettings settings_;
    engine::run::RunOptions options_;
    int current_ = 0;
    double zoom_ = 1.0;
    ZoomMode mode_ = ZoomMode::FitWidth;

    QToolBar* toolBar_ = nullptr;
    QAction* first_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    QAction* last_ = nullptr;
    QAction* zoomIn_ = nullptr;
    QAction* zoomOut_ = nullptr;
    QAction* fitWidth_ = nullptr;
    QAction* wholePage_ = nullptr;
    QAction* export_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PageCanvas* canvas_ = nullptr;
};

} // namespace foliant::qt
