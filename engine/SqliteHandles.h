#pragma once

// Owners of the SQLite handles the engine opens for a schema walk or a report run.

#include <sqlite3.h>

namespace foliant::engine {

// A connection, closed when it goes out of scope.
struct SqliteConnection {
    sqlite3* db = nullptr;
    ~SqliteConnection() { sqlite3_close(db); }
};

// A prepared statement, finalized when it goes out of scope.
struct SqliteStatement {
    sqlite3_stmt* stmt = nullptr;
    ~SqliteStatement() { sqlite3_finalize(stmt); }
};

} // namespace foliant::engine
