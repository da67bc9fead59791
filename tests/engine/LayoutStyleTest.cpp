// ApplyLayoutStyle arranging a report as the wizard leaves it: summaries under their columns
// (or after the last one), "Grand Total:" once, the group name where the style shows it,
// heights grown, no overlaps, and the same report when applied twice.

#include "tests/engine/RunTestSupport.h"

#include "engine/ReportFile.h"
#include "engine/page/FontMetrics.h"

#include <gtest/gtest.h>

#include <random>

namespace foliant::engine {
namespace {

const char* kData = R"sql(
CREATE TABLE T (Id INTEGER PRIMARY KEY, Region TEXT, Name VARCHAR(10), Qty INT, Amount REAL,
                Cost REAL);
INSERT INTO T (Region, Name, Qty, Amount, Cost) VALUES
  ('East', 'ann', 1, 10.5, 3), ('West', 'bob', 2, 20, 4), ('East', 'cy', 3, 30, 5),
  ('West', 'di', 4, 40, 6), ('North', 'ed', 5, 50, 7);
)sql";

// A compact dump of every section: its height and each object's kind, field or text and box.
std::string Snapshot(const Report& report) {
    std::string out;
    for (const auto& area : report.Areas()) {
        for (const auto& s : area->Sections()) {
            out += s->Name() + " h" + std::to_string(s->SectionHeight()) + ":";
            for (const auto& o : s->Objects()) {
                out +=
                    " [" +
                    (o->Kind() == ObjectKind::Text ? "'" + o->text() + "'" : o->field()->Name()) +
                    " " + std::to_string(o->Left()) + "," + std::to_string(o->Top()) + " " +
                    std::to_string(o->ObjectWidth()) + "x" + std::to_string(o->ObjectHeight()) +
                    "]";
            }
            out += "\n";
        }
    }
    return out;
}

// Every pair of overlapping objects in a section, and every object below its section's end.
std::vector<std::string> LayoutFaults(const Report& report) {
    std::vector<std::string> faults;
    for (const auto& area : report.Areas()) {
        for (const auto& s : area->Sections()) {
            const auto& objects = s->Objects();
            for (std::size_t i = 0; i < objects.size(); ++i) {
                const auto& a = *objects[i];
                if (a.Top() + a.ObjectHeight() > s->SectionHeight()) {
                    faults.push_back(a.Describe() + " reaches below its section");
                }
                for (std::size_t j = i + 1; j < objects.size(); ++j) {
                    const auto& b = *objects[j];
                    if (a.Left() < b.Left() + b.ObjectWidth() &&
                        b.Left() < a.Left() + a.ObjectWidth() &&
                        a.Top() < b.Top() + b.ObjectHeight() &&
                        b.Top() < a.Top() + a.ObjectHeight()) {
                        faults.push_back(a.Describe() + " overlaps " + b.Describe());
                    }
                }
            }
        }
    }
    return faults;
}

std::shared_ptr<ReportObject> FindObject(const Section& section, const std::string& name) {
    for (const auto& o : section.Objects()) {
        if ((o->Kind() == ObjectKind::Field && o->field()->Name() == name) ||
            (o->Kind() == ObjectKind::Text && o->text() == name)) {
            return o;
        }
    }
    return nullptr;
}

int CountObjects(const Section& section, const std::string& name) {
    int n = 0;
    for (const auto& o : section.Objects()) {
        n += (o->Kind() == ObjectKind::Field && o->field()->Name() == name) ||
             (o->Kind() == ObjectKind::Text && o->text() == name);
    }
    return n;
}

class LayoutStyleTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = test::MakeDatabase(dir.File("t.db"), kData);
        report = Report::CreateOverDatabase(db);
    }

    // What the wizard places: headings and columns Name, Qty, Amount; a group on Region with
    // summaries in its footer at 240, 480, … after its last object; grand totals on the report
    // footer's top line at 0, 240, ….
    void BuildLikeTheWizard() {
        const auto ph = report->FindSection("PH");
        const auto d = report->FindSection("D");
        report->SetTitleText("Sales");
        ph->PlaceFieldObject("ReportTitle", 0, 0);
        ph->PlaceFieldObject("PrintDate", 0, 480);
        int x = 0;
        for (const char* field : {"Name", "Qty", "Amount"}) {
            const auto column = d->PlaceFieldObject(std::string("{T.") + field + "}", x, 0);
            const auto heading = ph->PlaceTextObject(field, x, 960);
            heading->SetObjectWidth(column->ObjectWidth());
            x += column->ObjectWidth() + 240;
        }
        ph->SetSectionHeight(1200);
        report->InsertGroup(0, report->LookupFieldDefinition("{T.Region}"),
                            GroupCondition::EachValue, GroupOrder::Ascending);
        const auto gf = report->FindSection("GF1");
        const auto rf = report->FindSection("RF");
        int left = 0;
        int rfLeft = 0;
        for (const auto& [field, op, grand] :
             {std::tuple{"{T.Amount}", SummaryOperation::Sum, true},
              std::tuple{"{T.Amount}", SummaryOperation::Average, false},
              std::tuple{"{T.Name}", SummaryOperation::Count, true},
              std::tuple{"{T.Cost}", SummaryOperation::Sum, true},
              std::tuple{"{T.Cost}", SummaryOperation::Maximum, false}}) {
            left += 240;
            gf->PlaceSummaryObject(field, op, left, 0);
            if (grand) {
                rf->PlaceSummaryObject(field, op, rfLeft, 0);
                rfLeft += 240;
            }
        }
    }

    std::shared_ptr<ReportObject> Column(const std::string& field) {
        return FindObject(*report->FindSection("D"), field);
    }

    test::TempDir dir;
    std::string db;
    std::shared_ptr<Report> report;
};

TEST_F(LayoutStyleTest, SummariesStandUnderTheirColumnsAndTheRestAfterTheLastColumn) {
    BuildLikeTheWizard();
    report->ApplyLayoutStyle(0);
    const auto gf = report->FindSection("GF1");
    const auto amount = Column("{T.Amount}");
    const auto name = Column("{T.Name}");
    const auto sum = FindObject(*gf, "Sum of {T.Amount}");
    const auto average = FindObject(*gf, "Average of {T.Amount}");
    const auto count = FindObject(*gf, "Count of {T.Name}");
    ASSERT_TRUE(sum && average && count) << Snapshot(*report);
    // Same left and width as the column; the second summary of Amount goes on the next line.
    EXPECT_EQ(sum->Left(), amount->Left());
    EXPECT_EQ(sum->ObjectWidth(), amount->ObjectWidth());
    EXPECT_EQ(sum->Top(), 0);
    EXPECT_EQ(average->Left(), amount->Left());
    EXPECT_EQ(average->Top(), sum->ObjectHeight());
    EXPECT_EQ(count->Left(), name->Left());
    EXPECT_EQ(count->ObjectWidth(), name->ObjectWidth());
    // Cost has no column: its summaries follow the last column, one after another.
    const int lastRight = amount->Left() + amount->ObjectWidth();
    const auto costSum = FindObject(*gf, "Sum of {T.Cost}");
    const auto costMax = FindObject(*gf, "Maximum of {T.Cost}");
    EXPECT_EQ(costSum->Left(), lastRight + 240);
    EXPECT_EQ(costMax->Left(), costSum->Left() + costSum->ObjectWidth() + 240);
    EXPECT_EQ(costMax->Top(), 0);
    EXPECT_EQ(gf->SectionHeight(), 2 * sum->ObjectHeight());
    EXPECT_TRUE(LayoutFaults(*report).empty()) << Snapshot(*report);
}

TEST_F(LayoutStyleTest, ReportFooterGetsGrandTotalLabelOnceAndKeepsItsTotalsClearOfIt) {
    BuildLikeTheWizard();
    report->ApplyLayoutStyle(0);
    report->ApplyLayoutStyle(3);
    const auto rf = report->FindSection("RF");
    EXPECT_EQ(CountObjects(*rf, "Grand Total:"), 1);
    const auto label = FindObject(*rf, "Grand Total:");
    EXPECT_EQ(label->Left(), 0);
    EXPECT_EQ(label->Top(), 0);
    // The count of names stands under the Name column, which the label covers: below it.
    const auto count = FindObject(*rf, "Count of {T.Name}");
    EXPECT_EQ(count->Left(), 0);
    EXPECT_EQ(count->Top(), label->ObjectHeight());
    EXPECT_EQ(FindObject(*rf, "Sum of {T.Amount}")->Top(), 0);
    EXPECT_TRUE(LayoutFaults(*report).empty()) << Snapshot(*report);
}

TEST_F(LayoutStyleTest, FooterWithoutGrandTotalsGetsNoLabel) {
    BuildLikeTheWizard();
    for (const auto& o : std::vector(report->FindSection("RF")->Objects())) {
        report->FindSection("RF")->DiscardObject(o);
    }
    report->ApplyLayoutStyle(0);
    EXPECT_EQ(CountObjects(*report->FindSection("RF"), "Grand Total:"), 0);
}

TEST_F(LayoutStyleTest, GroupNameAndSummariesGoWhereTheStyleShowsThem) {
    BuildLikeTheWizard();
    const std::string nameField = "GroupName ({T.Region})";
    struct Case {
        int style;
        const char* nameIn;
        const char* summariesIn;
    };
    // Leading-break styles show name and summaries before the records; trailing-break styles
    // after them; the others the name before and the summaries after.
    for (const Case c : {Case{0, "GH1", "GF1"}, Case{1, "GH1", "GH1"}, Case{2, "GF1", "GF1"},
                         Case{5, "GH1", "GH1"}, Case{6, "GF1", "GF1"}, Case{7, "GH1", "GF1"},
                         Case{9, "GH1", "GH1"}, Case{3, "GH1", "GF1"}}) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        report->ApplyLayoutStyle(c.style);
        const auto gh = report->FindSection("GH1");
        const auto gf = report->FindSection("GF1");
        const auto nameIn = report->FindSection(c.nameIn);
        const auto other = nameIn == gh ? gf : gh;
        EXPECT_EQ(CountObjects(*nameIn, nameField), 1) << Snapshot(*report);
        EXPECT_EQ(CountObjects(*other, nameField), 0) << Snapshot(*report);
        const auto summariesIn = report->FindSection(c.summariesIn);
        for (const char* summary : {"Sum of {T.Amount}", "Average of {T.Amount}",
                                    "Count of {T.Name}", "Sum of {T.Cost}"}) {
            EXPECT_TRUE(FindObject(*summariesIn, summary)) << summary << "\n" << Snapshot(*report);
        }
        EXPECT_TRUE(LayoutFaults(*report).empty()) << Snapshot(*report);
    }
    // The group's summaries still compute when shown in the header.
    report->ApplyLayoutStyle(1);
    const std::string text = test::RunToText(*report);
    EXPECT_NE(text.find("40.50"), std::string::npos) << text; // East: 10.5 + 30
}

TEST_F(LayoutStyleTest, HeightsGrowToTheStylesFonts) {
    BuildLikeTheWizard();
    report->ApplyLayoutStyle(5); // serif, larger title
    const auto title = FindObject(*report->FindSection("PH"), "ReportTitle");
    const auto style = StyleFor(5);
    EXPECT_GE(title->ObjectHeight(), page::LineHeight(style.title));
    EXPECT_GT(page::LineHeight(style.title), kDefaultObjectHeight);
    EXPECT_TRUE(LayoutFaults(*report).empty()) << Snapshot(*report);
}

TEST_F(LayoutStyleTest, ApplyingAStyleTwiceChangesNothingMore) {
    BuildLikeTheWizard();
    for (int style = 0; style < kStyleCount; ++style) {
        report->ApplyLayoutStyle(style);
        const std::string once = Snapshot(*report);
        report->ApplyLayoutStyle(style);
        EXPECT_EQ(Snapshot(*report), once) << "style " << style;
    }
}

TEST_F(LayoutStyleTest, RejectedStyleChangesNothing) {
    BuildLikeTheWizard();
    const std::string before = Snapshot(*report);
    EXPECT_THROW(report->ApplyLayoutStyle(10), EngineError);
    EXPECT_EQ(Snapshot(*report), before);
    EXPECT_EQ(report->GetLayoutStyle(), 0);
}

TEST_F(LayoutStyleTest, LoadingAReportKeepsItsOwnPositions) {
    BuildLikeTheWizard();
    report->ApplyLayoutStyle(2);
    // Moved by hand after the style was applied: the file must give it back there.
    FindObject(*report->FindSection("GF1"), "Sum of {T.Cost}")->SetLeft(9000);
    const std::string saved = Snapshot(*report);
    const std::string path = dir.File("r.rpt");
    report->SaveToFile(path);
    const auto loaded = LoadReportFromFile(path);
    EXPECT_EQ(loaded->GetLayoutStyle(), 2);
    EXPECT_EQ(Snapshot(*loaded), saved);
}

// A page model as text, for telling two apart and for messages.
std::string Dump(const page::Document& doc) {
    std::string out;
    const auto colour = [](const page::Colour& c) {
        return std::to_string(c.red) + "/" + std::to_string(c.green) + "/" + std::to_string(c.blue);
    };
    const auto rect = [](const page::Rect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
               std::to_string(r.width) + "x" + std::to_string(r.height);
    };
    for (const auto& p : doc.pages) {
        out += "page " + std::to_string(p.number) + "\n";
        for (const auto& item : p.items) {
            if (const auto* f = std::get_if<page::Fill>(&item)) {
                out += "fill " + rect(f->rect) + " " + colour(f->colour) + "\n";
            } else if (const auto* b = std::get_if<page::Box>(&item)) {
                out += "box " + rect(b->rect) + " " + colour(b->colour) + "\n";
            } else if (const auto* l = std::get_if<page::Line>(&item)) {
                out += "line " + std::to_string(l->x1) + "," + std::to_string(l->y1) + "-" +
                       std::to_string(l->x2) + "," + std::to_string(l->y2) + " " +
                       colour(l->colour) + "\n";
            } else {
                const auto& t = std::get<page::TextRun>(item);
                out += "text " + rect(t.box) + " " + t.font.family + (t.font.bold ? " bold" : "") +
                       " " + colour(t.colour) + " '" + t.text + "'\n";
            }
        }
    }
    return out;
}

template <typename T> std::vector<T> ItemsOf(const page::Document& doc) {
    std::vector<T> out;
    for (const auto& p : doc.pages) {
        for (const auto& item : p.items) {
            if (const auto* i = std::get_if<T>(&item)) {
                out.push_back(*i);
            }
        }
    }
    return out;
}

// The top of the first text run showing this text, or -1.
int TopOf(const page::Document& doc, const std::string& text) {
    for (const auto& t : ItemsOf<page::TextRun>(doc)) {
        if (t.text == text) {
            return t.box.top;
        }
    }
    return -1;
}

TEST_F(LayoutStyleTest, EachStyleDrawsTheGroupedReportDifferently) {
    BuildLikeTheWizard();
    std::vector<page::Document> docs;
    for (int style = 0; style < kStyleCount; ++style) {
        report->ApplyLayoutStyle(style);
        docs.push_back(run::RenderReport(*report, test::FixedRun(), test::FixedSettings()));
    }
    for (std::size_t a = 0; a < docs.size(); ++a) {
        for (std::size_t b = a + 1; b < docs.size(); ++b) {
            EXPECT_NE(Dump(docs[a]), Dump(docs[b])) << "styles " << a << " and " << b;
        }
    }
    const auto hasBox = [](const page::Document& d, page::Colour c) {
        const auto boxes = ItemsOf<page::Box>(d);
        return std::any_of(boxes.begin(), boxes.end(),
                           [&](const auto& b) { return b.colour == c; });
    };
    const auto fills = [](const page::Document& d, page::Colour c) {
        const auto all = ItemsOf<page::Fill>(d);
        return std::count_if(all.begin(), all.end(), [&](const auto& f) { return f.colour == c; });
    };
    const auto allSerif = [](const page::Document& d) {
        const auto runs = ItemsOf<page::TextRun>(d);
        return std::all_of(runs.begin(), runs.end(),
                           [](const auto& t) { return t.font.family == "Serif"; });
    };
    const page::Colour red{0xd0, 0x10, 0x10}, blue{0x10, 0x30, 0xd0}, maroon{0x80, 0, 0},
        teal{0, 0x80, 0x80};

    // Standard: sans type, black rules, no fills or boxes.
    EXPECT_FALSE(allSerif(docs[0]));
    EXPECT_TRUE(ItemsOf<page::Fill>(docs[0]).empty());
    EXPECT_TRUE(ItemsOf<page::Box>(docs[0]).empty());
    EXPECT_FALSE(ItemsOf<page::Line>(docs[0]).empty());

    // Leading break: East's total (40.50) above its first record; trailing break: below its
    // last record (records in Id order: ann then cy).
    EXPECT_LT(TopOf(docs[1], "40.50"), TopOf(docs[1], "ann")) << Dump(docs[1]);
    EXPECT_GT(TopOf(docs[2], "40.50"), TopOf(docs[2], "cy")) << Dump(docs[2]);
    EXPECT_GT(TopOf(docs[2], "East"), TopOf(docs[2], "cy")) << Dump(docs[2]);

    // Table: a box round every band and lines between the columns; Drop Table adds the
    // shaded heading rows and the shadow.
    EXPECT_GE(ItemsOf<page::Box>(docs[3]).size(), 5u + 3u + 3u);
    std::size_t verticals = 0;
    for (const auto& l : ItemsOf<page::Line>(docs[3])) {
        verticals += l.x1 == l.x2 && l.y1 != l.y2;
    }
    EXPECT_GE(verticals, 5u * 2u); // two column edges in each of the five records
    EXPECT_EQ(fills(docs[3], StyleFor(4).shadowColour), 0);
    EXPECT_EQ(fills(docs[4], StyleFor(4).shadowColour), 2); // right of and under the table
    EXPECT_GT(fills(docs[4], StyleFor(4).headingFill), 0);

    // Executive: serif throughout, and a double rule under the page header.
    EXPECT_TRUE(allSerif(docs[5]));
    EXPECT_TRUE(allSerif(docs[6]));
    EXPECT_LT(TopOf(docs[5], "40.50"), TopOf(docs[5], "ann"));
    EXPECT_GT(TopOf(docs[6], "40.50"), TopOf(docs[6], "cy"));
    std::vector<int> ruleTops;
    for (const auto& l : ItemsOf<page::Line>(docs[5])) {
        if (l.y1 == l.y2 && l.thickness == StyleFor(5).ruleThickness) {
            ruleTops.push_back(l.y1);
        }
    }
    ASSERT_GE(ruleTops.size(), 2u);
    EXPECT_EQ(ruleTops[1] - ruleTops[0], 3 * StyleFor(5).ruleThickness); // the page header's pair

    // Shading: every other record filled: records 1, 3 and 5 of five.
    EXPECT_EQ(fills(docs[7], StyleFor(7).shadingColour), 3);

    // Red/Blue Border: red boxes round the page header and grand totals, blue ones round the
    // groups (three of them), and the group names in blue.
    EXPECT_TRUE(hasBox(docs[8], red));
    const auto boxes = ItemsOf<page::Box>(docs[8]);
    EXPECT_EQ(
        std::count_if(boxes.begin(), boxes.end(), [&](const auto& b) { return b.colour == blue; }),
        3);
    for (const auto& t : ItemsOf<page::TextRun>(docs[8])) {
        if (t.text == "East" || t.text == "West" || t.text == "North") {
            EXPECT_EQ(t.colour, blue) << t.text;
        }
    }
    // Maroon/Teal Box: maroon boxes, teal boxes and a teal band under each group's white name.
    EXPECT_TRUE(hasBox(docs[9], maroon));
    EXPECT_TRUE(hasBox(docs[9], teal));
    EXPECT_EQ(fills(docs[9], teal), 3);
    for (const auto& t : ItemsOf<page::TextRun>(docs[9])) {
        if (t.text == "East") {
            EXPECT_EQ(t.colour, page::kWhite);
        }
    }
}

// Reports of random shape (columns, groups, summaries on column and non-column fields, objects
// piled on each other) arranged in every style: never an overlap, never an object below its
// section, and the second application changes nothing.
TEST_F(LayoutStyleTest, NoOverlapsAfterAnyStyleOnGeneratedReports) {
    const char* fields[] = {"{T.Region}", "{T.Name}", "{T.Qty}", "{T.Amount}", "{T.Cost}"};
    const SummaryOperation ops[] = {SummaryOperation::Sum, SummaryOperation::Count,
                                    SummaryOperation::Maximum, SummaryOperation::Median,
                                    SummaryOperation::DistinctCount};
    std::mt19937 random(20261208);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        auto r = Report::CreateOverDatabase(db);
        const auto d = r->FindSection("D");
        int x = pick(2) * 300;
        for (int c = 0, columns = pick(5); c < columns; ++c) {
            const auto o = d->PlaceFieldObject(fields[pick(5)], x, 0);
            x += o->ObjectWidth() + pick(3) * 120; // sometimes touching
        }
        for (int g = 0, groups = pick(3); g < groups; ++g) {
            r->InsertGroup(g, r->LookupFieldDefinition(fields[pick(5)]), GroupCondition::EachValue,
                           GroupOrder::Ascending);
        }
        std::vector<std::shared_ptr<Section>> targets{r->FindSection("RF")};
        for (int g = 1; g <= r->GroupCount(); ++g) {
            targets.push_back(r->FindSection("GF" + std::to_string(g)));
            targets.push_back(r->FindSection("GH" + std::to_string(g)));
        }
        for (int s = 0, summaries = pick(8); s < summaries; ++s) {
            const auto section =
                targets[static_cast<std::size_t>(pick(static_cast<int>(targets.size())))];
            const SummaryOperation op = ops[pick(5)];
            const bool anyField =
                op == SummaryOperation::Count || op == SummaryOperation::DistinctCount;
            section->PlaceSummaryObject(anyField ? fields[pick(5)] : fields[2 + pick(3)], op,
                                        pick(4) * 240, pick(2) * 120);
        }
        if (pick(2) == 1) {
            // Hand-placed text piled on another object.
            r->FindSection("RF")->PlaceTextObject("note", 0, 0);
            r->FindSection("PH")->PlaceTextObject("heading", 0, 0);
            r->FindSection("PH")->PlaceTextObject("heading two", 120, 100);
        }
        const int style = pick(kStyleCount);
        SCOPED_TRACE("round " + std::to_string(round) + ", style " + std::to_string(style));
        r->ApplyLayoutStyle(style);
        const auto faults = LayoutFaults(*r);
        EXPECT_TRUE(faults.empty()) << faults.front() << "\n" << Snapshot(*r);
        const std::string once = Snapshot(*r);
        r->ApplyLayoutStyle(style);
        EXPECT_EQ(Snapshot(*r), once);
        // And another style after it is as sound.
        r->ApplyLayoutStyle((style + 1 + pick(kStyleCount - 1)) % kStyleCount);
        EXPECT_TRUE(LayoutFaults(*r).empty()) << Snapshot(*r);
    }
}

} // namespace
} // namespace foliant::engine

namespace foliant::engine {
namespace {

// A group running over a page break is boxed on each page it covers, and a drop table gets
// its shadow on every page; neither reaches into the page footer.
TEST(LayoutStyleBreakTest, FramesAndShadowsCloseOnEveryPage) {
    test::TempDir dir;
    std::string sql = "CREATE TABLE T (Id INTEGER PRIMARY KEY, G TEXT, V INT);\n";
    for (int i = 1; i <= 120; ++i) {
        sql += "INSERT INTO T (G, V) VALUES ('" + std::string(i <= 100 ? "big" : "small") + "', " +
               std::to_string(i) + ");\n";
    }
    const auto report = Report::CreateOverDatabase(test::MakeDatabase(dir.File("b.db"), sql));
    report->FindSection("D")->PlaceFieldObject("{T.V}", 0, 0);
    report->FindSection("PF")->PlaceFieldObject("PageNumber", 0, 0);
    report->InsertGroup(0, report->LookupFieldDefinition("{T.G}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    report->FindSection("GF1")->PlaceSummaryObject("{T.V}", SummaryOperation::Sum, 240, 0);
    const int footerTop = 15840 - run::kPageMargin - 240;

    report->ApplyLayoutStyle(8);
    const auto boxed = run::RenderReport(*report, test::FixedRun(), test::FixedSettings());
    ASSERT_EQ(boxed.pages.size(), 3u); // 120 records of 240 twips with two groups' bands
    const page::Colour blue{0x10, 0x30, 0xd0};
    std::vector<int> groupBoxes;
    for (const auto& p : boxed.pages) {
        int count = 0;
        for (const auto& item : p.items) {
            if (const auto* b = std::get_if<page::Box>(&item); b && b->colour == blue) {
                ++count;
                EXPECT_LE(b->rect.Bottom(), footerTop) << "page " << p.number;
            }
        }
        groupBoxes.push_back(count);
    }
    // "big" covers pages 1–2 (and maybe the top of 3), "small" ends on page 3.
    EXPECT_EQ(groupBoxes[0], 1);
    EXPECT_GE(groupBoxes[1], 1);
    EXPECT_GE(groupBoxes[2], 1);

    report->ApplyLayoutStyle(4);
    const auto table = run::RenderReport(*report, test::FixedRun(), test::FixedSettings());
    for (const auto& p : table.pages) {
        int shadows = 0;
        for (const auto& item : p.items) {
            if (const auto* f = std::get_if<page::Fill>(&item);
                f && f->colour == StyleFor(4).shadowColour) {
                ++shadows;
                EXPECT_LE(f->rect.Bottom(), footerTop + 80) << "page " << p.number;
            }
        }
        EXPECT_EQ(shadows, 2) << "page " << p.number;
    }
}

// A report saved in one style and shown in a band style without being arranged again keeps
// its group names where they were; there they must not take the band's white and vanish.
TEST_F(LayoutStyleTest, GroupNameOutsideTheBandKeepsTheTextColour) {
    BuildLikeTheWizard();
    report->ApplyLayoutStyle(2);  // a trailing break: names go to the group footer
    report->RecordLayoutStyle(9); // a band style whose band is the group header
    const auto doc = run::RenderReport(*report, test::FixedRun(), test::FixedSettings());
    int names = 0;
    for (const auto& run : ItemsOf<page::TextRun>(doc)) {
        if (run.text == "East" || run.text == "West") {
            ++names;
            EXPECT_NE(run.colour, (page::Colour{0xff, 0xff, 0xff})) << run.text;
        }
    }
    EXPECT_GT(names, 0);
}

} // namespace
} // namespace foliant::engine
