// The Qt page painter puts every item where the page model says, in its colours and fonts,
// and writes pages as PNG images and PDF documents.
#include "ui/qt/PagePainter.h"
#include "engine/AtomicFile.h"
#include "engine/core/EngineError.h"
#include "tests/viewer/Pages.h"
#include "ui/qt/PdfPages.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace foliant::test {
namespace {

namespace fs = std::filesystem;
using engine::HorizontalAlignment;
using qt::ExportError;

// 144 dots per inch: one pixel is ten twips, so expected pixels are the model's twips / 10.
constexpr double kDpi = 144;

page::Page Sheet(int width = 2880, int height = 2880) {
    page::Page p;
    p.width = width;
    p.height = height;
    return p;
}

QImage Render(const page::Page& p) {
    return qt::RenderPageImage(p, kDpi);
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "foliant-viewer-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(QtPagePainter, TextSitsInItsBoxAsAligned) {
    // 10-point text (20 pixels here) in boxes 140 pixels wide from x = 20.
    page::Page p = Sheet();
    p.items.emplace_back(Text("Hx", {200, 400, 1400, 240}, HorizontalAlignment::Left));
    p.items.emplace_back(Text("Hx", {200, 800, 1400, 240}, HorizontalAlignment::Right));
    p.items.emplace_back(Text("Hx", {200, 1200, 1400, 240}, HorizontalAlignment::Centre));
    const QImage image = Render(p);

    const QRect left = InkBounds(image, QRect(0, 30, 288, 40), Dark);
    const QRect right = InkBounds(image, QRect(0, 70, 288, 40), Dark);
    const QRect centre = InkBounds(image, QRect(0, 110, 288, 40), Dark);
    ASSERT_FALSE(left.isNull());
    ASSERT_FALSE(right.isNull());
    ASSERT_FALSE(centre.isNull());

    // Left: the H starts at the box's left edge plus its side bearing (about 2 pixels).
    EXPECT_GE(left.left(), 20);
    EXPECT_LE(left.left(), 24);
    // Right: the x ends at the box's right edge (x = 160).
    EXPECT_LE(right.right(), 160);
    EXPECT_GE(right.right(), 156);
    // Centre: the middle of the ink is the middle of the box (x = 90).
    EXPECT_NEAR(centre.center().x(), 90, 2);
    // All three are the same width: alignment moves the text, it does not change it.
    EXPECT_NEAR(left.width(), right.width(), 1);

    // Vertically: the line is 1.2 of the size (24 pixels) from the box's top (y = 40), the
    // face centred in it, so the baseline is near y = 59 and capitals are 14.6 pixels high.
    EXPECT_NEAR(left.top(), 44, 2);
    EXPECT_NEAR(left.bottom(), 58, 2);
    EXPECT_NEAR(right.top(), 84, 2);
    EXPECT_NEAR(centre.top(), 124, 2);
}

TEST(QtPagePainter, TextWiderThanItsBoxIsNarrowedNotCut) {
    page::Page p = Sheet();
    // Ten capitals W are about 200 pixels wide at this size; the box is 60.
    p.items.emplace_back(Text("WWWWWWWWWW", {1000, 400, 600, 240}));
    const QImage image = Render(p);
    const QRect ink = InkBounds(image, image.rect(), Dark);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), 100);
    EXPECT_LE(ink.right(), 160);
    EXPECT_GE(ink.width(), 54) << "the whole text is there, squeezed into the box";
}

// Only text whose marks stay well inside its box may go unclipped: an italic f reaches past
// its advance, so a box exactly as wide as the advance must still cut it.
TEST(QtPagePainter, MarksBeyondTheBoxAreCutEvenWhenTheTextFits) {
    page::Font italic;
    italic.size = 600;
    italic.italic = true;
    const double advance = QFontMetricsF(qt::QtFontFor(italic)).horizontalAdvance("ff");
    const int width = static_cast<int>(std::ceil(advance));
    page::Page p = Sheet();
    p.items.emplace_back(Text("ff", {200, 200, width, 720}, HorizontalAlignment::Left, italic));
    p.items.emplace_back(Text("ff", {200, 1400, 2000, 720}, HorizontalAlignment::Left, italic));
    const QImage image = Render(p);

    const int boxRight = (200 + width) / 10;
    const QRect free = InkBounds(image, QRect(0, 140, 288, 72), Dark);
    ASSERT_GT(free.right(), boxRight + 1) << "the face's f does not reach past its advance";
    const QRect cut = InkBounds(image, QRect(0, 20, 288, 72), Dark);
    ASSERT_FALSE(cut.isNull());
    EXPECT_LE(cut.right(), boxRight);
}

// Runs in a row that change font are each measured in their own: bold, plain and bold again,
// right-aligned, all end at the box's edge.
TEST(QtPagePainter, RunsThatChangeFontAreEachPlacedByTheirOwnWidth) {
    page::Font bold;
    bold.bold = true;
    page::Page p = Sheet();
    for (int row = 0; row < 3; ++row) {
        p.items.emplace_back(Text("Wide words", {200, 400 + row * 400, 2000, 240},
                                  HorizontalAlignment::Right, row == 1 ? page::Font{} : bold));
    }
    const QImage image = Render(p);
    std::vector<QRect> inks;
    for (int row = 0; row < 3; ++row) {
        inks.push_back(InkBounds(image, QRect(0, 30 + row * 40, 288, 40), Dark));
        ASSERT_FALSE(inks.back().isNull()) << "row " << row;
        EXPECT_LE(inks.back().right(), 220) << "row " << row;
        EXPECT_GE(inks.back().right(), 216) << "row " << row;
    }
    EXPECT_GT(inks[0].width(), inks[1].width() + 3) << "bold is wider than plain";
    EXPECT_EQ(inks[0], inks[2].translated(0, -80));
}

TEST(QtPagePainter, FillsBoxesAndLinesInTheirColoursAndPlaces) {
    page::Page p = Sheet();
    p.items.emplace_back(page::Fill{{100, 1500, 500, 300}, {0, 128, 255}});
    p.items.emplace_back(page::Box{{1000, 1500, 1000, 1000}, 40, {255, 0, 0}});
    p.items.emplace_back(page::Line{200, 2700, 2600, 2700, 60, {0, 160, 0}});
    const QImage image = Render(p);

    EXPECT_EQ(image.pixel(35, 165), qRgb(0, 128, 255));
    EXPECT_EQ(image.pixel(9, 165), qRgb(255, 255, 255)) << "nothing left of the fill";
    EXPECT_EQ(image.pixel(61, 165), qRgb(255, 255, 255)) << "nothing right of the fill";

    // The box's 4-pixel border lies inside its rectangle (x 100..199, y 150..249).
    EXPECT_EQ(image.pixel(101, 200), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(198, 200), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(150, 151), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(98, 200), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(150, 200), qRgb(255, 255, 255)) << "a box is not filled";

    // The line is 6 pixels thick around y = 270, from x = 20 to 260 with flat ends.
    EXPECT_EQ(image.pixel(140, 270), qRgb(0, 160, 0));
    EXPECT_EQ(image.pixel(140, 268), qRgb(0, 160, 0));
    EXPECT_EQ(image.pixel(140, 264), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(140, 276), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(17, 270), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(263, 270), qRgb(255, 255, 255));
}

TEST(QtPagePainter, LaterItemsCoverEarlierOnes) {
    page::Page p = Sheet();
    p.items.emplace_back(Text("HHHH", {200, 200, 1400, 240}));
    p.items.emplace_back(page::Fill{{0, 0, 2880, 1000}, {200, 200, 200}});
    const QImage image = Render(p);
    EXPECT_TRUE(InkBounds(image, image.rect(), Dark).isNull()) << "the fill hides the text";
}

TEST(QtPagePainter, FontsAreTheInstalledFacesAtTheModelsSize) {
    page::Font sans;
    page::Font serif;
    serif.family = "Serif";
    serif.size = 240;
    serif.bold = true;
    page::Font mono;
    mono.family = "Mono";
    mono.italic = true;
    page::Font other;
    other.family = "Fraktur";
    EXPECT_EQ(QFontInfo(qt::QtFontFor(sans)).family(), QStringLiteral("DejaVu Sans"));
    const QFontInfo serifInfo(qt::QtFontFor(serif));
    EXPECT_EQ(serifInfo.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(serifInfo.bold());
    EXPECT_EQ(serifInfo.pixelSize(), 240);
    const QFontInfo monoInfo(qt::QtFontFor(mono));
    EXPECT_EQ(monoInfo.family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_TRUE(monoInfo.italic());
    EXPECT_TRUE(monoInfo.fixedPitch());
    EXPECT_EQ(QFontInfo(qt::QtFontFor(other)).family(), QStringLiteral("DejaVu Sans"));
}

TEST(QtPagePainter, BoldUnderlineAndColourShowInThePixels) {
    page::Font bold;
    bold.bold = true;
    page::Font underline;
    underline.underline = true;
    page::Page p = Sheet();
    p.items.emplace_back(Text("Held", {200, 200, 1400, 240}));
    p.items.emplace_back(Text("Held", {200, 600, 1400, 240}, HorizontalAlignment::Left, bold));
    p.items.emplace_back(
        Text("Held", {200, 1000, 1400, 240}, HorizontalAlignment::Left, underline));
    page::TextRun red = Text("Held", {200, 1400, 1400, 240});
    red.colour = {220, 0, 0};
    p.items.emplace_back(red);
    const QImage image = Render(p);

    auto darkCount = [&](int top) {
        int n = 0;
        for (int y = top; y < top + 30; ++y) {
            for (int x = 0; x < 288; ++x) {
                n += Dark(image.pixel(x, y)) ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_GT(darkCount(20), 0);
    EXPECT_GT(darkCount(60), darkCount(20) * 5 / 4) << "bold strokes are heavier";
    const QRect plain = InkBounds(image, QRect(0, 20, 288, 30), Dark);
    const QRect under = InkBounds(image, QRect(0, 100, 288, 30), Dark);
    EXPECT_GT(under.bottom() - 100, plain.bottom() - 20) << "the underline is below the text";

    const QRect redInk = InkBounds(image, QRect(0, 140, 288, 30), [](QRgb c) {
        return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80;
    });
    EXPECT_FALSE(redInk.isNull());
    EXPECT_TRUE(InkBounds(image, QRect(0, 140, 288, 30),
                          [](QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; })
                    .isNull())
        << "no black in red";
}

TEST(QtPagePainter, PageImagesHaveThePagesSizeAtTheChosenResolution) {
    const QImage letter = qt::RenderPageImage(Sheet(12240, 15840), 150);
    EXPECT_EQ(letter.size(), QSize(1275, 1650));
    EXPECT_EQ(letter.dotsPerMeterX(), 5906);
    // A4 (210 x 297 mm) at 72 dpi: 595.3 by 841.9 points, rounded up.
    EXPECT_EQ(qt::RenderPageImage(Sheet(11906, 16838), 72).size(), QSize(596, 842));
}

TEST(QtPagePainter, PngFileNamesPerPage) {
    struct Case {
        const char* out;
        int number;
        int count;
        const char* expected;
        const char* why;
    };
    const Case cases[] = {
        {"report.png", 1, 1, "report.png", "one page keeps the name asked for"},
        {"report.png", 2, 3, "report-2.png", "several pages are numbered before the extension"},
        {"out/page-%d.png", 12, 20, "out/page-12.png", "%d is replaced by the page number"},
        {"p%1.png", 3, 3, "p3.png", "%1 works as %d does"},
        {"a.b/report", 2, 2, "a.b/report-2", "a dot in a folder is not an extension"},
        {".png", 2, 2, ".png-2", "a name that is only an extension keeps it as its name"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qt::PngPageFileName(c.out, c.number, c.count), c.expected) << c.why;
    }
}

using PageFiles = TempDir;

TEST_F(PageFiles, PngExportWritesOneReadableImagePerPage) {
    const auto names = qt::WriteDocumentPngs(NumberedPages(3), (dir / "r.png").string(), 30);
    ASSERT_EQ(names.size(), 3u);
    for (int i = 1; i <= 3; ++i) {
        const fs::path file = dir / ("r-" + std::to_string(i) + ".png");
        EXPECT_EQ(names[static_cast<std::size_t>(i - 1)], file.string());
        QImageReader reader(QString::fromStdString(file.string()));
        EXPECT_EQ(reader.format(), QByteArray("png"));
        EXPECT_EQ(reader.size(), QSize(255, 330));
    }
}

TEST_F(PageFiles, ExportFailuresNameTheFile) {
    const std::string png = (dir / "missing" / "r.png").string();
    try {
        qt::WriteDocumentPngs(NumberedPages(2), png);
        FAIL() << "writing into a missing folder succeeded";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find("missing/r-1.png"), std::string::npos) << e.what();
    }
    const std::string pdf = (dir / "missing" / "r.pdf").string();
    try {
        qt::WriteDocumentPdf(NumberedPages(2), pdf);
        FAIL() << "writing into a missing folder succeeded";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find(pdf), std::string::npos) << e.what();
    }
    EXPECT_THROW(qt::WriteDocumentPdf({}, (dir / "empty.pdf").string()), ExportError);
    EXPECT_THROW(qt::WriteDocumentPngs({}, (dir / "empty.png").string()), ExportError);
    EXPECT_FALSE(fs::exists(dir / "empty.pdf"));
}

TEST_F(PageFiles, AFailedExportLeavesTheEarlierFileAsItWas) {
    const fs::path pdf = dir / "r.pdf";
    const fs::path png = dir / "r.png";
    qt::WriteDocumentPdf(NumberedPages(1), pdf.string());
    qt::WritePagePng(NumberedPages(1).pages[0], png.string(), 20);
    const std::string pdfBefore = Slurp(pdf);
    const std::string pngBefore = Slurp(png);

    // The disk fails as the new file would replace the old one.
    engine::SetWriteFailureForTesting(engine::WriteFailure::Write);
    EXPECT_THROW(qt::WriteDocumentPdf(NumberedPages(5), pdf.string()), ExportError);
    EXPECT_THROW(qt::WritePagePng(NumberedPages(2).pages[1], png.string(), 20), ExportError);
    engine::SetWriteFailureForTesting(std::nullopt);

    EXPECT_EQ(Slurp(pdf), pdfBefore);
    EXPECT_EQ(Slurp(png), pngBefore);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2)
        << "no temporary files are left";
}

// The numbers of every /MediaBox [x y w h] in the file, in file order.
std::vector<std::vector<double>> MediaBoxes(const std::string& pdf) {
    std::vector<std::vector<double>> boxes;
    const std::regex box(R"(/MediaBox \[([-0-9. ]+)\])");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), box); it != std::sregex_iterator();
         ++it) {
        std::istringstream numbers((*it)[1].str());
        std::vector<double> values;
        double v = 0;
        while (numbers >> v) {
            values.push_back(v);
        }
        boxes.push_back(values);
    }
    return boxes;
}

TEST_F(PageFiles, PdfHasOnePageOfTheRightSizePerPageAndRealText) {
    page::Document document = NumberedPages(3);
    document.pages[1].width = 11906; // A4
    document.pages[1].height = 16838;
    document.pages[2].width = 15840; // Letter, landscape
    document.pages[2].height = 12240;
    const fs::path file = dir / "r.pdf";
    qt::WriteDocumentPdf(document, file.string());

    const std::string pdf = Slurp(file);
    ASSERT_EQ(pdf.rfind("%PDF-1.", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    EXPECT_NE(pdf.find("/Count 3"), std::string::npos);
    const auto boxes = MediaBoxes(pdf);
    ASSERT_EQ(boxes.size(), 3u);
    const std::vector<std::vector<double>> expected = {
        {0, 0, 612, 792}, {0, 0, 595, 842}, {0, 0, 792, 612}};
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(boxes[i].size(), 4u);
        for (std::size_t k = 0; k < 4; ++k) {
            // Page sizes are written in whole points: A4 is 595.3 by 841.9.
            EXPECT_NEAR(boxes[i][k], expected[i][k], 0.01) << "page " << i + 1;
        }
    }
    // Text is kept as text in an embedded face that maps back to characters, not as pictures.
    EXPECT_NE(pdf.find("/FontFile2"), std::string::npos);
    EXPECT_NE(pdf.find("/ToUnicode"), std::string::npos);
    EXPECT_NE(pdf.find("DejaVuSans"), std::string::npos);
    EXPECT_EQ(pdf.find("/Subtype /Image"), std::string::npos);
}

// `count` pages of 400 fills in scattered places and colours: a PDF that compresses poorly, so
// that it goes out in several pieces before it is finished, and that is quick to paint.
page::Document ScatteredPages(int count) {
    page::Document document;
    document.title = "Scattered";
    unsigned seed = 1;
    const auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % range);
    };
    for (int i = 1; i <= count; ++i) {
        page::Page p;
        p.number = i;
        for (int k = 0; k < 400; ++k) {
            page::Fill fill;
            fill.rect = {next(12000), next(15000), next(2000) + 1, next(2000) + 1};
            fill.colour = {static_cast<std::uint8_t>(next(256)),
                           static_cast<std::uint8_t>(next(256)),
                           static_cast<std::uint8_t>(next(256))};
            p.items.emplace_back(fill);
        }
        document.pages.push_back(std::move(p));
    }
    return document;
}

// The pieces a PDF was written in; writing piece `failAt` (1-based; 0 never) fails.
struct Pieces {
    std::vector<std::string> written;
    std::size_t failAt = 0;
    engine::ChunkWriter Writer() {
        return [this](std::string_view piece) {
            if (written.size() + 1 == failAt) {
                throw engine::EngineError("the disk is full");
            }
            written.emplace_back(piece);
        };
    }
};

TEST(PdfPages, PagesGoOutAsTheyAreAddedAndMakeOneWholePdf) {
    const page::Document document = ScatteredPages(12);
    Pieces out;
    qt::PdfPages pdf(out.Writer(), "r.pdf", document.title);
    std::size_t atHalf = 0;
    for (const auto& p : document.pages) {
        pdf.Add(p);
        if (p.number == 6) {
            atHalf = out.written.size();
        }
    }
    const std::size_t beforeFinish = out.written.size();
    pdf.Finish();
    EXPECT_GT(atHalf, 0u) << "nothing was written while pages were still coming";
    EXPECT_GT(beforeFinish, atHalf);

    std::string file;
    for (const auto& piece : out.written) {
        file += piece;
    }
    EXPECT_EQ(file.rfind("%PDF-1.", 0), 0u);
    EXPECT_NE(file.find("/Count 12\n"), std::string::npos);
    EXPECT_EQ(MediaBoxes(file).size(), 12u);
    EXPECT_EQ(file.substr(file.size() - 6), "%%EOF\n");
}

TEST(PdfPages, AWriteThatFailsMidwayStopsTheExportWithItsOwnError) {
    const page::Document document = ScatteredPages(12);
    Pieces out;
    out.failAt = 2;
    int added = 0;
    {
        qt::PdfPages pdf(out.Writer(), "r.pdf", document.title);
        try {
            for (const auto& p : document.pages) {
                pdf.Add(p);
                ++added;
            }
            pdf.Finish();
            FAIL() << "the failed write went unnoticed";
        } catch (const engine::EngineError& e) {
            EXPECT_EQ(e.Description(), "the disk is full");
        }
    } // left unfinished: writes nothing more
    EXPECT_LT(added, 12) << "pages went on being painted after the write failed";
    EXPECT_EQ(out.written.size(), 1u);
}

TEST_F(PageFiles, AReportThatFailsMidwayLeavesTheEarlierPdfAndItsErrorAsTheyWere) {
    const fs::path pdf = dir / "r.pdf";
    qt::WriteDocumentPdf(NumberedPages(1), pdf.string());
    const std::string before = Slurp(pdf);
    const page::Document document = ScatteredPages(12);
    try {
        qt::WritePdf(pdf.string(), "Scattered", [&](qt::PdfPages& pages) {
            for (const auto& p : document.pages) {
                pages.Add(p);
            }
            throw engine::EngineError("The database has gone.");
        });
        FAIL() << "the failed run went unnoticed";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.Description(), "The database has gone.") << "not taken for a write failure";
    }
    // The disk fails once the PDF is partly written.
    engine::SetWriteFailureForTesting(engine::WriteFailure::Write);
    try {
        qt::WriteDocumentPdf(document, pdf.string());
        FAIL() << "the failed write went unnoticed";
    } catch (const ExportError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot write the PDF " + pdf.string() + ": ", 0), 0u)
            << e.what();
    }
    engine::SetWriteFailureForTesting(std::nullopt);
    EXPECT_EQ(Slurp(pdf), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
        << "no temporary files are left";
}

} // namespace
} // namespace foliant::test
