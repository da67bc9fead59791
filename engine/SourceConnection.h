#pragma once

// A live connection to a report's data source, as a run reads it: the SQL dialect its server
// speaks, queries whose records stream through a cursor, and what the engine must know about
// the stored values before it lets the server filter and order them.

#include "engine/DataSource.h"
#include "engine/core/EngineError.h"
#include "engine/core/Value.h"
#include "engine/formula/SqlDialect.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foliant::engine {

// The records of one query, read one at a time; memory does not grow with their number.
class RecordCursor {
public:
    virtual ~RecordCursor() = default;
    // Reads the next record's values as the database stored them (null, int64, double, text
    // or bytes), one per result column. False after the last record. Throws EngineError naming
    // the data source and the problem when the server fails or the connection is lost.
    virtual bool Next(std::vector<Value>& row) = 0;
};

// Asked now and then while a query runs (also while the server is still working on its first
// record); returning false cancels the statement on the server.
using KeepGoing = std::function<bool()>;

// Thrown by a cursor when KeepGoing asked it to stop.
class QueryCancelled : public EngineError {
public:
    QueryCancelled() : EngineError("The query was cancelled.") {}
};

// Thrown by a cursor when a number the query computes does not fit the server's arithmetic
// (a sum beyond 64-bit integers, say): the query cannot give its result at all.
class QueryOverflow : public EngineError {
public:
    explicit QueryOverflow(std::string description) : EngineError(std::move(description)) {}
};

class SourceConnection {
public:
    virtual ~SourceConnection() = default;

    virtual const formula::SqlDialect& Dialect() const = 0;

    // Starts the query with its parameters (int64, double or text) and returns its records.
    // Throws EngineError naming the data source when the server rejects the query.
    virtual std::unique_ptr<RecordCursor>
    Query(const std::string& sql, const std::vector<Value>& parameters, KeepGoing keepGoing) = 0;

    // Whether every non-null value of the field's column has the storage form, so that the
    // server compares them exactly as the engine does. False when in doubt.
    virtual bool ColumnHolds(const FieldDefinition& field, formula::SqlStorage storage) = 0;

    // Whether every non-null value of the field's column is a whole number the engine reads as
    // such (so that sums computed by the server are exact). False when in doubt.
    virtual bool ColumnHoldsWholeNumbers(const FieldDefinition& field) = 0;

    // Answered without reading the table: the condition (formula::SqlColumn::mismatch) true for
    // the column's non-null values that are not of the storage form, so that a condition on the
    // column can let them through for the engine to decide; "" when the column cannot hold such
    // values; nullopt when the server must not compare the column at all.
    virtual std::optional<std::string> StorageMismatch(const FieldDefinition& field,
                                                       formula::SqlStorage storage) = 0;

    // ORDER BY terms that give a table's rows in the order they were stored; empty when the
    // table has none (a view, a table without row ids or key).
    virtual std::vector<std::string> StoredOrder(const Table& table) = 0;
};

} // namespace foliant::engine
