// The sample database loaded into PostgreSQL from its PostgreSQL script: the same tables and
// fields as the SQLite sample, and a report made over it as the wizard makes one gives the
// same pages as over the SQLite sample.

#include "PgTestSupport.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace foliant::engine::test {
namespace {

std::string SampleScript() {
    std::ifstream in(std::string(FOLIANT_SOURCE_DIR) + "/samples/sample-postgresql.sql");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(PgSample, LoadsWithTheSameSchemaAndGivesTheSameReport) {
    PgServer::Shared().CreateDatabase("sample", SampleScript());
    const auto lite = Report::CreateOverDatabase(FOLIANT_SAMPLE_DB);
    const auto pg = Report::CreateOverDatabase(PgServer::Shared().Uri("sample"));

    const auto names = [](const DataSource& source) {
        std::vector<std::string> out;
        for (const auto& t : source.Tables()) {
            for (const auto& f : t->Fields()) {
                out.push_back(f->Name());
            }
        }
        std::vector<std::string> links; // the two databases list a table's keys in either order
        for (const auto& l : source.Links()) {
            links.push_back(l->FromTable() + "->" + l->ToTable());
        }
        std::sort(links.begin(), links.end());
        out.insert(out.end(), links.begin(), links.end());
        return out;
    };
    EXPECT_EQ(names(*pg->GetDataSource()), names(*lite->GetDataSource()));

    generate::ReportChoices choices;
    choices.selectionFormula = "{Orders.OrderDate} in Date(2023, 1, 1) to Date(2023, 3, 31)";
    choices.title = "Orders by country";
    choices.columns = {{"Customers.CustomerName"}, {"Orders.OrderDate"}, {"Orders.Amount"}};
    generate::GroupChoice country{"Customers.Country"};
    country.summaries = {{"Orders.Amount", SummaryOperation::Sum, "", 0, true},
                         {"Orders.Amount", SummaryOperation::Median}};
    country.sort = {GroupSortMode::TopN, "Orders.Amount", 3, false};
    choices.groups = {country};
    generate::BuildReportLayout(*lite, choices);
    generate::BuildReportLayout(*pg, choices);
    const std::string expected = RunToText(*lite);
    EXPECT_EQ(RunToText(*pg), expected);
    EXPECT_NE(expected.find("Others"), std::string::npos) << expected;
}

} // namespace
} // namespace foliant::engine::test
