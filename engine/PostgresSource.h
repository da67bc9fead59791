#pragma once

// PostgreSQL databases as data sources, through libpq: their schema from the catalogs, and
// connections for a run whose records stream in single-row mode.

#include "engine/DataSource.h"

#include <memory>
#include <string>

namespace foliant::engine {

// Connects, reads the tables and views of the search path (schema by schema, each in the order
// it was made), their columns in order, and the links of their foreign keys, one catalog query
// for each. The data source's path is the URI without its password. Throws EngineError naming
// the server and the problem.
std::shared_ptr<DataSource> ReadPostgresSchema(const std::string& uri);

// A read-only connection for a run. `uri` is what libpq connects with; `shown` names the
// server in messages. Throws EngineError naming the server and the problem.
std::unique_ptr<SourceConnection> ConnectPostgres(const std::string& uri, const std::string& shown);

// The URI without the password of its user part or of a password= parameter.
std::string UriWithoutPassword(const std::string& uri);

} // namespace foliant::engine
