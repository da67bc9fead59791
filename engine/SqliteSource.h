#pragma once

// SQLite database files as data sources: their schema, and connections for a run.

#include "engine/DataSource.h"

#include <memory>
#include <string>

namespace foliant::engine {

// Opens the file read-only and reads its schema (tables and views in schema order, fields in
// column order, links from foreign keys). Throws EngineError naming the file.
std::shared_ptr<DataSource> ReadSqliteSchema(const std::string& path);

// A read-only connection to the file. Throws EngineError naming the file.
std::unique_ptr<SourceConnection> ConnectSqlite(const std::string& path);

} // namespace foliant::engine
