// The runner's query: only the fields a report uses, from tables joined along their links;
// reports over unlinked tables refused with the tables named; results over joins checked
// against SQL.

#include "engine/run/Query.h"
#include "tests/engine/RunTestSupport.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

using test::ErrorOf;

const char* kChain = R"sql(
CREATE TABLE Customers (CustomerID INTEGER PRIMARY KEY, Name TEXT, Country TEXT, Notes MEMO);
CREATE TABLE Orders (OrderID INTEGER PRIMARY KEY,
                     CustomerID INT REFERENCES Customers (CustomerID), Day DATE);
CREATE TABLE Lines (OrderID INT REFERENCES Orders (OrderID), LineNo INT, Qty INT,
                    PRIMARY KEY (OrderID, LineNo));
CREATE TABLE Loose (Id INTEGER PRIMARY KEY, Label TEXT);
INSERT INTO Customers VALUES (1, 'Ann', 'France', 'x'), (2, 'Bob', 'Peru', 'y'),
                             (3, 'Cy', 'France', 'z');
INSERT INTO Orders VALUES (10, 1, '2024-01-01'), (11, 2, '2024-01-02'), (12, 3, '2024-01-03'),
                          (13, 1, '2024-01-04');
INSERT INTO Lines VALUES (10, 1, 5), (10, 2, 7), (11, 1, 1), (12, 1, 4), (13, 1, 10),
                         (13, 2, NULL);
INSERT INTO Loose VALUES (1, 'alone');
)sql";

class RunQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = test::MakeDatabase(dir.File("q.db"), kChain);
        report = Report::CreateOverDatabase(db);
    }
    test::TempDir dir;
    std::string db;
    std::shared_ptr<Report> report;
};

TEST_F(RunQueryTest, ReadsOnlyTheUsedFieldsJoinedThroughTheTableBetween) {
    report->InsertGroup(0, report->LookupFieldDefinition("{Customers.Country}"),
                        GroupCondition::EachValue, GroupOrder::Ascending);
    report->FindSection("D")->PlaceFieldObject("{Lines.Qty}", 0, 0);
    const auto sum = report->FindSection("GF1")
                         ->PlaceSummaryObject("{Lines.Qty}", SummaryOperation::Sum, 0, 0)
                         ->field();
    const auto result = run::RunReport(*report);
    std::vector<std::string> columns;
    for (const auto& c : result.query.columns) {
        columns.push_back(c->Name());
    }
    std::sort(columns.begin(), columns.end());
    // Customers.Notes, Name and the rest are never read.
    EXPECT_EQ(columns, (std::vector<std::string>{"{Customers.Country}", "{Lines.Qty}"}));
    // Lines reaches Customers only through Orders.
    EXPECT_EQ(result.query.tables, (std::vector<std::string>{"Customers", "Orders", "Lines"}));
    EXPECT_NE(result.query.sql.find("JOIN \"Orders\" ON \"Orders\".\"CustomerID\" = "
                                    "\"Customers\".\"CustomerID\""),
              std::string::npos)
        << result.query.sql;

    const auto rows =
        test::QueryRows(db, "SELECT c.Country, total(l.Qty) FROM Lines l JOIN Orders o USING "
                            "(OrderID) JOIN Customers c USING (CustomerID) GROUP BY c.Country "
                            "ORDER BY c.Country");
    const auto& root = result.tree->Root();
    ASSERT_EQ(root.children.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(root.children[i]->key, rows[i][0]);
        EXPECT_TRUE(test::SameValue(result.SummaryValue({&root, root.children[i].get()}, *sum),
                                    rows[i][1]));
    }
    EXPECT_EQ(result.RecordCount(), 6u);
}

TEST_F(RunQueryTest, TablesWithNoLinkPathAreRefusedByName) {
    report->FindSection("D")->PlaceFieldObject("{Customers.Name}", 0, 0);
    report->FindSection("D")->PlaceFieldObject("{Loose.Label}", 2000, 0);
    EXPECT_EQ(ErrorOf([&] { run::RunReport(*report); }),
              "The report uses fields of the tables Customers and Loose, but no chain of links "
              "joins Loose to Customers: the report cannot be run over tables that are not "
              "linked.");
}

TEST_F(RunQueryTest, AReportWithoutFieldsStillCountsItsRecords) {
    report->FindSection("D")->PlaceFieldObject("RecordNumber", 0, 0);
    const auto result = run::RunReport(*report);
    EXPECT_TRUE(result.query.columns.empty());
    EXPECT_EQ(result.RecordCount(), 0u); // no table used: nothing to read
    report->FindSection("RF")->PlaceSummaryObject("{Orders.OrderID}", SummaryOperation::Count, 0,
                                                  0);
    EXPECT_EQ(run::RunReport(*report).RecordCount(), 4u);
}

TEST_F(RunQueryTest, QuotesNamesAndJoinsEveryColumnOfACompositeKey) {
    const char* sql = R"sql(
CREATE TABLE "Odd ""Name""" (A INT, B INT, Label TEXT, PRIMARY KEY (A, B));
CREATE TABLE Child (Id INTEGER PRIMARY KEY, A INT, B INT, V INT,
                    FOREIGN KEY (A, B) REFERENCES "Odd ""Name""" (A, B));
INSERT INTO "Odd ""Name""" VALUES (1, 1, 'one-one'), (1, 2, 'one-two');
INSERT INTO Child VALUES (1, 1, 2, 5), (2, 1, 1, 6), (3, 1, 2, 7);
)sql";
    const auto path = test::MakeDatabase(dir.File("odd.db"), sql);
    const auto r = Report::CreateOverDatabase(path);
    r->InsertGroup(0, r->LookupFieldDefinition("{Odd \"Name\".Label}"), GroupCondition::EachValue,
                   GroupOrder::Ascending);
    const auto sum = r->FindSection("GF1")
                         ->PlaceSummaryObject("{Child.V}", SummaryOperation::Sum, 0, 0)
                         ->field();
    const auto result = run::RunReport(*r);
    const auto& root = result.tree->Root();
    ASSERT_EQ(test::GroupKeys(root), (std::vector<std::string>{"one-one", "one-two"}));
    EXPECT_TRUE(test::SameValue(result.SummaryValue({&root, root.children[1].get()}, *sum),
                                std::int64_t{12}));
}

TEST_F(RunQueryTest, RecordsInAGroupComeInTheDetailTablesStoredOrder) {
    report->InsertGroup(0, report->LookupFieldDefinition("{Customers.Country}"),
                        GroupCondition::EachValue, GroupOrder::Ascending);
    report->FindSection("D")->PlaceFieldObject("{Orders.OrderID}", 0, 0);
    const auto result = run::RunReport(*report);
    const auto& france = *result.tree->Root().children[0];
    std::vector<std::int64_t> ids;
    for (const auto r : france.records) {
        ids.push_back(std::get<std::int64_t>(
            result.StoredValue(r, *report->LookupFieldDefinition("{Orders.OrderID}"))));
    }
    // Orders 10 (Ann), 12 (Cy), 13 (Ann): stored order, not customer by customer.
    EXPECT_EQ(ids, (std::vector<std::int64_t>{10, 12, 13}));
}

TEST_F(RunQueryTest, AMissingDatabaseIsNamedInTheError) {
    report->FindSection("D")->PlaceFieldObject("{Customers.Name}", 0, 0);
    std::filesystem::remove(db);
    const std::string error = ErrorOf([&] { run::RunReport(*report); });
    EXPECT_EQ(error.rfind("Cannot open the database " + report->GetDataSource()->Path() + ": ", 0),
              0u)
        << error;
}

TEST_F(RunQueryTest, TablesWithoutRowidsRunToo) {
    const auto path = test::MakeDatabase(
        dir.File("norowid.db"), "CREATE TABLE K (Code TEXT PRIMARY KEY, V INT) WITHOUT ROWID;"
                                "INSERT INTO K VALUES ('b', 2), ('a', 1), ('c', 3);");
    const auto r = Report::CreateOverDatabase(path);
    const auto sum =
        r->FindSection("RF")->PlaceSummaryObject("{K.V}", SummaryOperation::Sum, 0, 0)->field();
    const auto result = run::RunReport(*r);
    EXPECT_TRUE(
        test::SameValue(result.SummaryValue({&result.tree->Root()}, *sum), std::int64_t{6}));
    EXPECT_EQ(result.query.sql.find("rowid"), std::string::npos);
}

TEST_F(RunQueryTest, ASortTooBigForMemoryKeepsEachGroupsRecordsInStoredOrder) {
    // Keys written in scattered order and wide enough that SQLite sorts them in several runs
    // and merges those, on helper threads where the machine has cores to spare.
    const auto path = test::MakeDatabase(
        dir.File("big.db"),
        "CREATE TABLE Big (Id INTEGER PRIMARY KEY, Region TEXT, Qty INT);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120000) "
        "INSERT INTO Big SELECT i, printf('region %05d, padded to widen the sort', "
        "(i * 7919) % 4000), i % 13 FROM n;");
    const auto r = Report::CreateOverDatabase(path);
    r->InsertGroup(0, r->LookupFieldDefinition("{Big.Region}"), GroupCondition::EachValue,
                   GroupOrder::Ascending);
    const auto id = r->LookupFieldDefinition("{Big.Id}");
    r->FindSection("D")->PlaceFieldObject("{Big.Id}", 0, 0);
    const auto sum = r->FindSection("GF1")
                         ->PlaceSummaryObject("{Big.Qty}", SummaryOperation::Sum, 0, 0)
                         ->field();
    const auto result = run::RunReport(*r);

    const auto rows = test::QueryRows(
        path, "SELECT Region, sum(Qty), count(*) FROM Big GROUP BY Region ORDER BY Region");
    const auto& root = result.tree->Root();
    ASSERT_EQ(root.children.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& group = *root.children[i];
        ASSERT_EQ(group.key, rows[i][0]);
        EXPECT_TRUE(test::SameValue(result.SummaryValue({&root, &group}, *sum), rows[i][1]));
        ASSERT_EQ(static_cast<std::int64_t>(group.records.size()),
                  std::get<std::int64_t>(rows[i][2]));
        std::int64_t last = 0;
        for (const auto record : group.records) {
            const auto next = std::get<std::int64_t>(result.StoredValue(record, *id));
            ASSERT_GT(next, last) << "in " << test::Show(group.key);
            last = next;
        }
    }
}

} // namespace
} // namespace foliant::engine
