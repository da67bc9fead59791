#pragma once

// SQLite database files as data sources: their schema, and connections for a run.

#include "engine/DataSource.h"
#include "engine/core/Api.h"

#include <memory>
#include <string>

namespace foliant::engine {

// Opens the file read-only and reads its schema (tables and views in schema order, fields in
// column order, links from foreign keys). Throws EngineError naming the file.
std::shared_ptr<DataSource> ReadSqliteSchema(const std::string& path);

// The helper threads SQLite may start for one sort on a run's connection: the machine's other
// cores. Sorting the records into their groups is most of a grouped run's time.
FOLIANT_ENGINE_API int SqliteSortThreads();

// A read-only connection to the file, sorting with SqliteSortThreads() helpers. Throws
// EngineError naming the file.
std::unique_ptr<SourceConnection> ConnectSqlite(const std::string& path);

} // namespace foliant::engine
