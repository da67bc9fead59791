// The report viewer pages through a document, zooms, answers the keyboard and exports.
#include "ui/qt/ReportViewer.h"
#include "tests/viewer/Pages.h"
#include "ui/qt/PagePainter.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace foliant::test {
namespace {

namespace fs = std::filesystem;
using qt::ReportViewer;

QAction* Action(ReportViewer& viewer, const char* name) {
    return viewer.findChild<QAction*>(QString::fromLatin1(name));
}

QString Label(ReportViewer& viewer, const char* name) {
    return viewer.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

QString PageBox(ReportViewer& viewer) {
    return viewer.findChild<QLineEdit*>(QStringLiteral("pageBox"))->text();
}

// The state of the page buttons: F(irst) P(revious) N(ext) L(ast), '-' when disabled.
std::string Buttons(ReportViewer& viewer) {
    std::string s;
    s += Action(viewer, "firstPage")->isEnabled() ? 'F' : '-';
    s += Action(viewer, "previousPage")->isEnabled() ? 'P' : '-';
    s += Action(viewer, "nextPage")->isEnabled() ? 'N' : '-';
    s += Action(viewer, "lastPage")->isEnabled() ? 'L' : '-';
    return s;
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.resize(800, 600);
        viewer.SetDocument(NumberedPages(4));
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    }
    void TearDown() override {
        viewer.close();
        QApplication::processEvents();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(widget->isVisible()) << "a window is left open";
        }
    }
    // The page sheet's size on screen.
    QSize SheetSize() {
        auto* area = viewer.findChild<QScrollArea*>(QStringLiteral("pageArea"));
        return area->widget()->size() - QSize(24, 24);
    }
    QSize ViewSize() {
        return viewer.findChild<QScrollArea*>(QStringLiteral("pageArea"))->maximumViewportSize();
    }
    ReportViewer viewer;
};

TEST_F(Viewer, PagesThroughTheDocumentWithTheButtons) {
    QSignalSpy changed(&viewer, &ReportViewer::PageChanged);
    EXPECT_EQ(viewer.CurrentPage(), 1);
    EXPECT_EQ(viewer.PageText(), QStringLiteral("1 of 4"));
    EXPECT_EQ(PageBox(viewer), QStringLiteral("1"));
    EXPECT_EQ(Label(viewer, "pageLabel"), QStringLiteral("of 4"));
    EXPECT_EQ(Buttons(viewer), "--NL") << "nothing before the first page";

    Action(viewer, "nextPage")->trigger();
    Action(viewer, "nextPage")->trigger();
    EXPECT_EQ(viewer.CurrentPage(), 3);
    EXPECT_EQ(viewer.PageText(), QStringLiteral("3 of 4"));
    EXPECT_EQ(PageBox(viewer), QStringLiteral("3"));
    EXPECT_EQ(Buttons(viewer), "FPNL");

    Action(viewer, "lastPage")->trigger();
    EXPECT_EQ(viewer.CurrentPage(), 4);
    EXPECT_EQ(Buttons(viewer), "FP--") << "nothing after the last page";
    viewer.NextPage();
    EXPECT_EQ(viewer.CurrentPage(), 4);

    Action(viewer, "previousPage")->trigger();
    EXPECT_EQ(viewer.CurrentPage(), 3);
    Action(viewer, "firstPage")->trigger();
    EXPECT_EQ(viewer.CurrentPage(), 1);
    viewer.PreviousPage();
    EXPECT_EQ(viewer.CurrentPage(), 1);
    viewer.ShowPage(99);
    EXPECT_EQ(viewer.CurrentPage(), 4) << "a page past the end shows the last";
    viewer.ShowPage(-3);
    EXPECT_EQ(viewer.CurrentPage(), 1);

    // One signal per real change: 2, 3, 4, 3, 1, 4, 1.
    EXPECT_EQ(changed.count(), 7);
}

TEST_F(Viewer, KeyboardPagesAndZooms) {
    viewer.setFocus();
    QTest::keyClick(&viewer, Qt::Key_PageDown);
    EXPECT_EQ(viewer.CurrentPage(), 2);
    QTest::keyClick(&viewer, Qt::Key_Right);
    EXPECT_EQ(viewer.CurrentPage(), 3);
    QTest::keyClick(&viewer, Qt::Key_PageUp);
    EXPECT_EQ(viewer.CurrentPage(), 2);
    QTest::keyClick(&viewer, Qt::Key_End);
    EXPECT_EQ(viewer.CurrentPage(), 4);
    QTest::keyClick(&viewer, Qt::Key_Home);
    EXPECT_EQ(viewer.CurrentPage(), 1);
    QTest::keyClick(&viewer, Qt::Key_Left);
    EXPECT_EQ(viewer.CurrentPage(), 1);

    viewer.SetZoom(1.0);
    QTest::keyClick(&viewer, Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(viewer.Zoom(), 1.25);
    QTest::keyClick(&viewer, Qt::Key_Minus);
    QTest::keyClick(&viewer, Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(viewer.Zoom(), 0.8);

    // Ctrl with the wheel zooms; the wheel alone does not.
    QWidget* area = viewer.findChild<QScrollArea*>(QStringLiteral("pageArea"))->viewport();
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(area->width() / 2.0, area->height() / 2.0);
        QWheelEvent event(at, area->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &event);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(viewer.Zoom(), 1.0);
    wheel(-120, Qt::NoModifier);
    EXPECT_DOUBLE_EQ(viewer.Zoom(), 1.0);
    EXPECT_EQ(viewer.CurrentPage(), 1);
}

TEST_F(Viewer, ZoomFitsTheWidthOrTheWholePageAndKeepsFittingOnResize) {
    EXPECT_EQ(viewer.Mode(), ReportViewer::ZoomMode::FitWidth) << "a new viewer fits the width";
    QSize view = ViewSize();
    EXPECT_LE(SheetSize().width(), view.width());
    EXPECT_GE(SheetSize().width(), view.width() - 24 - 30) << "the page fills the width";
    EXPECT_GT(SheetSize().height(), view.height()) << "a Letter page is taller than wide";

    Action(viewer, "wholePage")->trigger();
    EXPECT_EQ(viewer.Mode(), ReportViewer::ZoomMode::WholePage);
    EXPECT_LE(SheetSize().height(), view.height() - 24);
    EXPECT_GE(SheetSize().height(), view.height() - 26);
    EXPECT_TRUE(Action(viewer, "wholePage")->isChecked());
    EXPECT_FALSE(Action(viewer, "fitWidth")->isChecked());

    viewer.resize(800, 900);
    QApplication::processEvents();
    view = ViewSize();
    EXPECT_GE(SheetSize().height(), view.height() - 26) << "the fit follows the window";

    viewer.SetZoom(1.0);
    const QSize fixed = SheetSize();
    viewer.resize(500, 400);
    QApplication::processEvents();
    EXPECT_EQ(SheetSize(), fixed) << "a chosen zoom stays when the window changes";
    EXPECT_EQ(Label(viewer, "zoomLabel"), QStringLiteral("100%"));
    // At 100% a Letter page is 8.5 inches wide on the screen.
    EXPECT_NEAR(SheetSize().width(), 8.5 * viewer.logicalDpiX(), 1);

    Action(viewer, "zoomIn")->trigger();
    EXPECT_NEAR(SheetSize().width(), 1.25 * fixed.width(), 1);
    for (int i = 0; i < 40; ++i) {
        viewer.ZoomIn();
    }
    EXPECT_DOUBLE_EQ(viewer.Zoom(), ReportViewer::kMaximumZoom);
    EXPECT_FALSE(Action(viewer, "zoomIn")->isEnabled());
    for (int i = 0; i < 60; ++i) {
        viewer.ZoomOut();
    }
    EXPECT_DOUBLE_EQ(viewer.Zoom(), ReportViewer::kMinimumZoom);
    EXPECT_FALSE(Action(viewer, "zoomOut")->isEnabled());
}

TEST_F(Viewer, ShowsTheCurrentPagesContent) {
    page::Document document = NumberedPages(2);
    document.pages[1].items.emplace_back(page::Fill{{2000, 2000, 4000, 4000}, {255, 0, 0}});
    viewer.SetDocument(document);
    auto redShown = [&] {
        const QImage shot = viewer.grab().toImage();
        return !InkBounds(shot, shot.rect(), [](QRgb c) {
                    return qRed(c) > 200 && qGreen(c) < 50 && qBlue(c) < 50;
                }).isNull();
    };
    EXPECT_FALSE(redShown());
    viewer.NextPage();
    EXPECT_TRUE(redShown());
}

TEST_F(Viewer, ShowsAReportItRuns) {
    std::string pattern = (fs::temp_directory_path() / "foliant-viewer-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    fs::copy_file(FOLIANT_SAMPLE_DB, dir / "sample.db");
    const auto report = engine::Report::CreateOverDatabase((dir / "sample.db").string());
    report->SetTitleText("Empty Listing");
    viewer.SetReport(report);
    viewer.ShowReport();
    ASSERT_TRUE(viewer.WaitForRun());
    EXPECT_EQ(viewer.RunError(), QString());
    ASSERT_GE(viewer.PageCount(), 1);
    EXPECT_EQ(viewer.CurrentPage(), 1);
    EXPECT_EQ(viewer.Document().pages.front().width, 12240) << "Letter unless told otherwise";

    // A report whose database has gone keeps the pages shown and says why.
    fs::remove(dir / "sample.db");
    viewer.SetDocument(NumberedPages(3));
    viewer.ShowPage(2);
    viewer.ShowReport();
    ASSERT_TRUE(viewer.WaitForRun());
    EXPECT_TRUE(viewer.RunError().contains(QStringLiteral("sample.db")))
        << viewer.RunError().toStdString();
    EXPECT_EQ(viewer.PageCount(), 3);
    EXPECT_EQ(viewer.CurrentPage(), 2);
    fs::remove_all(dir);
}

TEST_F(Viewer, AnEmptyDocumentShowsNoPages) {
    viewer.SetDocument({});
    EXPECT_EQ(viewer.CurrentPage(), 0);
    EXPECT_EQ(Label(viewer, "pageLabel"), QStringLiteral("No pages"));
    EXPECT_EQ(Buttons(viewer), "----");
    EXPECT_FALSE(Action(viewer, "export")->isEnabled());
    viewer.NextPage();
    viewer.LastPage();
    EXPECT_EQ(viewer.CurrentPage(), 0);
    EXPECT_FALSE(viewer.grab().isNull());
}

TEST_F(Viewer, ExportsByTheFilesExtension) {
    std::string pattern = (fs::temp_directory_path() / "foliant-viewer-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    viewer.ExportTo((dir / "r.pdf").string());
    viewer.ExportTo((dir / "r.png").string());
    viewer.ExportTo((dir / "r.html").string());
    viewer.ExportTo((dir / "r.txt").string());
    std::ifstream text(dir / "r.txt");
    std::ostringstream content;
    content << text.rdbuf();
    EXPECT_NE(content.str().find("Page 4"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "r.pdf"));
    EXPECT_TRUE(fs::exists(dir / "r-4.png"));
    EXPECT_TRUE(fs::exists(dir / "r.html"));
    EXPECT_THROW(viewer.ExportTo((dir / "r.doc").string()), qt::ExportError);
    EXPECT_THROW(viewer.ExportTo((dir / "none" / "r.txt").string()), qt::ExportError);
    fs::remove_all(dir);
}

} // namespace
} // namespace foliant::test
