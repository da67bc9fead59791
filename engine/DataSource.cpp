#include "engine/DataSource.h"

#include "engine/FileAccess.h"
#include "engine/SqliteHandles.h"
#include "engine/core/EngineError.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

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

std::shared_ptr<FieldList> Table::GetFieldList() const {
    auto fields = fields_;
    return std::make_shared<FieldList>(
        "field", " in table " + name_, [fields] { return fields; },
        [](const FieldDefinition& f, const std::string& key) {
            return f.ShortName() == key || f.BracedName() == key;
        });
}

std::shared_ptr<FieldDefinition> Table::FindField(const std::string& column) const {
    for (const auto& f : fields_) {
        if (f->ShortName() == column) {
            return f;
        }
    }
    return nullptr;
}

void Table::AddField(const std::string& column, const std::string& declaredType) {
    fields_.push_back(FieldDefinition::MakeDatabaseField(name_, column, declaredType));
}

std::shared_ptr<DataSource> DataSource::OpenSqlite(const std::string& path) {
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

    std::shared_ptr<DataSource> ds(new DataSource);
    ds->path_ = shown;

    SqliteStatement tables =
        reader.Prepare("SELECT name, type FROM sqlite_schema WHERE type IN ('table', 'view') "
                       "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    reader.Each(tables, [&](sqlite3_stmt* row) {
        ds->tables_.push_back(
            std::make_shared<Table>(ColumnText(row, 0), ColumnText(row, 1) == "view"));
    });

    SqliteStatement columns = reader.Prepare("SELECT name, type, pk FROM pragma_table_info(?1)");
    std::map<std::string, std::vector<std::pair<int, std::string>>> primaryKeys;
    for (const auto& table : ds->tables_) {
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
    for (const auto& table : ds->tables_) {
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
            const auto parent = ds->FindTable(k.parent);
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
            ds->links_.push_back(
                std::make_shared<TableLink>(table->TableName(), k.from, parent->TableName(), k.to));
        }
    }
    return ds;
}

std::shared_ptr<DataSource> DataSource::FromSchema(std::string path,
                                                   std::vector<std::shared_ptr<Table>> tables,
                                                   std::vector<std::shared_ptr<TableLink>> links) {
    std::shared_ptr<DataSource> ds(new DataSource);
    ds->path_ = std::move(path);
    ds->tables_ = std::move(tables);
    ds->links_ = std::move(links);
    return ds;
}

std::shared_ptr<TableList> DataSource::GetTableList() const {
    auto self = shared_from_this();
    return std::make_shared<TableList>(
        "table", " in the data source", [self] { return self->tables_; },
        [](const Table& t, const std::string& key) { return t.TableName() == key; });
}

std::shared_ptr<LinkList> DataSource::GetLinkList() const {
    auto self = shared_from_this();
    return std::make_shared<LinkList>(
        "link", " in the data source", [self] { return self->links_; },
        [](const TableLink& l, const std::string& key) {
            return l.FromTable() + "-" + l.ToTable() == key;
        });
}

std::shared_ptr<Table> DataSource::FindTable(const std::string& name) const {
    for (const auto& t : tables_) {
        if (t->TableName() == name) {
            return t;
        }
    }
    return nullptr;
}

std::shared_ptr<FieldDefinition>
DataSource::FindDatabaseField(const std::string& bracedName) const {
    for (const auto& t : tables_) {
        for (const auto& f : t->Fields()) {
            if (f->BracedName() == bracedName) {
                return f;
            }
        }
    }
    return nullptr;
}

} // namespace foliant::engine
