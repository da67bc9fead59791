// The report wizard over a big schema: a generated SQLite database of 500 tables of 20 fields
// each, against SQLite listing the same schema (every table's columns) in this process.
//
// BM_WizardBigSchema (headless) and BM_WizardBigSchemaWindow (the Qt window, offscreen):
//   open_ms          from opening the report over the database to page 1 shown with the
//                    database tree filled
//   schema_ms        SQLite alone: every table's name and columns read with PRAGMA table_info
//   open_vs_schema   open_ms / schema_ms
//   page_change_ms   Next from page 1 to page 2 and Back again, the longer of the two
//   add_table_ms     the 20 fields of one table added one after another with Add
//   add_all_ms       Add All on the fields page (every field of every table into the list)
//   fields           fields the list holds after Add All

#include "bench/MadeOnce.h"
#include "component/VRStandardWizard.h"
#include "component/Wizard.h"
#include "dialog/frmWizard.h"
#include "engine/Report.h"
#include "platform/forms/HeadlessBackend.h"

#ifdef FOLIANT_BENCH_WITH_QT
#include "ui/qt/FormWindow.h"
#include "ui/qt/QtBackend.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWindow>
#endif

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

using namespace foliant;
using Clock = std::chrono::steady_clock;

constexpr int kTables = 500;
constexpr int kFields = 20;

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("big schema: " + message);
    }
}

// The schema: tables T001 … T500, each with an integer key and columns of the common types in
// turn, and one row.
void MakeBigSchema(const std::string& partial) {
    sqlite3* db = nullptr;
    if (sqlite3_open(partial.c_str(), &db) != SQLITE_OK) {
        throw std::runtime_error("big schema: cannot create " + partial);
    }
    static const char* const kTypes[] = {"TEXT", "INTEGER", "REAL", "DATE", "VARCHAR(40)"};
    std::string sql = "BEGIN;";
    char name[16];
    for (int t = 1; t <= kTables; ++t) {
        std::snprintf(name, sizeof name, "T%03d", t);
        std::string columns = "Id INTEGER PRIMARY KEY";
        std::string values = "1";
        for (int f = 2; f <= kFields; ++f) {
            columns += ", Field" + std::to_string(f) + " " + kTypes[f % 5];
            values += f % 5 == 0 || f % 5 == 4 ? ", 'x'" : f % 5 == 3 ? ", '2024-01-02'" : ", 1";
        }
        sql += "CREATE TABLE " + std::string(name) + " (" + columns + ");";
        sql += "INSERT INTO " + std::string(name) + " VALUES (" + values + ");";
    }
    Exec(db, sql + "COMMIT;");
    sqlite3_close(db);
}

std::string BigSchemaDatabase() {
    return foliant::bench::MadeOnce("big-schema-v1.db", MakeBigSchema);
}

// SQLite alone reading what the tree shows: the tables and each one's columns.
double SqliteSchemaMillis(const std::string& path) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1,
                       &tables, nullptr);
    long columns = 0;
    while (sqlite3_step(tables) == SQLITE_ROW) {
        const std::string table = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
        sqlite3_stmt* info = nullptr;
        sqlite3_prepare_v2(db, ("PRAGMA table_info(\"" + table + "\")").c_str(), -1, &info,
                           nullptr);
        while (sqlite3_step(info) == SQLITE_ROW) {
            columns += sqlite3_column_bytes(info, 1) > 0 ? 1 : 0;
        }
        sqlite3_finalize(info);
    }
    sqlite3_finalize(tables);
    sqlite3_close(db);
    benchmark::DoNotOptimize(columns);
    return Millis(Clock::now() - start);
}

struct WizardTimes {
    double open = 0;
    double pageChange = 0;
    double addAll = 0;
    double addTable = 0;
    int fields = 0;
};

double Timed(const std::function<void()>& act) {
    const auto start = Clock::now();
    act();
    return Millis(Clock::now() - start);
}

// The figures of one benchmark, the opening also against reading the schema with SQLite.
void PrintTimes(benchmark::State& state, const WizardTimes& times, double schema) {
    state.counters["open_ms"] = times.open;
    state.counters["schema_ms"] = schema;
    state.counters["open_vs_schema"] = times.open / schema;
    state.counters["page_change_ms"] = times.pageChange;
    state.counters["add_all_ms"] = times.addAll;
    state.counters["add_table_ms"] = times.addTable;
    state.counters["fields"] = times.fields;
}

// What a person does once page 1 is up: one table's fields added one after another with Add
// (the table's first field clicked in the tree), Next and Back, then Add All.
void ActOnPages(dialog::frmWizard& f, WizardTimes& times) {
    forms::Node& table = *f.DatabaseTreeView.Nodes().Item(1).ChildNodes().front();
    f.DatabaseTreeView.UserClickNode(*table.ChildNodes().front());
    times.addTable = Timed([&] {
        for (int i = 0; i < kFields && f.Add.Enabled(); ++i) {
            f.Add.UserClick();
        }
    });
    const double next = Timed([&] { f.cmdNext.UserClick(); });
    const double back = Timed([&] { f.cmdBack.UserClick(); });
    times.pageChange = std::max(next, back);
    times.addAll = Timed([&] { f.AddAll.UserClick(); });
    times.fields = f.ReportFieldList1.ListCount();
}

void BM_WizardBigSchema(benchmark::State& state) {
    const std::string path = BigSchemaDatabase();
    WizardTimes times;
    for (auto _ : state) {
        Wizard::ResetState();
        auto backend = std::make_shared<forms::HeadlessBackend>();
        const auto previous = forms::SetBackend(backend);
        const auto start = Clock::now();
        const auto report = engine::Report::CreateOverDatabase(path);
        component::VRStandardWizard wizard;
        wizard.SetVellumReport(report);
        backend->SetDriver([&](forms::Form& form) {
            times.open = Millis(Clock::now() - start);
            ActOnPages(dynamic_cast<dialog::frmWizard&>(form), times);
        });
        wizard.DisplayReportWizard();
        forms::SetBackend(previous);
        Wizard::ResetState();
    }
    PrintTimes(state, times, SqliteSchemaMillis(path));
}
BENCHMARK(BM_WizardBigSchema)->Iterations(3)->Unit(benchmark::kMillisecond);

#ifdef FOLIANT_BENCH_WITH_QT

void BM_WizardBigSchemaWindow(benchmark::State& state) {
    const std::string path = BigSchemaDatabase();
    WizardTimes times;
    for (auto _ : state) {
        Wizard::ResetState();
        auto backend = std::make_shared<qt::QtBackend>();
        const auto previous = forms::SetBackend(backend);
        const auto start = Clock::now();
        const auto report = engine::Report::CreateOverDatabase(path);
        component::VRStandardWizard wizard;
        wizard.SetVellumReport(report);
        // Acts once the window is on screen with page 1 drawn, then closes it as Cancel does.
        QTimer::singleShot(0, [&] {
            dialog::frmWizard* form = Wizard::CurrentWizardForm();
            QWindow* window = backend->WindowOf(*form)->windowHandle();
            while (window == nullptr || !window->isExposed()) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                window = backend->WindowOf(*form)->windowHandle();
            }
            times.open = Millis(Clock::now() - start);
            ActOnPages(*form, times);
            form->cmdCancel.UserClick();
        });
        wizard.DisplayReportWizard();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        forms::SetBackend(previous);
        Wizard::ResetState();
    }
    PrintTimes(state, times, SqliteSchemaMillis(path));
}
BENCHMARK(BM_WizardBigSchemaWindow)->Iterations(3)->Unit(benchmark::kMillisecond);

#endif

} // namespace
