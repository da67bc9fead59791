#include "engine/formula/SqlDialect.h"

#include <algorithm>
#include <cctype>

namespace foliant::engine::formula {

std::string SqlDialect::QuoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

namespace {

class Sqlite final : public SqlDialect {
public:
    std::string Name() const override { return "SQLite"; }
    // Numbered, so that an expression written twice names its one parameter twice.
    std::string Parameter(std::size_t number, const Value&, SqlStorage) const override {
        return "?" + std::to_string(number);
    }
    std::string Truth(bool value) const override { return value ? "1" : "0"; }
    std::string BinaryText(const std::string& e) const override { return e + " COLLATE BINARY"; }
    // The connection's default LIKE folds ASCII letters only (case_sensitive_like off).
    std::string LikeIgnoringCase(const std::string& subject,
                                 const std::string& pattern) const override {
        return subject + " LIKE " + pattern + " ESCAPE '\\'";
    }
    // SQLite orders nulls first ascending and last descending already.
    std::string OrderTerm(const std::string& e, bool descending) const override {
        return descending ? e + " DESC" : e;
    }
    std::string ReadColumn(const std::string& e, const std::string&) const override { return e; }
    // Dates by their Julian day however they are stored: ISO text, Julian day, Unix seconds.
    std::string DateOrder(const std::string& c) const override {
        return "CASE typeof(" + c + ") WHEN 'text' THEN julianday(trim(" + c +
               ")) WHEN 'real' THEN " + c + " WHEN 'integer' THEN CASE WHEN " + c +
               " BETWEEN 1721426 AND 5373484 THEN " + c + " ELSE " + c +
               " / 86400.0 + 2440587.5 END END";
    }
    // A column's affinity keeps its values of one storage class, compared byte by byte.
    std::string TextOrder(const std::string& e) const override { return e; }
    // SQLite has no wider integers; a sum past 64 bits fails rather than wraps.
    std::string WideInteger(const std::string& e) const override { return e; }
};

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

class Postgres final : public SqlDialect {
public:
    std::string Name() const override { return "PostgreSQL"; }
    // Parameters go as text; the cast makes the server read them as the column's kind.
    std::string Parameter(std::size_t number, const Value& value,
                          SqlStorage storage) const override {
        const std::string p = "$" + std::to_string(number);
        switch (storage) {
        case SqlStorage::Number:
            return p + (std::holds_alternative<std::int64_t>(value) ? "::int8" : "::float8");
        case SqlStorage::Text:
            return p + "::text";
        case SqlStorage::IsoDate:
            return p + "::date";
        case SqlStorage::IsoDateTime:
            return p + "::timestamp";
        }
        return p;
    }
    std::string Truth(bool value) const override { return value ? "TRUE" : "FALSE"; }
    // The "C" collation compares UTF-8 byte by byte.
    std::string BinaryText(const std::string& e) const override { return e + " COLLATE \"C\""; }
    // Under the "C" collation ILIKE folds ASCII letters only.
    std::string LikeIgnoringCase(const std::string& subject,
                                 const std::string& pattern) const override {
        return subject + " ILIKE " + pattern + " ESCAPE '\\'";
    }
    std::string OrderTerm(const std::string& e, bool descending) const override {
        return e + (descending ? " DESC NULLS LAST" : " NULLS FIRST");
    }
    // Money is written with the server's currency symbol and separators: read as a number.
    std::string ReadColumn(const std::string& e, const std::string& declared) const override {
        return Upper(declared) == "MONEY" ? e + "::numeric" : e;
    }
    std::string DateOrder(const std::string& c) const override { return c; }
    std::string TextOrder(const std::string& e) const override { return BinaryText(e); }
    std::string WideInteger(const std::string& e) const override { return "(" + e + ")::numeric"; }
};

} // namespace

const SqlDialect& SqliteDialect() {
    static const Sqlite dialect;
    return dialect;
}

const SqlDialect& PostgresDialect() {
    static const Postgres dialect;
    return dialect;
}

} // namespace foliant::engine::formula
