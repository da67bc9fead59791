#pragma once

// The SQL a data source's server speaks, as far as the engine writes it: quoting, parameters,
// truth values, byte-order text, case-insensitive LIKE and ORDER BY with nulls first.

#include "engine/core/Value.h"

#include <string>

namespace foliant::engine::formula {

// How a column stores a field's values. A mapper promises that every value of the column is
// NULL or of this form, and that the value the record source gives for it is that same value.
enum class SqlStorage {
    Number,      // integer or real values (SQLite: INTEGER, REAL, NUMERIC or BLOB affinity)
    Text,        // text values, UTF-8 (SQLite: TEXT or BLOB affinity)
    IsoDate,     // dates (SQLite: TEXT 'YYYY-MM-DD', years 0001 to 9999)
    IsoDateTime, // date-times (SQLite: TEXT 'YYYY-MM-DD HH:MM:SS', years 0001 to 9999)
};

class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    // A name for messages ("SQLite", "PostgreSQL").
    virtual std::string Name() const = 0;

    // "name" with inner quotes doubled.
    static std::string QuoteIdentifier(const std::string& name);

    // The placeholder of parameter `number` (1-based) holding `value`, compared with a column
    // of `storage`: "?" in SQLite, "$3::int8" in PostgreSQL.
    virtual std::string Parameter(std::size_t number, const Value& value,
                                  SqlStorage storage) const = 0;
    // A condition that is always true or always false.
    virtual std::string Truth(bool value) const = 0;
    // A text expression compared byte by byte.
    virtual std::string BinaryText(const std::string& expression) const = 0;
    // `subject` matches the LIKE `pattern` (with \ as escape), ASCII letters in either case.
    virtual std::string LikeIgnoringCase(const std::string& subject,
                                         const std::string& pattern) const = 0;
    // One ORDER BY term; nulls come first ascending and last descending, in both dialects.
    virtual std::string OrderTerm(const std::string& expression, bool descending) const = 0;
    // How a value of a column with that declared type is selected so the engine can read it.
    virtual std::string ReadColumn(const std::string& expression,
                                   const std::string& declaredType) const = 0;
    // An expression ordering a date or date-time column's values as the engine orders them.
    virtual std::string DateOrder(const std::string& expression) const = 0;
    // An expression ordering a text column's values byte by byte.
    virtual std::string TextOrder(const std::string& expression) const = 0;
    // A whole-number expression widened so that products and sums of it do not overflow.
    virtual std::string WideInteger(const std::string& expression) const = 0;
};

// The dialects of the two kinds of data source.
const SqlDialect& SqliteDialect();
const SqlDialect& PostgresDialect();

} // namespace foliant::engine::formula
