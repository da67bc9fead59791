// The design window driven as a person drives it: choosing a summary in the structure panel,
// changing its width, font size and alignment, a heading's colour and weight, a section's page
// break, moving a heading with the arrow keys, undo and redo from the keyboard, saving, and
// closing with unsaved changes.

#include "ui/qt/DesignWindow.h"

#include "design/Grid.h"
#include "design/Structure.h"
#include "tests/design/DesignTestSupport.h"
#include "tests/winreg/TempRegistry.h"
#include "ui/qt/DesignOverlay.h"
#include "ui/qt/DesignProperties.h"
#include "ui/qt/PageCanvas.h"
#include "ui/qt/ReportViewer.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <nlohmann/json.hpp>

#include <cstdio>

namespace foliant::qt {
namespace {

using design::test::DesignTest;

// What `foliant inspect` prints for the file.
nlohmann::json Inspect(const std::string& file) {
    std::string out;
    FILE* pipe =
        ::popen((std::string("'") + FOLIANT_EXE + "' inspect '" + file + "'").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    EXPECT_EQ(pipe ? ::pclose(pipe) : -1, 0) << out;
    return nlohmann::json::parse(out);
}

// The inked part of a box of the painted page (pixels darker than light grey).
QRect InkIn(const QImage& image, const QRect& box) {
    QRect ink;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 160) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

// The group footer's summary objects as `foliant inspect` describes them.
std::vector<nlohmann::json> InspectedSummaries(const std::string& file) {
    std::vector<nlohmann::json> out;
    const nlohmann::json inspected = Inspect(file);
    for (const auto& area : inspected["areas"]) {
        if (area["name"] != "GF1") {
            continue;
        }
        for (const auto& o : area["sections"][0]["objects"]) {
            if (o["kind"] == "field" && o["field"]["kind"] == 3) {
                out.push_back(o);
            }
        }
    }
    return out;
}

class DesignWindowTest : public DesignTest {
protected:
    void SetUp() override {
        DesignTest::SetUp();
        ASSERT_TRUE(window.Open(path));
        window.show();
        ASSERT_TRUE(window.Viewer()->WaitForRun());
        ASSERT_TRUE(window.Document()->HasRun());
    }
    // The painted page, and where the first print of the object lies on it.
    QImage Painted() { return window.Viewer()->Canvas()->grab().toImage(); }
    QRect FirstPrint(int object) {
        window.Overlay()->SetChosen(object);
        return window.Overlay()->ChosenRect();
    }
    // The page as painted, without the design frame that marks the chosen object.
    QImage PaintedBare() {
        const int chosen = window.Overlay()->Chosen();
        window.Overlay()->SetChosen(-1);
        QImage image = Painted();
        window.Overlay()->SetChosen(chosen);
        return image;
    }
    // How many pixels of the object's first print are painted in a strong blue.
    int BluePixelsOf(int object) {
        const QRect box = FirstPrint(object);
        const QImage image = PaintedBare();
        int blue = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                blue += c.blue() > c.red() + 100 && c.blue() > c.green() + 100 ? 1 : 0;
            }
        }
        return blue;
    }
    // The top of the first text on the window's page that reads `text`.
    int TopOfText(const std::string& text) {
        for (const auto& item : window.Viewer()->Document().pages.at(0).items) {
            const auto* run = std::get_if<engine::page::TextRun>(&item);
            if (run != nullptr && run->text == text) {
                return run->box.top;
            }
        }
        ADD_FAILURE() << "no " << text << " on the page";
        return -1;
    }
    // Clicks the first structure entry that reads `text`, as a person chooses an object.
    void ClickInStructure(const QString& text) {
        for (QTreeWidgetItemIterator it(window.Structure()); *it; ++it) {
            if ((*it)->text(0) == text) {
                window.Structure()->scrollToItem(*it);
                QTest::mouseClick(window.Structure()->viewport(), Qt::LeftButton, {},
                                  window.Structure()->visualItemRect(*it).center());
                return;
            }
        }
        ADD_FAILURE() << "no " << text.toStdString() << " in the structure";
    }
    // Types a value into a spin box of the property panel and presses Enter.
    void TypeInto(const char* name, int value) {
        auto* box = Property<QSpinBox>(name);
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
        QTest::keyClick(box, Qt::Key_Return);
    }
    template <typename W> W* Property(const char* name) {
        auto* widget = window.Properties()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    testing::TempRegistry registry;
    DesignWindow window;
};

TEST_F(DesignWindowTest, SummaryChosenInTheStructureGetsWidthAndAlignmentThatSaveAndPaint) {
    QTreeWidgetItem* summary = nullptr;
    for (QTreeWidgetItemIterator it(window.Structure()); *it; ++it) {
        if ((*it)->text(0) == "Summary") {
            summary = *it;
            break;
        }
    }
    ASSERT_NE(summary, nullptr);
    QTest::mouseClick(window.Structure()->viewport(), Qt::LeftButton, {},
                      window.Structure()->visualItemRect(summary).center());
    ASSERT_TRUE(window.Selection().object);
    const int index = window.Overlay()->Chosen();
    ASSERT_GE(index, 0) << "the page shows the choice";
    const QRect box = FirstPrint(index);
    const QRect inkBefore = InkIn(PaintedBare(), box);
    const int width =
        design::ObjectAt(window.Document()->Report(), *window.Selection().object).ObjectWidth();

    auto* size = Property<QSpinBox>("width");
    size->selectAll();
    QTest::keyClicks(size, QString::number(width + 1440));
    QTest::keyClick(size, Qt::Key_Return);
    auto* align = Property<QComboBox>("alignment");
    align->setFocus();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(align, Qt::Key_Down); // Default, Left, Centre, Right
    }
    EXPECT_EQ(window.windowTitle(), "Sales.rpt* - Foliant Design");
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(window.windowTitle(), "Sales.rpt - Foliant Design");

    const auto inspected = Inspect(path);
    bool found = false;
    for (const auto& area : inspected["areas"]) {
        if (area["name"] != "GF1") {
            continue;
        }
        for (const auto& o : area["sections"][0]["objects"]) {
            if (o["kind"] != "field" || o["field"]["kind"] != 3) {
                continue;
            }
            EXPECT_EQ(o["width"], width + 1440);
            EXPECT_EQ(o["align"], 3);
            found = true;
        }
    }
    EXPECT_TRUE(found) << inspected.dump(2);
    // On the page the total's box is an inch wider and the total stands at its right.
    const QRect after = FirstPrint(index);
    const QRect ink = InkIn(PaintedBare(), after);
    EXPECT_NEAR(after.width() - box.width(), 1440 * window.Viewer()->PixelsPerTwip(), 2);
    EXPECT_EQ(ink.height(), inkBefore.height());
    EXPECT_GE(ink.right(), after.right() - 4);
    EXPECT_GT(ink.left(), after.left() + after.width() / 3);
}

TEST_F(DesignWindowTest, ArrowKeysMoveAHeadingOnTheGridAndUndoRedoFromTheKeyboard) {
    const auto heading = Find("PH", engine::ObjectKind::Text);
    const design::ObjectState start =
        design::CaptureObject(design::ObjectAt(window.Document()->Report(), heading));
    const int left = start.left;
    // A click on the heading where it prints chooses it.
    const auto objects = window.Document()->Report().AllObjects();
    const auto& object = design::ObjectAt(window.Document()->Report(), heading);
    const int index = static_cast<int>(
        std::find_if(objects.begin(), objects.end(), [&](auto& o) { return o.get() == &object; }) -
        objects.begin());
    const QRect print = FirstPrint(index);
    window.Overlay()->SetChosen(-1);
    QTest::mouseClick(window.Overlay(), Qt::LeftButton, {}, print.center());
    ASSERT_EQ(window.Selection().object, heading);
    EXPECT_EQ(window.Structure()->currentItem(), window.Structure()->ItemFor(window.Selection()));

    QTest::keyClick(window.Overlay(), Qt::Key_Right);
    QTest::keyClick(window.Overlay(), Qt::Key_Right);
    QTest::keyClick(window.Overlay(), Qt::Key_Down, Qt::AltModifier);
    const auto& moved = design::ObjectAt(window.Document()->Report(), heading);
    EXPECT_EQ(moved.Left(), design::Nudged(design::Nudged(start, 1, 0, false), 1, 0, false).left);
    EXPECT_EQ(moved.Left() % design::kGridTwips, 0) << "on the grid";
    EXPECT_EQ(moved.Top(), start.top + design::kFineStepTwips) << "Alt: one pixel, off the grid";
    EXPECT_NEAR(FirstPrint(index).left() - print.left(),
                (moved.Left() - left) * window.Viewer()->PixelsPerTwip(), 2)
        << "the page follows";

    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(moved.Top(), start.top);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(moved.Top(), start.top + design::kFineStepTwips);
}

TEST_F(DesignWindowTest, EnterOnAnObjectInTheStructureLetsTheArrowKeysMoveIt) {
    QApplication::setActiveWindow(&window);
    const auto heading = Find("PH", engine::ObjectKind::Text);
    window.Choose({heading, heading.Section()});
    window.Structure()->setFocus();
    QTest::keyClick(window.Structure(), Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), window.Overlay());
    const int left = design::ObjectAt(window.Document()->Report(), heading).Left();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_GT(design::ObjectAt(window.Document()->Report(), heading).Left(), left);
    EXPECT_EQ(window.Selection().object, heading) << "the choice stays";
}

TEST_F(DesignWindowTest, ClosingWithUnsavedChangesAsksAndCancelKeepsTheWindow) {
    const auto heading = Find("PH", engine::ObjectKind::Text);
    window.Choose({heading, heading.Section()});
    QTest::keyClick(window.Overlay(), Qt::Key_Down);
    ASSERT_TRUE(window.Document()->Modified());
    QString asked;
    const auto answer = [&](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&asked, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            asked = box->text();
            box->button(button)->click();
        });
    };
    answer(QMessageBox::Cancel);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(asked.contains("Sales.rpt")) << asked.toStdString();
    EXPECT_TRUE(window.isVisible());
    answer(QMessageBox::Discard);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(design::DesignDocument::Open(path)->Report().FindSection("PH")->Objects()[0]->Top(),
              0)
        << "nothing was saved";
}

TEST_F(DesignWindowTest, SectionHeightFromThePropertyPanelMovesWhatFollows) {
    const auto details = Find("D", engine::ObjectKind::Field).Section();
    window.Choose({std::nullopt, details});
    const int height = design::SectionAt(window.Document()->Report(), details).SectionHeight();
    const int bobTop = TopOfText("Bob");
    auto* box = Property<QSpinBox>("sectionHeight");
    ASSERT_TRUE(box->isVisible());
    box->selectAll();
    QTest::keyClicks(box, QString::number(height + 600));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(design::SectionAt(window.Document()->Report(), details).SectionHeight(),
              height + 600);
    EXPECT_EQ(TopOfText("Bob"), bobTop + 600);
    EXPECT_EQ(window.Viewer()->Document().pages.size(), window.Document()->Pages().pages.size());
    EXPECT_EQ(window.Structure()->ItemFor(window.Selection())->text(0), "Section D");
}

TEST_F(DesignWindowTest, SummarysFontSizeAndAlignmentFromThePanelSaveAndPaintLargerCentred) {
    ClickInStructure("Summary");
    ASSERT_TRUE(window.Selection().object);
    const int index = window.Overlay()->Chosen();
    ASSERT_GE(index, 0);
    const QRect inkBefore = InkIn(PaintedBare(), FirstPrint(index));
    ASSERT_FALSE(inkBefore.isEmpty());

    TypeInto("fontSize", 16);
    auto* align = Property<QComboBox>("alignment");
    align->setFocus();
    QTest::keyClick(align, Qt::Key_Down); // Left
    QTest::keyClick(align, Qt::Key_Down); // Centre
    EXPECT_EQ(window.Document()->UndoText(), "Undo Alignment");
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(window.windowTitle(), "Sales.rpt - Foliant Design");

    const auto summaries = InspectedSummaries(path);
    ASSERT_FALSE(summaries.empty());
    EXPECT_EQ(summaries[0]["format"]["fontSize"], 16 * 20);
    EXPECT_EQ(summaries[0]["align"], 2);
    EXPECT_GE(summaries[0]["height"].get<int>(), 16 * 24) << "tall enough for the larger line";

    // The total is painted larger, in the middle of its box.
    const QRect after = FirstPrint(index);
    const QRect ink = InkIn(PaintedBare(), after);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), inkBefore.height() * 1.3);
    EXPECT_GT(ink.width(), inkBefore.width() * 1.3);
    EXPECT_NEAR(ink.center().x(), after.center().x(), 3);
}

TEST_F(DesignWindowTest, HeadingsColourAndWeightAndASectionsPageBreakComeFromThePanel) {
    const auto heading = Find("PH", engine::ObjectKind::Text);
    window.Choose({heading, heading.Section()});
    const int index = window.Overlay()->Chosen();
    Property<QCheckBox>("italic")->click(); // grey (the style's) to ticked
    ASSERT_TRUE(design::ObjectAt(window.Document()->Report(), heading).Format().italic);

    EXPECT_EQ(BluePixelsOf(index), 0);
    QTest::mouseClick(Property<QPushButton>("colour"), Qt::LeftButton);
    auto* dialog = window.Properties()->findChild<QColorDialog*>("colourDialog");
    ASSERT_NE(dialog, nullptr);
    dialog->setCurrentColor(QColor(0, 0, 255));
    dialog->accept();
    EXPECT_GT(BluePixelsOf(index), 50) << "the heading is painted blue";
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(design::ObjectAt(window.Document()->Report(), heading).Format().colour);

    const auto header = Find("GH1", engine::ObjectKind::Field).Section();
    window.Choose({std::nullopt, header});
    auto* newPage = Property<QCheckBox>("newPageBefore");
    ASSERT_TRUE(newPage->isEnabled());
    const auto pages = window.Viewer()->Document().pages.size();
    newPage->click();
    EXPECT_EQ(window.Viewer()->Document().pages.size(), pages + 1) << "Spain starts page 2";
    window.Choose({std::nullopt, heading.Section()});
    EXPECT_FALSE(newPage->isEnabled()) << "a page header comes on every page anyway";
}

} // namespace
} // namespace foliant::qt
