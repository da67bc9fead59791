// Font, colour and page-break edits: they reach the pages, undo and redo walk them both ways,
// a refused value changes nothing, and a saved report loads back with them and still runs.

#include "tests/design/DesignTestSupport.h"

#include "engine/page/TextPainter.h"
#include "tests/engine/RunTestSupport.h"

namespace foliant::design::test {
namespace {

using engine::ObjectKind;
using engine::page::Colour;

TEST_F(DesignTest, AGrandTotalsFontAndColourShowOnThePagesAndUndoRedoWalkThem) {
    const ObjectPath total = Find("RF", ObjectKind::Field);
    const auto styled = RunsReading("$38.75").at(0);
    const ObjectState before = CaptureObject(ObjectAt(doc->Report(), total));
    ObjectState after = FontSized(before, 360);
    after.width = 2400; // room for the total at 18 points
    after.format.fontFamily = "Mono";
    after.format.italic = true;
    after.format.colour = Colour{0, 0, 200};
    EXPECT_GE(after.height, 432) << "tall enough for an 18-point line";

    doc->Apply(ObjectChange(doc->Report(), total, after, "Font Size"));
    const auto shown = RunsReading("$38.75").at(0);
    EXPECT_EQ(shown.font.size, 360);
    EXPECT_EQ(shown.font.family, "Mono");
    EXPECT_TRUE(shown.font.italic);
    EXPECT_EQ(shown.font.bold, styled.font.bold) << "the style's weight stays";
    EXPECT_EQ(shown.colour, (Colour{0, 0, 200}));
    EXPECT_EQ(shown.box.height, after.height);
    EXPECT_EQ(doc->UndoText(), "Undo Font Size");

    doc->Undo();
    EXPECT_EQ(RunsReading("$38.75").at(0).font, styled.font);
    EXPECT_EQ(RunsReading("$38.75").at(0).colour, styled.colour);
    EXPECT_EQ(CaptureObject(ObjectAt(doc->Report(), total)), before);
    EXPECT_FALSE(doc->Modified());

    doc->Redo();
    EXPECT_EQ(RunsReading("$38.75").at(0).font.size, 360);
    EXPECT_EQ(CaptureObject(ObjectAt(doc->Report(), total)), after);

    const std::string copy = dir.File("Copy.rpt");
    doc->SaveAs(copy);
    auto loaded = DesignDocument::Open(copy);
    EXPECT_EQ(CaptureObject(ObjectAt(loaded->Report(), total)), after);
    EXPECT_EQ(engine::SerializeReport(loaded->Report(), copy),
              engine::SerializeReport(doc->Report(), copy));
    loaded->Run(Settings());
    EXPECT_EQ(engine::page::RenderText(loaded->Pages()), engine::page::RenderText(doc->Pages()));
}

TEST_F(DesignTest, ASmallerFontKeepsTheHeightChosenAndAnUnknownFamilyIsRefused) {
    const ObjectPath heading = Find("PH", ObjectKind::Text);
    ObjectState state = CaptureObject(ObjectAt(doc->Report(), heading));
    state.height = 900;
    EXPECT_EQ(FontSized(state, 160).height, 900);
    EXPECT_FALSE(FontSized(FontSized(state, 160), std::nullopt).format.fontSize);

    const ObjectState before = CaptureObject(ObjectAt(doc->Report(), heading));
    ObjectState bad = before;
    bad.left += 600;
    bad.format.fontFamily = "Comic";
    EXPECT_THROW(doc->Apply(ObjectChange(doc->Report(), heading, bad, "Font")),
                 engine::EngineError);
    EXPECT_EQ(CaptureObject(ObjectAt(doc->Report(), heading)), before);
    EXPECT_FALSE(doc->CanUndo());
}

TEST_F(DesignTest, NewPageBeforeAGroupHeaderPutsEachGroupOnAPageOfItsOwn) {
    const SectionPath header = Find("GH1", ObjectKind::Field).Section();
    const auto& report = doc->Report();
    EXPECT_TRUE(CanStartPage(SectionAt(report, header)));
    EXPECT_FALSE(CanStartPage(*report.FindSection("PH")));
    EXPECT_FALSE(CanStartPage(*report.FindSection("RH")));
    ASSERT_EQ(doc->Pages().pages.size(), 1u);

    SectionState state = CaptureSection(SectionAt(report, header));
    state.newPageBefore = true;
    doc->Apply(SectionChange(report, header, state, "New Page Before"));
    const auto groups =
        engine::test::QueryValue(dir.File("shop.db"), "SELECT COUNT(DISTINCT Country) FROM Orders");
    EXPECT_EQ(static_cast<std::int64_t>(doc->Pages().pages.size()), std::get<std::int64_t>(groups));
    EXPECT_EQ(RunsReading("Spain").size(), 1u);
    EXPECT_EQ(RunsReading("Cid").size(), 1u);
    bool cidOnPage2 = false;
    for (const auto& item : doc->Pages().pages.back().items) {
        const auto* run = std::get_if<engine::page::TextRun>(&item);
        cidOnPage2 = cidOnPage2 || (run != nullptr && run->text == "Cid");
    }
    EXPECT_TRUE(cidOnPage2);

    doc->Undo();
    EXPECT_EQ(doc->Pages().pages.size(), 1u);
    doc->Redo();
    doc->Save();
    auto loaded = DesignDocument::Open(path);
    EXPECT_TRUE(CaptureSection(SectionAt(loaded->Report(), header)).newPageBefore);
    loaded->Run(Settings());
    EXPECT_EQ(loaded->Pages().pages.size(), doc->Pages().pages.size());
}

} // namespace
} // namespace foliant::design::test
