// foliant script: the wizard driven headless by a script, as a user runs it.
#include "tests/foliant/RunFoliant.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Quote;
using nlohmann::json;

struct ScriptOutcome {
    int status = -1;
    std::vector<json> dumps;
    std::string err;
};

class ScriptCliTest : public foliant::cli_test::FolderTest {
protected:
    ScriptCliTest() : FolderTest("foliant-script") {}

    ScriptOutcome Run(const std::string& script, const std::string& options = {}) {
        std::ofstream(dir / "script.txt") << script;
        const std::string command = "cd " + Quote(dir.string()) + " && " + Quote(FOLIANT_EXE) +
                                    " " + options + " script script.txt >out.txt 2>err.txt";
        ScriptOutcome r;
        r.status = foliant::cli_test::RunShell(command);
        std::ifstream out(dir / "out.txt");
        for (std::string line; std::getline(out, line);) {
            r.dumps.push_back(json::parse(line));
        }
        r.err = foliant::cli_test::Slurp(dir / "err.txt");
        return r;
    }

    // What foliant printed for the arguments, run in the test's folder; fails the test when
    // it does not succeed.
    std::string Foliant(const std::string& args) {
        const auto r = foliant::cli_test::RunCaptured(
            "cd " + Quote(dir.string()) + " && " + Quote(FOLIANT_EXE) + " " + args, dir);
        EXPECT_EQ(r.status, 0) << args << ": " << r.err;
        return r.out;
    }

    // The numbers that start the lines of a text file, in order ("1,024" is 1024).
    static std::vector<long> FirstNumbers(const fs::path& file) {
        std::vector<long> numbers;
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            std::string digits;
            std::size_t at = line.find_first_not_of(' ');
            for (; at < line.size() && (std::isdigit(static_cast<unsigned char>(line[at])) ||
                                        (line[at] == ',' && !digits.empty()));
                 ++at) {
                digits += line[at] == ',' ? "" : std::string(1, line[at]);
            }
            if (!digits.empty() && (at == line.size() || line[at] == ' ')) {
                numbers.push_back(std::stol(digits));
            }
        }
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    // The first column of the query's rows over the sample database.
    static std::vector<long> SqlIds(const std::string& sql) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(FOLIANT_SAMPLE_DB, &db, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        std::vector<long> ids;
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            ids.push_back(static_cast<long>(sqlite3_column_int64(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return ids;
    }

    // The dumped control of that name.
    static json Control(const json& dump, const std::string& name) {
        for (const auto& control : dump["form"]["controls"]) {
            if (control["name"] == name) {
                return control;
            }
        }
        return {};
    }
};

TEST_F(ScriptCliTest, ClicksMoveThroughThePagesAndDumpShowsPageControlsAndState) {
    const ScriptOutcome r = Run("# the sample database has no groups: Next from page 2 goes to 5\n"
                                "click cmdNext\n"
                                "dump\n"
                                "click cmdNext\n"
                                "dump\n"
                                "key DatabaseTreeView Esc\n"
                                "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.dumps.size(), 3U);
    EXPECT_EQ(r.dumps[0]["page"], 2);
    EXPECT_EQ(Control(r.dumps[0], "GroupTreeView")["visible"], true);
    EXPECT_EQ(Control(r.dumps[0], "ReportFieldList1")["visible"], false);
    EXPECT_EQ(r.dumps[1]["page"], 5);
    EXPECT_EQ(Control(r.dumps[1], "SelectList")["visible"], true);
    EXPECT_EQ(Control(r.dumps[1], "ConditionCombo")["visible"], false);
    EXPECT_EQ(Control(r.dumps[1], "cmdBack")["enabled"], true);
    EXPECT_EQ(r.dumps[1]["state"]["PageControlEnd"], json::parse("[11, 22, 37, 54, 67, 74, 83]"));
    EXPECT_EQ(r.dumps[1]["state"]["ReportHasContent"], false);
    EXPECT_EQ(r.dumps[1]["form"]["default"], "cmdNext");
    // Lines after the wizard closed still run.
    EXPECT_EQ(r.dumps[2]["form"]["loaded"], false);
}

TEST_F(ScriptCliTest, AWalkFiltersTheSampleWithAListARangeAndAPeriod) {
    const ScriptOutcome r = Run("node DatabaseTreeView \"OrderID\"\n"
                                "click Add\n"
                                "node DatabaseTreeView \"Amount\"\n"
                                "click Add\n"
                                "click cmdNext\n"
                                "click cmdNext\n"
                                "node DatabaseTreeView \"Country\"\n"
                                "click AddSelect\n"
                                "select ConditionCombo 3\n"
                                "type ConditionTextCombo \"France\"\n"
                                "key ConditionTextCombo Enter\n"
                                "type ConditionTextCombo \" Germany \"\n"
                                "key ConditionTextCombo Enter\n"
                                "node DatabaseTreeView \"Amount\"\n"
                                "click AddSelect\n"
                                "select ConditionCombo 9\n"
                                "type ConditionTextCombo \"ten\"\n"
                                "type SecondConditionText \"1000\"\n"
                                "node DatabaseTreeView \"OrderDate\"\n"
                                "click AddSelect\n"
                                "select ConditionCombo 12\n"
                                "select ConditionTextCombo \"LastFullMonth\"\n"
                                "answer OK\n"
                                "click cmdNext\n"
                                "dump\n"
                                "node DatabaseTreeView \"Amount\"\n"
                                "click AddSelect\n"
                                "type ConditionTextCombo \"100\"\n"
                                "click cmdNext\n"
                                "dump\n"
                                "click cmdNext\n"
                                "type SaveText \"walk\"\n"
                                "click SaveOption\n"
                                "click FinishCmd\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.dumps.size(), 2U);
    // "ten" is no amount: the page stays and says so.
    EXPECT_EQ(r.dumps[0]["page"], 5);
    const json boxes = r.dumps[0]["prompts"]["messageBoxes"];
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0]["text"], "The value \"ten\" of Orders.Amount is not a number.");
    EXPECT_EQ(r.dumps[1]["page"], 6);
    const json state = r.dumps[1]["state"];
    EXPECT_EQ(state["SelectValueCount"], json::parse("[2, 2, 1]"));
    EXPECT_EQ(state["SelectValues"],
              json::parse(R"(["France", "Germany", "100", "1000", "LastFullMonth"])"));
    const json list = Control(r.dumps[1], "SelectList");
    EXPECT_EQ(list["items"],
              json::parse(R"(["Customers.Country", "Orders.Amount", "Orders.OrderDate"])"));
    EXPECT_EQ(list["itemData"], json::parse("[3, 9, 12]"));

    // Finish saved the filter; the report lists the orders SQLite finds with it.
    const json saved = json::parse(Foliant("inspect walk.rpt"));
    EXPECT_EQ(saved["selectionFormula"],
              "{Customers.Country} in ['France', 'Germany'] and {Orders.Amount} in 100 to 1000 "
              "and  not ({Orders.OrderDate} in LastFullMonth)");
    Foliant("export walk.rpt --text walk.txt");
    const std::vector<long> printed = FirstNumbers(dir / "walk.txt");
    const std::vector<long> expected = SqlIds(
        "SELECT OrderID FROM Orders JOIN Customers ON Customers.CustomerID = Orders.CustomerID "
        "WHERE Country IN ('France', 'Germany') AND Amount BETWEEN 100 AND 1000 AND NOT "
        "(OrderDate BETWEEN date('now', 'localtime', 'start of month', '-1 month') AND "
        "date('now', 'localtime', 'start of month', '-1 day')) ORDER BY OrderID");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(printed, expected);
}

TEST_F(ScriptCliTest, AGroupOpensTheSummariesPageAndASummaryTheSortingPage) {
    const ScriptOutcome r = Run("click cmdNext\n"
                                "node DatabaseTreeView \"Country\"\n"
                                "click AddGroup\n"
                                "click cmdNext\n"
                                "dump\n"
                                "node DatabaseTreeView \"Amount\"\n"
                                "click AddTotal\n"
                                "select SumCombo \"Nth largest\"\n"
                                "type PIsText \"3\"\n"
                                "click cmdNext\n"
                                "dump\n"
                                "click cmdBack\n"
                                "click RemoveTotal\n"
                                "click cmdNext\n"
                                "click cmdBack\n"
                                "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.dumps.size(), 3U);
    const auto& group = r.dumps[0]["state"];
    EXPECT_EQ(r.dumps[0]["page"], 3);
    EXPECT_EQ(group["GroupSummaryCount"], json::parse("[0]"));
    EXPECT_EQ(group["GroupSortKind"], json::parse("[2]"));
    EXPECT_EQ(group["GroupSortValue"], json::parse("[-1]"));
    EXPECT_EQ(group["GroupOthersLabel"], json::parse(R"(["Others"])"));
    const auto& summary = r.dumps[1]["state"];
    EXPECT_EQ(r.dumps[1]["page"], 4);
    EXPECT_EQ(summary["GroupSummaryCount"], json::parse("[1]"));
    EXPECT_EQ(summary["SummaryField"], json::parse(R"(["Orders.Amount"])"));
    EXPECT_EQ(summary["SummaryOperation"], json::parse("[15]"));
    EXPECT_EQ(summary["SummaryParameter"], json::parse(R"(["3"])"));
    EXPECT_EQ(summary["SummaryGrandTotal"], json::parse("[true]"));
    // Without the summary, Next passes over the sorting page and Back returns to page 3.
    EXPECT_EQ(r.dumps[2]["page"], 3);
    EXPECT_EQ(r.dumps[2]["state"]["SummaryField"], json::array());
}

TEST_F(ScriptCliTest, AWalkThroughTheSortingPageLeavesTheGroupsSortingInTheDump) {
    const ScriptOutcome r = Run("click cmdNext\n"
                                "node DatabaseTreeView \"Country\"\n"
                                "click AddGroup\n"
                                "click cmdNext\n"
                                "node DatabaseTreeView \"Amount\"\n"
                                "click AddTotal\n"
                                "click cmdNext\n"
                                "select TopNSortCombo 0\n"
                                "type TopNText \"3\"\n"
                                "type TopNOthersText \"Other countries\"\n"
                                "dump\n"
                                "select TopNSortCombo 2\n"
                                "click TopNDescendingOption\n"
                                "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.dumps.size(), 2U);
    const auto& top = r.dumps[0]["state"];
    EXPECT_EQ(r.dumps[0]["page"], 4);
    EXPECT_EQ(top["GroupSortKind"], json::parse("[0]"));
    EXPECT_EQ(top["GroupSortValue"], json::parse("[3]"));
    EXPECT_EQ(top["GroupSortField"], json::parse(R"(["Orders.Amount"])"));
    EXPECT_EQ(top["GroupOthersLabel"], json::parse(R"(["Other countries"])"));
    EXPECT_EQ(Control(r.dumps[0], "TopNTotalADFrame")["visible"], false);
    const auto& all = r.dumps[1]["state"];
    EXPECT_EQ(all["GroupSortKind"], json::parse("[2]"));
    EXPECT_EQ(all["GroupSortValue"], json::parse("[0]"));
    EXPECT_EQ(all["GroupOthersLabel"], json::parse(R"(["Others"])"));
    EXPECT_EQ(Control(r.dumps[1], "TopNText")["visible"], false);
}

TEST_F(ScriptCliTest, AScriptOverASavedReportSeesItsImportedContent) {
    ASSERT_EQ(std::system(("cd " + Quote(dir.string()) + " && " + Quote(FOLIANT_EXE) +
                           " demo --out demo.rpt >/dev/null 2>&1")
                              .c_str()),
              0);
    // The options go after the script's name.
    std::ofstream(dir / "script.txt") << "click cmdNext\ndump\n";
    const std::string command = "cd " + Quote(dir.string()) + " && " + Quote(FOLIANT_EXE) +
                                " script script.txt --report demo.rpt >out.txt 2>err.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream out(dir / "out.txt");
    std::string line;
    ASSERT_TRUE(std::getline(out, line));
    const json dump = json::parse(line);
    // Over the saved report its columns, group, title and content come back.
    EXPECT_EQ(dump["page"], 2);
    EXPECT_FALSE(Control(dump, "ReportFieldList1")["items"].empty());
    EXPECT_EQ(dump["state"]["GroupSummaryCount"].size(), 1U);
    EXPECT_EQ(dump["state"]["ReportHasContent"], true);
    EXPECT_EQ(Control(dump, "TitleText")["text"], "Sales by Country");
}

TEST_F(ScriptCliTest, MistakesStopTheScriptWithTheLineAndTheReason) {
    struct Case {
        const char* script;
        const char* error;
        std::size_t dumpsBefore;
    };
    const std::vector<Case> cases = {
        // A person cannot press Back on page 1.
        {"dump\nclick cmdBack\ndump\n", "script.txt:2: Cannot click 'cmdBack': it is disabled.", 1},
        {"click cmdNext\n\nclick NoSuchButton\n",
         "script.txt:3: there is no control \"NoSuchButton\" on frmWizard", 0},
        // Malformed lines are found before anything runs.
        {"dump\ntype TitleText \"unclosed\n", "script.txt:2: the quoted text has no closing quote",
         0},
        {"dump\nfrobnicate cmdNext\n", "script.txt:2: unknown command \"frobnicate\"", 0},
        {"click\n", "script.txt:1: \"click\" takes 1 argument, not 0", 0},
        {"select StyleList x\n",
         "script.txt:1: an entry is a 0-based index or a quoted text, not \"x\"", 0},
    };
    for (const auto& c : cases) {
        const ScriptOutcome r = Run(c.script);
        EXPECT_EQ(r.status, 1) << c.script;
        EXPECT_EQ(r.err, std::string("foliant: ") + c.error + "\n") << c.script;
        EXPECT_EQ(r.dumps.size(), c.dumpsBefore) << c.script;
    }
}

TEST_F(ScriptCliTest, ClosingTheWindowEndsTheWizardAndLaterLinesStillRun) {
    const ScriptOutcome r = Run("window frmWizard move 300 300 9000 6000\n");
    EXPECT_EQ(r.status, 1);
    // The wizard is a fixed dialog: a person cannot size it.
    EXPECT_EQ(r.err, "foliant: script.txt:1: Cannot size the window of 'frmWizard': it has a "
                     "fixed size.\n");

    const ScriptOutcome closed = Run("window frmWizard close\n"
                                     "dump\n"
                                     "click cmdNext\n");
    EXPECT_EQ(closed.status, 1);
    ASSERT_EQ(closed.dumps.size(), 1U);
    EXPECT_EQ(closed.dumps[0]["form"]["loaded"], false);
    // A closed wizard takes no clicks.
    EXPECT_EQ(closed.err.rfind("foliant: script.txt:3: ", 0), 0U) << closed.err;
}

TEST_F(ScriptCliTest, TypingAndSelectingActAsAPersonWould) {
    const ScriptOutcome r = Run("click cmdNext\nclick cmdNext\nclick cmdNext\n"
                                "select StyleList \"Maroon/Teal Box\"\n"
                                "type TitleText \"Sales \"\"2024\"\"\"\n"
                                "click cmdNext\n"
                                "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.dumps.size(), 1U);
    EXPECT_EQ(r.dumps[0]["page"], 7);
    const std::string saveText = Control(r.dumps[0], "SaveText")["text"];
    EXPECT_TRUE(saveText.ends_with("/Sales \"2024\".rpt")) << saveText;
    EXPECT_EQ(r.dumps[0]["form"]["default"], "FinishCmd");
}

TEST_F(ScriptCliTest, TheFieldListDumpsEachColumnWithItsFieldKind) {
    const ScriptOutcome r = Run("click AddAll\n"
                                "select ReportFieldList1 0\n"
                                "click cmdReportFieldDown\n"
                                "node DatabaseTreeView \"CustomerName\"\n"
                                "click Add\n"
                                "# a double click on a table adds nothing\n"
                                "node DatabaseTreeView \"Orders\"\n"
                                "dblclick DatabaseTreeView\n"
                                "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.dumps.size(), 1U);
    const json list = Control(r.dumps[0], "ReportFieldList1");
    ASSERT_GE(list["items"].size(), 4U);
    ASSERT_EQ(list["items"].size(), list["itemData"].size());
    // AddAll lists every field with kind 0; the one added after the selection has kind 1.
    EXPECT_EQ(list["items"][0], "Customers.CustomerName");
    EXPECT_EQ(list["items"][1], "Customers.CustomerID");
    EXPECT_EQ(list["items"][2], "Customers.CustomerName");
    EXPECT_EQ(list["itemData"][0], 0);
    EXPECT_EQ(list["itemData"][1], 0);
    EXPECT_EQ(list["itemData"][2], 1);
    EXPECT_EQ(list["listIndex"], 2);
    EXPECT_EQ(Control(r.dumps[0], "Add")["enabled"], false);
}

} // namespace
