#include "engine/DataSource.h"
#include "engine/Report.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace foliant::engine {
namespace {

TEST(DeclaredTypeTest, ValueTypesFromSqliteDeclaredTypes) {
    struct Case {
        const char* declared;
        ValueType type;
        int length;
        const char* why;
    };
    const Case cases[] = {
        {"TINYINT", ValueType::Int8, 0, "one byte"},
        {"SMALLINT", ValueType::Int16, 0, "two bytes"},
        {"INT", ValueType::Int32, 0, "four bytes"},
        {"MEDIUMINT", ValueType::Int32, 0, "three bytes fit in four"},
        {"INTEGER", ValueType::Number, 0, "SQLite integers are 64-bit: only 'number' holds them"},
        {"BIGINT", ValueType::Number, 0, "64-bit"},
        {"REAL", ValueType::Number, 0, "floating point"},
        {"DOUBLE PRECISION", ValueType::Number, 0, "two-word name"},
        {"double  precision", ValueType::Number, 0, "case and blanks do not matter"},
        {"FLOAT", ValueType::Number, 0, "floating point"},
        {"MONEY", ValueType::Currency, 0, "money"},
        {"DECIMAL(10,2)", ValueType::Currency, 10, "exact decimals are money-like"},
        {"NUMERIC", ValueType::Currency, 0, "exact decimals"},
        {"BOOLEAN", ValueType::Boolean, 0, "true/false"},
        {"DATE", ValueType::Date, 0, "calendar date"},
        {"TIME", ValueType::Time, 0, "time of day"},
        {"DATETIME", ValueType::DateTime, 0, "date and time"},
        {"TIMESTAMP", ValueType::DateTime, 0, "date and time"},
        {"TEXT", ValueType::String, 0, "text without length"},
        {"VARCHAR(40)", ValueType::String, 40, "the length sets the column width"},
        {"NVARCHAR( 12 )", ValueType::String, 12, "blanks inside the parentheses"},
        {"CHAR(1)", ValueType::String, 1, "fixed text"},
        {"CLOB", ValueType::LongText, 0, "long text"},
        {"MEMO", ValueType::LongText, 0, "long text"},
        {"LONGTEXT", ValueType::LongText, 0, "long text"},
        {"BLOB", ValueType::Blob, 0, "binary"},
        {"", ValueType::Unknown, 0, "no declared type"},
        {"UNSIGNED BIG INT", ValueType::Number, 0, "SQLite's own example of an INT name"},
        {"VARYING CHARACTER(255)", ValueType::String, 255, "SQLite's text names"},
        {"JSON", ValueType::Unknown, 0, "an unknown name without an affinity hint"},
        {"BIGTEXT", ValueType::String, 0, "unknown name containing TEXT: text affinity"},
        {"POINTINT", ValueType::Number, 0, "unknown name containing INT: integer affinity"},
    };
    for (const auto& c : cases) {
        const auto info = ValueTypeFromDeclaredType(c.declared);
        EXPECT_EQ(info.type, c.type) << "'" << c.declared << "': " << c.why;
        EXPECT_EQ(info.length, c.length) << "'" << c.declared << "': " << c.why;
    }
}

class DataSourceTest : public ::testing::Test {
protected:
    test::TempDir dir;
};

TEST_F(DataSourceTest, TablesAndViewsInSchemaOrderFieldsInColumnOrder) {
    const auto path = test::MakeDatabase(dir.File("s.db"), R"sql(
        CREATE TABLE Zeta (B TEXT, A INT);
        CREATE TABLE Alpha (Id INTEGER PRIMARY KEY, Amount MONEY, Photo BLOB, Loose);
        CREATE VIEW Middle AS SELECT Amount, Amount * 2 AS Twice FROM Alpha;
        CREATE INDEX AlphaAmount ON Alpha(Amount);
        CREATE TABLE "Odd Name" ("x.y" DATE);
    )sql");
    const auto ds = DataSource::OpenSqlite(path);
    const auto tables = ds->GetTableList();
    ASSERT_EQ(tables->ItemCount(), 4);
    EXPECT_EQ(tables->ItemAt(1)->TableName(), "Zeta");
    EXPECT_EQ(tables->ItemAt(2)->TableName(), "Alpha");
    EXPECT_EQ(tables->ItemAt(3)->TableName(), "Middle");
    EXPECT_TRUE(tables->ItemAt(3)->IsView());
    EXPECT_FALSE(tables->ItemAt(2)->IsView());
    EXPECT_EQ(tables->ItemAt(4)->TableName(), "Odd Name");

    const auto zeta = tables->ItemAt("Zeta")->GetFieldList();
    ASSERT_EQ(zeta->ItemCount(), 2);
    EXPECT_EQ(zeta->ItemAt(1)->ShortName(), "B");
    EXPECT_EQ(zeta->ItemAt(2)->ShortName(), "A");
    EXPECT_EQ(zeta->ItemAt(2)->ValueType(), ValueType::Int32);

    const auto alpha = tables->ItemAt("Alpha")->GetFieldList();
    EXPECT_EQ(alpha->ItemAt("Amount")->ValueType(), ValueType::Currency);
    EXPECT_EQ(alpha->ItemAt("{Alpha.Photo}")->ValueType(), ValueType::Blob);
    EXPECT_EQ(alpha->ItemAt("Loose")->ValueType(), ValueType::Unknown);
    EXPECT_EQ(alpha->ItemAt("Amount")->BracedName(), "{Alpha.Amount}");

    // A view column takes the declared type of the column it shows; an expression has none.
    const auto middle = tables->ItemAt("Middle")->GetFieldList();
    EXPECT_EQ(middle->ItemAt("Amount")->ValueType(), ValueType::Currency);
    EXPECT_EQ(middle->ItemAt("Twice")->ValueType(), ValueType::Unknown);

    EXPECT_EQ(ds->FindDatabaseField("{Odd Name.x.y}")->ValueType(), ValueType::Date);
    EXPECT_EQ(ds->FindDatabaseField("{Odd Name.x.y}")->TableOfField(), "Odd Name");
    EXPECT_THROW(tables->ItemAt("sqlite_schema"), EngineError);
}

TEST_F(DataSourceTest, LinksComeFromDeclaredForeignKeys) {
    const auto path = test::MakeDatabase(dir.File("s.db"), R"sql(
        CREATE TABLE Region (Code TEXT, Year INT, PRIMARY KEY (Code, Year));
        CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name TEXT);
        CREATE TABLE Orders (Id INTEGER PRIMARY KEY,
                             CustomerId INT REFERENCES Customer,
                             RegionCode TEXT, RegionYear INT,
                             Ghost INT REFERENCES Nowhere(Id),
                             FOREIGN KEY (RegionCode, RegionYear) REFERENCES Region(Code, Year));
    )sql");
    const auto ds = DataSource::OpenSqlite(path);
    const auto links = ds->GetLinkList();
    // Two links: the one to a missing table links nothing.
    ASSERT_EQ(links->ItemCount(), 2);
    std::shared_ptr<TableLink> toCustomer, toRegion;
    for (const auto& l : links->All()) {
        (l->ToTable() == "Customer" ? toCustomer : toRegion) = l;
    }
    ASSERT_TRUE(toCustomer && toRegion);
    EXPECT_EQ(toCustomer->FromTable(), "Orders");
    EXPECT_EQ(toCustomer->FromFields(), std::vector<std::string>{"CustomerId"});
    // No target column named: the parent's primary key.
    EXPECT_EQ(toCustomer->ToFields(), std::vector<std::string>{"Id"});
    EXPECT_EQ(toRegion->ToTable(), "Region");
    EXPECT_EQ(toRegion->FromFields(), (std::vector<std::string>{"RegionCode", "RegionYear"}));
    EXPECT_EQ(toRegion->ToFields(), (std::vector<std::string>{"Code", "Year"}));
}

TEST_F(DataSourceTest, TheDatabaseIsOnlyRead) {
    const auto path = test::MakeDatabase(dir.File("s.db"), test::kShopSql);
    const auto before = test::ReadBytes(path);
    {
        const auto report = Report::CreateOverDatabase(path);
        report->GetSectionList()->ItemAt("D")->PlaceFieldObject("{Orders.Amount}", 0, 0);
        report->SaveToFile(dir.File("r.rpt"));
    }
    EXPECT_EQ(test::ReadBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
}

TEST_F(DataSourceTest, UnopenableDatabasesNameTheFile) {
    const auto missing = dir.File("missing.db");
    try {
        DataSource::OpenSqlite(missing);
        FAIL() << "opened a missing database";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.Description(),
                  "Cannot open the database " + missing + ": the file does not exist.");
    }
    EXPECT_FALSE(std::filesystem::exists(missing)) << "opening must not create the file";

    test::WriteBytes(dir.File("text.db"), "this is not a database, just some text that is long "
                                          "enough to fill a header page of SQLite's format....");
    try {
        DataSource::OpenSqlite(dir.File("text.db"));
        FAIL() << "opened a text file";
    } catch (const EngineError& e) {
        EXPECT_NE(e.Description().find(dir.File("text.db")), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("not a database"), std::string::npos) << e.Description();
    }
    EXPECT_THROW(DataSource::OpenSqlite(dir.Path().string()), EngineError);
}

} // namespace
} // namespace foliant::engine
