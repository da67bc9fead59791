// The preview's first page of a 1,000,000-record report, against SQLite handing over the first
// rows of the same query in the same process, and how responsive the window stays while the
// rest of the report runs.
//
// BM_PreviewFirstPage: the run alone (off the calling thread, polled as the window's timer
// polls it).
//   first_page_s        seconds from the run's start to the first page being ready to draw
//   sqlite_first_s      seconds SQLite takes to open the database, prepare the report's query
//                       and step through its first rows (a first page's worth)
//   first_vs_sqlite     first_page_s / sqlite_first_s
//   whole_run_s         seconds until every page is laid out
//   poll_ms             the longest a poll of the run took on the polling thread
// BM_PreviewWindow (with Qt): the report viewer on screen (offscreen platform), the report run
// from the moment the window is on screen, a 1 ms timer ticking on the window's event loop.
//   first_page_s        seconds from the run's start to the viewer holding its first page
//   first_vs_sqlite     first_page_s / sqlite_first_s
//   whole_run_s         seconds until the viewer holds every page
//   longest_gap_ms      the longest time between two ticks of the event loop, start to end
//   longest_gap_at_s    when that gap ended, in seconds from the start
//   ticks               how many times the timer ran meanwhile
// The listing has one line per record; the grouped variant breaks by region (records arrive
// in the region's order from SQL) with a sum per region and a grand total at the end.

#include "bench/MadeOnce.h"
#include "engine/Report.h"
#include "generate/LayoutBuilder.h"
#include "preview/PreviewRun.h"

#ifdef FOLIANT_BENCH_WITH_QT
#include "ui/qt/ReportViewer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>
#endif

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
// About what the first page of the listing shows.
constexpr int kFirstRows = 60;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void MakeListing(const std::string& partial) {
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
}

std::string ListingDatabase() {
    return foliant::bench::MadeOnce("preview-orders-v1.db", MakeListing);
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

// The baseline: SQLite opening the database and handing over the first rows of the query the
// report runs (its fields, in its order: by region for the grouped report, then as stored).
double SqliteFirstRows(bool grouped) {
    const std::string sql = grouped ? "SELECT \"Orders\".\"Id\", \"Orders\".\"Customer\", "
                                      "\"Orders\".\"Amount\", \"Orders\".\"Region\" FROM "
                                      "\"Orders\" ORDER BY \"Orders\".\"Region\", \"Orders\".rowid"
                                    : "SELECT \"Orders\".\"Id\", \"Orders\".\"Customer\", "
                                      "\"Orders\".\"Amount\" FROM \"Orders\" ORDER BY "
                                      "\"Orders\".rowid";
    const std::string path = ListingDatabase();
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error("the baseline query failed: " + message);
    }
    std::size_t bytes = 0;
    for (int row = 0; row < kFirstRows && sqlite3_step(statement) == SQLITE_ROW; ++row) {
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, 1));
    }
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return Seconds(Clock::now() - start);
}

void BM_PreviewFirstPage(benchmark::State& state) {
    const bool grouped = state.range(0) != 0;
    const auto report = MakeReport(grouped);
    double first = 0;
    double whole = 0;
    double longestPoll = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        foliant::preview::PreviewRun run(report);
        bool haveFirst = false;
        // The window's thread: it polls the run as its timer would and never blocks on it.
        while (true) {
            const auto before = Clock::now();
            const auto status = run.Poll();
            const auto after = Clock::now();
            longestPoll = std::max(longestPoll, Seconds(after - before) * 1000);
            if (!haveFirst && status.document) {
                haveFirst = true;
                first = Seconds(after - start);
            }
            if (status.phase != foliant::preview::PreviewRun::Phase::Running) {
                if (status.phase != foliant::preview::PreviewRun::Phase::Done) {
                    state.SkipWithError(status.error.c_str());
                }
                whole = Seconds(after - start);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const double baseline = SqliteFirstRows(grouped);
    state.counters["first_page_s"] = first;
    state.counters["sqlite_first_s"] = baseline;
    state.counters["first_vs_sqlite"] = first / baseline;
    state.counters["whole_run_s"] = whole;
    state.counters["poll_ms"] = longestPoll;
}
BENCHMARK(BM_PreviewFirstPage)
    ->ArgName("grouped")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

#ifdef FOLIANT_BENCH_WITH_QT

// What the window's event loop saw while the viewer ran the report.
struct WindowRun {
    double firstPage = -1;
    double whole = 0;
    double longestGap = 0;
    double longestGapAt = 0;
    long ticks = 0;
};

WindowRun RunInWindow(const std::shared_ptr<foliant::engine::Report>& report) {
    WindowRun result;
    foliant::qt::ReportViewer viewer;
    viewer.resize(900, 700);
    QEventLoop loop;
    QObject::connect(&viewer, &foliant::qt::ReportViewer::RunFinished, &loop, &QEventLoop::quit);
    QTimer tick;
    tick.setInterval(1);
    Clock::time_point start;
    Clock::time_point last;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        if (Seconds(now - last) * 1000 > result.longestGap) {
            result.longestGap = Seconds(now - last) * 1000;
            result.longestGapAt = Seconds(now - start);
        }
        last = now;
        ++result.ticks;
        if (result.firstPage < 0 && viewer.PageCount() > 0) {
            result.firstPage = Seconds(now - start);
        }
    });
    // The window is up (shown and drawn once) before the report starts.
    viewer.show();
    while (viewer.windowHandle() == nullptr || !viewer.windowHandle()->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
    start = Clock::now();
    last = start;
    viewer.SetReport(report);
    viewer.ShowReport();
    tick.start();
    loop.exec();
    result.whole = Seconds(Clock::now() - start);
    if (result.firstPage < 0) {
        result.firstPage = result.whole;
    }
    return result;
}

void BM_PreviewWindow(benchmark::State& state) {
    const bool grouped = state.range(0) != 0;
    const auto report = MakeReport(grouped);
    WindowRun run;
    for (auto _ : state) {
        run = RunInWindow(report);
    }
    const double baseline = SqliteFirstRows(grouped);
    state.counters["first_page_s"] = run.firstPage;
    state.counters["sqlite_first_s"] = baseline;
    state.counters["first_vs_sqlite"] = run.firstPage / baseline;
    state.counters["whole_run_s"] = run.whole;
    state.counters["longest_gap_ms"] = run.longestGap;
    state.counters["longest_gap_at_s"] = run.longestGapAt;
    state.counters["ticks"] = static_cast<double>(run.ticks);
}
BENCHMARK(BM_PreviewWindow)
    ->ArgName("grouped")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

#endif

} // namespace
