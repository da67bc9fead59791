#pragma once

// Fresh folders and SQLite databases for each test, and a report over a small shop.

#include "engine/Report.h"
#include "engine/core/EngineError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace foliant::engine::test {

// A new empty folder, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "foliant-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Creates the database at path from the SQL script; fails the test on an SQL error.
inline std::string MakeDatabase(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
}

// A small shop: customers, orders linked to them, with number, money, date and text columns.
inline const char* kShopSql = R"sql(
CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name VARCHAR(30), Country TEXT,
                       Since DATE, Active BOOLEAN, Photo BLOB, Notes MEMO);
CREATE TABLE Orders (Id INTEGER PRIMARY KEY, CustomerId INT REFERENCES Customer(Id),
                     Amount MONEY, Quantity SMALLINT, OrderDate DATE, OrderTime TIME,
                     Shipped DATETIME, Rate REAL);
INSERT INTO Customer VALUES (1, 'Ann', 'France', '2020-01-02', 1, NULL, 'n');
INSERT INTO Orders VALUES (1, 1, 10.5, 2, '2021-03-04', '10:00:00', '2021-03-05 12:00:00', 0.5);
)sql";

// The description of the engine error f throws, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.Description();
    }
    return "(no error)";
}

// A report over a fresh copy of the shop database.
class ShopReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        report = Report::CreateOverDatabase(MakeDatabase(dir.File("shop.db"), kShopSql));
    }

    TempDir dir;
    std::shared_ptr<Report> report;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace foliant::engine::test
