#pragma once

// Owners of the SQLite handles the engine opens for a schema walk or a report run.

#include <sqlite3.h>

namespace foliant::engine {

// A connection, closed when it goes out of scope.
struct SqliteConnection {
    sqlite3* db = nullptr;
    SqliteConnection() = default;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection() { sqlite3_close(db); }
};

// A prepared statement, finalized when it goes out of scope.
// Moving hands the statement over; it is never copied, so never finalized twice.
struct SqliteStatement {
    sqlite3_stmt* stmt = nullptr;
    SqliteStatement() = default;
    explicit SqliteStatement(sqlite3_stmt* s) : stmt(s) {}
    SqliteStatement(SqliteStatement&& other) noexcept : stmt(other.stmt) { other.stmt = nullptr; }
    SqliteStatement& operator=(SqliteStatement&& other) noexcept {
        if (this != &other) {
            sqlite3_finalize(stmt);
            stmt = other.stmt;
            other.stmt = nullptr;
        }
        return *this;
    }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement() { sqlite3_finalize(stmt); }
};

} // namespace foliant::engine
