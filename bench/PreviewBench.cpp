// The preview window's first page of a 1,000,000-record report: how long after the window
// opens (the run starts off the window's thread) the first page is laid out, against the whole
// run in the same process, and how long the window's thread ever waits meanwhile.
//
// Figures:
//   first_page_s      seconds from the run's start to the first page being ready to draw
//   whole_run_s       seconds until every page is laid out
//   first_vs_whole    first_page_s / whole_run_s
//   window_wait_ms    the longest the window's thread waited on the run (it polls every ms)
// The listing has one line per record; the grouped variant breaks by region (records arrive
// in the region's order from SQL) with a sum per region and a grand total at the end.

#include "engine/Report.h"
#include "generate/LayoutBuilder.h"
#include "preview/PreviewRun.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1'000'000;

std::string ListingDatabase() {
    const std::string path = std::string(FOLIANT_BENCH_DATA_DIR) + "/preview-orders-v1.db";
    if (std::filesystem::exists(path)) {
        return path;
    }
    const std::string partial = path + ".partial";
    std::filesystem::remove(partial);
    std::fprintf(stderr, "Generating %s (once)...\n", path.c_str());
    sqlite3* db = nullptr;
    const std::string sql =
        "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
        "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer TEXT, Region TEXT, Amount REAL);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(kRecords) +
        ") INSERT INTO Orders SELECT i, 'Customer ' || (i * 7919 % 5000), "
        "'Region ' || (i * 31 % 12), (i * 37 % 100000) / 100.0 FROM n;";
    char* error = nullptr;
    if (sqlite3_open(partial.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error("cannot make " + partial + ": " + message);
    }
    sqlite3_close(db);
    std::filesystem::rename(partial, path);
    return path;
}

std::shared_ptr<foliant::engine::Report> MakeReport(bool grouped) {
    auto report = foliant::engine::Report::CreateOverDatabase(ListingDatabase());
    foliant::generate::ReportChoices choices;
    choices.title = "Orders";
    choices.columns = {{"Orders.Id"}, {"Orders.Customer"}, {"Orders.Amount"}};
    if (grouped) {
        choices.groups = {{"Orders.Region"}};
        choices.groups[0].summaries = {
            {"Orders.Amount", foliant::engine::SummaryOperation::Sum, {}, 0, true}};
    }
    foliant::generate::BuildReportLayout(*report, choices);
    return report;
}

void BM_PreviewFirstPage(benchmark::State& state) {
    const auto report = MakeReport(state.range(0) != 0);
    double first = 0;
    double whole = 0;
    double longestWait = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        foliant::preview::PreviewRun run(report);
        bool haveFirst = false;
        // The window's thread: it polls the run as its timer would and never blocks on it.
        while (true) {
            const auto before = Clock::now();
            const auto status = run.Poll();
            const auto after = Clock::now();
            longestWait = std::max(
                longestWait, std::chrono::duration<double, std::milli>(after - before).count());
            if (!haveFirst && status.document) {
                haveFirst = true;
                first = std::chrono::duration<double>(after - start).count();
            }
            if (status.phase != foliant::preview::PreviewRun::Phase::Running) {
                if (status.phase != foliant::preview::PreviewRun::Phase::Done) {
                    state.SkipWithError(status.error.c_str());
                }
                whole = std::chrono::duration<double>(after - start).count();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    state.counters["first_page_s"] = first;
    state.counters["whole_run_s"] = whole;
    state.counters["first_vs_whole"] = whole > 0 ? first / whole : 0;
    state.counters["window_wait_ms"] = longestWait;
}
BENCHMARK(BM_PreviewFirstPage)
    ->ArgName("grouped")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
