// foliant script --db with a postgresql:// URI: the wizard's tree over the sample data loaded
// into a server shows what it shows over the SQLite sample.

#include "../engine/RunTestSupport.h"
#include "../engine/pg/PgServer.h"
#include "../foliant/RunFoliant.h"

#include "engine/Report.h"
#include "engine/ReportFile.h"
#include "generate/LayoutBuilder.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <thread>

namespace foliant::engine::test {
namespace {

using cli_test::Quote;
using nlohmann::json;

// The nodes of the wizard's database tree on its second page, over the database given.
json TreeNodes(const std::filesystem::path& folder, const std::string& database) {
    std::ofstream(folder / "script.txt") << "click cmdNext\ndump\n";
    const auto r =
        cli_test::RunCaptured("cd " + Quote(folder.string()) + " && " + Quote(FOLIANT_EXE) +
                                  " script script.txt --db " + Quote(database),
                              folder);
    EXPECT_EQ(r.status, 0) << r.err;
    if (r.status != 0) {
        return {};
    }
    const json dump = json::parse(r.out);
    for (const auto& control : dump["form"]["controls"]) {
        if (control["name"] == "DatabaseTreeView") {
            return control["nodes"];
        }
    }
    ADD_FAILURE() << "no DatabaseTreeView in " << r.out;
    return {};
}

class PgCli : public cli_test::FolderTest {
protected:
    PgCli() : FolderTest("foliant-pg-cli") {}
};

// The address of the sample data loaded into the server (once for the program).
std::string SampleOnServer() {
    static const bool loaded = [] {
        std::ifstream in(std::string(FOLIANT_SOURCE_DIR) + "/samples/sample-postgresql.sql");
        std::stringstream script;
        script << in.rdbuf();
        PgServer::Shared().CreateDatabase("sample", script.str());
        return true;
    }();
    return loaded ? PgServer::Shared().Uri("sample") : "";
}

TEST_F(PgCli, TheWizardsTreeOverAServerIsTheTreeOverTheSample) {
    const json overServer = TreeNodes(dir, SampleOnServer());
    const json overFile = TreeNodes(dir, FOLIANT_SAMPLE_DB);
    ASSERT_GT(overFile.size(), 20U);
    // The server has no long-text type: its text columns are plain text, which the tree shows
    // where the SQLite sample's MEMO and CLOB columns are left out. Everything else is the same.
    std::vector<std::string> server;
    std::vector<std::string> file;
    for (const auto& node : overServer) {
        const std::string tag = node["tag"];
        if (tag != "{Customers.Notes}" && tag != "{Products.Description}") {
            server.push_back(node["text"].get<std::string>() + " " + tag);
        }
    }
    for (const auto& node : overFile) {
        file.push_back(node["text"].get<std::string>() + " " + node["tag"].get<std::string>());
    }
    EXPECT_EQ(server, file);
    EXPECT_EQ(overServer.size(), overFile.size() + 2);
}

// The report a person makes in the wizard with groups and totals of whole numbers but no detail
// field, over the data source given, saved with Finish as the file named; its text as the engine
// prints it after checking that the database computed its groups and that reading every record
// gives the same pages.
std::string WizardSummaryReport(const std::filesystem::path& folder, const std::string& database,
                                const std::string& file) {
    std::ofstream(folder / "summary.txt")
        << "click cmdNext\n"
           "node DatabaseTreeView \"Country\"\nclick AddGroup\nclick cmdNext\n"
           "node DatabaseTreeView \"Priority\"\nclick AddTotal\n"
           "node DatabaseTreeView \"Priority\"\nclick AddTotal\nselect SumCombo \"average\"\n"
           "click cmdNext\nselect TopNSortCombo 0\ntype TopNText \"3\"\nclick cmdNext\n"
           "click cmdNext\nselect StyleList 7\ntype TitleText \"Countries\"\n"
           "click cmdNext\ntype SaveText \""
        << file << "\"\nclick SaveOption\nclick FinishCmd\n";
    const auto made =
        cli_test::RunCaptured("cd " + Quote(folder.string()) + " && " + Quote(FOLIANT_EXE) +
                                  " script summary.txt --db " + Quote(database),
                              folder);
    EXPECT_EQ(made.status, 0) << made.err;
    const auto report = LoadReportFromFile((folder / file).string());
    auto options = FixedRun();
    const auto pushed = run::RunReport(*report, options);
    EXPECT_TRUE(pushed.groupsComputedByQuery) << database;
    const std::string text = page::RenderText(run::LayOutReport(pushed, FixedSettings()));
    options.readEveryRecord = true;
    EXPECT_EQ(
        page::RenderText(run::LayOutReport(run::RunReport(*report, options), FixedSettings())),
        text)
        << database;
    return text;
}

TEST_F(PgCli, AWizardMadeSummaryReportIsComputedByTheDatabaseWithTheSamePages) {
    std::filesystem::copy_file(FOLIANT_SAMPLE_DB, dir / "sample.db");
    const std::string overFile = WizardSummaryReport(dir, "sample.db", "file.rpt");
    // The report file keeps the server's address without the password.
    ::setenv("PGPASSWORD", PgServer::kPassword, 1);
    EXPECT_EQ(WizardSummaryReport(dir, SampleOnServer(), "server.rpt"), overFile);
    EXPECT_NE(overFile.find("Others"), std::string::npos) << overFile;
}

// Stops the shared server: this test comes last in the program.
TEST_F(PgCli, ConnectionLostWhileExportingKeepsTheEarlierExport) {
    PgServer& server = PgServer::Shared();
    server.CreateDatabase("lost", "CREATE VIEW many AS SELECT g AS x, repeat('x', 40) AS t "
                                  "FROM generate_series(1, 2000000) g");
    const auto report = Report::Create(DataSource::Open(server.Uri("lost")));
    generate::ReportChoices choices;
    choices.columns = {{"many.x"}, {"many.t"}};
    generate::BuildReportLayout(*report, choices);
    report->SaveToFile((dir / "many.rpt").string());
    const std::string earlier = "the export of yesterday\n";
    std::ofstream(dir / "many.txt") << earlier;

    cli_test::Outcome outcome;
    std::thread exporting([&] {
        outcome = cli_test::RunCaptured("cd " + Quote(dir.string()) +
                                            " && PGPASSWORD=" + PgServer::kPassword + " " +
                                            Quote(FOLIANT_EXE) + " export many.rpt --text many.txt",
                                        dir);
    });
    // Stopped once the export's query is streaming records.
    const std::string active = "SELECT count(*) FROM pg_stat_activity WHERE datname = 'lost' "
                               "AND state = 'active' AND query LIKE '%many%'";
    for (int i = 0; i < 400 && server.Scalar("postgres", active) != "1"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    server.Kill();
    exporting.join();

    EXPECT_EQ(outcome.status, 1) << outcome.out;
    EXPECT_NE(outcome.err.find("PostgreSQL server " + server.Uri("lost", false)), std::string::npos)
        << outcome.err;
    EXPECT_EQ(cli_test::Slurp(dir / "many.txt"), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              4)
        << "no temporary file is left beside the export";
}

} // namespace
} // namespace foliant::engine::test
