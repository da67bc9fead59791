#pragma once

#include "engine/core/Api.h"

#include "engine/FieldDefinition.h"
#include "engine/List.h"

#include <memory>
#include <string>
#include <vector>

namespace foliant::engine {

class Table;
class SourceConnection;
using FieldList = ItemList<FieldDefinition>;

// A table (or view) of a data source with its fields in column order.
class FOLIANT_ENGINE_API Table : public automation::Object {
public:
    Table(std::string name, bool isView) : name_(std::move(name)), isView_(isView) {}

    const std::string& TableName() const { return name_; }
    // Tables are used under their own name.
    const std::string& TableAliasName() const { return name_; }
    bool IsView() const { return isView_; }

    // The fields in column order; ItemAt by column name or by braced name.
    std::shared_ptr<FieldList> GetFieldList() const;
    // The field of that column name (exact), or null.
    std::shared_ptr<FieldDefinition> FindField(const std::string& column) const;
    const std::vector<std::shared_ptr<FieldDefinition>>& Fields() const { return fields_; }

    void AddField(const std::string& column, const std::string& declaredType);

private:
    std::string name_;
    bool isView_;
    std::vector<std::shared_ptr<FieldDefinition>> fields_;
};

// A link between two tables from a declared foreign key: FromTable(FromFields) refers to
// ToTable(ToFields).
class FOLIANT_ENGINE_API TableLink : public automation::Object {
public:
    TableLink(std::string fromTable, std::vector<std::string> fromFields, std::string toTable,
              std::vector<std::string> toFields)
        : fromTable_(std::move(fromTable)), fromFields_(std::move(fromFields)),
          toTable_(std::move(toTable)), toFields_(std::move(toFields)) {}

    const std::string& FromTable() const { return fromTable_; }
    const std::vector<std::string>& FromFields() const { return fromFields_; }
    const std::string& ToTable() const { return toTable_; }
    const std::vector<std::string>& ToFields() const { return toFields_; }

private:
    std::string fromTable_;
    std::vector<std::string> fromFields_;
    std::string toTable_;
    std::vector<std::string> toFields_;
};

using TableList = ItemList<Table>;
using LinkList = ItemList<TableLink>;

// A report's data source: an SQLite database file, read only, or a PostgreSQL database named
// by a postgresql:// URI. Its tables and views come in schema order, their fields in column
// order, links from the declared foreign keys.
class FOLIANT_ENGINE_API DataSource : public automation::Object,
                                      public std::enable_shared_from_this<DataSource> {
public:
    // Opens the database read-only and reads its schema. Throws EngineError naming the file
    // when it cannot be opened or is not an SQLite database.
    static std::shared_ptr<DataSource> OpenSqlite(const std::string& path);

    // Connects to the PostgreSQL database the URI names (read by libpq: service files,
    // PGPASSFILE and the PG environment variables apply) and reads its schema: the tables and
    // views of the search path. Throws EngineError naming the server when it cannot connect.
    static std::shared_ptr<DataSource> OpenPostgres(const std::string& uri);

    // OpenPostgres for a postgresql:// or postgres:// URI, OpenSqlite for anything else.
    static std::shared_ptr<DataSource> Open(const std::string& pathOrUri);

    // Whether the text names a database server rather than a file.
    static bool IsServerUri(const std::string& pathOrUri);

    // A data source with the given schema, as a report file records it (no database access).
    static std::shared_ptr<DataSource> FromSchema(std::string path,
                                                  std::vector<std::shared_ptr<Table>> tables,
                                                  std::vector<std::shared_ptr<TableLink>> links);

    // The absolute path of the database file, or the server's URI without its password.
    const std::string& Path() const { return path_; }
    bool IsServer() const { return IsServerUri(path_); }

    // A new connection for a run, read-only. Throws EngineError naming the data source when
    // it cannot be opened.
    std::unique_ptr<SourceConnection> Connect() const;

    std::shared_ptr<TableList> GetTableList() const;
    std::shared_ptr<LinkList> GetLinkList() const;
    const std::vector<std::shared_ptr<Table>>& Tables() const { return tables_; }
    const std::vector<std::shared_ptr<TableLink>>& Links() const { return links_; }

    // The table of that name (exact), or null.
    std::shared_ptr<Table> FindTable(const std::string& name) const;
    // The database field with that braced name ("{Orders.Amount}"), tables in order, or null.
    std::shared_ptr<FieldDefinition> FindDatabaseField(const std::string& bracedName) const;

private:
    DataSource() = default;
    std::string path_;
    // What Connect uses: the URI as given, password included; kept in memory only.
    std::string connectTo_;
    std::vector<std::shared_ptr<Table>> tables_;
    std::vector<std::shared_ptr<TableLink>> links_;
};

} // namespace foliant::engine
