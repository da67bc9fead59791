#include "engine/DataSource.h"

#include "engine/PostgresSource.h"
#include "engine/SourceConnection.h"
#include "engine/SqliteSource.h"

#include <string>

namespace foliant::engine {

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
    return ReadSqliteSchema(path);
}

std::shared_ptr<DataSource> DataSource::OpenPostgres(const std::string& uri) {
    auto ds = ReadPostgresSchema(uri);
    ds->connectTo_ = uri;
    return ds;
}

std::shared_ptr<DataSource> DataSource::Open(const std::string& pathOrUri) {
    return IsServerUri(pathOrUri) ? OpenPostgres(pathOrUri) : OpenSqlite(pathOrUri);
}

bool DataSource::IsServerUri(const std::string& pathOrUri) {
    return pathOrUri.rfind("postgresql://", 0) == 0 || pathOrUri.rfind("postgres://", 0) == 0;
}

std::unique_ptr<SourceConnection> DataSource::Connect() const {
    return IsServer() ? ConnectPostgres(connectTo_, path_) : ConnectSqlite(path_);
}

std::shared_ptr<DataSource> DataSource::FromSchema(std::string path,
                                                   std::vector<std::shared_ptr<Table>> tables,
                                                   std::vector<std::shared_ptr<TableLink>> links) {
    std::shared_ptr<DataSource> ds(new DataSource);
    // A server's URI never keeps a password: it comes from the environment or a password file.
    ds->path_ = IsServerUri(path) ? UriWithoutPassword(path) : path;
    ds->connectTo_ = std::move(path);
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
