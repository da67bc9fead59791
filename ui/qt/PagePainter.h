#pragma once

// Drawing the report engine's page model with Qt: on screen (the report viewer), into images
// (PNG) and into PDF files. Every item is placed at the twip position the model gives it; a
// painter only maps twips to the device and the model's font families to installed faces.

#include "engine/AtomicFile.h"
#include "engine/page/Painter.h"

#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class QPainter;

namespace foliant::qt {

// The engine's pages measure in twips, a 1440th of an inch.
inline constexpr double kTwipsPerInch = 1440.0;

// Writing an image or PDF failed; the text names the file and the reason.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The installed face for a model font: "Sans" is DejaVu Sans, "Serif" DejaVu Serif, "Mono"
// DejaVu Sans Mono (other families fall back to Sans). Its pixel size is the model's size in
// twips, so it is drawn at its true size wherever one device unit is one twip.
QFont QtFontFor(const engine::page::Font& font);

// Draws the page model onto a QPainter whose coordinates are twips (the caller sets the
// transform from twips to the device). Text is aligned within its box and clipped to it; a
// run wider than its box (real faces are not exactly as wide as the layout's metric model) is
// narrowed to fit rather than cut. Boxes are stroked inside their rectangle; lines are drawn
// with flat ends, centred on their coordinates.
//
//
// A run whose every mark lies well inside its box is drawn without a clip: clipping it would
// change nothing, and each clip costs a PDF a new graphics state. The painter keeps the faces
// of the fonts it drew with and what it measured in them, as runs repeat (headings, names,
// small numbers) and measuring a text costs as much as drawing it.
class QtPagePainter : public engine::page::Painter {
public:
    explicit QtPagePainter(QPainter& painter) : painter_(painter) {}

    void BeginPage(const engine::page::Page& page) override;
    void DrawFill(const engine::page::Fill& fill) override;
    void DrawBox(const engine::page::Box& box) override;
    void DrawLine(const engine::page::Line& line) override;
    void DrawText(const engine::page::TextRun& run) override;

private:
    // A text's advance, and the box its marks fill when drawn at (0, 0).
    struct Measure {
        double advance = 0;
        QRectF ink;
    };
    struct Face {
        explicit Face(QFont qtFont) : font(std::move(qtFont)), metrics(font) {}
        Measure Measured(const QString& text);
        QFont font;
        QFontMetricsF metrics;
        QHash<QString, Measure> measured;
    };
    Face& FaceFor(const engine::page::Font& font);
    bool InkWithin(const engine::page::TextRun& run, const QRectF& ink, const QRectF& clip) const;

    QPainter& painter_;
    std::vector<std::pair<engine::page::Font, std::unique_ptr<Face>>> faces_;
};

// Paints a whole page (white sheet and items) with `painter`, its coordinates scaled so that
// `scale` device pixels make one twip, offset by (x, y) device pixels.
void PaintPageAt(QPainter& painter, const engine::page::Page& page, double scale, double x = 0,
                 double y = 0);

// The page as an image at `dpi` dots per inch (the image records that resolution).
QImage RenderPageImage(const engine::page::Page& page, double dpi = 150);

// Replaces the file at `path` with `bytes` whole (an earlier file stays as it was when writing
// fails). Throws ExportError: "Cannot write <what><path>: <reason>.".
void SaveFile(const std::string& path, const QByteArray& bytes, const std::string& what = {});

// The same with the contents made piece by piece by `produce`, each piece handed to the writer
// it is given as soon as it is made. A failure of that writer, whenever `produce` lets it
// through, throws ExportError as above; anything else `produce` throws goes on as it is.
void SaveFile(const std::string& path,
              const std::function<void(const engine::ChunkWriter&)>& produce,
              const std::string& what);

// Writes one page as a PNG file. Throws ExportError when the file cannot be written.
void WritePagePng(const engine::page::Page& page, const std::string& path, double dpi = 150);

// The file name of page `number` (1-based) of `count` for a PNG export to `out`: a name with
// "%d" (or "%1") gets the page number there; otherwise a single page keeps `out` as it is and
// several pages are numbered before the extension: "report.png" gives "report-1.png", ….
std::string PngPageFileName(const std::string& out, int number, int count);

// Writes every page of the document as PNG files named by PngPageFileName; returns the names.
// A device or named pipe given as `out` gets every page, one image after another, instead.
// Throws ExportError naming the file that could not be written, and for a name that is
// empty or names a folder.
std::vector<std::string> WriteDocumentPngs(const engine::page::Document& document,
                                           const std::string& out, double dpi = 150);

} // namespace foliant::qt
