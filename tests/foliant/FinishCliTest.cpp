// Finish from the command line: a report made by a script over the sample database, saved with
// Finish, shows SQLite's numbers when exported; opened again and finished without a change, it
// is the same report.
#include "tests/foliant/RunFoliant.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Outcome;
using foliant::cli_test::Quote;
using foliant::cli_test::RunCaptured;
using foliant::cli_test::Slurp;

// One group's summaries as the report prints them, in the order they were added.
using Numbers = std::vector<double>;

class FinishCli : public foliant::cli_test::FolderTest {
protected:
    FinishCli() : FolderTest("foliant-finish") {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FolderTest::SetUp());
        fs::copy_file(FOLIANT_SAMPLE_DB, dir / "sample.db");
    }

    Outcome Foliant(const std::string& args) {
        return RunCaptured("cd " + Quote(dir.string()) + " && env LANG=en_US.UTF-8 " +
                               Quote(FOLIANT_EXE) + " " + args,
                           dir);
    }

    // Runs the script (its lines as given) with the options after its name.
    void RunScript(const std::string& lines, const std::string& options = "--db sample.db") {
        std::ofstream(dir / "script.txt") << lines;
        const Outcome r = Foliant("script script.txt " + options);
        ASSERT_EQ(r.status, 0) << r.err << "\n" << lines;
        ASSERT_EQ(r.err, "");
    }

    std::string Inspect(const std::string& report) {
        const Outcome r = Foliant("inspect " + report);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }

    std::string ExportText(const std::string& report) {
        const Outcome r = Foliant("export " + report + " --text out.txt");
        EXPECT_EQ(r.status, 0) << r.err;
        return Slurp(dir / "out.txt");
    }

    // The rows of an SQL query over the sample database: the first column as text, the others
    // as numbers.
    std::vector<std::pair<std::string, Numbers>> Sql(const std::string& sql) {
        sqlite3* db = nullptr;
        std::vector<std::pair<std::string, Numbers>> rows;
        EXPECT_EQ(sqlite3_open_v2((dir / "sample.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db) << ": " << sql;
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            const auto* key = sqlite3_column_text(statement, 0);
            Numbers values;
            for (int i = 1; i < sqlite3_column_count(statement); ++i) {
                values.push_back(sqlite3_column_double(statement, i));
            }
            rows.emplace_back(key ? reinterpret_cast<const char*>(key) : "", values);
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }
};

// What a script types for the file name and clicks on the last page to save for later.
std::string SaveForLater(const std::string& file) {
    return "click cmdNext\ntype SaveText \"" + file + "\"\nclick SaveOption\nclick FinishCmd\n";
}

// A number as printed: "$1,009,946.18", "3,000", "-4.5".
double ParseNumber(std::string text) {
    std::string digits;
    for (const char c : text) {
        if (c != '$' && c != ',') {
            digits += c;
        }
    }
    return std::stod(digits);
}

// The summaries the exported text shows for each group value (and "Grand Total"), whichever
// section the style prints a group's value in: a line holding a group value (alone or before
// numbers) starts that group; each line of nothing but numbers after it adds to that group.
std::map<std::string, Numbers> PrintedSummaries(const std::string& text,
                                                const std::vector<std::string>& groups) {
    static const std::regex numberLine(R"(^\s*((?:[\-$\d][\d,.$\-]*\s*)+)$)");
    static const std::regex number(R"([\-$\d][\d,.$\-]*)");
    std::map<std::string, Numbers> found;
    std::string current;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::string rest = line;
        for (const std::string& g : groups) {
            const auto at = line.find_first_not_of(' ');
            if (at != std::string::npos && line.compare(at, g.size(), g) == 0 &&
                (line.size() == at + g.size() || line[at + g.size()] == ' ')) {
                current = g == "Grand Total:" ? "Grand Total" : g;
                rest = line.substr(at + g.size());
            }
        }
        std::smatch m;
        if (current.empty() || !std::regex_match(rest, m, numberLine)) {
            continue;
        }
        for (auto it = std::sregex_iterator(rest.begin(), rest.end(), number);
             it != std::sregex_iterator(); ++it) {
            found[current].push_back(ParseNumber(it->str()));
        }
    }
    return found;
}

// The grouped, summarized, filtered report of the numbers tests: the customer and the amount
// of each order over 2,500; a group per country with the sum, the count and the average of
// the amounts (each with a grand total); the `sort` lines on the group-sorting page.
std::string CountryReport(const std::string& sort, int style, const std::string& file) {
    return "node DatabaseTreeView \"CustomerName\"\nclick Add\n"
           "node DatabaseTreeView \"Amount\"\nclick Add\nclick cmdNext\n"
           "node DatabaseTreeView \"Country\"\nclick AddGroup\nclick cmdNext\n"
           "node DatabaseTreeView \"Amount\"\nclick AddTotal\n"
           "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"count\"\n"
           "node DatabaseTreeView \"Amount\"\nclick AddTotal\nselect SumCombo \"average\"\n"
           "click cmdNext\n" +
           sort +
           "click cmdNext\n"
           "node DatabaseTreeView \"Amount\"\nclick AddSelect\n"
           "select ConditionCombo \"is greater than\"\ntype ConditionTextCombo \"2500\"\n"
           "click cmdNext\n"
           "select StyleList " +
           std::to_string(style) + "\ntype TitleText \"Large orders\"\n" + SaveForLater(file);
}

constexpr const char* kByCountry =
    "SELECT Country, SUM(Amount) AS s, COUNT(Amount), AVG(Amount) FROM Orders "
    "JOIN Customers ON Customers.CustomerID = Orders.CustomerID WHERE Amount > 2500 "
    "GROUP BY Country ORDER BY s DESC";

void ExpectNear(const Numbers& printed, const Numbers& expected, const std::string& what) {
    ASSERT_EQ(printed.size(), expected.size()) << what;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        // Money and averages are printed to the cent.
        EXPECT_NEAR(printed[i], expected[i], 0.006) << what << ", summary " << i + 1;
    }
}

TEST_F(FinishCli, TopCountriesWithOthersPrintSqlitesSumsCountsAndAverages) {
    // Leading-break style: the group's value heads its records.
    RunScript(CountryReport("select TopNSortCombo 0\ntype TopNText \"3\"\n", 0, "top.rpt"));
    const auto sql = Sql(kByCountry);
    ASSERT_GT(sql.size(), 3U);
    std::vector<std::string> names = {"Others", "Grand Total:"};
    for (const auto& row : sql) {
        names.push_back(row.first);
    }
    const auto printed = PrintedSummaries(ExportText("top.rpt"), names);

    Numbers others = {0, 0, 0};
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const auto& [country, values] = sql[i];
        if (i < 3) {
            ASSERT_TRUE(printed.count(country)) << country << " is among the top three";
            ExpectNear(printed.at(country), values, country);
        } else {
            EXPECT_FALSE(printed.count(country)) << country << " is gathered in Others";
            others[0] += values[0];
            others[1] += values[1];
        }
    }
    others[2] = others[0] / others[1];
    ASSERT_TRUE(printed.count("Others"));
    ExpectNear(printed.at("Others"), others, "Others");
    const auto total = Sql("SELECT 'all', SUM(Amount), COUNT(Amount), AVG(Amount) FROM Orders "
                           "WHERE Amount > 2500");
    ASSERT_TRUE(printed.count("Grand Total"));
    ExpectNear(printed.at("Grand Total"), total[0].second, "the grand totals");
}

TEST_F(FinishCli, BottomCountriesWithoutOthersPrintSqlitesNumbersInATrailingBreakStyle) {
    // Trailing-break style: the group's value is printed in its footer, beside the sum.
    RunScript(CountryReport("select TopNSortCombo 1\ntype TopNText \"2\"\n"
                            "click TopNIncludeOthersCheck\n",
                            2, "bottom.rpt"));
    auto sql = Sql(kByCountry);
    ASSERT_GT(sql.size(), 2U);
    std::vector<std::string> names = {"Others", "Grand Total:"};
    for (const auto& row : sql) {
        names.push_back(row.first);
    }
    const std::string text = ExportText("bottom.rpt");
    const auto printed = PrintedSummaries(text, names);
    // The two countries of the smallest sums, smallest first; no Others.
    const auto smallest = sql.rbegin();
    const std::vector<std::string> kept = {smallest[0].first, smallest[1].first};
    EXPECT_LT(text.find(kept[0]), text.find(kept[1]));
    for (const auto& [name, values] : printed) {
        if (name != "Grand Total") {
            EXPECT_TRUE(name == kept[0] || name == kept[1]) << name << " is left out";
        }
    }
    ExpectNear(printed.at(kept[0]), smallest[0].second, kept[0]);
    ExpectNear(printed.at(kept[1]), smallest[1].second, kept[1]);
    // The grand totals count every record the selection lets through, those of the groups
    // left out too.
    const auto total = Sql("SELECT 'all', SUM(Amount), COUNT(Amount), AVG(Amount) FROM Orders "
                           "WHERE Amount > 2500");
    ASSERT_TRUE(printed.count("Grand Total"));
    ExpectNear(printed.at("Grand Total"), total[0].second, "the grand totals");
}

} // namespace
