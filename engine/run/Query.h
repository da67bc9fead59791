#pragma once

// The one SQL query a run reads its records with: only the columns the report uses, from the
// tables that hold them, joined along the data source's foreign-key links.

#include "engine/DataSource.h"
#include "engine/core/Value.h"
#include "engine/formula/SqlDialect.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace foliant::engine::run {

// "name" with inner quotes doubled.
std::string QuoteIdentifier(const std::string& name);

// One ORDER BY term.
struct OrderTerm {
    std::string expression;
    bool descending = false;
};

struct QueryPlan {
    std::string sql;
    // The result columns, one per field in the order given to BuildQuery (duplicates dropped).
    std::vector<std::shared_ptr<FieldDefinition>> columns;
    // The tables read, the first one the query starts from, each further one joined to one
    // read before it.
    std::vector<std::string> tables;
    // Values for the parameters of the WHERE clause.
    std::vector<Value> parameters;
};

struct QueryRequest {
    // Database fields and SQL expression fields the run needs, in the order wanted.
    std::vector<std::shared_ptr<FieldDefinition>> fields;
    // A condition for the WHERE clause (empty: none) and its parameters.
    std::string where;
    std::vector<Value> whereParameters;
    std::vector<OrderTerm> order;
    // When set, the order ends with each read table's stored order (the last joined table's
    // first), so records that the order leaves equal come in the order they were stored.
    std::function<std::vector<std::string>(const Table&)> storedOrder;
    // When set, result column i is named "c<i>", so the query can be read as a derived table.
    bool nameColumns = false;
};

// The column expression for a database field ("\"Orders\".\"Amount\"") or an SQL expression
// field ("(expression)").
std::string ColumnExpression(const FieldDefinition& field);

// Builds the query. Tables are joined with inner joins along the shortest chains of links
// (a link followed either way); tables between two used tables are joined in too. Throws
// EngineError naming the tables when some used table has no chain of links to the others,
// and when a field is neither a database field of the data source nor an SQL expression.
// The SQL is written in the dialect given (SQLite's unless given).
QueryPlan BuildQuery(const DataSource& source, const QueryRequest& request,
                     const formula::SqlDialect& dialect = formula::SqliteDialect());

} // namespace foliant::engine::run
