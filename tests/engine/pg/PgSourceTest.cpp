// PostgreSQL data sources against a real server of the test program's own: the schema as the
// wizard's tree shows it, values read as the engine's types, the URI kept without its
// password, and the failures a person meets (wrong password, no server, a missing table, a
// cancelled statement, a connection lost mid-run) told with the server's name.

#include "PgTestSupport.h"

#include "engine/ReportFile.h"
#include "engine/run/Runner.h"
#include "generate/LayoutBuilder.h"

#include <chrono>
#include <fstream>
#include <sstream>

namespace foliant::engine::test {
namespace {

PgServer& Server() {
    return PgServer::Shared();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(PgSource, SchemaShowsSearchPathTablesInOrderWithTypesAndCompositeLinks) {
    Server().CreateDatabase("schema", R"sql(
        CREATE TABLE region (country text, code int, name varchar(40),
                             PRIMARY KEY (country, code));
        CREATE TABLE shop (id int PRIMARY KEY, country text, region_code int, opened date,
                           FOREIGN KEY (country, region_code) REFERENCES region (country, code));
        CREATE TABLE kinds (i2 smallint, i4 integer, i8 bigint, n numeric(10,2), m money,
                            r real, d double precision, t text, c char(3), v varchar(12),
                            b boolean, dt date, tm time, ts timestamp, tz timestamptz,
                            by bytea, j jsonb);
        ALTER TABLE kinds DROP COLUMN j;
        ALTER TABLE kinds ADD COLUMN j jsonb;
        CREATE VIEW shop_names AS SELECT id FROM shop;
        CREATE SCHEMA hidden;
        CREATE TABLE hidden.secret (x int);
    )sql");
    const auto source = DataSource::Open(Server().Uri("schema"));

    std::vector<std::string> names;
    for (const auto& t : source->Tables()) {
        names.push_back(t->TableName() + (t->IsView() ? " (view)" : ""));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"region", "shop", "kinds", "shop_names (view)"}))
        << "tables in the order they were made; a schema off the search path is not shown";

    std::vector<std::string> columns;
    std::vector<ValueType> types;
    for (const auto& f : source->FindTable("kinds")->Fields()) {
        columns.push_back(f->ShortName());
        types.push_back(f->ValueType());
    }
    EXPECT_EQ(columns, (std::vector<std::string>{"i2", "i4", "i8", "n", "m", "r", "d", "t", "c",
                                                 "v", "b", "dt", "tm", "ts", "tz", "by", "j"}))
        << "column order, a dropped column left out";
    using VT = ValueType;
    EXPECT_EQ(types, (std::vector<VT>{VT::Int16, VT::Int32, VT::Number, VT::Currency, VT::Currency,
                                      VT::Number, VT::Number, VT::String, VT::String, VT::String,
                                      VT::Boolean, VT::Date, VT::Time, VT::DateTime, VT::DateTime,
                                      VT::Blob, VT::String}));
    EXPECT_EQ(source->FindTable("region")->FindField("name")->DeclaredLength(), 40);

    ASSERT_EQ(source->Links().size(), 1u);
    const auto& link = *source->Links()[0];
    EXPECT_EQ(link.FromTable(), "shop");
    EXPECT_EQ(link.FromFields(), (std::vector<std::string>{"country", "region_code"}));
    EXPECT_EQ(link.ToTable(), "region");
    EXPECT_EQ(link.ToFields(), (std::vector<std::string>{"country", "code"}));
}

TEST(PgSource, ValuesOfEveryTypeReadAsTheEngineReadsThemFromSqlite) {
    Server().CreateDatabase("kinds", R"sql(
        CREATE TABLE kinds (id int PRIMARY KEY, n numeric(10,2), m money, b boolean,
                            tz timestamptz, tm time, by bytea, j jsonb, c char(3));
        INSERT INTO kinds VALUES (1, 12.50, 1234.56, true, '2024-03-01 01:30:00+02:00',
                                  '23:59:58', '\x00ff10', '{"a": 1}', 'ab');
        INSERT INTO kinds (id) VALUES (2);
    )sql");
    const auto report = Listing(DataSource::Open(Server().Uri("kinds")),
                                {"kinds.n", "kinds.m", "kinds.b", "kinds.tz", "kinds.tm",
                                 "kinds.by", "kinds.j", "kinds.c"});
    const auto result = run::RunReport(*report, FixedRun());
    ASSERT_EQ(result.RecordCount(), 2u);
    const auto value = [&](std::uint32_t record, const std::string& column) {
        return result.StoredValue(record, *report->LookupFieldDefinition("{kinds." + column + "}"));
    };
    EXPECT_EQ(value(0, "n"), Value(12.5));
    EXPECT_EQ(value(0, "m"), Value(1234.56)) << "money whatever the server's currency format";
    EXPECT_EQ(value(0, "b"), Value(true));
    EXPECT_EQ(value(0, "tz"),
              Value(DateTime{(DaysFromCivil(2024, 2, 29) * 86400LL) + 23 * 3600 + 30 * 60}))
        << "a moment with a zone is read in UTC";
    EXPECT_EQ(value(0, "tm"), Value(TimeOfDay{23 * 3600 + 59 * 60 + 58}));
    EXPECT_EQ(value(0, "by"), Value(Bytes{0x00, 0xff, 0x10}));
    EXPECT_EQ(value(0, "j"), Value(std::string(R"({"a": 1})"))) << "other types as their text";
    EXPECT_EQ(value(0, "c"), Value(std::string("ab "))) << "char(n) keeps its padding";
    for (const char* column : {"n", "m", "b", "tz", "tm", "by", "j", "c"}) {
        EXPECT_TRUE(IsNull(value(1, column))) << column;
    }
}

TEST(PgSource, ReportFileKeepsTheUriWithoutThePasswordAndRunsWithAPasswordFile) {
    Server().CreateDatabase("saved", "CREATE TABLE t (id int PRIMARY KEY, name text);"
                                     "INSERT INTO t VALUES (1, 'one'), (2, 'two');");
    TempDir dir;
    const std::string rpt = dir.File("saved.rpt");
    const auto report = Listing(DataSource::Open(Server().Uri("saved")), {"t.name"});
    report->SetSelectionFormulaText("{t.id} > 1");
    SaveReportToFile(*report, rpt);
    const std::string text = ReadFile(rpt);
    EXPECT_EQ(text.find(PgServer::kPassword), std::string::npos) << text;
    EXPECT_NE(text.find(Server().Uri("saved", false)), std::string::npos) << text;

    const std::string passfile = dir.File("pgpass");
    std::ofstream(passfile) << "*:*:*:foliant:" << PgServer::kPassword << "\n";
    std::filesystem::permissions(passfile, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_write);
    ::setenv("PGPASSFILE", passfile.c_str(), 1);
    const auto loaded = LoadReportFromFile(rpt);
    const auto result = run::RunReport(*loaded, FixedRun());
    ::unsetenv("PGPASSFILE");
    ASSERT_EQ(result.RecordCount(), 1u);
    EXPECT_EQ(result.records[0][0], Value(std::string("two")));
    EXPECT_TRUE(result.selectionInQuery);
}

TEST(PgSource, ConnectionFailuresNameTheServerAndTheProblem) {
    const std::string wrong = "postgresql://foliant:wrong@/postgres?host=" + Server().Folder();
    const std::string refused = ErrorOf([&] { DataSource::Open(wrong); });
    EXPECT_NE(
        refused.find("Cannot connect to the PostgreSQL server postgresql://foliant@/postgres"),
        std::string::npos)
        << refused;
    EXPECT_NE(refused.find("password authentication failed"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("wrong"), std::string::npos) << "the password is never shown";

    TempDir empty;
    const std::string down = ErrorOf(
        [&] { DataSource::Open("postgresql://foliant@/postgres?host=" + empty.Path().string()); });
    EXPECT_NE(down.find("Cannot connect to the PostgreSQL server"), std::string::npos) << down;
    EXPECT_NE(down.find(empty.Path().string()), std::string::npos) << down;

    Server().CreateDatabase("dropped", "CREATE TABLE gone (id int);");
    const auto report = Listing(DataSource::Open(Server().Uri("dropped")), {"gone.id"});
    Server().Exec("dropped", "DROP TABLE gone");
    const std::string missing = ErrorOf([&] { run::RunReport(*report, FixedRun()); });
    EXPECT_NE(missing.find("PostgreSQL server " + Server().Uri("dropped", false)),
              std::string::npos)
        << missing;
    EXPECT_NE(missing.find("\"gone\" does not exist"), std::string::npos) << missing;
}

TEST(PgSource, CancelStopsTheStatementOnTheServer) {
    Server().CreateDatabase("slow", "CREATE VIEW slow AS SELECT g AS x FROM "
                                    "generate_series(1, 3) g WHERE pg_sleep(10) IS NOT NULL");
    const auto report = Listing(DataSource::Open(Server().Uri("slow")), {"slow.x"});
    auto options = FixedRun();
    int asked = 0;
    options.progress = [&](std::uint64_t) { return ++asked < 3; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(run::RunReport(*report, options), run::RunCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8))
        << "the cancel does not wait for the statement";
    const auto busy = Server().Scalar("slow", "SELECT count(*) FROM pg_stat_activity WHERE "
                                              "application_name = 'foliant' AND state = 'active'");
    EXPECT_EQ(busy, "0") << "the server is no longer running the statement";
}

TEST(PgSource, ConnectionLostMidRunNamesTheServer) {
    const std::string error = ErrorWhenInterrupted(Server(), "lost", [] {
        Server().Scalar("postgres", "SELECT count(pg_terminate_backend(pid)) FROM "
                                    "pg_stat_activity WHERE application_name = 'foliant' "
                                    "AND datname = 'lost'");
    });
    EXPECT_NE(error.find("Cannot read the report's records from the PostgreSQL server " +
                         Server().Uri("lost", false)),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("terminat"), std::string::npos) << error;
}

} // namespace
} // namespace foliant::engine::test
