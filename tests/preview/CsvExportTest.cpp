// The CSV export of a report's detail records, checked against what SQLite itself returns
// for the report's records.

#include "preview/CsvExport.h"

#include "engine/AtomicFile.h"
#include "engine/run/Runner.h"
#include "generate/LayoutBuilder.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace foliant::preview {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const char* kOrdersSql = R"sql(
CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer TEXT, Region TEXT, Amount REAL,
                     Placed DATE);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400)
INSERT INTO Orders SELECT i, 'Cust' || i, char(65 + i % 4) || 'land', (i * 37) % 997 + 0.25,
                          date('2024-01-01', '+' || i || ' days') FROM n;
INSERT INTO Orders VALUES (401, 'Smith, "Junior"', 'Bland', 999.5, '2025-06-30');
INSERT INTO Orders VALUES (402, 'Two
Lines', 'Aland', 750, NULL);
)sql";

// RFC 4180 fields: quoted fields may hold commas, doubled quotes and line breaks.
Rows ParseCsv(const std::string& text) {
    Rows rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back(); // after the last line break
    return rows;
}

Rows SqliteRows(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
    Rows rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        rows.emplace_back();
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* text = sqlite3_column_text(stmt, c);
            rows.back().push_back(text ? reinterpret_cast<const char*>(text) : "");
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

TEST(CsvExport, HoldsExactlyTheRowsSqliteSelectsInTheReportsOrder) {
    engine::test::TempDir dir;
    const std::string path = engine::test::MakeDatabase(dir.File("orders.db"), kOrdersSql);
    auto report = engine::Report::CreateOverDatabase(path);
    generate::ReportChoices choices;
    choices.title = "Big Orders";
    choices.columns = {{"Orders.Placed"}, {"Orders.Customer"}, {"Orders.Amount"}};
    choices.groups = {{"Orders.Region"}};
    choices.groups[0].summaries = {{"Orders.Amount"}};
    choices.selectionFormula = "{Orders.Amount} > 700";
    generate::BuildReportLayout(*report, choices);

    const Rows csv = ParseCsv(DetailRecordsCsv(engine::run::RunReport(*report)));
    ASSERT_FALSE(csv.empty());
    // The headings are the page header's texts over the three columns, left to right.
    ASSERT_EQ(csv[0].size(), 3u);
    for (const std::string& heading : csv[0]) {
        EXPECT_FALSE(heading.empty());
    }
    const Rows expected = SqliteRows(
        path, "SELECT Placed, Customer, Amount FROM Orders WHERE Amount > 700 ORDER BY Region, Id");
    ASSERT_GT(expected.size(), 50u);
    ASSERT_EQ(csv.size() - 1, expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        SCOPED_TRACE("record " + std::to_string(r + 1));
        const auto& row = csv[r + 1];
        ASSERT_EQ(row.size(), 3u);
        EXPECT_EQ(row[0], expected[r][0]) << "dates in ISO form, empty for null";
        EXPECT_EQ(row[1], expected[r][1]) << "text as it is";
        EXPECT_DOUBLE_EQ(std::stod(row[2]), std::stod(expected[r][2]));
        EXPECT_EQ(row[2].find_first_of(",$"), std::string::npos) << "plain numbers";
    }
}

TEST(CsvExport, AFailedWriteLeavesTheEarlierFile) {
    engine::test::TempDir dir;
    const std::string path = engine::test::MakeDatabase(dir.File("orders.db"), kOrdersSql);
    auto report = engine::Report::CreateOverDatabase(path);
    generate::BuildReportLayout(*report, {.columns = {{"Orders.Customer"}}});
    const auto run = engine::run::RunReport(*report);
    const std::string out = dir.File("orders.csv");
    WriteDetailRecordsCsv(run, out);
    std::ifstream first(out, std::ios::binary);
    std::stringstream written;
    written << first.rdbuf();
    EXPECT_EQ(ParseCsv(written.str()).size(), 403u) << "the headings and every record";

    engine::SetWriteFailureForTesting(engine::WriteFailure::Rename);
    EXPECT_THROW(WriteDetailRecordsCsv(run, out), engine::EngineError);
    engine::SetWriteFailureForTesting(std::nullopt);
    std::ifstream again(out, std::ios::binary);
    std::stringstream kept;
    kept << again.rdbuf();
    EXPECT_EQ(kept.str(), written.str());
}

} // namespace
} // namespace foliant::preview
