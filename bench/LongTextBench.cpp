// Long unbroken text: wrapping one word far wider than a line, and exporting a report whose
// title is such a word. Times are the thread's processor time, so other work on the machine
// does not change the figures:
//   wrap_vs_short_words     wrapping one word of 1,000,000 characters, divided by wrapping
//                           100 words of 10,000: about 1 when wrapping is linear, about 100
//                           were it quadratic
//   export_ms               running and painting as text a 200-record report whose title
//                           (in the report header and the page header) is one word of
//                           100,000 characters
//   export_vs_short_titles  that time divided by the time for ten exports of the report with a
//                           title of 10,000 characters: about 0.1 when the cost of the title
//                           no longer grows with it (it is cut to what a page shows), about 1
//                           were it linear, about 10 were it quadratic

#include "engine/Report.h"
#include "engine/page/FontMetrics.h"
#include "engine/page/TextPainter.h"
#include "engine/run/Layout.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <string>

namespace {

using namespace foliant::engine;

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double SecondsToWrap(int count, std::size_t length) {
    const std::string word(length, 'x');
    const page::Font font;
    double seconds = 0;
    for (int i = 0; i < count; ++i) {
        const double start = ThreadSeconds();
        benchmark::DoNotOptimize(page::WrapText(word, 3600, font).size());
        seconds += ThreadSeconds() - start;
    }
    return seconds;
}

void BM_WrappingAMillionCharacterWord(benchmark::State& state) {
    double longTime = 0;
    double shortTime = 0;
    for (auto _ : state) {
        shortTime += SecondsToWrap(100, 10'000);
        const double seconds = SecondsToWrap(1, 1'000'000);
        longTime += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["wrap_vs_short_words"] = longTime / shortTime;
}
BENCHMARK(BM_WrappingAMillionCharacterWord)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// 200 orders, made once into the build folder.
std::string SmallDatabase() {
    const std::string path = std::string(FOLIANT_BENCH_DATA_DIR) + "/orders-200-v1.db";
    if (!std::filesystem::exists(path)) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer TEXT, Amount REAL);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     "200) INSERT INTO Orders SELECT i, 'Customer ' || i, i * 1.5 FROM n;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    return path;
}

std::shared_ptr<Report> TitledReport(std::size_t titleLength) {
    auto report = Report::CreateOverDatabase(SmallDatabase());
    report->SetTitleText(std::string(titleLength, 'x'));
    report->FindSection("RH")->PlaceFieldObject("ReportTitle", 0, 0)->SetObjectWidth(3600);
    report->FindSection("PH")->PlaceFieldObject("ReportTitle", 0, 0)->SetObjectWidth(3600);
    const auto d = report->FindSection("D");
    d->PlaceFieldObject("{Orders.Id}", 0, 0);
    d->PlaceFieldObject("{Orders.Customer}", 1500, 0);
    d->PlaceFieldObject("{Orders.Amount}", 5000, 0);
    return report;
}

double SecondsToExport(int count, std::size_t titleLength) {
    const auto report = TitledReport(titleLength);
    double seconds = 0;
    for (int i = 0; i < count; ++i) {
        const double start = ThreadSeconds();
        benchmark::DoNotOptimize(page::RenderText(run::RenderReport(*report)).size());
        seconds += ThreadSeconds() - start;
    }
    return seconds;
}

void BM_ExportingATitleOfOneLongWord(benchmark::State& state) {
    double longTime = 0;
    double shortTime = 0;
    for (auto _ : state) {
        shortTime += SecondsToExport(10, 10'000);
        const double seconds = SecondsToExport(1, 100'000);
        longTime += seconds;
        state.SetIterationTime(seconds);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["export_ms"] = longTime / n * 1000;
    state.counters["export_vs_short_titles"] = longTime / shortTime;
}
BENCHMARK(BM_ExportingATitleOfOneLongWord)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
