#pragma once

// Reports over a PostgreSQL test database, for the PostgreSQL test programs.

#include "../RunTestSupport.h"
#include "PgServer.h"

#include "generate/LayoutBuilder.h"

#include <functional>

namespace foliant::engine::test {

// A listing of the given fields over the data source.
inline std::shared_ptr<Report> Listing(const std::shared_ptr<DataSource>& source,
                                       const std::vector<std::string>& fields) {
    auto report = Report::Create(source);
    generate::ReportChoices choices;
    for (const auto& f : fields) {
        choices.columns.push_back({f});
    }
    generate::BuildReportLayout(*report, choices);
    return report;
}

// Runs a listing of a million numbers, calling `midRun` at the first progress report, and
// returns the run's error.
inline std::string ErrorWhenInterrupted(const PgServer& server, const std::string& database,
                                        const std::function<void()>& midRun) {
    server.CreateDatabase(database, "CREATE VIEW many AS SELECT g AS x FROM "
                                    "generate_series(1, 1000000) g");
    const auto report = Listing(DataSource::Open(server.Uri(database)), {"many.x"});
    auto options = FixedRun();
    bool done = false;
    options.progress = [&](std::uint64_t) {
        if (!done) {
            done = true;
            midRun();
        }
        return true;
    };
    return ErrorOf([&] { run::RunReport(*report, options); });
}

} // namespace foliant::engine::test
