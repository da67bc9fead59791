#include "ui/qt/PagePainter.h"

#include "engine/AtomicFile.h"
#include "engine/core/EngineError.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <iterator>

namespace foliant::qt {

namespace page = engine::page;

namespace {

QColor ToQt(const page::Colour& c) {
    return QColor(c.red, c.green, c.blue);
}

QRectF ToQt(const page::Rect& r) {
    return QRectF(r.left, r.top, r.width, r.height);
}

// The thinnest a stroke may be on the device: one device pixel, so that rules do not vanish
// when a page is shown small.
double MinimumStroke(const QPainter& painter) {
    const double scale = std::abs(painter.worldTransform().m11());
    return scale > 0 ? 1.0 / scale : 1.0;
}

} // namespace

void SaveFile(const std::string& path,
              const std::function<void(const engine::ChunkWriter&)>& produce,
              const std::string& what) {
    bool writeFailed = false;
    std::exception_ptr making; // a failure making the contents rather than writing them
    try {
        engine::WriteFileAtomically(path, [&](const engine::ChunkWriter& write) {
            try {
                produce([&](std::string_view piece) {
                    try {
                        write(piece);
                    } catch (...) {
                        writeFailed = true;
                        throw;
                    }
                });
            } catch (...) {
                if (!writeFailed) {
                    making = std::current_exception();
                }
                throw;
            }
        });
    } catch (const engine::EngineError& e) {
        if (making) {
            std::rethrow_exception(making);
        }
        // The reason is what follows the file's name ("cannot create a temporary file in …").
        std::string reason = e.Description();
        if (const auto at = reason.find(path + ": "); at != std::string::npos) {
            reason.erase(0, at + path.size() + 2);
        }
        if (!reason.empty() && reason.back() == '.') {
            reason.pop_back();
        }
        throw ExportError("Cannot write " + what + path + ": " + reason + ".");
    }
}

void SaveFile(const std::string& path, const QByteArray& bytes, const std::string& what) {
    SaveFile(
        path,
        [&](const engine::ChunkWriter& write) {
            write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        },
        what);
}

QFont QtFontFor(const page::Font& font) {
    QString family = QStringLiteral("DejaVu Sans");
    QFont::StyleHint hint = QFont::SansSerif;
    if (font.family == "Serif") {
        family = QStringLiteral("DejaVu Serif");
        hint = QFont::Serif;
    } else if (font.family == "Mono") {
        family = QStringLiteral("DejaVu Sans Mono");
        hint = QFont::Monospace;
    }
    QFont result(family);
    result.setStyleHint(hint);
    result.setPixelSize(std::max(1, font.size));
    result.setBold(font.bold);
    result.setItalic(font.italic);
    result.setUnderline(font.underline);
    // Positions come from the model; hinting would move glyphs off them at small sizes.
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setKerning(true);
    return result;
}

void QtPagePainter::BeginPage(const page::Page& page) {
    painter_.fillRect(QRectF(0, 0, page.width, page.height), Qt::white);
}

void QtPagePainter::DrawFill(const page::Fill& fill) {
    painter_.fillRect(ToQt(fill.rect), ToQt(fill.colour));
}

void QtPagePainter::DrawBox(const page::Box& box) {
    const double width = std::max<double>(box.thickness, MinimumStroke(painter_));
    QPen pen(ToQt(box.colour), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter_.save();
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    // The stroke lies inside the rectangle, as a border does.
    const double half = width / 2;
    const QRectF r = ToQt(box.rect).adjusted(half, half, -half, -half);
    painter_.drawRect(r.isValid() ? r : ToQt(box.rect));
    painter_.restore();
}

void QtPagePainter::DrawLine(const page::Line& line) {
    const double width = std::max<double>(line.thickness, MinimumStroke(painter_));
    painter_.save();
    painter_.setPen(QPen(ToQt(line.colour), width, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
    painter_.restore();
}

QtPagePainter::Measure QtPagePainter::Face::Measured(const QString& text) {
    constexpr qsizetype kMostTexts = 20000; // a bound on the memory a long export keeps
    if (const auto found = measured.constFind(text); found != measured.cend()) {
        return *found;
    }
    if (measured.size() >= kMostTexts) {
        measured.clear();
    }
    const Measure measure{metrics.horizontalAdvance(text), metrics.boundingRect(text)};
    measured.insert(text, measure);
    return measure;
}

QtPagePainter::Face& QtPagePainter::FaceFor(const page::Font& font) {
    constexpr std::size_t kMostFaces = 32;
    for (auto& [known, face] : faces_) {
        if (known == font) {
            return *face;
        }
    }
    if (faces_.size() >= kMostFaces) {
        faces_.clear();
    }
    faces_.emplace_back(font, std::make_unique<Face>(QtFontFor(font)));
    return *faces_.back().second;
}

// Whether every mark of the run, filling `ink` where it is drawn, lies inside `clip` with two
// device pixels to spare, so that clipping to it would change no pixel. An underline is no
// glyph's mark, so underlined runs are always clipped.
bool QtPagePainter::InkWithin(const page::TextRun& run, const QRectF& ink,
                              const QRectF& clip) const {
    if (run.font.underline) {
        return false;
    }
    const double spare = 2 * MinimumStroke(painter_);
    return clip.adjusted(spare, spare, -spare, -spare).contains(ink);
}

void QtPagePainter::DrawText(const page::TextRun& run) {
    if (run.text.empty() || run.box.width <= 0) {
        return;
    }
    const QString text =
        QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size()));
    Face& face = FaceFor(run.font);
    const Measure measure = face.Measured(text);
    const double natural = measure.advance;
    const QRectF box = ToQt(run.box);

    // The line is 1.2 of the font size high, at the top of the box, with the face's ascent
    // and descent centred in it.
    const double lineHeight = run.font.size * 1.2;
    const double ascent = face.metrics.ascent();
    const double baseline =
        box.top() + (lineHeight - (ascent + face.metrics.descent())) / 2 + ascent;
    const QRectF clip(box.left(), box.top(), box.width(), std::max(box.height(), lineHeight));

    painter_.setFont(face.font);
    painter_.setPen(ToQt(run.colour));
    if (natural > box.width()) {
        painter_.save();
        painter_.setClipRect(clip, Qt::IntersectClip);
        painter_.translate(box.left(), baseline);
        painter_.scale(box.width() / natural, 1.0);
        painter_.drawText(QPointF(0, 0), text);
        painter_.restore();
        return;
    }
    double x = box.left();
    if (run.align == engine::HorizontalAlignment::Right) {
        x = box.right() - natural;
    } else if (run.align == engine::HorizontalAlignment::Centre) {
        x = box.left() + (box.width() - natural) / 2;
    }
    const QPointF origin(x, baseline);
    if (InkWithin(run, measure.ink.translated(origin), clip)) {
        painter_.drawText(origin, text);
        return;
    }
    painter_.save();
    painter_.setClipRect(clip, Qt::IntersectClip);
    painter_.drawText(origin, text);
    painter_.restore();
}

void PaintPageAt(QPainter& painter, const page::Page& page, double scale, double x, double y) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(x, y);
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(0, 0, page.width, page.height), Qt::IntersectClip);
    QtPagePainter pagePainter(painter);
    page::PaintPage(page, pagePainter);
    painter.restore();
}

QImage RenderPageImage(const page::Page& page, double dpi) {
    const double scale = dpi / kTwipsPerInch;
    const int width = std::max(1, static_cast<int>(std::ceil(page.width * scale)));
    const int height = std::max(1, static_cast<int>(std::ceil(page.height * scale)));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    PaintPageAt(painter, page, scale);
    painter.end();
    return image;
}

namespace {

QByteArray PngBytes(const page::Page& page, const std::string& path, double dpi) {
    const QImage image = RenderPageImage(page, dpi);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw ExportError("Cannot write the image " + path + ": the image could not be encoded.");
    }
    return bytes;
}

constexpr const char* kPageMarkers[] = {"%d", "%1"};

bool HasPageMarker(const std::string& out) {
    return std::any_of(
        std::begin(kPageMarkers), std::end(kPageMarkers),
        [&out](const char* marker) { return out.find(marker) != std::string::npos; });
}

// Whether the pages of a PNG export to out, a name without a page marker, all go into it one
// after another: a device or a named pipe is written into, and has no name to number. A
// folder names no file at all.
bool AllPagesInto(const std::string& out) {
    if (out.back() == '/') {
        throw ExportError("Cannot write the images " + out +
                          ": the path names a folder, not a file.");
    }
    struct stat st {};
    if (::stat(out.c_str(), &st) != 0) {
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        throw ExportError("Cannot write the images " + out + ": it is a folder, not a file.");
    }
    return S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode);
}

} // namespace

void WritePagePng(const page::Page& page, const std::string& path, double dpi) {
    SaveFile(path, PngBytes(page, path, dpi), "the image ");
}

std::string PngPageFileName(const std::string& out, int number, int count) {
    for (const char* marker : kPageMarkers) {
        if (const auto at = out.find(marker); at != std::string::npos) {
            std::string name = out;
            name.replace(at, 2, std::to_string(number));
            return name;
        }
    }
    if (count == 1) {
        return out;
    }
    const auto slash = out.find_last_of('/');
    auto dot = out.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1)) {
        dot = out.size();
    }
    return out.substr(0, dot) + "-" + std::to_string(number) + out.substr(dot);
}

std::vector<std::string> WriteDocumentPngs(const page::Document& document, const std::string& out,
                                           double dpi) {
    if (document.pages.empty()) {
        throw ExportError("Cannot write " + out + ": the report has no pages.");
    }
    if (out.empty()) {
        throw ExportError("Cannot write the images: no file name was given.");
    }
    const int count = static_cast<int>(document.pages.size());
    if (count > 1 && !HasPageMarker(out) && AllPagesInto(out)) {
        QByteArray all;
        for (const auto& page : document.pages) {
            all += PngBytes(page, out, dpi);
        }
        SaveFile(out, all, "the images ");
        return {out};
    }
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back(PngPageFileName(out, i + 1, count));
        WritePagePng(document.pages[static_cast<std::size_t>(i)], names.back(), dpi);
    }
    return names;
}

} // namespace foliant::qt
