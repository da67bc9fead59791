// The preview window and its viewer on screen (offscreen Qt), driven as a person drives them
// and checked by the pixels painted: running a report off the window's thread, paging with the
// page box, zooming, finding, cancelling, printing, and the window's placement.

#include "generate/LayoutBuilder.h"
#include "platform/forms/Form.h"
#include "preview/QuickView.h"
#include "tests/engine/TestSupport.h"
#include "tests/viewer/Pages.h"
#include "tests/winreg/TempRegistry.h"
#include "ui/qt/PageCanvas.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/ReportViewer.h"
#include "wizard/WizardState.h"

#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace foliant::test {
namespace {

using qt::PageCanvas;
using qt::ReportViewer;

// `count` orders, one a line in a listing of customer and amount.
std::shared_ptr<engine::Report> Listing(const engine::test::TempDir& dir, int count,
                                        bool topRegions = false) {
    const std::string path = dir.File("orders" + std::to_string(count) + ".db");
    engine::test::MakeDatabase(
        path, "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer TEXT, Region TEXT, "
              "Amount REAL);"
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                  std::to_string(count) +
                  ") INSERT INTO Orders SELECT i, 'Cust' || i, char(65 + i % 5) || 'land', "
                  "(i * 37) % 997 + 1 FROM n;");
    auto report = engine::Report::CreateOverDatabase(path);
    generate::ReportChoices choices;
    choices.title = "Orders";
    choices.columns = {{"Orders.Customer"}, {"Orders.Amount"}};
    if (topRegions) {
        choices.groups = {{"Orders.Region"}};
        choices.groups[0].summaries = {{"Orders.Amount"}};
        choices.groups[0].sort = {engine::GroupSortMode::TopN, "Orders.Amount", 2};
    }
    generate::BuildReportLayout(*report, choices);
    return report;
}

QImage Canvas(ReportViewer& viewer) {
    return viewer.findChild<QScrollArea*>(QStringLiteral("pageArea"))->widget()->grab().toImage();
}

QRect Marked(const QImage& image, const QColor& colour) {
    return InkBounds(image, image.rect(), [&](QRgb c) {
        return std::abs(qRed(c) - colour.red()) < 8 && std::abs(qGreen(c) - colour.green()) < 8 &&
               std::abs(qBlue(c) - colour.blue()) < 8;
    });
}

// The 1-based page with a run that reads exactly `text`; 0 when none has.
int TextPageOf(const engine::page::Document& document, const std::string& text) {
    int page = 1;
    for (const auto& p : document.pages) {
        std::ostringstream out;
        for (const auto& item : p.items) {
            if (const auto* run = std::get_if<engine::page::TextRun>(&item)) {
                out << run->text << "\n";
            }
        }
        if (out.str().find(text + "\n") != std::string::npos) {
            return page;
        }
        ++page;
    }
    return 0;
}

class PreviewOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.resize(900, 700);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    }
    void TearDown() override {
        viewer.close();
        QApplication::processEvents();
    }
    void Run(const std::shared_ptr<engine::Report>& report) {
        viewer.SetReport(report);
        viewer.ShowReport();
        ASSERT_TRUE(viewer.WaitForRun());
        ASSERT_EQ(viewer.RunError(), QString());
    }

    engine::test::TempDir dir;
    ReportViewer viewer;
};

TEST_F(PreviewOnScreen, ThePageBoxAndButtonsPageThroughWhatWasPainted) {
    Run(Listing(dir, 700));
    const int pages = viewer.PageCount();
    ASSERT_GT(pages, 5);
    EXPECT_EQ(viewer.PageText(), QStringLiteral("1 of %1").arg(pages));
    const QImage first = Canvas(viewer);

    auto* box = viewer.findChild<QLineEdit*>(QStringLiteral("pageBox"));
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("3"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(viewer.CurrentPage(), 3);
    EXPECT_EQ(viewer.PageText(), QStringLiteral("3 of %1").arg(pages));
    EXPECT_NE(Canvas(viewer), first) << "page 3 paints other records";
    viewer.FirstPage();
    EXPECT_EQ(Canvas(viewer), first);
}

TEST_F(PreviewOnScreen, ZoomGrowsThePaintedSheetAndCtrlWheelZoomsToo) {
    Run(Listing(dir, 40));
    viewer.SetZoom(0.5);
    const auto sheetWidth = [&] {
        // The white sheet's width on the grey desk.
        const QImage image = Canvas(viewer);
        return InkBounds(image, image.rect(), [](QRgb c) { return c == qRgb(255, 255, 255); })
            .width();
    };
    const int half = sheetWidth();
    viewer.ZoomIn();
    EXPECT_NEAR(sheetWidth(), half * 1.25, 3);
    QWidget* view = viewer.findChild<QScrollArea*>(QStringLiteral("pageArea"))->viewport();
    QWheelEvent wheel(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_NEAR(sheetWidth(), half, 3) << "Ctrl with the wheel turned back zooms out";
}

TEST_F(PreviewOnScreen, FindMarksTheRightRunOnTheRightPage) {
    Run(Listing(dir, 700));
    const int expectedPage = TextPageOf(viewer.Document(), "Cust537");
    ASSERT_GT(expectedPage, 3);
    viewer.setFocus();
    QTest::keyClick(&viewer, Qt::Key_F, Qt::ControlModifier);
    auto* findBox = viewer.findChild<QLineEdit*>(QStringLiteral("findBox"));
    ASSERT_TRUE(findBox->isVisible());
    QTest::keyClicks(findBox, QStringLiteral("cust537"));
    EXPECT_EQ(viewer.CurrentPage(), expectedPage);
    ASSERT_EQ(viewer.Matches().size(), 1u);

    // The strong mark sits where that run lies on the sheet.
    const QImage image = Canvas(viewer);
    const QRect mark = Marked(image, PageCanvas::CurrentMatchColour());
    ASSERT_FALSE(mark.isNull());
    const auto& page = viewer.Document().pages[static_cast<std::size_t>(expectedPage - 1)];
    const auto& run = std::get<engine::page::TextRun>(page.items[viewer.Matches()[0].item]);
    EXPECT_EQ(run.text, "Cust537");
    const double scale = double(image.height() - 2 * PageCanvas::kMargin) / page.height;
    EXPECT_NEAR(mark.top(), PageCanvas::kMargin + run.box.top * scale, 2);
    EXPECT_NEAR(mark.left(), PageCanvas::kMargin + run.box.left * scale, 2);

    viewer.FirstPage();
    EXPECT_TRUE(Marked(Canvas(viewer), PageCanvas::CurrentMatchColour()).isNull())
        << "no mark on a page without the text";

    // A text on many pages: F3 walks the matches, the weak marks show the others.
    EXPECT_GT(viewer.Find(QStringLiteral("Cust1")), 100);
    const auto before = viewer.CurrentMatch();
    QTest::keyClick(&viewer, Qt::Key_F3);
    EXPECT_NE(viewer.CurrentMatch(), before);
    EXPECT_FALSE(Marked(Canvas(viewer), PageCanvas::MatchColour()).isNull());
}

TEST_F(PreviewOnScreen, CancellingALongRunLeavesTheViewerUsable) {
    viewer.SetReport(Listing(dir, 200000, true));
    viewer.ShowReport();
    ASSERT_TRUE(viewer.Running());
    viewer.CancelRun();
    ASSERT_TRUE(viewer.WaitForRun(60000));
    EXPECT_EQ(viewer.RunError(), QString());
    EXPECT_EQ(viewer.PageCount(), 0);

    Run(Listing(dir, 30));
    EXPECT_EQ(viewer.PageCount(), 1);
    EXPECT_FALSE(
        InkBounds(Canvas(viewer), Canvas(viewer).rect(), [](QRgb c) { return qGray(c) < 60; })
            .isNull())
        << "text painted on the sheet";
}

TEST_F(PreviewOnScreen, PrintsTheChosenPagesToAPdfPrinter) {
    Run(Listing(dir, 700));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string out = dir.File("printed.pdf");
    printer.setOutputFileName(QString::fromStdString(out));
    printer.setFromTo(2, 4);
    viewer.PrintTo(printer);
    std::ifstream file(out, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    EXPECT_EQ(bytes.str().rfind("%PDF-", 0), 0u);
    EXPECT_NE(bytes.str().find("/Count 3"), std::string::npos) << "pages 2 to 4";
}

TEST_F(PreviewOnScreen, TheCsvExportWritesEveryDetailRecord) {
    Run(Listing(dir, 250));
    const std::string out = dir.File("orders.csv");
    viewer.ExportTo(out);
    std::ifstream file(out, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = bytes.str().find("\r\n", at)) != std::string::npos; at += 2) {
        ++lines;
    }
    EXPECT_EQ(lines, 251u) << "the headings and one line per record";
}

// The whole window: the Qt backend shows QuickView with the viewer filling it, and closing it
// stores where it was.
TEST(QuickViewWindow, ShowsTheReportFillingTheWindowAndRemembersWhereItWas) {
    testing::TempRegistry registry;
    engine::test::TempDir dir;
    Wizard::ResetState();
    forms::BackendScope scope(std::make_shared<qt::QtBackend>());
    auto report = Listing(dir, 120);
    int pages = 0;
    QSize viewerSize;
    QSize clientSize;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* window = QApplication::activeModalWidget();
        auto* viewer = window ? window->findChild<ReportViewer*>() : nullptr;
        if (viewer == nullptr || viewer->Running()) {
            return;
        }
        poll.stop();
        pages = viewer->PageCount();
        Wizard::State().PreviewForm->UserMove(1500, 1200, 12000, 9000);
        QApplication::processEvents();
        viewerSize = viewer->size();
        clientSize = window->size();
        window->close();
    });
    poll.start(50);
    preview::ShowQuickView(report);
    EXPECT_GT(pages, 1);
    EXPECT_EQ(viewerSize, clientSize);
    registry::RegObject reg;
    EXPECT_EQ(reg.RegRead(static_cast<std::int32_t>(0x80000001), preview::kPlacementKey,
                          preview::kPositionValue, {}),
              automation::Variant("1500,1200,12000,9000"));
    Wizard::ResetState();
}

} // namespace
} // namespace foliant::test
