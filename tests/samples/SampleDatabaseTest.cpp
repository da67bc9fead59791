// The sample database every command falls back to: what the wizard needs from it.
#include "engine/DataSource.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <unistd.h>

namespace foliant::engine {
namespace {

long long Scalar(const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(FOLIANT_SAMPLE_DB, &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
    long long value = -1;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        value = sqlite3_column_int64(stmt, 0);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

TEST(SampleDatabaseTest, HasLinkedTablesWithEveryKindOfValue) {
    const auto ds = DataSource::OpenSqlite(FOLIANT_SAMPLE_DB);
    std::vector<std::string> names;
    std::set<ValueType> types;
    for (const auto& t : ds->Tables()) {
        names.push_back(t->TableName());
        for (const auto& f : t->Fields()) {
            types.insert(f->ValueType());
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Customers", "Products", "Orders", "OrderLines",
                                               "OrderSummary"}));
    // Integer sizes, real, money, Boolean, date, time, date-time, text, long text, binary.
    for (ValueType t :
         {ValueType::Int8, ValueType::Int16, ValueType::Int32, ValueType::Number,
          ValueType::Currency, ValueType::Boolean, ValueType::Date, ValueType::Time,
          ValueType::DateTime, ValueType::String, ValueType::LongText, ValueType::Blob}) {
        EXPECT_TRUE(types.count(t)) << ValueTypeName(t);
    }
    std::set<std::string> links;
    for (const auto& l : ds->Links()) {
        links.insert(l->FromTable() + "->" + l->ToTable());
    }
    EXPECT_EQ(links, (std::set<std::string>{"Orders->Customers", "OrderLines->Orders",
                                            "OrderLines->Products"}));
}

TEST(SampleDatabaseTest, DataSpansSeveralYearsAndHoldsTogether) {
    EXPECT_GE(Scalar("SELECT count(*) FROM Orders"), 2000);
    EXPECT_EQ(Scalar("SELECT count(DISTINCT strftime('%Y', OrderDate)) FROM Orders"), 4);
    // Every reference resolves and every order's amount is the sum of its lines.
    EXPECT_EQ(Scalar("SELECT count(*) FROM pragma_foreign_key_check"), 0);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Orders WHERE abs(Amount - (SELECT sum(Quantity * "
                     "UnitPrice * (1 - Discount)) FROM OrderLines l WHERE l.OrderID = "
                     "Orders.OrderID)) > 0.01"),
              0);
    // Nulls where a report must cope with them.
    EXPECT_GT(Scalar("SELECT count(*) FROM Orders WHERE ShippedAt IS NULL"), 0);
    EXPECT_GT(Scalar("SELECT count(*) FROM Customers WHERE Notes IS NULL"), 0);
}

TEST(SampleDatabaseTest, BuildingItTwiceGivesTheSameBytes) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("foliant-sample-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto read = [](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    };
    for (const char* name : {"a.db", "b.db"}) {
        const std::string command = std::string("'") + FOLIANT_MAKE_SAMPLE_DB + "' '" +
                                    FOLIANT_SAMPLE_SQL + "' '" + (dir / name).string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    const std::string a = read(dir / "a.db");
    EXPECT_GT(a.size(), 100000u);
    EXPECT_EQ(a, read(dir / "b.db"));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace foliant::engine
