// Golden renderings: each case is a folder under golden/ with the database script (or the
// sample database), the expected plain-text rendering and, for some, the expected HTML. The
// report is built here: its title, print date and columns by the wizard's layout builder, the
// rest with engine calls. Set FOLIANT_UPDATE_GOLDEN=1 to write the expected files from the
// current output (then read them before committing).

#include "engine/ReportFile.h"
#include "engine/page/HtmlPainter.h"
#include "generate/LayoutBuilder.h"
#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace foliant::engine {
namespace {

const std::string kGolden = std::string(FOLIANT_SOURCE_DIR) + "/tests/engine/golden/";

// The title, the print date and the columns as the wizard lays them out; returns the left of
// the next column.
int TitleDateAndColumns(Report& report, const std::string& title,
                        const std::vector<generate::ColumnChoice>& columns = {}) {
    return generate::PlaceColumns(report, columns, generate::PlaceTitleAndDate(report, title));
}

// Gives the page header's headings, in order, the texts given.
void RenameHeadings(Report& report, const std::vector<std::string>& texts) {
    auto text = texts.begin();
    for (const auto& object : report.FindSection("PH")->Objects()) {
        if (object->Kind() == ObjectKind::Text && text != texts.end()) {
            object->SetText(*text++);
        }
    }
}

struct GoldenCase {
    std::string name;
    std::function<void(Report&)> build;
    run::LayoutSettings settings = test::FixedSettings();
};

void BuildListing(Report& r) {
    const int x = TitleDateAndColumns(r, "Item listing",
                                      {{"Item.Name"},
                                       {"Item.Price"},
                                       {"Item.Stock"},
                                       {"Item.Added"},
                                       {"Item.Checked"},
                                       {"Item.Active"}});
    const auto notes = r.FindSection("D")->PlaceFieldObject("{Item.Notes}", x, 0);
    notes->SetObjectWidth(11520 - x);
    r.FindSection("PH")->PlaceTextObject("Notes", x, 960);
    r.FindSection("D")->PlaceFieldObject("{Item.Opens}", 1680, 240);
    r.FindSection("D")->SetSectionHeight(480);
    const auto rf = r.FindSection("RF");
    rf->PlaceTextObject("Grand Total:", 0, 0);
    rf->PlaceSummaryObject("{Item.Price}", SummaryOperation::Sum, 1680, 0);
    rf->PlaceSummaryObject("{Item.Stock}", SummaryOperation::Average, 3360, 0);
    rf->PlaceSummaryObject("{Item.Name}", SummaryOperation::Count, 4680, 0);
    const auto pf = r.FindSection("PF");
    pf->PlaceFieldObject("PageNofM", 0, 0);
    pf->PlaceFieldObject("PrintTime", 9000, 0);
}

void BuildPageBreaks(Report& r) {
    TitleDateAndColumns(r, "Batches");
    r.FindSection("PH")->SetSectionHeight(720);
    r.InsertGroup(0, r.LookupFieldDefinition("{Line.Batch}"), GroupCondition::EachValue,
                  GroupOrder::Ascending);
    const auto gh = r.FindSection("GH1");
    gh->PlaceFieldObject("GroupName ({Line.Batch})", 0, 0);
    gh->PlaceFieldObject("GroupNumber", 3000, 0);
    gh->SetSectionHeight(480);
    const auto d = r.FindSection("D");
    d->PlaceFieldObject("RecordNumber", 0, 0);
    d->PlaceFieldObject("{Line.Id}", 1000, 0);
    d->PlaceFieldObject("{Line.Qty}", 2500, 0);
    const auto gf = r.FindSection("GF1");
    gf->PlaceTextObject("Batch total", 0, 0);
    gf->PlaceSummaryObject("{Line.Qty}", SummaryOperation::Sum, 2500, 0);
    gf->PlaceTextObject("(footer kept whole)", 0, 1200);
    gf->SetSectionHeight(1680);
    r.FindSection("PF")->PlaceFieldObject("PageNumber", 0, 0);
    r.FindSection("PF")->PlaceFieldObject("TotalPageCount", 1500, 0);
}

void BuildMonthly(Report& r) {
    TitleDateAndColumns(r, "Visits by month", {{"Visit.Day"}, {"Visit.Minutes"}, {"Visit.Guide"}});
    r.InsertGroup(0, r.LookupFieldDefinition("{Visit.Day}"), GroupCondition::EachMonth,
                  GroupOrder::Ascending);
    r.FindSection("GH1")->PlaceFieldObject("GroupName ({Visit.Day})", 0, 0);
    const auto gf = r.FindSection("GF1");
    gf->PlaceSummaryObject("{Visit.Minutes}", SummaryOperation::Sum, 1440, 0);
    gf->PlaceSummaryObject("{Visit.Minutes}", SummaryOperation::Median, 3120, 0);
    gf->PlaceSummaryObject("{Visit.Guide}", SummaryOperation::Mode, 4800, 0);
    gf->SetSectionHeight(480);
    const auto rf = r.FindSection("RF");
    rf->PlaceTextObject("Grand Total:", 0, 0);
    rf->PlaceSummaryObject("{Visit.Minutes}", SummaryOperation::Sum, 1440, 0);
    rf->PlaceSummaryObject("{Visit.Minutes}", SummaryOperation::Percentile, 3120, 0,
                           automation::Variant(std::int32_t{90}));
}

void BuildSampleTopCountries(Report& r) {
    TitleDateAndColumns(r, "Sales by country: top 5");
    r.FindSection("PH")->SetSectionHeight(1200);
    r.InsertGroup(0, r.LookupFieldDefinition("{Customers.Country}"), GroupCondition::EachValue,
                  GroupOrder::Ascending);
    r.FindSection("D")->SetSectionHeight(0);
    r.FindSection("GH1")->SetSectionHeight(0);
    const auto gf = r.FindSection("GF1");
    const auto ph = r.FindSection("PH");
    gf->PlaceFieldObject("GroupName ({Customers.Country})", 0, 0);
    ph->PlaceTextObject("Country", 0, 960);
    // Summary columns 1680 wide with right-aligned headings over them.
    const auto column = [&](const std::string& field, SummaryOperation op, int left,
                            const std::string& heading) {
        const auto object = gf->PlaceSummaryObject(field, op, left, 0);
        object->SetObjectWidth(1680);
        const auto head = ph->PlaceTextObject(heading, left, 960);
        head->SetObjectWidth(1680);
        head->SetHorizontalAlign(HorizontalAlignment::Right);
        return object->field();
    };
    const auto sum = column("{Orders.Amount}", SummaryOperation::Sum, 1920, "Amount");
    column("{Orders.OrderID}", SummaryOperation::Count, 3840, "Orders");
    column("{Orders.Amount}", SummaryOperation::Average, 5760, "Average");
    column("{Orders.OrderDate}", SummaryOperation::Maximum, 7680, "Latest");
    const auto rf = r.FindSection("RF");
    rf->PlaceTextObject("Grand Total:", 0, 0);
    rf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Sum, 1920, 0)->SetObjectWidth(1680);
    rf->PlaceSummaryObject("{Orders.OrderID}", SummaryOperation::Count, 3840, 0)
        ->SetObjectWidth(1680);
    const auto header = r.GroupHeader(1);
    header->SetGroupSortMode(2);
    header->SetGroupTopCount(5);
    header->SetDropOthers(false);
    header->SetGroupSortSummary(sum);
}

// Products by category, categories sorted by their average price (highest first), each
// product with its price, weight, discontinued flag and wrapped description.
void BuildSampleProducts(Report& r) {
    const int x = TitleDateAndColumns(r, "Products by category",
                                      {{"Products.ProductName"},
                                       {"Products.UnitPrice"},
                                       {"Products.WeightKg"},
                                       {"Products.Discontinued"}});
    RenameHeadings(r, {"Product", "Price", "Kg", "Gone"});
    const auto d = r.FindSection("D");
    d->PlaceFieldObject("{Products.Description}", x, 0)->SetObjectWidth(11520 - x);
    r.FindSection("PH")->PlaceTextObject("Description", x, 960);
    r.InsertGroup(0, r.LookupFieldDefinition("{Products.Category}"), GroupCondition::EachValue,
                  GroupOrder::Ascending);
    r.FindSection("GH1")->PlaceFieldObject("GroupName ({Products.Category})", 0, 0);
    const auto gf = r.FindSection("GF1");
    gf->PlaceTextObject("Average", 0, 0);
    const auto average =
        gf->PlaceSummaryObject("{Products.UnitPrice}", SummaryOperation::Average, 1680, 0)->field();
    gf->PlaceSummaryObject("{Products.WeightKg}", SummaryOperation::Maximum, 3360, 0);
    gf->SetSectionHeight(480);
    r.AddSummarySort(average, 1);
    const auto rf = r.FindSection("RF");
    rf->PlaceTextObject("Grand Total:", 0, 0);
    rf->PlaceSummaryObject("{Products.UnitPrice}", SummaryOperation::Median, 1680, 0);
    rf->PlaceSummaryObject("{Products.ProductID}", SummaryOperation::Count, 3360, 0);
    r.FindSection("PF")->PlaceFieldObject("PageNofM", 0, 0)->SetObjectWidth(2400);
}

// The monthly visits as the wizard leaves them (group summaries piled at the footer's left,
// grand totals on the footer's top line, no group name), then arranged by a style.
void BuildMonthlyStyled(Report& r, int style) {
    TitleDateAndColumns(r, "Visits by month", {{"Visit.Day"}, {"Visit.Minutes"}, {"Visit.Guide"}});
    r.InsertGroup(0, r.LookupFieldDefinition("{Visit.Day}"), GroupCondition::EachMonth,
                  GroupOrder::Ascending);
    const auto gf = r.FindSection("GF1");
    gf->PlaceSummaryObject("{Visit.Minutes}", SummaryOperation::Sum, 240, 0);
    gf->PlaceSummaryObject("{Visit.Minutes}", SummaryOperation::Median, 480, 0);
    gf->PlaceSummaryObject("{Visit.Guide}", SummaryOperation::Mode, 720, 0);
    const auto rf = r.FindSection("RF");
    rf->PlaceSummaryObject("{Visit.Minutes}", SummaryOperation::Sum, 0, 0);
    rf->PlaceSummaryObject("{Visit.Guide}", SummaryOperation::DistinctCount, 240, 0);
    r.ApplyLayoutStyle(style);
}

run::LayoutSettings European() {
    run::LayoutSettings s = test::FixedSettings();
    s.paper = run::PaperSize::A4;
    s.format.thousandsSeparator = ".";
    s.format.decimalSeparator = ",";
    s.format.currencySymbol = "€";
    s.format.currencySymbolAfter = true;
    s.format.shortDateFormat = "dd.MM.yyyy";
    s.format.shortTimeFormat = "HH:mm";
    return s;
}

std::vector<GoldenCase> Cases() {
    return {
        {"listing", BuildListing},
        {"page-breaks", BuildPageBreaks},
        {"monthly-groups", BuildMonthly, European()},
        {"sample-top-countries", BuildSampleTopCountries},
        {"sample-products", BuildSampleProducts},
        {"monthly-leading-break", [](Report& r) { BuildMonthlyStyled(r, 1); }},
        {"monthly-executive-trailing-break", [](Report& r) { BuildMonthlyStyled(r, 6); }},
    };
}

class RunGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(RunGoldenTest, TextRenderingMatches) {
    const GoldenCase& c = GetParam();
    const std::string folder = kGolden + c.name + "/";
    test::TempDir dir;
    std::string db = FOLIANT_SAMPLE_DB;
    if (std::filesystem::exists(folder + "database.sql")) {
        db = test::MakeDatabase(dir.File("golden.db"), test::ReadBytes(folder + "database.sql"));
    }
    const auto report = Report::CreateOverDatabase(db);
    c.build(*report);
    const std::string text = test::RunToText(*report, c.settings);
    const std::string expectedPath = folder + "expected.txt";
    if (std::getenv("FOLIANT_UPDATE_GOLDEN")) {
        test::WriteBytes(expectedPath, text);
    }
    const std::string expected = test::ReadBytes(expectedPath);
    EXPECT_EQ(text, expected) << "golden case " << c.name;

    // The same report saved to a file and read back renders the same.
    const std::string saved = dir.File("golden.rpt");
    report->SaveToFile(saved, 0);
    EXPECT_EQ(test::RunToText(*LoadReportFromFile(saved), c.settings), expected)
        << "golden case " << c.name << " after saving and loading";

    const std::string htmlPath = folder + "expected.html";
    if (std::filesystem::exists(htmlPath)) {
        const std::string html = page::RenderHtml(
            run::LayOutReport(run::RunReport(*report, test::FixedRun()), c.settings));
        if (std::getenv("FOLIANT_UPDATE_GOLDEN")) {
            test::WriteBytes(htmlPath, html);
        }
        EXPECT_EQ(html, test::ReadBytes(htmlPath)) << "golden case " << c.name << " as HTML";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RunGoldenTest, ::testing::ValuesIn(Cases()), [](const auto& info) {
    std::string n = info.param.name;
    std::replace(n.begin(), n.end(), '-', '_');
    return n;
});

TEST(RunSampleTest, TopCountriesMatchSqlComputedByHand) {
    const auto report = Report::CreateOverDatabase(FOLIANT_SAMPLE_DB);
    BuildSampleTopCountries(*report);
    const auto result = run::RunReport(*report, test::FixedRun());
    const auto& root = result.tree->Root();
    const auto& sums = result.levelSummaries[1];
    // One GROUP BY query, sorted by the sum (ties by country), as a person would check it.
    const auto rows = test::QueryRows(
        FOLIANT_SAMPLE_DB,
        "SELECT c.Country, round(sum(o.Amount), 2), count(o.OrderID), avg(o.Amount) "
        "FROM Orders o JOIN Customers c ON c.CustomerID = o.CustomerID "
        "GROUP BY c.Country ORDER BY sum(o.Amount) DESC, c.Country");
    ASSERT_EQ(rows.size(), 8u);
    ASSERT_EQ(root.children.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i) {
        const auto* group = root.children[i].get();
        EXPECT_EQ(std::get<std::string>(group->key), std::get<std::string>(rows[i][0]));
        for (std::size_t s = 0; s < 3; ++s) {
            const Value got = result.SummaryValue({&root, group}, *sums[s]);
            const double want = *test::AsNumber(rows[i][s + 1]);
            EXPECT_NEAR(*test::AsNumber(got), want, 0.005) << sums[s]->Name() << " of " << i;
        }
    }
    // Others: the three smallest countries together.
    const auto others = test::QueryRows(
        FOLIANT_SAMPLE_DB,
        "SELECT sum(o.Amount), count(*) FROM Orders o JOIN Customers c USING (CustomerID) "
        "WHERE c.Country IN ('" +
            std::get<std::string>(rows[5][0]) + "', '" + std::get<std::string>(rows[6][0]) +
            "', '" + std::get<std::string>(rows[7][0]) + "')");
    EXPECT_NEAR(*test::AsNumber(result.SummaryValue({&root, root.children[5].get()}, *sums[0])),
                *test::AsNumber(others[0][0]), 0.005);
    EXPECT_EQ(root.children[5]->recordCount, std::get<std::int64_t>(others[0][1]));
    // The report shows nothing per record: no record is kept, only groups and summaries.
    EXPECT_TRUE(root.children[5]->records.empty());
    EXPECT_TRUE(result.records.empty());
    EXPECT_NEAR(
        *test::AsNumber(result.SummaryValue({&root}, *result.levelSummaries[0][0])),
        *test::AsNumber(test::QueryValue(FOLIANT_SAMPLE_DB, "SELECT sum(Amount) FROM Orders")),
        0.005);
}

} // namespace
} // namespace foliant::engine
