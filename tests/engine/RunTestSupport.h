#pragma once

// Helpers for runner tests: a report over a fresh database, SQL answers computed by SQLite
// on the same data, and the run laid out as text.

#include "TestSupport.h"
#include "engine/Report.h"
#include "engine/page/TextPainter.h"
#include "engine/run/Layout.h"
#include "engine/run/Runner.h"

#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

namespace foliant::engine::test {

// One query's rows as values (int64, double, text, null).
inline std::vector<std::vector<Value>> QueryRows(const std::string& dbPath,
                                                 const std::string& sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db) << " in " << sql;
    std::vector<std::vector<Value>> rows;
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<Value> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(stmt, i)));
                break;
            case SQLITE_FLOAT:
                row.emplace_back(sqlite3_column_double(stmt, i));
                break;
            case SQLITE_TEXT:
                row.emplace_back(
                    std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
                break;
            default:
                row.emplace_back();
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// The single value a query answers.
inline Value QueryValue(const std::string& dbPath, const std::string& sql) {
    const auto rows = QueryRows(dbPath, sql);
    EXPECT_EQ(rows.size(), 1u) << sql;
    return rows.empty() || rows[0].empty() ? Value{} : rows[0][0];
}

inline std::optional<double> AsNumber(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return static_cast<double>(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        return *d;
    }
    return std::nullopt;
}

// A readable form of a value for test messages.
inline std::string Show(const Value& v) {
    if (IsNull(v)) {
        return "null";
    }
    if (const auto n = AsNumber(v)) {
        return std::to_string(*n);
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        return "'" + *s + "'";
    }
    return "<value>";
}

// Whether two values agree: numbers within a relative 1e-9, others exactly.
inline bool SameValue(const Value& a, const Value& b) {
    const auto x = AsNumber(a);
    const auto y = AsNumber(b);
    if (x && y) {
        return std::fabs(*x - *y) <= 1e-9 * std::max(1.0, std::max(std::fabs(*x), std::fabs(*y)));
    }
    if (IsNull(a) || IsNull(b)) {
        return IsNull(a) && IsNull(b);
    }
    return a == b;
}

inline run::LayoutSettings FixedSettings() {
    run::LayoutSettings s;
    s.printTime = TimeOfDay{13 * 3600 + 5 * 60};
    return s;
}

inline run::RunOptions FixedRun() {
    run::RunOptions o;
    o.today = Date{DaysFromCivil(2025, 6, 30)};
    return o;
}

inline std::string RunToText(const Report& report,
                             const run::LayoutSettings& settings = FixedSettings()) {
    return page::RenderText(run::RenderReport(report, FixedRun(), settings));
}

// The groups of level 1 of a run: their keys as text ("Others" for the gathered group).
inline std::vector<std::string> GroupKeys(const run::GroupNode& parent) {
    std::vector<std::string> out;
    for (const auto& c : parent.children) {
        if (c->others) {
            out.push_back("Others");
        } else if (const auto* s = std::get_if<std::string>(&c->key)) {
            out.push_back(*s);
        } else {
            out.push_back(Show(c->key));
        }
    }
    return out;
}

} // namespace foliant::engine::test
