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
