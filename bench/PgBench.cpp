// Reports over a PostgreSQL server of the benchmark's own, with 10,000,000 orders generated
// on the server. Figures:
//   top5_vs_libpq     a summary-only Top-5 report (the server groups and sums; only the groups
//                     travel) against the same GROUP BY sent through libpq in this process
//   listing_MB        the peak resident memory of this process after a 1,000,000-record
//                     listing was run and exported to text
// Each timing is the best of three runs. The server runs as in the PostgreSQL tests: initdb
// into a temporary folder, a Unix socket there, no TCP.

#include "PgServer.h"

#include "engine/Report.h"
#include "engine/page/TextPainter.h"
#include "engine/run/Layout.h"
#include "engine/run/Runner.h"
#include "generate/LayoutBuilder.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>

namespace {

using foliant::engine::DataSource;
using foliant::engine::GroupOrder;
using foliant::engine::GroupSortMode;
using foliant::engine::Report;
using foliant::engine::SummaryOperation;
using foliant::engine::test::PgServer;
namespace run = foliant::engine::run;
namespace generate = foliant::generate;

constexpr const char* kOrders =
    "CREATE TABLE customer (id int PRIMARY KEY, name text NOT NULL);"
    "INSERT INTO customer SELECT g, 'Customer ' || g FROM generate_series(1, 10000) g;"
    "CREATE TABLE orders (id int NOT NULL, customer_id int NOT NULL, quantity int,"
    " amount numeric(10,2), ordered date);"
    "INSERT INTO orders SELECT g, 1 + (g * 7919) % 10000, 1 + (g * 31) % 97,"
    " ((g * 131) % 100000) / 100.0, DATE '2020-01-01' + (g % 1500)::int"
    " FROM generate_series(1::bigint, 10000000) g;"
    // The keys once the rows are in: one index build and one check, not ten million.
    "ALTER TABLE orders ADD PRIMARY KEY (id);"
    "ALTER TABLE orders ADD FOREIGN KEY (customer_id) REFERENCES customer (id);"
    "VACUUM ANALYZE customer; VACUUM ANALYZE orders;";

double Seconds(const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

double PeakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The customers' orders with their quantities summed, the five largest and the rest, made as
// the wizard makes it (no detail field).
std::shared_ptr<Report> TopFive(const std::shared_ptr<DataSource>& source) {
    auto report = Report::Create(source);
    generate::ReportChoices choices;
    generate::GroupChoice byCustomer{"customer.name", GroupOrder::Ascending};
    byCustomer.summaries = {{"orders.quantity", SummaryOperation::Sum, "", 0, true},
                            {"orders.quantity", SummaryOperation::Count}};
    byCustomer.sort = {GroupSortMode::TopN, "orders.quantity", 5, false};
    choices.groups = {byCustomer};
    generate::BuildReportLayout(*report, choices);
    return report;
}

void MeasureListing(const PgServer& server) {
    const auto report = Report::Create(DataSource::Open(server.Uri("shop")));
    generate::ReportChoices choices;
    choices.selectionFormula = "{orders.id} <= 1000000";
    choices.columns = {{"orders.id"}, {"orders.quantity"}, {"orders.amount"}, {"orders.ordered"}};
    generate::BuildReportLayout(*report, choices);
    const double before = PeakResidentMB();
    std::size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        // As the text export writes it: page by page.
        std::ofstream out(server.Folder() + "/listing.txt");
        foliant::engine::page::TextPainter painter;
        run::RenderReportPages(*report, {}, {}, [&](foliant::engine::page::Page&& page) {
            foliant::engine::page::PaintPage(page, painter);
            const std::string text = painter.TakeText();
            bytes += text.size();
            out << text;
        });
    }
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("listing of 1,000,000 records to text: %.1f s, %zu bytes written\n", took, bytes);
    std::printf("listing_MB %.0f (peak resident; %.0f before the run; target < 200)\n",
                PeakResidentMB(), before);
}

void MeasureTopFive(const PgServer& server) {
    const auto report = TopFive(DataSource::Open(server.Uri("shop")));
    bool pushed = false;
    const double reportSeconds = Seconds([&] {
        const auto result = run::RunReport(*report);
        pushed = result.groupsComputedByQuery;
        run::LayOutReport(result);
    });
    const std::string sql = "SELECT customer.name, sum(orders.quantity), count(orders.quantity) "
                            "FROM orders JOIN customer ON customer.id = orders.customer_id "
                            "GROUP BY customer.name ORDER BY 2 DESC LIMIT 5";
    PGconn* conn = PQconnectdb(server.Uri("shop").c_str());
    const double libpqSeconds = Seconds([&] { PQclear(PQexec(conn, sql.c_str())); });
    PQfinish(conn);
    std::printf("top-5 report: %.3f s (%s); the GROUP BY through libpq: %.3f s\n", reportSeconds,
                pushed ? "computed by the server" : "records read", libpqSeconds);
    std::printf("top5_vs_libpq %.2f (target <= 1.1)\n", reportSeconds / libpqSeconds);
}

} // namespace

int main() {
    PgServer& server = PgServer::Shared();
    try {
        server.Start();
        const auto start = std::chrono::steady_clock::now();
        server.CreateDatabase("shop", kOrders);
        std::printf(
            "10,000,000 orders generated on the server in %.0f s\n",
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        MeasureListing(server);
        MeasureTopFive(server);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        server.Stop();
        return 1;
    }
    server.Stop();
    return 0;
}
