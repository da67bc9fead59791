#include "engine/PostgresSource.h"

#include "engine/SourceConnection.h"
#include "engine/core/EngineError.h"
#include "engine/formula/SqlDialect.h"

#include <libpq-fe.h>
#include <poll.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace foliant::engine {

std::string UriWithoutPassword(const std::string& uri) {
    const auto scheme = uri.find("://");
    if (scheme == std::string::npos) {
        return uri;
    }
    const std::size_t start = scheme + 3;
    const std::size_t authorityEnd = std::min(uri.find('/', start), uri.find('?', start));
    const std::string authority = uri.substr(start, authorityEnd - start);
    std::string out = uri.substr(0, start);
    const auto at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string user = authority.substr(0, at);
        out += user.substr(0, user.find(':')) + authority.substr(at);
    } else {
        out += authority;
    }
    if (authorityEnd == std::string::npos) {
        return out;
    }
    const std::string rest = uri.substr(authorityEnd);
    const auto question = rest.find('?');
    out += rest.substr(0, question);
    if (question == std::string::npos) {
        return out;
    }
    std::string kept;
    std::size_t pos = question + 1;
    while (pos <= rest.size()) {
        const auto amp = std::min(rest.find('&', pos), rest.size());
        const std::string item = rest.substr(pos, amp - pos);
        if (!item.empty() && item.rfind("password=", 0) != 0) {
            kept += (kept.empty() ? "?" : "&") + item;
        }
        pos = amp + 1;
    }
    return out + kept;
}

namespace {

// libpq's messages end in a newline and may run over several lines: one line of text.
std::string OneLine(const char* message) {
    std::string out;
    for (const char* p = message ? message : ""; *p; ++p) {
        const bool blank = *p == '\n' || *p == '\t' || *p == ' ';
        if (blank) {
            if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        } else {
            out += *p;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) {
        out.pop_back();
    }
    return out.empty() ? "no reason given" : out;
}

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

struct ConnDeleter {
    void operator()(PGconn* c) const { PQfinish(c); }
};
using Conn = std::unique_ptr<PGconn, ConnDeleter>;

constexpr const char* kConnectTimeoutSeconds = "10";

// Connects with the URI as libpq reads it, then fixes what the engine's reading relies on:
// UTF-8, ISO dates, time zones shown as UTC, floats written exactly, bytea as hex, read-only.
Conn OpenConnection(const std::string& uri, const std::string& shown) {
    std::vector<const char*> keys;
    std::vector<const char*> values;
    // Given before the URI, so that a connect_timeout in the URI still wins.
    if (!std::getenv("PGCONNECT_TIMEOUT")) {
        keys.push_back("connect_timeout");
        values.push_back(kConnectTimeoutSeconds);
    }
    keys.push_back("fallback_application_name");
    values.push_back("foliant");
    keys.push_back("dbname");
    values.push_back(uri.c_str());
    keys.push_back(nullptr);
    values.push_back(nullptr);
    Conn conn(PQconnectdbParams(keys.data(), values.data(), 1));
    if (!conn || PQstatus(conn.get()) != CONNECTION_OK) {
        throw EngineError("Cannot connect to the PostgreSQL server " + shown + ": " +
                          OneLine(conn ? PQerrorMessage(conn.get()) : "out of memory") + ".");
    }
    PQsetClientEncoding(conn.get(), "UTF8");
    Result set(PQexec(conn.get(), "SET DateStyle = 'ISO, YMD'; SET TimeZone = 'UTC'; "
                                  "SET extra_float_digits = 1; SET bytea_output = 'hex'; "
                                  "SET default_transaction_read_only = on"));
    if (PQresultStatus(set.get()) != PGRES_COMMAND_OK) {
        throw EngineError("Cannot set up the connection to the PostgreSQL server " + shown + ": " +
                          OneLine(PQerrorMessage(conn.get())) + ".");
    }
    return conn;
}

Result Exec(PGconn* conn, const std::string& sql, const std::string& shown) {
    Result r(PQexec(conn, sql.c_str()));
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
        throw EngineError("Cannot read the schema of the PostgreSQL server " + shown + ": " +
                          OneLine(PQerrorMessage(conn)) + ".");
    }
    return r;
}

// The relations a report can read: tables, views, materialized views and foreign tables of
// the search path that its names reach unqualified (partitions are read through their parent).
constexpr const char* kRelations =
    "SELECT c.oid FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
    "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f') AND NOT c.relispartition "
    "AND n.nspname = ANY (current_schemas(false)) AND pg_table_is_visible(c.oid)";

// The declared type the engine's type rules read for a PostgreSQL column type (base type name
// and its formatted form, "character varying(40)"); anything unknown is read as its text.
std::string DeclaredTypeFor(const std::string& base, const std::string& formatted) {
    const auto paren = formatted.find('(');
    const std::string modifier = paren == std::string::npos ? "" : formatted.substr(paren);
    static const std::map<std::string, std::string> kTypes = {
        {"int2", "SMALLINT"},
        {"int4", "INT"},
        {"int8", "BIGINT"},
        {"numeric", "NUMERIC"},
        {"money", "MONEY"},
        {"float4", "REAL"},
        {"float8", "DOUBLE PRECISION"},
        {"bool", "BOOLEAN"},
        {"date", "DATE"},
        {"time", "TIME"},
        {"timetz", "TIME"},
        {"timestamp", "TIMESTAMP"},
        {"timestamptz", "TIMESTAMP"},
        {"text", "TEXT"},
        {"varchar", "VARCHAR"},
        {"bpchar", "CHAR"},
        {"char", "CHAR(1)"},
        {"bytea", "BLOB"},
    };
    const auto found = kTypes.find(base);
    if (found == kTypes.end()) {
        return "TEXT";
    }
    const bool sized = base == "numeric" || base == "varchar" || base == "bpchar";
    return found->second + (sized ? modifier : "");
}

} // namespace

std::shared_ptr<DataSource> ReadPostgresSchema(const std::string& uri) {
    const std::string shown = UriWithoutPassword(uri);
    const Conn conn = OpenConnection(uri, shown);
    const std::string relations = kRelations;

    std::vector<std::shared_ptr<Table>> tables;
    std::map<std::string, std::shared_ptr<Table>> byOid;
    const Result t = Exec(conn.get(),
                          "SELECT c.oid, c.relname, c.relkind IN ('v', 'm') FROM pg_class c "
                          "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.oid IN (" +
                              relations +
                              ") ORDER BY array_position(current_schemas(false), n.nspname), "
                              "c.oid",
                          shown);
    for (int i = 0; i < PQntuples(t.get()); ++i) {
        auto table = std::make_shared<Table>(PQgetvalue(t.get(), i, 1),
                                             std::strcmp(PQgetvalue(t.get(), i, 2), "t") == 0);
        byOid[PQgetvalue(t.get(), i, 0)] = table;
        tables.push_back(table);
    }

    const Result c = Exec(
        conn.get(),
        "SELECT a.attrelid, a.attname, CASE WHEN t.typtype = 'd' THEN b.typname ELSE t.typname "
        "END, format_type(a.atttypid, a.atttypmod) FROM pg_attribute a "
        "JOIN pg_type t ON t.oid = a.atttypid LEFT JOIN pg_type b ON b.oid = t.typbasetype "
        "WHERE a.attrelid IN (" +
            relations + ") AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attrelid, a.attnum",
        shown);
    for (int i = 0; i < PQntuples(c.get()); ++i) {
        const auto table = byOid.find(PQgetvalue(c.get(), i, 0));
        if (table != byOid.end()) {
            table->second->AddField(
                PQgetvalue(c.get(), i, 1),
                DeclaredTypeFor(PQgetvalue(c.get(), i, 2), PQgetvalue(c.get(), i, 3)));
        }
    }

    // One row per column pair of each foreign key, in key order.
    const Result k =
        Exec(conn.get(),
             "SELECT k.oid, k.conrelid, k.confrelid, s.attname, d.attname FROM pg_constraint k "
             "CROSS JOIN LATERAL unnest(k.conkey, k.confkey) WITH ORDINALITY AS u(s, d, ord) "
             "JOIN pg_attribute s ON s.attrelid = k.conrelid AND s.attnum = u.s "
             "JOIN pg_attribute d ON d.attrelid = k.confrelid AND d.attnum = u.d "
             "WHERE k.contype = 'f' AND k.conrelid IN (" +
                 relations + ") AND k.confrelid IN (" + relations +
                 ") ORDER BY k.conrelid, k.oid, u.ord",
             shown);
    std::vector<std::shared_ptr<TableLink>> links;
    for (int i = 0; i < PQntuples(k.get());) {
        const std::string key = PQgetvalue(k.get(), i, 0);
        const auto& from = byOid.at(PQgetvalue(k.get(), i, 1));
        const auto& to = byOid.at(PQgetvalue(k.get(), i, 2));
        std::vector<std::string> fromFields;
        std::vector<std::string> toFields;
        for (; i < PQntuples(k.get()) && key == PQgetvalue(k.get(), i, 0); ++i) {
            fromFields.emplace_back(PQgetvalue(k.get(), i, 3));
            toFields.emplace_back(PQgetvalue(k.get(), i, 4));
        }
        links.push_back(std::make_shared<TableLink>(from->TableName(), std::move(fromFields),
                                                    to->TableName(), std::move(toFields)));
    }
    return DataSource::FromSchema(shown, std::move(tables), std::move(links));
}

namespace {

constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700,
              kFloat8 = 701, kTimeTz = 1266, kTimestampTz = 1184, kNumeric = 1700;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : 0;
}

// A number as SQLite's NUMERIC affinity keeps it: whole values that fit as integers, the rest
// as reals.
Value NumericValue(const char* text, int length) {
    std::int64_t whole = 0;
    const auto [end, ec] = std::from_chars(text, text + length, whole);
    if (ec == std::errc() && end == text + length) {
        return whole;
    }
    const double d = std::strtod(text, nullptr);
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.2e18) {
        return static_cast<std::int64_t>(d);
    }
    return d;
}

// A time zone offset at the end ("+00", "-05:30") cut off; the session shows UTC.
std::string WithoutZone(const char* text, int length, std::size_t from) {
    std::string s(text, static_cast<std::size_t>(length));
    const auto sign = s.find_last_of("+-");
    if (sign != std::string::npos && sign >= from) {
        s.resize(sign);
    }
    return s;
}

// A column value of a text-format result as SQLite would hold it.
Value ReadValue(const PGresult* r, int column) {
    if (PQgetisnull(r, 0, column)) {
        return {};
    }
    const char* v = PQgetvalue(r, 0, column);
    const int n = PQgetlength(r, 0, column);
    switch (PQftype(r, column)) {
    case kInt2:
    case kInt4:
    case kInt8:
        return static_cast<std::int64_t>(std::strtoll(v, nullptr, 10));
    case kBool:
        return std::int64_t{v[0] == 't' ? 1 : 0};
    case kFloat4:
    case kFloat8:
        return std::strtod(v, nullptr);
    case kNumeric:
        return NumericValue(v, n);
    case kTimestampTz:
        return WithoutZone(v, n, 11);
    case kTimeTz:
        return WithoutZone(v, n, 1);
    case kBytea: {
        Bytes bytes;
        for (int i = 2; i + 1 < n; i += 2) { // after the "\x"
            bytes.push_back(static_cast<std::uint8_t>(HexDigit(v[i]) * 16 + HexDigit(v[i + 1])));
        }
        return bytes;
    }
    default:
        return std::string(v, static_cast<std::size_t>(n));
    }
}

std::string ParameterText(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return std::to_string(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        char buffer[64];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *d);
        return ec == std::errc() ? std::string(buffer, end) : "NaN";
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        return *s;
    }
    return {};
}

// A query's records one at a time (single-row mode). Waiting for the server, it asks
// keepGoing every tenth of a second and cancels the statement when told to stop.
class PostgresCursor final : public RecordCursor {
public:
    PostgresCursor(PGconn* conn, std::string shown, KeepGoing keepGoing)
        : conn_(conn), shown_(std::move(shown)), keepGoing_(std::move(keepGoing)) {}
    ~PostgresCursor() override {
        if (!done_) {
            CancelStatement();
        }
    }
    PostgresCursor(const PostgresCursor&) = delete;
    PostgresCursor& operator=(const PostgresCursor&) = delete;

    void Start(const std::string& sql, const std::vector<Value>& parameters) {
        std::vector<std::string> texts;
        std::vector<const char*> values;
        for (const auto& p : parameters) {
            texts.push_back(ParameterText(p));
        }
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            values.push_back(
                std::holds_alternative<std::monostate>(parameters[i]) ? nullptr : texts[i].c_str());
        }
        if (!PQsendQueryParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                               values.data(), nullptr, nullptr, 0) ||
            !PQsetSingleRowMode(conn_)) {
            done_ = true;
            Fail();
        }
    }

    bool Next(std::vector<Value>& row) override {
        if (done_) {
            return false;
        }
        Result r(Wait());
        const ExecStatusType status = PQresultStatus(r.get());
        if (status == PGRES_SINGLE_TUPLE) {
            const int n = PQnfields(r.get());
            row.resize(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i) {
                row[static_cast<std::size_t>(i)] = ReadValue(r.get(), i);
            }
            return true;
        }
        Drain();
        done_ = true;
        if (status != PGRES_TUPLES_OK) {
            throw EngineError("Cannot read the report's records from the PostgreSQL server " +
                              shown_ + ": " + OneLine(PQresultErrorMessage(r.get())) + ".");
        }
        return false;
    }

private:
    static constexpr int kWaitMilliseconds = 100;

    [[noreturn]] void Fail() {
        throw EngineError("Cannot read the report's records from the PostgreSQL server " + shown_ +
                          ": " + OneLine(PQerrorMessage(conn_)) + ".");
    }

    // The next result, waiting on the socket while the server works.
    PGresult* Wait() {
        while (PQisBusy(conn_)) {
            pollfd fd{PQsocket(conn_), POLLIN, 0};
            const int ready = poll(&fd, 1, kWaitMilliseconds);
            if (ready == 0 && keepGoing_ && !keepGoing_()) {
                CancelStatement();
                throw QueryCancelled();
            }
            if (ready > 0 && !PQconsumeInput(conn_)) {
                done_ = true;
                Fail();
            }
        }
        return PQgetResult(conn_);
    }

    void Drain() {
        while (PGresult* r = PQgetResult(conn_)) {
            PQclear(r);
        }
    }

    // Asks the server to stop the statement and reads what is left of it.
    void CancelStatement() {
        done_ = true;
        if (PGcancel* cancel = PQgetCancel(conn_)) {
            char message[256];
            PQcancel(cancel, message, sizeof message);
            PQfreeCancel(cancel);
        }
        Drain();
    }

    PGconn* conn_;
    std::string shown_;
    KeepGoing keepGoing_;
    bool done_ = false;
};

class PostgresConnection final : public SourceConnection {
public:
    PostgresConnection(const std::string& uri, std::string shown)
        : shown_(std::move(shown)), conn_(OpenConnection(uri, shown_)) {}

    const formula::SqlDialect& Dialect() const override { return formula::PostgresDialect(); }

    std::unique_ptr<RecordCursor> Query(const std::string& sql,
                                        const std::vector<Value>& parameters,
                                        KeepGoing keepGoing) override {
        auto cursor = std::make_unique<PostgresCursor>(conn_.get(), shown_, std::move(keepGoing));
        cursor->Start(sql, parameters);
        return cursor;
    }

    // Columns hold values of their type. Two kinds compare otherwise than the engine reads
    // them: real (single precision, widened against a double) and char(n) (blank-padded,
    // trailing blanks ignored in comparisons).
    bool ColumnHolds(const FieldDefinition& field, formula::SqlStorage) override {
        const std::string& declared = field.DeclaredType();
        return declared.rfind("REAL", 0) != 0 && declared.rfind("CHAR", 0) != 0;
    }

    // The integer types; numeric is read as a real when it has a fraction.
    bool ColumnHoldsWholeNumbers(const FieldDefinition& field) override {
        const std::string& declared = field.DeclaredType();
        return declared == "SMALLINT" || declared == "INT" || declared == "BIGINT";
    }

    // A column holds only values of its type, so none is out of the storage form.
    std::optional<std::string> StorageMismatch(const FieldDefinition& field,
                                               formula::SqlStorage storage) override {
        return ColumnHolds(field, storage) ? std::optional<std::string>("") : std::nullopt;
    }

    // The primary key, the closest a server table has to an order of storage.
    std::vector<std::string> StoredOrder(const Table& table) override {
        if (!primaryKeys_) {
            ReadPrimaryKeys();
        }
        std::vector<std::string> out;
        const auto found = primaryKeys_->find(table.TableName());
        if (found != primaryKeys_->end()) {
            for (const auto& column : found->second) {
                out.push_back(formula::SqlDialect::QuoteIdentifier(table.TableName()) + "." +
                              formula::SqlDialect::QuoteIdentifier(column));
            }
        }
        return out;
    }

private:
    void ReadPrimaryKeys() {
        const Result r =
            Exec(conn_.get(),
                 std::string("SELECT c.relname, a.attname FROM pg_constraint k "
                             "JOIN pg_class c ON c.oid = k.conrelid "
                             "CROSS JOIN LATERAL unnest(k.conkey) WITH ORDINALITY AS u(n, ord) "
                             "JOIN pg_attribute a ON a.attrelid = k.conrelid AND a.attnum = u.n "
                             "WHERE k.contype = 'p' AND k.conrelid IN (") +
                     kRelations + ") ORDER BY k.conrelid, u.ord",
                 shown_);
        primaryKeys_.emplace();
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            (*primaryKeys_)[PQgetvalue(r.get(), i, 0)].emplace_back(PQgetvalue(r.get(), i, 1));
        }
    }

    std::string shown_;
    Conn conn_;
    std::optional<std::map<std::string, std::vector<std::string>>> primaryKeys_;
};

} // namespace

std::unique_ptr<SourceConnection> ConnectPostgres(const std::string& uri,
                                                  const std::string& shown) {
    return std::make_unique<PostgresConnection>(uri, shown);
}

} // namespace foliant::engine
