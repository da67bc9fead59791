#include "engine/SqliteSource.h"

#include "engine/FileAccess.h"
#include "engine/SourceConnection.h"
#include "engine/SqliteHandles.h"
#include "engine/core/EngineError.h"
#include "engine/formula/SqlTranslation.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

namespace foliant::engine {

namespace {

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

class SchemaReader {
public:
    SchemaReader(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

    SqliteStatement Prepare(const char* sql) {
        SqliteStatement s;
        if (sqlite3_prepare_v2(db_, sql, -1, &s.stmt, nullptr) != SQLITE_OK) {
            Fail();
        }
        return s;
    }

    // Runs the statement to its end, calling row for each row.
    template <typename F> void Each(SqliteStatement& s, F&& row) {
        for (;;) {
            const int rc = sqlite3_step(s.stmt);
            if (rc == SQLITE_ROW) {
                row(s.stmt);
            } else if (rc == SQLITE_DONE) {
                return;
            } else {
                Fail();
            }
        }
    }

    [[noreturn]] void Fail() {
        throw EngineError("Cannot read the database " + path_ + ": " + sqlite3_errmsg(db_) + ".");
    }

private:
    sqlite3* db_;
    std::string path_;
};

} // namespace

std::shared_ptr<DataSource> ReadSqliteSchema(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const std::string shown = ec ? path : absolute.lexically_normal().string();
    try {
        RequireRegularFile(shown);
    } catch (const FileError& e) {
        throw EngineError("Cannot open the database " + shown + ": " + e.Reason() + ".");
    }

    SqliteConnection conn;
    if (sqlite3_open_v2(shown.c_str(), &conn.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const std::string why = conn.db ? sqlite3_errmsg(conn.db) : "out of memory";
        throw EngineError("Cannot open the database " + shown + ": " + why + ".");
    }
    SchemaReader reader(conn.db, shown);

    std::vector<std::shared_ptr<Table>> tableList;
    std::vector<std::shared_ptr<TableLink>> links;
    const auto findTable = [&](const std::string& name) -> std::shared_ptr<Table> {
        for (const auto& t : tableList) {
            if (t->TableName() == name) {
                return t;
            }
        }
        return nullptr;
    };

    SqliteStatement tables =
        reader.Prepare("SELECT name, type FROM sqlite_schema WHERE type IN ('table', 'view') "
                       "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    reader.Each(tables, [&](sqlite3_stmt* row) {
        tableList.push_back(
            std::make_shared<Table>(ColumnText(row, 0), ColumnText(row, 1) == "view"));
    });

    SqliteStatement columns = reader.Prepare("SELECT name, type, pk FROM pragma_table_info(?1)");
    std::map<std::string, std::vector<std::pair<int, std::string>>> primaryKeys;
    for (const auto& table : tableList) {
        sqlite3_reset(columns.stmt);
        sqlite3_bind_text(columns.stmt, 1, table->TableName().c_str(), -1, SQLITE_TRANSIENT);
        reader.Each(columns, [&](sqlite3_stmt* row) {
            table->AddField(ColumnText(row, 0), ColumnText(row, 1));
            const int pk = sqlite3_column_int(row, 2);
            if (pk > 0) {
                primaryKeys[table->TableName()].emplace_back(pk, ColumnText(row, 0));
            }
        });
    }

    // Foreign keys: one link per constraint (id), its columns in key order (seq). A key
    // without target columns refers to the parent's primary key.
    SqliteStatement keys = reader.Prepare("SELECT id, seq, \"table\", \"from\", \"to\" FROM "
                                          "pragma_foreign_key_list(?1) ORDER BY id, seq");
    for (const auto& table : tableList) {
        if (table->IsView()) {
            continue;
        }
        sqlite3_reset(keys.stmt);
        sqlite3_bind_text(keys.stmt, 1, table->TableName().c_str(), -1, SQLITE_TRANSIENT);
        struct Key {
            std::string parent;
            std::vector<std::string> from;
            std::vector<std::string> to;
        };
        std::map<int, Key> byId;
        reader.Each(keys, [&](sqlite3_stmt* row) {
            Key& k = byId[sqlite3_column_int(row, 0)];
            k.parent = ColumnText(row, 2);
            k.from.push_back(ColumnText(row, 3));
            if (sqlite3_column_type(row, 4) != SQLITE_NULL) {
                k.to.push_back(ColumnText(row, 4));
            }
        });
        for (auto& [id, k] : byId) {
            const auto parent = findTable(k.parent);
            if (!parent) {
                continue; // a key to a table that does not exist links nothing
            }
            if (k.to.empty()) {
                auto pk = primaryKeys[parent->TableName()];
                std::sort(pk.begin(), pk.end());
                for (const auto& [order, column] : pk) {
                    k.to.push_back(column);
                }
            }
            if (k.to.size() != k.from.size()) {
                continue;
            }
            links.push_back(
                std::make_shared<TableLink>(table->TableName(), k.from, parent->TableName(), k.to));
        }
    }
    return DataSource::FromSchema(shown, std::move(tableList), std::move(links));
}

namespace {

Value ColumnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, column));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt, column));
        return data ? Bytes(data, data + size) : Bytes{};
    }
    default:
        return {};
    }
}

class SqliteCursor final : public RecordCursor {
public:
    SqliteCursor(sqlite3* db, SqliteStatement stmt, std::string path, KeepGoing keepGoing)
        : db_(db), stmt_(std::move(stmt)), path_(std::move(path)),
          keepGoing_(std::move(keepGoing)) {
        if (keepGoing_) {
            sqlite3_progress_handler(db_, kStepsBetweenChecks, &SqliteCursor::Check, this);
        }
    }
    ~SqliteCursor() override { sqlite3_progress_handler(db_, 0, nullptr, nullptr); }
    SqliteCursor(const SqliteCursor&) = delete;
    SqliteCursor& operator=(const SqliteCursor&) = delete;

    bool Next(std::vector<Value>& row) override {
        const int rc = sqlite3_step(stmt_.stmt);
        if (rc == SQLITE_DONE) {
            return false;
        }
        if (cancelled_) {
            throw QueryCancelled();
        }
        if (rc != SQLITE_ROW) {
            const std::string why = sqlite3_errmsg(db_);
            const std::string message =
                "Cannot read the report's records from " + path_ + ": " + why + ".";
            // SQLite's sum() stops with this error when a total leaves 64-bit integers.
            if (rc == SQLITE_ERROR && why == "integer overflow") {
                throw QueryOverflow(message);
            }
            throw EngineError(message);
        }
        const int n = sqlite3_column_count(stmt_.stmt);
        row.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            row[static_cast<std::size_t>(i)] = ColumnValue(stmt_.stmt, i);
        }
        return true;
    }

private:
    static constexpr int kStepsBetweenChecks = 200000;

    // SQLite's progress handler: a non-zero answer interrupts the statement.
    static int Check(void* self) {
        auto* cursor = static_cast<SqliteCursor*>(self);
        cursor->cancelled_ = cursor->cancelled_ || !cursor->keepGoing_();
        return cursor->cancelled_ ? 1 : 0;
    }

    sqlite3* db_;
    SqliteStatement stmt_;
    std::string path_;
    KeepGoing keepGoing_;
    bool cancelled_ = false;
};

class SqliteSourceConnection final : public SourceConnection {
public:
    // A connection serves one run, on one thread at a time: SQLite need not lock it on every
    // call for a value.
    explicit SqliteSourceConnection(const std::string& path) : path_(path) {
        if (sqlite3_open_v2(path.c_str(), &conn_.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            throw EngineError("Cannot open the database " + path + ": " +
                              (conn_.db ? sqlite3_errmsg(conn_.db) : "out of memory") + ".");
        }
        sqlite3_limit(conn_.db, SQLITE_LIMIT_WORKER_THREADS, SqliteSortThreads());
    }

    const formula::SqlDialect& Dialect() const override { return formula::SqliteDialect(); }

    std::unique_ptr<RecordCursor> Query(const std::string& sql,
                                        const std::vector<Value>& parameters,
                                        KeepGoing keepGoing) override {
        SqliteStatement stmt;
        if (sqlite3_prepare_v2(conn_.db, sql.c_str(), -1, &stmt.stmt, nullptr) != SQLITE_OK) {
            throw EngineError("Cannot read the report's records from " + path_ + ": " +
                              sqlite3_errmsg(conn_.db) + ".");
        }
        formula::BindSqlParameters(stmt.stmt, parameters);
        return std::make_unique<SqliteCursor>(conn_.db, std::move(stmt), path_,
                                              std::move(keepGoing));
    }

    // One query per column, stopping at the first value of another storage class: SQLite
    // keeps whatever a row was given, whatever the column's declared type.
    bool ColumnHolds(const FieldDefinition& field, formula::SqlStorage storage) override {
        const std::string c = formula::SqlDialect::QuoteIdentifier(field.TableOfField()) + "." +
                              formula::SqlDialect::QuoteIdentifier(field.ShortName());
        std::string bad;
        switch (storage) {
        case formula::SqlStorage::Number:
            bad = "typeof(" + c + ") NOT IN ('integer', 'real')";
            break;
        case formula::SqlStorage::Text:
            bad = "typeof(" + c + ") <> 'text'";
            break;
        case formula::SqlStorage::IsoDate:
            bad = "typeof(" + c + ") <> 'text' OR length(" + c + ") <> 10 OR date(" + c +
                  ") IS NOT " + c + " OR " + c + " < '0001'";
            break;
        case formula::SqlStorage::IsoDateTime:
            bad = "typeof(" + c + ") <> 'text' OR length(" + c + ") <> 19 OR datetime(" + c +
                  ") IS NOT " + c + " OR " + c + " < '0001'";
            break;
        }
        return NoRowWhere(field, bad);
    }

    // Whether no row of the field's table has a non-null value of the field meeting `bad`.
    bool NoRowWhere(const FieldDefinition& field, const std::string& bad) {
        const std::string c = formula::SqlDialect::QuoteIdentifier(field.TableOfField()) + "." +
                              formula::SqlDialect::QuoteIdentifier(field.ShortName());
        const std::string sql = "SELECT EXISTS (SELECT 1 FROM " +
                                formula::SqlDialect::QuoteIdentifier(field.TableOfField()) +
                                " WHERE " + c + " IS NOT NULL AND (" + bad + "))";
        SqliteStatement stmt;
        bool other = true; // in doubt, leave the condition to the engine
        if (sqlite3_prepare_v2(conn_.db, sql.c_str(), -1, &stmt.stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt.stmt) == SQLITE_ROW) {
            other = sqlite3_column_int(stmt.stmt, 0) != 0;
        }
        return !other;
    }

    bool ColumnHoldsWholeNumbers(const FieldDefinition& field) override {
        const std::string c = formula::SqlDialect::QuoteIdentifier(field.TableOfField()) + "." +
                              formula::SqlDialect::QuoteIdentifier(field.ShortName());
        return NoRowWhere(field, "typeof(" + c + ") <> 'integer'");
    }

    // Only a table's rowid column is sure to hold numbers; in every other column the
    // condition tells the values of another form (any column may hold any kind of value).
    std::optional<std::string> StorageMismatch(const FieldDefinition& field,
                                               formula::SqlStorage storage) override {
        const std::string c = formula::SqlDialect::QuoteIdentifier(field.TableOfField()) + "." +
                              formula::SqlDialect::QuoteIdentifier(field.ShortName());
        switch (storage) {
        case formula::SqlStorage::Number:
            if (IsRowid(field)) {
                return "";
            }
            // Text and bytes sort after every number, and '' never reads as a number: one
            // comparison, cheaper per record than asking each value's type.
            return "(" + c + " >= '')";
        case formula::SqlStorage::Text:
            return "(" + c + " IS NOT NULL AND typeof(" + c + ") <> 'text')";
        case formula::SqlStorage::IsoDate:
            return "(" + c + " IS NOT NULL AND (typeof(" + c + ") <> 'text' OR length(" + c +
                   ") <> 10 OR date(" + c + ") IS NOT " + c + " OR " + c + " < '0001'))";
        case formula::SqlStorage::IsoDateTime:
            return "(" + c + " IS NOT NULL AND (typeof(" + c + ") <> 'text' OR length(" + c +
                   ") <> 19 OR datetime(" + c + ") IS NOT " + c + " OR " + c + " < '0001'))";
        }
        return std::nullopt;
    }

    // Whether the field is its table's rowid under its own name: the one key column, declared
    // INTEGER, in a table with row ids and no index of its own for the key (a key declared
    // "INTEGER PRIMARY KEY DESC" or in a table without row ids has one, and may hold text).
    bool IsRowid(const FieldDefinition& field) {
        const char* sql =
            "SELECT (SELECT count(*) FROM pragma_table_info(?1) WHERE pk > 0) = 1"
            " AND EXISTS (SELECT 1 FROM pragma_table_info(?1) t"
            "             WHERE t.name = ?2 AND t.pk = 1 AND upper(t.type) = 'INTEGER')"
            " AND NOT EXISTS (SELECT 1 FROM pragma_index_list(?1) WHERE origin = 'pk')";
        SqliteStatement stmt;
        if (sqlite3_prepare_v2(conn_.db, sql, -1, &stmt.stmt, nullptr) != SQLITE_OK) {
            return false;
        }
        const std::string table = field.TableOfField();
        const std::string& column = field.ShortName();
        sqlite3_bind_text(stmt.stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt.stmt, 2, column.c_str(), -1, SQLITE_TRANSIENT);
        return sqlite3_step(stmt.stmt) == SQLITE_ROW && sqlite3_column_int(stmt.stmt, 0) == 1;
    }

    // The rowid, for tables that have one.
    std::vector<std::string> StoredOrder(const Table& table) override {
        if (table.IsView()) {
            return {};
        }
        const std::string rowid =
            formula::SqlDialect::QuoteIdentifier(table.TableName()) + ".rowid";
        SqliteStatement probe;
        const std::string sql = "SELECT " + rowid + " FROM " +
                                formula::SqlDialect::QuoteIdentifier(table.TableName()) +
                                " LIMIT 0";
        if (sqlite3_prepare_v2(conn_.db, sql.c_str(), -1, &probe.stmt, nullptr) != SQLITE_OK) {
            return {};
        }
        return {rowid};
    }

private:
    std::string path_;
    SqliteConnection conn_;
};

} // namespace

int SqliteSortThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? static_cast<int>(cores - 1) : 0;
}

std::unique_ptr<SourceConnection> ConnectSqlite(const std::string& path) {
    return std::make_unique<SqliteSourceConnection>(path);
}

} // namespace foliant::engine
