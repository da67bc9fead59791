// The design window's document: every kind of edit reaches the pages, undo and redo walk the
// edits both ways, the title and the modified flag follow the file on disk, and a saved report
// loads back the same and still runs.

#include "tests/design/DesignTestSupport.h"

#include "design/Structure.h"
#include "engine/page/TextPainter.h"

#include <fstream>
#include <sstream>

namespace foliant::design::test {
namespace {

using engine::HorizontalAlignment;
using engine::ObjectKind;

std::string FileText(const std::string& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(DesignTest, MovingAnObjectMovesItOnThePageAndUndoRedoWalkBothWays) {
    const ObjectPath heading = Find("PH", ObjectKind::Text);
    const std::string text = ObjectAt(doc->Report(), heading).text();
    const auto before = RunsReading(text).at(0).box;
    ObjectState moved = CaptureObject(ObjectAt(doc->Report(), heading));
    moved.left += 600;
    moved.top += 120;
    doc->Apply(ObjectChange(doc->Report(), heading, moved, "Move"));
    EXPECT_EQ(RunsReading(text).at(0).box.left, before.left + 600);
    EXPECT_EQ(RunsReading(text).at(0).box.top, before.top + 120);
    EXPECT_EQ(doc->Title(), "Sales.rpt*");
    EXPECT_EQ(doc->UndoText(), "Undo Move");

    doc->Undo();
    EXPECT_EQ(RunsReading(text).at(0).box.left, before.left);
    EXPECT_FALSE(doc->Modified()) << "undoing to the saved state leaves nothing unsaved";
    EXPECT_EQ(doc->Title(), "Sales.rpt");
    EXPECT_EQ(doc->RedoText(), "Redo Move");

    doc->Redo();
    EXPECT_EQ(RunsReading(text).at(0).box.left, before.left + 600);
    EXPECT_EQ(CaptureObject(ObjectAt(doc->Report(), heading)), moved);
    EXPECT_TRUE(doc->Modified());
}

TEST_F(DesignTest, TextSizeAndAlignmentOfATextObjectShowOnThePage) {
    const ObjectPath heading = Find("PH", ObjectKind::Text);
    ObjectState state = CaptureObject(ObjectAt(doc->Report(), heading));
    state.text = "Buyer";
    state.width = 3000;
    state.height = 480;
    state.align = HorizontalAlignment::Right;
    doc->Apply(ObjectChange(doc->Report(), heading, state, "Text"));
    ASSERT_EQ(RunsReading("Buyer").size(), 1u);
    const auto run = RunsReading("Buyer")[0];
    EXPECT_EQ(run.box.width, 3000);
    EXPECT_EQ(run.box.height, 480);
    EXPECT_EQ(run.align, HorizontalAlignment::Right);
    EXPECT_TRUE(RunsReading("Customer").empty());
}

TEST_F(DesignTest, SectionHeightMovesWhatFollowsAndUndoesWhole) {
    const SectionPath details = Find("D", ObjectKind::Field).Section();
    const int bobTop = RunsReading("Bob").at(0).box.top;
    SectionState taller = CaptureSection(SectionAt(doc->Report(), details));
    taller.height += 600;
    doc->Apply(SectionChange(doc->Report(), details, taller, "Section Height"));
    EXPECT_EQ(RunsReading("Bob").at(0).box.top, bobTop + 600) << "Ann's row grew above Bob's";
    doc->Undo();
    EXPECT_EQ(RunsReading("Bob").at(0).box.top, bobTop);
    EXPECT_FALSE(doc->Modified());
}

TEST_F(DesignTest, RefusedValueChangesNothingAndLeavesNoStepToUndo) {
    const ObjectPath heading = Find("PH", ObjectKind::Text);
    const ObjectState before = CaptureObject(ObjectAt(doc->Report(), heading));
    ObjectState bad = before;
    bad.text = "Changed";
    bad.height = 0;
    EXPECT_THROW(doc->Apply(ObjectChange(doc->Report(), heading, bad, "Resize")),
                 engine::EngineError);
    EXPECT_EQ(CaptureObject(ObjectAt(doc->Report(), heading)), before)
        << "the text set before the height was refused is taken back";
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_FALSE(doc->Modified());

    const SectionPath details = Find("D", ObjectKind::Field).Section();
    EXPECT_THROW(doc->Apply(SectionChange(doc->Report(), details, {-15}, "Section Height")),
                 engine::EngineError);
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_THROW(ObjectAt(doc->Report(), {0, 0, 99}), engine::EngineError);
    EXPECT_THROW(SectionAt(doc->Report(), {99, 0}), engine::EngineError);
}

TEST_F(DesignTest, AnEditThatChangesNothingIsNoStep) {
    const ObjectPath heading = Find("PH", ObjectKind::Text);
    doc->Apply(ObjectChange(doc->Report(), heading, CaptureObject(ObjectAt(doc->Report(), heading)),
                            "Move"));
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_FALSE(doc->Modified());
}

TEST_F(DesignTest, SavedStateOutOfReachAfterUndoAndNewEditStaysModified) {
    const ObjectPath heading = Find("PH", ObjectKind::Text);
    ObjectState state = CaptureObject(ObjectAt(doc->Report(), heading));
    state.left += 60;
    doc->Apply(ObjectChange(doc->Report(), heading, state, "Move"));
    doc->Save();
    EXPECT_FALSE(doc->Modified());
    doc->Undo();
    EXPECT_TRUE(doc->Modified());
    state.left += 60;
    doc->Apply(ObjectChange(doc->Report(), heading, state, "Move"));
    EXPECT_TRUE(doc->Modified());
    EXPECT_FALSE(doc->CanRedo()) << "a new edit drops the steps that could be redone";
    doc->Undo();
    EXPECT_TRUE(doc->Modified()) << "this is the state before the saved one";
}

TEST_F(DesignTest, SavedReportLoadsBackTheSameAndStillRuns) {
    const ObjectPath total = Find("RF", ObjectKind::Field);
    ObjectState state = CaptureObject(ObjectAt(doc->Report(), total));
    state.left += 1200;
    state.align = HorizontalAlignment::Left;
    doc->Apply(ObjectChange(doc->Report(), total, state, "Move"));
    SectionState footer = CaptureSection(SectionAt(doc->Report(), total.Section()));
    footer.height += 240;
    doc->Apply(SectionChange(doc->Report(), total.Section(), footer, "Section Height"));
    const std::string copy = dir.File("Copy.rpt");
    doc->SaveAs(copy);
    EXPECT_EQ(doc->FilePath(), copy);
    EXPECT_EQ(doc->Title(), "Copy.rpt");

    auto loaded = DesignDocument::Open(copy);
    EXPECT_EQ(engine::SerializeReport(loaded->Report(), copy),
              engine::SerializeReport(doc->Report(), copy));
    EXPECT_EQ(CaptureObject(ObjectAt(loaded->Report(), total)), state);
    loaded->Run(Settings());
    const std::string text = engine::page::RenderText(loaded->Pages());
    EXPECT_NE(text.find("38.75"), std::string::npos) << text; // the grand total
    EXPECT_EQ(text, engine::page::RenderText(doc->Pages())) << "the same pages as before saving";
}

TEST_F(DesignTest, FailedSaveKeepsTheFileAndTheUnsavedChanges) {
    const std::string before = FileText(path);
    const ObjectPath heading = Find("PH", ObjectKind::Text);
    ObjectState state = CaptureObject(ObjectAt(doc->Report(), heading));
    state.top += 60;
    doc->Apply(ObjectChange(doc->Report(), heading, state, "Move"));
    EXPECT_THROW(doc->SaveAs(dir.File("missing/Sales.rpt")), engine::EngineError);
    EXPECT_TRUE(doc->Modified());
    EXPECT_EQ(doc->FilePath(), path) << "the document still belongs to its own file";
    EXPECT_EQ(FileText(path), before);
}

TEST_F(DesignTest, StructureNamesEachObjectByKindAndFieldOrText) {
    const auto& report = doc->Report();
    EXPECT_EQ(ObjectKindName(ObjectAt(report, Find("GF1", ObjectKind::Field))), "Summary");
    EXPECT_EQ(ObjectContent(ObjectAt(report, Find("GF1", ObjectKind::Field))),
              "Sum of {Orders.Amount}");
    EXPECT_EQ(ObjectKindName(ObjectAt(report, Find("RF", ObjectKind::Field))), "Grand Total");
    EXPECT_EQ(ObjectContent(ObjectAt(report, Find("PH", ObjectKind::Text))), "\"Customer\"");
    EXPECT_EQ(AreaCaption(*report.FindArea("GH1")), "Group Header 1: {Orders.Country}");
    const auto index = PathOfIndex(report, 0);
    ASSERT_TRUE(index);
    EXPECT_EQ(&ObjectAt(report, *index), report.AllObjects().front().get());
    EXPECT_FALSE(PathOfIndex(report, static_cast<int>(report.AllObjects().size())));
}

TEST_F(DesignTest, EveryTextOnThePagesLeadsBackToTheObjectThatDrewIt) {
    const auto& pages = doc->Pages().pages;
    int texts = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        for (std::size_t i = 0; i < pages[p].items.size(); ++i) {
            const auto* run = std::get_if<engine::page::TextRun>(&pages[p].items[i]);
            const auto path = doc->ObjectOfItem(p, i);
            ASSERT_EQ(run != nullptr, path.has_value()) << "item " << i << " of page " << p;
            if (!run) {
                continue; // a rule or box of the style
            }
            ++texts;
            const auto& object = ObjectAt(doc->Report(), *path);
            if (object.Kind() == ObjectKind::Text) {
                EXPECT_EQ(run->text, object.text());
            }
        }
    }
    EXPECT_GT(texts, 10);
    // Bob's name is the details' customer field.
    const auto& page = pages[0];
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        const auto* run = std::get_if<engine::page::TextRun>(&page.items[i]);
        if (run && run->text == "Bob") {
            EXPECT_EQ(doc->ObjectOfItem(0, i), Find("D", ObjectKind::Field));
        }
    }
    EXPECT_FALSE(doc->ObjectOfItem(9, 0));
}

} // namespace
} // namespace foliant::design::test
