// The runner's speed and memory over a generated database of 1,000,000 orders, measured
// against SQLite computing the same groups and sums with one GROUP BY query in this process,
// the time to lay out (and paint as text) the first 700 pages of a 10,000-record listing, and
// the memory and time to export every page of listings of 100,000 and 1,000,000 records, and
// how the runner's time grows from 10,000 to 10,000,000 orders.
//
// The databases are generated once, deterministically, into the build folder. Figures:
//   runner_vs_sqlite  the runner's time divided by SQLite's (same selection, same groups), SQLite
//                     as it runs by default, sorting on one thread
//   vs_sqlite_same_threads  the same against SQLite allowed as many helper threads for its sort
//                     as the runner's connection (sort_threads)
//   peak_heap_MB      the most memory the run held at once through C++ allocation
//   sqlite_heap_MB    SQLite's own high-water mark during the run
// The wide variant reads the same report from a database whose rows carry an extra 200-byte
// text column: its memory stays the same because the runner reads only the fields the report
// uses and keeps no records for a report that shows nothing per record. The variant without
// the median shows what the median's kept values cost; the one over fewer records (in about
// as many groups) what the records themselves cost.

#include "bench/MadeOnce.h"
#ifdef FOLIANT_BENCH_WITH_QT
#include "ui/qt/PdfPages.h"

#include <QApplication>
#endif
#include "engine/AtomicFile.h"
#include "engine/Report.h"
#include "engine/SqliteSource.h"
#include "engine/page/TextPainter.h"
#include "engine/run/Layout.h"
#include "engine/run/Runner.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

// ---------------------------------------------------------------------------------------------
// Counting the bytes held through operator new: current and peak since the last reset.

namespace {
std::atomic<long long> heapNow{0};
std::atomic<long long> heapPeak{0};

void Count(void* p) {
    const long long now = heapNow += static_cast<long long>(malloc_usable_size(p));
    long long peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
}
void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p) {
        throw std::bad_alloc();
    }
    Count(p);
    return p;
}
void Release(void* p) noexcept {
    if (p) {
        heapNow -= static_cast<long long>(malloc_usable_size(p));
        std::free(p);
    }
}
void ResetPeak() {
    heapPeak = heapNow.load();
}
} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

namespace {

using namespace foliant::engine;
using Clock = std::chrono::steady_clock;

constexpr int kOrders = 1'000'000;
constexpr int kRegions = 12;
constexpr int kCustomers = 5000;

// A small deterministic generator (the same database on every machine).
struct Lcg {
    std::uint64_t state = 0x5eed2026;
    std::uint32_t Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state >> 33);
    }
};

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
    }
}

// Writes the orders database to partial: count orders, the first ones the same whatever the
// count. wide: each row also carries a 200-character note that no report reads.
void MakeOrders(const std::string& partial, bool wide, int count = kOrders) {
    sqlite3* db = nullptr;
    Check(sqlite3_open(partial.c_str(), &db), db, "open");
    Check(sqlite3_exec(db,
                       wide ? "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Region TEXT, Customer "
                              "TEXT, OrderDate DATE, Qty INT, Amount REAL, Note TEXT);"
                            : "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Region TEXT, Customer "
                              "TEXT, OrderDate DATE, Qty INT, Amount REAL);",
                       nullptr, nullptr, nullptr),
          db, "create");
    Check(sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;", nullptr,
                       nullptr, nullptr),
          db, "begin");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db,
                             wide ? "INSERT INTO Orders VALUES (?, ?, ?, ?, ?, ?, ?)"
                                  : "INSERT INTO Orders VALUES (?, ?, ?, ?, ?, ?)",
                             -1, &insert, nullptr),
          db, "prepare");
    Lcg random;
    char text[64];
    const std::string note(200, 'n');
    for (int id = 1; id <= count; ++id) {
        sqlite3_bind_int(insert, 1, id);
        std::snprintf(text, sizeof text, "Region %02u", random.Next() % kRegions + 1);
        sqlite3_bind_text(insert, 2, text, -1, SQLITE_TRANSIENT);
        std::snprintf(text, sizeof text, "Customer %04u", random.Next() % kCustomers + 1);
        sqlite3_bind_text(insert, 3, text, -1, SQLITE_TRANSIENT);
        const unsigned day = random.Next() % 1096; // 2022-01-01 … 2024-12-31
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", 2022 + day / 366, day % 12 + 1,
                      day % 28 + 1);
        sqlite3_bind_text(insert, 4, text, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 5, static_cast<int>(random.Next() % 20 + 1));
        sqlite3_bind_double(insert, 6, static_cast<double>(random.Next() % 100000) / 100.0);
        if (wide) {
            sqlite3_bind_text(insert, 7, note.c_str(), -1, SQLITE_STATIC);
        }
        Check(sqlite3_step(insert), db, "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// The orders database, made when it is not there yet.
std::string OrdersDatabase(bool wide) {
    return foliant::bench::MadeOnce(
        wide ? "orders-wide-v1.db" : "orders-v1.db",
        [wide](const std::string& partial) { MakeOrders(partial, wide); });
}

// Ten times as many orders, for the last point of the scaling curve (about 500 MB).
std::string TenMillionOrdersDatabase() {
    return foliant::bench::MadeOnce("orders-10m-v1.db", [](const std::string& partial) {
        MakeOrders(partial, false, 10 * kOrders);
    });
}

// Regions, then customers within them; per group the sum, average and median of the amount
// and the largest quantity (the median left out on request); the five regions with the
// largest sums, the rest gathered as Others; orders of more than two items.
// maxId: when not 0, only the first maxId orders.
std::shared_ptr<Report> SummaryReport(const std::string& db, bool median, int minQty,
                                      long long maxId = 0) {
    auto report = Report::CreateOverDatabase(db);
    report->SetSelectionFormulaText(
        "{Orders.Qty} > " + std::to_string(minQty) +
        (maxId > 0 ? " and {Orders.Id} <= " + std::to_string(maxId) : std::string()));
    report->InsertGroup(0, report->LookupFieldDefinition("{Orders.Region}"),
                        GroupCondition::EachValue, GroupOrder::Ascending);
    report->InsertGroup(1, report->LookupFieldDefinition("{Orders.Customer}"),
                        GroupCondition::EachValue, GroupOrder::Ascending);
    std::shared_ptr<FieldDefinition> outerSum;
    for (const int g : {1, 2}) {
        const auto gf = report->FindSection("GF" + std::to_string(g));
        int left = 0;
        const auto sum = gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Sum, left, 0);
        if (g == 1) {
            outerSum = sum->field();
        }
        gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Average, left += 1600, 0);
        gf->PlaceSummaryObject("{Orders.Qty}", SummaryOperation::Maximum, left += 1600, 0);
        if (median) {
            gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Median, left += 1600, 0);
        }
    }
    const auto gh1 = report->GroupHeader(1);
    gh1->SetGroupSortMode(2);
    gh1->SetGroupTopCount(5);
    gh1->SetDropOthers(false);
    gh1->SetGroupSortSummary(outerSum);
    report->ApplyLayoutStyle(0);
    return report;
}

// SQLite's own answer to the same groups and sums, every row read, its sort allowed the given
// helper threads (none is SQLite's default).
double SqliteGroupBy(const std::string& path, int minQty, long long maxId, int threads,
                     long long* groups) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_WORKER_THREADS, threads);
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "SELECT Region, Customer, SUM(Amount), AVG(Amount), MAX(Qty) "
                            "FROM Orders WHERE Qty > " +
                            std::to_string(minQty) +
                            (maxId > 0 ? " AND Id <= " + std::to_string(maxId) : std::string()) +
                            " GROUP BY Region, Customer ORDER BY Region, Customer";
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), db, "group by");
    double total = 0;
    long long rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        total += sqlite3_column_double(stmt, 2);
        ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    *groups = rows;
    return total;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void RunnerAgainstSqlite(benchmark::State& state, const std::string& path, bool median,
                         int minQty = 2, long long maxId = 0) {
    const auto report = SummaryReport(path, median, minQty, maxId);
    double runnerTime = 0;
    double sqliteTime = 0;
    double sqliteThreadedTime = 0;
    long long peak = 0;
    long long sqlitePeak = 0;
    long long groups = 0;
    for (auto _ : state) {
        long long sqlGroups = 0;
        const auto threadedStart = Clock::now();
        benchmark::DoNotOptimize(
            SqliteGroupBy(path, minQty, maxId, SqliteSortThreads(), &sqlGroups));
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(SqliteGroupBy(path, minQty, maxId, 0, &sqlGroups));
        const auto t1 = Clock::now();
        sqlite3_memory_highwater(1);
        const long long before = heapNow.load();
        ResetPeak();
        {
            const run::RunResult result = run::RunReport(*report);
            benchmark::DoNotOptimize(result.tree.get());
            peak = std::max(peak, heapPeak.load() - before);
            groups = 0;
            for (const auto& region : result.tree->Root().children) {
                groups += static_cast<long long>(region->children.size());
            }
        }
        const auto t2 = Clock::now();
        sqlitePeak = std::max(sqlitePeak, static_cast<long long>(sqlite3_memory_highwater(0)));
        sqliteThreadedTime += Seconds(t0 - threadedStart);
        sqliteTime += Seconds(t1 - t0);
        runnerTime += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t2 - t1));
        benchmark::DoNotOptimize(sqlGroups);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["runner_ms"] = runnerTime / n * 1000;
    state.counters["sqlite_ms"] = sqliteTime / n * 1000;
    state.counters["runner_vs_sqlite"] = runnerTime / sqliteTime;
    state.counters["sort_threads"] = SqliteSortThreads();
    state.counters["vs_sqlite_same_threads"] = runnerTime / sqliteThreadedTime;
    state.counters["peak_heap_MB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["sqlite_heap_MB"] = static_cast<double>(sqlitePeak) / (1 << 20);
    state.counters["inner_groups"] = static_cast<double>(groups);
}

void BM_RunnerVsSqlite(benchmark::State& state) {
    RunnerAgainstSqlite(state, OrdersDatabase(false), true);
}
void BM_RunnerVsSqlite_WideRows(benchmark::State& state) {
    RunnerAgainstSqlite(state, OrdersDatabase(true), true);
}
void BM_RunnerVsSqlite_NoMedian(benchmark::State& state) {
    RunnerAgainstSqlite(state, OrdersDatabase(false), false);
}
// Orders of more than 17 items: a sixth of the records in about as many groups.
void BM_RunnerVsSqlite_FewerRecords(benchmark::State& state) {
    RunnerAgainstSqlite(state, OrdersDatabase(false), true, 17);
}
BENCHMARK(BM_RunnerVsSqlite)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnerVsSqlite_WideRows)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnerVsSqlite_NoMedian)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnerVsSqlite_FewerRecords)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------------
// Memory per group: every order its own group (grouped by its number), the first n orders.
// Figures: bytes_per_group, the run's peak heap over its groups, with the benchmark report's
// streaming summaries (sum, average and maximum) or with all ten streaming operations, and where
// a group's bytes go: node_bytes, the group itself; state_bytes, its block of summary states
// (each allocation also carries the allocator's own few bytes, and the parent a pointer). The
// kept-number figure compares the customers' groups (200 orders each) with and without a
// median: the difference per order is what each kept number costs.

// Runs the report and answers its peak heap (bytes above what was held before it); stateBytes:
// the bytes of each group's summary states at level 1.
long long PeakOfRun(const Report& report, long long* records = nullptr,
                    std::size_t* stateBytes = nullptr) {
    const long long before = heapNow.load();
    ResetPeak();
    {
        const run::RunResult result = run::RunReport(report);
        benchmark::DoNotOptimize(result.tree.get());
        if (records) {
            *records = result.RecordCount();
        }
        if (stateBytes) {
            *stateBytes = result.tree->Summaries(1).BlockBytes();
        }
    }
    return heapPeak.load() - before;
}

std::shared_ptr<Report> OrderGroupsReport(const std::string& db, int orders, bool allStreaming) {
    auto report = Report::CreateOverDatabase(db);
    report->SetSelectionFormulaText("{Orders.Id} <= " + std::to_string(orders));
    report->InsertGroup(0, report->LookupFieldDefinition("{Orders.Id}"), GroupCondition::EachValue,
                        GroupOrder::Ascending);
    const auto gf = report->FindSection("GF1");
    using Op = SummaryOperation;
    std::vector<Op> ops{Op::Sum, Op::Average, Op::Maximum};
    if (allStreaming) {
        ops = {Op::Sum,        Op::Average,        Op::Count,        Op::Minimum,
               Op::Maximum,    Op::SampleVariance, Op::SampleStdDev, Op::Correlation,
               Op::Covariance, Op::WeightedAverage};
    }
    int left = 0;
    for (const Op op : ops) {
        foliant::automation::Variant second;
        if (op == Op::Correlation || op == Op::Covariance || op == Op::WeightedAverage) {
            second = foliant::automation::Variant(std::string("{Orders.Qty}"));
        }
        gf->PlaceSummaryObject("{Orders.Amount}", op, left += 1200, 0, second);
    }
    report->ApplyLayoutStyle(0);
    return report;
}

void MemoryPerGroup(benchmark::State& state, bool allStreaming) {
    const int orders = static_cast<int>(state.range(0));
    const auto report = OrderGroupsReport(OrdersDatabase(false), orders, allStreaming);
    long long peak = 0;
    std::size_t stateBytes = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        peak = std::max(peak, PeakOfRun(*report, nullptr, &stateBytes));
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
    state.counters["groups"] = orders;
    state.counters["peak_heap_MB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["bytes_per_group"] = static_cast<double>(peak) / orders;
    state.counters["node_bytes"] = sizeof(run::GroupNode);
    state.counters["state_bytes"] = static_cast<double>(stateBytes);
}
void BM_MemoryPerGroup(benchmark::State& state) {
    MemoryPerGroup(state, false);
}
void BM_MemoryPerGroup_AllTenStreaming(benchmark::State& state) {
    MemoryPerGroup(state, true);
}
BENCHMARK(BM_MemoryPerGroup)
    ->Arg(30'000)
    ->Arg(1'000'000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryPerGroup_AllTenStreaming)
    ->Arg(30'000)
    ->Arg(1'000'000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

std::shared_ptr<Report> CustomerReport(const std::string& db, bool median) {
    auto report = Report::CreateOverDatabase(db);
    report->InsertGroup(0, report->LookupFieldDefinition("{Orders.Customer}"),
                        GroupCondition::EachValue, GroupOrder::Ascending);
    const auto gf = report->FindSection("GF1");
    gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Sum, 0, 0);
    if (median) {
        gf->PlaceSummaryObject("{Orders.Amount}", SummaryOperation::Median, 1600, 0);
    }
    report->ApplyLayoutStyle(0);
    return report;
}

void BM_BytesPerKeptNumber(benchmark::State& state) {
    const std::string db = OrdersDatabase(false);
    const auto plain = CustomerReport(db, false);
    const auto median = CustomerReport(db, true);
    long long kept = 0;
    long long withMedian = 0;
    long long without = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        without = PeakOfRun(*plain);
        withMedian = PeakOfRun(*median, &kept);
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
    state.counters["kept_numbers"] = static_cast<double>(kept);
    state.counters["bytes_per_kept_number"] =
        static_cast<double>(withMedian - without) / static_cast<double>(kept);
}
BENCHMARK(BM_BytesPerKeptNumber)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------------
// Scaling: the benchmark report over the first n orders, against SQLite over the same orders.
// ns_per_order stays flat on a linear curve (it grows with log n where records are sorted).

void Scaling(benchmark::State& state, const std::string& db) {
    const long long orders = state.range(0);
    RunnerAgainstSqlite(state, db, true, 2, orders);
    state.counters["orders"] = static_cast<double>(orders);
    state.counters["ns_per_order"] =
        state.counters["runner_ms"] * 1e6 / static_cast<double>(orders);
}
void BM_RunnerScaling(benchmark::State& state) {
    Scaling(state, OrdersDatabase(false));
}
void BM_RunnerScaling_TenMillion(benchmark::State& state) {
    Scaling(state, TenMillionOrdersDatabase());
}
BENCHMARK(BM_RunnerScaling)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnerScaling_TenMillion)
    ->Arg(10'000'000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------------
// A plain listing of the first 10,000 orders, four lines a record: a little over 700 pages.

constexpr int kListingRecords = 10'000;
constexpr std::size_t kListingPages = 700;

// pageCount: the page footer shows "Page N of M", which needs every page laid out before the
// first goes out; otherwise it shows the page number alone.
std::shared_ptr<Report> ListingReport(const std::string& db, int records = kListingRecords,
                                      bool pageCount = true) {
    auto report = Report::CreateOverDatabase(db);
    report->SetTitleText("Orders");
    report->SetSelectionFormulaText("{Orders.Id} <= " + std::to_string(records));
    const auto ph = report->FindSection("PH");
    const auto d = report->FindSection("D");
    ph->PlaceFieldObject("ReportTitle", 0, 0);
    ph->PlaceFieldObject("PrintDate", 0, 480);
    int x = 0;
    for (const char* field : {"Id", "OrderDate", "Customer", "Region", "Qty", "Amount"}) {
        const auto column = d->PlaceFieldObject(std::string("{Orders.") + field + "}", x, 0);
        ph->PlaceTextObject(field, x, 960)->SetObjectWidth(column->ObjectWidth());
        x += column->ObjectWidth() + 240;
    }
    d->PlaceFieldObject("RecordNumber", 0, 480);
    ph->SetSectionHeight(1200);
    d->SetSectionHeight(960);
    report->FindSection("PF")
        ->PlaceFieldObject(pageCount ? "PageNofM" : "PageNumber", 0, 0)
        ->SetObjectWidth(2400);
    report->ApplyLayoutStyle(0);
    return report;
}

void BM_ListingFirst700Pages(benchmark::State& state) {
    const auto report = ListingReport(OrdersDatabase(false));
    double layoutTime = 0;
    double textTime = 0;
    double pdfTime = 0;
    std::size_t pages = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const page::Document doc = run::RenderReport(*report);
        const auto t1 = Clock::now();
        page::TextPainter painter;
        pages = doc.pages.size();
        for (std::size_t i = 0; i < std::min(pages, kListingPages); ++i) {
            page::PaintPage(doc.pages[i], painter);
        }
        benchmark::DoNotOptimize(painter.Text().size());
        const auto t2 = Clock::now();
#ifdef FOLIANT_BENCH_WITH_QT
        page::Document first = doc;
        first.pages.resize(std::min(pages, kListingPages));
        foliant::qt::WriteDocumentPdf(first,
                                      std::string(FOLIANT_BENCH_DATA_DIR) + "/listing-700.pdf");
#endif
        const auto t3 = Clock::now();
        layoutTime += Seconds(t1 - t0);
        textTime += Seconds(t2 - t1);
        pdfTime += Seconds(t3 - t2);
        state.SetIterationTime(Seconds(t3 - t0));
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["run_and_layout_ms"] = layoutTime / n * 1000;
    state.counters["text_700_pages_ms"] = textTime / n * 1000;
#ifdef FOLIANT_BENCH_WITH_QT
    state.counters["pdf_700_pages_ms"] = pdfTime / n * 1000;
#endif
}
BENCHMARK(BM_ListingFirst700Pages)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same listing over n orders, every page exported as foliant export does it: each page
// painted as soon as it is laid out and the bytes written to the file as they are made, as
// text and (with Qt) as PDF; with "Page N of M" in the footer (every page is laid out before
// the first goes out) and with the page number alone (pages go out as the records are read).
// pdf_malloc_peak_MB adds what Qt's own containers hold (they allocate with malloc, not
// operator new): the most malloc held, looked at every 64 pages, over what it held before.
// Figures: pages; layout_peak_MB, the heap held at most while the report ran and was laid out with
// every page held (the baseline); text_peak_MB and pdf_peak_MB, the most held while the export ran,
// run and layout included, and their ratios to the baseline; pdf_pages_per_s, pages over the time
// spent painting and writing the PDF.
void BM_ListingExport(benchmark::State& state) {
    const auto report =
        ListingReport(OrdersDatabase(false), static_cast<int>(state.range(0)), state.range(1) != 0);
    const std::string out = std::string(FOLIANT_BENCH_DATA_DIR) + "/listing";
    double layoutPeak = 0;
    double textPeak = 0;
    [[maybe_unused]] double pdfPeak = 0;
    [[maybe_unused]] double pdfSeconds = 0;
    [[maybe_unused]] double pdfMallocPeak = 0;
    std::size_t pages = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const long long before = heapNow.load();
        ResetPeak();
        pages = run::RenderReport(*report).pages.size();
        layoutPeak = static_cast<double>(heapPeak.load() - before);
        ResetPeak();
        foliant::engine::WriteFileAtomically(out + ".txt", [&](const auto& write) {
            page::TextPainter painter;
            run::RenderReportPages(*report, {}, {}, [&](page::Page&& p) {
                page::PaintPage(p, painter);
                write(painter.TakeText());
            });
        });
        textPeak = static_cast<double>(heapPeak.load() - before);
#ifdef FOLIANT_BENCH_WITH_QT
        ResetPeak();
        pdfSeconds = 0;
        const std::size_t mallocBefore = mallinfo2().uordblks;
        std::size_t mallocMost = mallocBefore;
        auto lastPage = Clock::now();
        foliant::qt::WritePdf(out + ".pdf", report->GetTitleText(), [&](auto& pdf) {
            run::RenderReportPages(*report, {}, {}, [&](page::Page&& p) {
                const auto t = Clock::now();
                pdf.Add(p);
                lastPage = Clock::now();
                pdfSeconds += Seconds(lastPage - t);
                if (p.number % 64 == 0) {
                    mallocMost = std::max(mallocMost, mallinfo2().uordblks);
                }
            });
        });
        pdfSeconds += Seconds(Clock::now() - lastPage); // the PDF's end, flushed and in place
        pdfPeak = static_cast<double>(heapPeak.load() - before);
        pdfMallocPeak = static_cast<double>(mallocMost - mallocBefore);
#endif
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["layout_peak_MB"] = layoutPeak / (1 << 20);
    state.counters["text_peak_MB"] = textPeak / (1 << 20);
    state.counters["text_vs_held"] = textPeak / layoutPeak;
#ifdef FOLIANT_BENCH_WITH_QT
    state.counters["pdf_peak_MB"] = pdfPeak / (1 << 20);
    state.counters["pdf_vs_held"] = pdfPeak / layoutPeak;
    state.counters["pdf_malloc_peak_MB"] = pdfMallocPeak / (1 << 20);
    state.counters["pdf_pages_per_s"] = static_cast<double>(pages) / pdfSeconds;
#endif
}
BENCHMARK(BM_ListingExport)
    ->ArgNames({"orders", "page_count"})
    ->Args({100'000, 1})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 0})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
#ifdef FOLIANT_BENCH_WITH_QT
    // The PDF writer needs Qt's font database, and the preview its window: an application
    // on the offscreen platform unless another is chosen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
