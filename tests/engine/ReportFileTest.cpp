#include "engine/ReportFile.h"
#include "engine/AtomicFile.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace foliant::engine {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// A report with every kind of object and definition the engine has.
std::shared_ptr<Report> BuildFullReport(const std::string& databasePath) {
    auto report = Report::CreateOverDatabase(databasePath);
    report->SetTitleText("Sales \"2021\" – überall");
    report->SetSelectionFormulaText("{Orders.Amount} > 100 and {Customer.Active}");
    report->ApplyLayoutStyle(6);
    report->AddFormulaField("Net", "{Orders.Amount} * 0.8", ValueType::Number);
    report->AddParameterField("Year", ValueType::Int16, "Which year?");
    report->AddRunningTotalField("Running", "{Orders.Amount}", SummaryOperation::Sum);
    report->AddSqlExpressionField("Upper", "upper(Customer.Name)", ValueType::String);
    report->InsertGroup(0, report->LookupFieldDefinition("{Customer.Country}"), 14, 1);
    report->InsertGroup(1, report->LookupFieldDefinition("{Orders.OrderDate}"), 4, 0);

    const auto sections = report->GetSectionList();
    const auto ph = sections->ItemAt("PH");
    ph->PlaceFieldObject("ReportTitle", 0, 0);
    ph->PlaceFieldObject("PrintDate", 0, 480)->SetHorizontalAlign(2);
    ph->PlaceTextObject("Amount", 0, 960)->SetHorizontalAlign(3);
    ph->SetSectionHeight(1200);
    const auto d = sections->ItemAt("D");
    const auto amount = d->PlaceFieldObject("{Orders.Amount}", 0, 0);
    amount->SetObjectWidth(2000);
    amount->SetObjectHeight(300);
    d->PlaceFieldObject("{@Net}", 2240, 0);
    d->PlaceFieldObject("{?Year}", 4000, 0);
    d->PlaceFieldObject("{#Running}", 5000, 0);
    d->PlaceFieldObject("{%Upper}", 6500, 0);
    d->PlaceFieldObject("{Customer.Notes}", 9000, 0);
    sections->ItemAt("GH1")->PlaceFieldObject("GroupName ({Customer.Country})", 0, 0);
    const auto gf1 = sections->ItemAt("GF1");
    const auto sum1 = gf1->PlaceSummaryObject("{Orders.Amount}", 0, 240, 0)->field();
    gf1->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::WeightedAverage, 480, 0,
                            automation::Variant("{Orders.Quantity}"));
    gf1->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Percentile, 720, 0,
                            automation::Variant(90));
    const auto gf2 = sections->ItemAt("GF2");
    const auto sum2 = gf2->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0)->field();
    gf2->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Count, 240, 0);
    const auto rf = sections->ItemAt("RF");
    rf->PlaceTextObject("Grand Total:", 0, 0);
    rf->PlaceSummaryObject("{Orders.Amount}", 0, 1440, 0);
    sections->ItemAt("PF")->PlaceFieldObject("PageNofM", 0, 0);

    const auto gh1 = report->GetAreaList()->ItemAt("GH1");
    gh1->SetGroupSortMode(2);
    gh1->SetGroupTopCount(5);
    gh1->SetDropOthers(true);
    gh1->SetGroupSortSummary(sum1);
    report->AddSummarySort(sum2, 1);
    return report;
}

class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        database = test::MakeDatabase(dir.File("shop.db"), test::kShopSql);
        reportPath = dir.File("sales.rpt");
    }
    void TearDown() override { SetWriteFailureForTesting(std::nullopt); }

    // Loads the text as a report file and answers the error's description.
    std::string LoadError(const std::string& text) {
        test::WriteBytes(reportPath, text);
        try {
            LoadReportFromFile(reportPath);
        } catch (const EngineError& e) {
            return e.Description();
        }
        return "(loaded)";
    }
    static constexpr const char* kNestedTooDeeply =
        "the file is nested too deeply (more than 64 levels of arrays and objects)";
    std::string Problem(const std::string& problem) {
        return "Cannot read report " + reportPath + ": " + problem + ".";
    }
    // Leftover temporary files of a save.
    std::vector<std::string> OtherFiles() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.Path())) {
            const auto name = e.path().filename().string();
            if (name != "shop.db" && name != "sales.rpt") {
                names.push_back(name);
            }
        }
        return names;
    }

    test::TempDir dir;
    std::string database;
    std::string reportPath;
};

TEST_F(ReportFileTest, SaveThenLoadGivesBackTheSameReport) {
    const auto original = BuildFullReport(database);
    // Two groups on one field: their group names share a name but stay apart.
    original->InsertGroup(2, original->LookupFieldDefinition("{Orders.OrderDate}"), 7, 0);
    original->GetSectionList()->ItemAt("GF3")->PlaceFieldObject(original->Groups()[2]->nameField, 0,
                                                                0);
    original->SaveToFile(reportPath, 0);
    const std::string saved = test::ReadBytes(reportPath);
    const Json doc = Json::parse(saved);
    EXPECT_EQ(doc["format"], "foliant-report");
    EXPECT_EQ(doc["version"], 1);

    EXPECT_EQ(original->FilePath(), reportPath);
    const auto loaded = LoadReportFromFile(reportPath);
    EXPECT_EQ(loaded->FilePath(), reportPath);
    // Everything in the model is in the file: the loaded report writes the same file and
    // describes itself the same way.
    EXPECT_EQ(SerializeReport(*loaded, reportPath), saved);
    EXPECT_EQ(DescribeReport(*loaded), DescribeReport(*original));

    // Spot checks through the interface the wizard reads.
    EXPECT_EQ(loaded->GetTitleText(), "Sales \"2021\" – überall");
    EXPECT_EQ(loaded->GetLayoutStyle(), 6);
    EXPECT_EQ(loaded->GetSelectionFormulaText(), "{Orders.Amount} > 100 and {Customer.Active}");
    EXPECT_EQ(loaded->GetDataSource()->Path(), database);
    const auto areas = loaded->GetAreaList();
    EXPECT_EQ(areas->ItemCount(), 11);
    const auto gf3Name =
        loaded->GetSectionList()->ItemAt("GF3")->SectionObjects()->ItemAt(1)->field();
    EXPECT_EQ(gf3Name->Name(), "GroupName ({Orders.OrderDate})");
    EXPECT_EQ(gf3Name->GroupOfName().lock()->number, 3);
    EXPECT_EQ(gf3Name->GroupOfName().lock()->condition, GroupCondition::EachYear);
    const auto gh1 = areas->ItemAt("GH1");
    EXPECT_EQ(gh1->GetGroupConditionField()->Name(), "{Customer.Country}");
    EXPECT_EQ(gh1->GetGroupOrder(), 1);
    EXPECT_EQ(gh1->GetGroupSortMode(), 2);
    EXPECT_EQ(gh1->GetGroupTopCount(), 5);
    EXPECT_TRUE(gh1->GetDropOthers());
    EXPECT_EQ(gh1->GetGroupSortSummary()->GetSummaryArea(), gh1);
    const auto gh2 = areas->ItemAt("GH2");
    EXPECT_EQ(gh2->GetGroupCondition(), GroupCondition::EachMonth);
    EXPECT_EQ(gh2->GetGroupSortMode(), 1);
    EXPECT_EQ(gh2->GetGroupOrder(), 1);
    const auto d = loaded->GetSectionList()->ItemAt("D")->SectionObjects();
    ASSERT_EQ(d->ItemCount(), 6);
    EXPECT_EQ(d->ItemAt(1)->ObjectWidth(), 2000);
    EXPECT_EQ(d->ItemAt(1)->ObjectHeight(), 300);
    EXPECT_EQ(d->ItemAt(2)->field()->Kind(), FieldKind::Formula);
    EXPECT_EQ(d->ItemAt(3)->field()->Kind(), FieldKind::Parameter);
    EXPECT_EQ(d->ItemAt(4)->field()->Kind(), FieldKind::RunningTotal);
    EXPECT_EQ(d->ItemAt(5)->field()->Kind(), FieldKind::SqlExpression);
    const auto gf1 = loaded->GetSectionList()->ItemAt("GF1")->SectionObjects();
    EXPECT_EQ(gf1->ItemAt(2)->field()->GetSecondSummarizedField()->Name(), "{Orders.Quantity}");
    EXPECT_EQ(gf1->ItemAt(3)->field()->GetSummaryNumber(), 90);
    EXPECT_EQ(
        loaded->GetSectionList()->ItemAt("PH")->SectionObjects()->ItemAt(3)->HorizontalAlign(),
        HorizontalAlignment::Right);
    EXPECT_EQ(loaded->GetSectionList()->ItemAt("PH")->SectionHeight(), 1200);
    EXPECT_EQ(loaded->GetSummaryList()->ItemCount(), 6);
    EXPECT_EQ(loaded->GetSummarySortList()->ItemCount(), 1);
}

TEST_F(ReportFileTest, ACopySharesTheDataSourceAndSwapsInWhole) {
    const auto original = BuildFullReport(database);
    const std::string described = DescribeReport(*original);
    const auto copy = CopyReport(*original);
    EXPECT_EQ(copy->GetDataSource(), original->GetDataSource());
    EXPECT_EQ(DescribeReport(*copy), described);

    // Changing the copy leaves the original alone, until the two exchange their content.
    copy->DropGroup(1);
    copy->SetTitleText("Copy");
    const std::string changed = DescribeReport(*copy);
    EXPECT_EQ(DescribeReport(*original), described);
    original->SwapContents(*copy);
    EXPECT_EQ(DescribeReport(*original), changed);
    EXPECT_EQ(DescribeReport(*copy), described);
    // The areas answer to the report that now holds them.
    EXPECT_EQ(original->GetAreaList()->ItemAt("PH")->GetReport(), original);
    original->GetSectionList()->ItemAt("RF")->PlaceSummaryObject("{Orders.Amount}", 0, 0, 0);

    const auto elsewhere = Report::CreateOverDatabase(database);
    EXPECT_EQ(test::ErrorOf([&] {
                  original->SwapContents(*elsewhere);
              }).rfind("Cannot exchange the content of two reports over different data sources", 0),
              0U);
    EXPECT_EQ(DescribeReport(*elsewhere), DescribeReport(*Report::CreateOverDatabase(database)));
}

TEST_F(ReportFileTest, DataSourceBesideTheReportIsStoredRelativeToIt) {
    fs::create_directories(dir.Path() / "data");
    const auto nested = test::MakeDatabase(dir.File("data/nested.db"), test::kShopSql);
    Report::CreateOverDatabase(database)->SaveToFile(reportPath);
    EXPECT_EQ(Json::parse(test::ReadBytes(reportPath))["dataSource"]["path"], "shop.db");
    Report::CreateOverDatabase(nested)->SaveToFile(dir.File("nested.rpt"));
    EXPECT_EQ(Json::parse(test::ReadBytes(dir.File("nested.rpt")))["dataSource"]["path"],
              "data/nested.db");

    // Moving the folder keeps report and database together.
    test::TempDir elsewhere;
    const auto moved = elsewhere.Path() / "moved";
    fs::copy(dir.Path(), moved, fs::copy_options::recursive);
    const auto loaded = LoadReportFromFile((moved / "sales.rpt").string());
    EXPECT_EQ(loaded->GetDataSource()->Path(), (moved / "shop.db").string());

    // A database outside the report's folder is stored with its full path.
    fs::create_directories(dir.Path() / "reports");
    Report::CreateOverDatabase(database)->SaveToFile(dir.File("reports/up.rpt"));
    EXPECT_EQ(Json::parse(test::ReadBytes(dir.File("reports/up.rpt")))["dataSource"]["path"],
              fs::path(database).generic_string());
}

TEST_F(ReportFileTest, AFailedSaveLeavesTheExistingFileAsItWas) {
    const auto report = BuildFullReport(database);
    test::WriteBytes(reportPath, "the report as it was before");
    report->SetTitleText("changed");
    for (const auto failure : {WriteFailure::Write, WriteFailure::Sync, WriteFailure::Rename}) {
        SetWriteFailureForTesting(failure);
        try {
            report->SaveToFile(reportPath, 0);
            ADD_FAILURE() << "the save did not fail";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.Description().rfind("Cannot save the report to " + reportPath + ": ", 0),
                      0u)
                << e.Description();
        }
        EXPECT_EQ(test::ReadBytes(reportPath), "the report as it was before");
        EXPECT_TRUE(OtherFiles().empty()) << "a temporary file was left behind";
        EXPECT_EQ(report->FilePath(), "") << "a failed save does not make the file the report's";
    }
    SetWriteFailureForTesting(std::nullopt);
    report->SaveToFile(reportPath, 0);
    EXPECT_EQ(LoadReportFromFile(reportPath)->GetTitleText(), "changed");
    EXPECT_TRUE(OtherFiles().empty());
}

// Makes a folder unwritable for as long as it lives: by permissions, and, for a user whom
// permissions do not stop, by the immutable attribute where the file system has it.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const fs::path& path) : path_(path) {
        ::chmod(path_.c_str(), 0555);
        if (Writable()) {
            SetImmutable(true);
            immutable_ = true;
        }
    }
    ~UnwritableFolder() {
        if (immutable_) {
            SetImmutable(false);
        }
        ::chmod(path_.c_str(), 0755);
    }
    bool Writable() const {
        const auto probe = (path_ / ".probe").string();
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0600);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
        ::unlink(probe.c_str());
        return true;
    }

private:
    void SetImmutable(bool on) const {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) {
            return;
        }
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }
    fs::path path_;
    bool immutable_ = false;
};

TEST_F(ReportFileTest, SavingIntoAnUnwritableFolderFailsAndChangesNothing) {
    const auto report = BuildFullReport(database);
    fs::create_directories(dir.Path() / "locked");
    const auto target = dir.File("locked/old.rpt");
    test::WriteBytes(target, "old bytes");
    {
        UnwritableFolder locked(dir.Path() / "locked");
        if (locked.Writable()) {
            GTEST_SKIP() << "this user can write into any folder here";
        }
        try {
            report->SaveToFile(target, 0);
            ADD_FAILURE() << "saved into an unwritable folder";
        } catch (const EngineError& e) {
            EXPECT_NE(
                e.Description().find("cannot create a temporary file in " + dir.File("locked")),
                std::string::npos)
                << e.Description();
        }
    }
    EXPECT_EQ(test::ReadBytes(target), "old bytes");
    EXPECT_EQ(
        std::distance(fs::directory_iterator(dir.Path() / "locked"), fs::directory_iterator()), 1);
}

TEST_F(ReportFileTest, SaveRefusesWhatItCannotWrite) {
    const auto report = Report::CreateOverDatabase(database);
    EXPECT_THROW(report->SaveToFile(dir.File("no/such/folder/r.rpt"), 0), EngineError);
    EXPECT_THROW(report->SaveToFile(reportPath, 1), EngineError);
    EXPECT_THROW(report->SaveToFile(dir.Path().string(), 0), EngineError);
    EXPECT_FALSE(fs::exists(reportPath));
}

TEST_F(ReportFileTest, TruncatedFilesAreRefusedWherePossiblyCut) {
    BuildFullReport(database)->SaveToFile(reportPath, 0);
    const std::string whole = test::ReadBytes(reportPath);
    // Cut at many places, including inside strings, numbers and names: never a crash, never a
    // report, always the file's name in the message.
    for (std::size_t cut = 0; cut < whole.size() - 2; cut += 1 + cut / 16) {
        const std::string error = LoadError(whole.substr(0, cut));
        EXPECT_EQ(error.rfind("Cannot read report " + reportPath + ": ", 0), 0u)
            << "cut at " << cut << ": " << error;
    }
    EXPECT_EQ(LoadError(whole.substr(0, 812)),
              Problem("the file is truncated (unexpected end of JSON at byte 812)"));
    EXPECT_EQ(LoadError(""), Problem("the file is empty"));
}

TEST_F(ReportFileTest, DamagedBytesGiveAReportOrAnErrorNeverACrash) {
    BuildFullReport(database)->SaveToFile(reportPath, 0);
    const std::string whole = test::ReadBytes(reportPath);
    int refused = 0;
    // Overwrite single bytes all through the file with characters that change its meaning.
    const std::string replacements("x9-{}[]\",:\0\xff", 12);
    for (std::size_t at = 0; at < whole.size(); at += 17) {
        std::string damaged = whole;
        damaged[at] = replacements[at % replacements.size()];
        const std::string error = LoadError(damaged);
        if (error != "(loaded)") {
            ++refused;
            EXPECT_EQ(error.rfind("Cannot read report " + reportPath + ": ", 0), 0u) << error;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST_F(ReportFileTest, ForeignDamagedAndNewerFilesAreRefused) {
    EXPECT_EQ(LoadError("PK\x03\x04 binary junk"),
              Problem("the file is not valid JSON (syntax error at byte 1)"));
    EXPECT_EQ(LoadError("[1, 2, 3]"),
              Problem("the file is not a Foliant report (it holds JSON, but not a report "
                      "object)"));
    // Deeply nested JSON is refused before it is read, so the stack never runs out.
    EXPECT_EQ(LoadError(std::string(200000, '[') + std::string(200000, ']')),
              Problem(kNestedTooDeeply));
    // A number past what a double holds is refused like any other damage (found by fuzzing:
    // it used to escape as an unexpected exception).
    EXPECT_EQ(LoadError("77000000.00046e00086201"),
              Problem("the file holds a number too large to read"));
    EXPECT_EQ(LoadError(R"({"name": "x"})"),
              Problem("the file is not a Foliant report (it has no \"format\")"));
    EXPECT_EQ(LoadError(R"({"format": "spreadsheet", "version": 1})"),
              Problem("the file is not a Foliant report (its format is \"spreadsheet\")"));
    EXPECT_EQ(LoadError(R"({"format": "foliant-report", "version": 2})"),
              Problem("the file was written by a newer version of Foliant (report format "
                      "version 2; this version reads version 1)"));
    EXPECT_EQ(LoadError(R"({"format": "foliant-report", "version": "1"})"),
              Problem("the file has no format version"));
    EXPECT_EQ(LoadError(R"({"format": "foliant-report", "version": 0})"),
              Problem("the file has an unknown format version 0"));
    try {
        LoadReportFromFile(dir.File("absent.rpt"));
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.Description(),
                  "Cannot read report " + dir.File("absent.rpt") + ": the file does not exist.");
    }
}

TEST_F(ReportFileTest, NestingIsReadUpToItsLimitAndRefusedOnePast) {
    // A saved report with an entry of its own (passed over when read) nested under the top
    // object: 64 levels in all are read, 65 are refused.
    BuildFullReport(database)->SaveToFile(reportPath, 0);
    const std::string good = test::ReadBytes(reportPath);
    const auto withExtra = [&](const std::string& value) {
        return "{\"extra\": " + value + ", " + good.substr(good.find('{') + 1);
    };
    const auto arrays = [](int n) { return std::string(n, '[') + std::string(n, ']'); };
    EXPECT_EQ(LoadError(withExtra(arrays(63))), "(loaded)");
    EXPECT_EQ(LoadError(withExtra(arrays(64))), Problem(kNestedTooDeeply));
    // Brackets and escaped quotes inside strings do not count.
    EXPECT_EQ(LoadError(withExtra("\"" + std::string(100, '[') + "\\\"{{\"")), "(loaded)");
    // Every report command crashed on 50,000 levels.
    EXPECT_EQ(LoadError("{\"a\":" + arrays(50000) + ",\"b\":1}"), Problem(kNestedTooDeeply));
}

TEST_F(ReportFileTest, DanglingAndInconsistentReferencesAreRefused) {
    BuildFullReport(database)->SaveToFile(reportPath, 0);
    const Json good = Json::parse(test::ReadBytes(reportPath));
    struct Case {
        const char* what;
        std::function<void(Json&)> damage;
        const char* problem;
    };
    const Case cases[] = {
        {"an object shows a field the data source lacks",
         [](Json& j) { j["areas"][4]["sections"][0]["objects"][0]["field"] = "{Orders.Gone}"; },
         "object 1 of section D: there is no field named {Orders.Gone}: table Orders has no "
         "field named Gone"},
        {"an object shows a summary that does not exist",
         [](Json& j) { j["areas"][5]["sections"][0]["objects"][0]["summary"] = 99; },
         "object 1 of section GF2 refers to summary 99, but the report has 6 summaries"},
        {"a group's sort summary belongs to another group",
         [](Json& j) { j["groups"][0]["sortSummary"] = 4; },
         "group 1: the summary Sum of {Orders.Amount} is not a summary of group 1 and cannot "
         "sort its groups"},
        {"the areas are out of order", [](Json& j) { std::swap(j["areas"][2], j["areas"][4]); },
         "area 3 is D where GH1 belongs"},
        {"an area is missing", [](Json& j) { j["areas"].erase(8); },
         "the report has 8 areas, but 2 groups make 9"},
        {"a link names a table the data source lacks",
         [](Json& j) { j["dataSource"]["links"][0]["toTable"] = "Nobody"; },
         "link 1 of the data source refers to table Nobody, which is not in the data source"},
        {"a summary lives in the details area", [](Json& j) { j["summaries"][0]["area"] = "D"; },
         "summary 1: its area D is not a group header or the report header or footer"},
        {"an alignment out of range",
         [](Json& j) { j["areas"][1]["sections"][0]["objects"][0]["align"] = 7; },
         "\"align\" of object 1 of section PH is 7, outside 0 to 3"},
        {"a negative position",
         [](Json& j) { j["areas"][1]["sections"][0]["objects"][0]["left"] = -3; },
         "\"left\" of object 1 of section PH is -3, outside 0 to 1073741824"},
        {"a style out of range", [](Json& j) { j["style"] = 12; },
         "\"style\" of the report is 12, outside 0 to 9"},
        {"two formulas of one name", [](Json& j) { j["formulas"].push_back(j["formulas"][0]); },
         "formula 2: there is already a formula named Net ({@Net})"},
        {"a summary no object shows",
         [](Json& j) {
             j["summaries"].push_back(
                 {{"field", "{Orders.Rate}"}, {"operation", 4}, {"area", "RF"}});
         },
         "summary 7 (Maximum of {Orders.Rate}) is not shown by any object"},
        {"sort mode 1 without a summary sort", [](Json& j) { j["summarySorts"] = Json::array(); },
         "group 2 has sort mode 1 but is not in the summary sort list"},
        {"a group on a field of the wrong type for its condition",
         [](Json& j) { j["groups"][0]["condition"] = 4; },
         "group 1: cannot group {Customer.Country} by date periods (condition 4): it is a "
         "string field, not a date"},
        {"a value of the wrong JSON type", [](Json& j) { j["title"] = 5; },
         "\"title\" of the report is not text"},
        {"a missing member", [](Json& j) { j.erase("groups"); }, "the report has no \"groups\""},
        {"a group name of a group that does not exist",
         [](Json& j) { j["areas"][2]["sections"][0]["objects"][0]["groupName"] = 9; },
         "\"groupName\" of object 1 of section GH1 is 9, outside 1 to 2"},
        {"a summary of a group that does not exist",
         [](Json& j) { j["summaries"][0]["area"] = "GH9"; },
         "summary 1: its area GH9 is not a group header or the report header or footer"},
    };
    for (const auto& c : cases) {
        Json damaged = good;
        c.damage(damaged);
        EXPECT_EQ(LoadError(damaged.dump(2)), Problem(c.problem)) << c.what;
    }
    // The undamaged document still loads.
    EXPECT_EQ(LoadError(good.dump(2)), "(loaded)");
}

} // namespace
} // namespace foliant::engine
