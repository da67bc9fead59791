// The same reports over the same data in SQLite and in PostgreSQL give the same text, byte for
// byte: every summary operation, every kind of group sorting, selection formulas with every
// operator (some pushed to the server, some evaluated by the engine), nulls, text with accents
// and mixed case, and moments written in several time zones.

#include "../RunTestSupport.h"
#include "PgServer.h"

#include "engine/page/TextPainter.h"
#include "generate/LayoutBuilder.h"

#include <sstream>

namespace foliant::engine::test {
namespace {

using generate::GroupChoice;
using generate::ReportChoices;
using generate::SummaryChoice;
using Op = SummaryOperation;

// The shop's data as SQL both databases read; only the type of moments with a zone differs.
std::string ShopSql(const std::string& momentType) {
    std::ostringstream sql;
    sql << "CREATE TABLE \"Customer\" (\"Id\" INT PRIMARY KEY, \"Name\" VARCHAR(30), "
           "\"Country\" TEXT, \"Since\" DATE, \"Active\" BOOLEAN);\n"
           "CREATE TABLE \"Orders\" (\"Id\" INT PRIMARY KEY, \"CustomerId\" INT REFERENCES "
           "\"Customer\" (\"Id\"), \"Amount\" NUMERIC(10,2), \"Quantity\" SMALLINT, "
           "\"OrderDate\" DATE, \"Shipped\" "
        << momentType << ", \"Rate\" DOUBLE PRECISION);\n";
    const char* names[] = {"Ann", "bob", "\xc3\x89mile", "Zo\xc3\xab", "ann", "Carl", "Dora"};
    const char* countries[] = {"France", "Germany", "Spain", "Italy", "Chile", "Peru"};
    const char* zones[] = {"+00:00", "+02:00", "-05:00", "+05:30", "-11:00"};
    for (int c = 1; c <= 14; ++c) {
        sql << "INSERT INTO \"Customer\" VALUES (" << c << ", "
            << (c % 9 == 0 ? std::string("NULL") : "'" + std::string(names[c % 7]) + "'") << ", '"
            << countries[(c * 5) % 6] << "', '20" << 10 + c % 9 << "-0" << 1 + c % 9 << "-1"
            << c % 10 << "', " << (c % 4 == 0 ? "NULL" : (c % 3 ? "'1'" : "'0'")) << ");\n";
    }
    for (int o = 1; o <= 90; ++o) {
        const int x = (o * 37) % 101;
        sql << "INSERT INTO \"Orders\" VALUES (" << o << ", " << 1 + (o * 5) % 14 << ", "
            << (o % 11 == 0 ? std::string("NULL")
                            : std::to_string(x * 3) + "." + std::to_string(x % 10) + "5")
            << ", " << (o % 13 == 0 ? std::string("NULL") : std::to_string(x % 7 + 1)) << ", "
            << (o % 17 == 0
                    ? std::string("NULL")
                    : "'2024-" + std::string(o % 12 < 9 ? "0" : "") + std::to_string(o % 12 + 1) +
                          "-" + std::to_string(10 + o % 18) + "'")
            << ", '2024-06-" << 10 + o % 5 << " " << 10 + o % 12 << ":" << 10 + o % 50 << ":00"
            << zones[o % 5] << "', "
            << (o % 19 == 0 ? std::string("NULL") : std::to_string(x / 7.0)) << ");\n";
    }
    return sql.str();
}

class SameResult : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        MakeDatabase(folder_.File("shop.db"), ShopSql("DATETIME"));
        PgServer::Shared().CreateDatabase("shop", ShopSql("timestamptz"));
        lite_ = new std::shared_ptr<DataSource>(DataSource::Open(folder_.File("shop.db")));
        pg_ = new std::shared_ptr<DataSource>(DataSource::Open(PgServer::Shared().Uri("shop")));
    }
    static void TearDownTestSuite() {
        delete lite_;
        delete pg_;
    }

    // Both reports' text, after checking that they agree.
    static void ExpectSame(const ReportChoices& choices, const std::string& why) {
        SCOPED_TRACE(why);
        const auto lite = Report::Create(*lite_);
        const auto pg = Report::Create(*pg_);
        generate::BuildReportLayout(*lite, choices);
        generate::BuildReportLayout(*pg, choices);
        const std::string expected = RunToText(*lite);
        EXPECT_EQ(RunToText(*pg), expected);
        EXPECT_GT(std::count(expected.begin(), expected.end(), '\n'), 8) << expected;
    }

    static TempDir folder_;
    // The two data sources, their schemas read once for every report.
    static std::shared_ptr<DataSource>* lite_;
    static std::shared_ptr<DataSource>* pg_;
};

TempDir SameResult::folder_;
std::shared_ptr<DataSource>* SameResult::lite_ = nullptr;
std::shared_ptr<DataSource>* SameResult::pg_ = nullptr;

// A summary-only report as the wizard makes it (details with no object, at their first
// height) computed by the database, its groups and summaries in SQL, gives the text the
// engine gives reading every record.
std::string ExpectPushedSameAsRead(const std::shared_ptr<DataSource>& source,
                                   const ReportChoices& choices, bool pushed = true) {
    const auto report = Report::Create(source);
    generate::BuildReportLayout(*report, choices);
    auto options = FixedRun();
    const auto result = run::RunReport(*report, options);
    EXPECT_EQ(result.groupsComputedByQuery, pushed) << result.query.sql;
    const std::string text = page::RenderText(run::LayOutReport(result, FixedSettings()));
    options.readEveryRecord = true;
    const auto read = run::RunReport(*report, options);
    EXPECT_FALSE(read.groupsComputedByQuery);
    EXPECT_EQ(text, page::RenderText(run::LayOutReport(read, FixedSettings())));
    return text;
}

TEST_F(SameResult, EverySummaryOperation) {
    GroupChoice byCountry{"Customer.Country"};
    for (int op = 0; op <= static_cast<int>(Op::NthMostFrequent); ++op) {
        SummaryChoice s{"Orders.Amount", static_cast<Op>(op)};
        if (SummaryNeedsSecondField(s.operation)) {
            s.secondField = "Orders.Rate";
        }
        s.number = 2;
        s.grandTotal = true;
        byCountry.summaries.push_back(s);
    }
    ExpectSame({"", "", {{"Customer.Name"}, {"Orders.Amount"}}, {byCountry}},
               "each operation per country and over the report");
    byCountry.summaries.push_back({"Orders.Quantity", Op::Mode});
    ExpectSame({"", "", {}, {byCountry}}, "a summary-only report");
}

TEST_F(SameResult, EveryGroupSortAndOrder) {
    const auto grouped = [](std::string field, GroupOrder order, generate::GroupSortChoice sort) {
        GroupChoice g{std::move(field), order, {{"Orders.Amount", Op::Sum}}, sort};
        return ReportChoices{"", "", {{"Orders.Id"}}, {g}};
    };
    using Mode = GroupSortMode;
    ExpectSame(grouped("Customer.Name", GroupOrder::Ascending, {}),
               "text groups in byte order, null names first");
    ExpectSame(grouped("Customer.Name", GroupOrder::Descending, {}), "descending, nulls last");
    ExpectSame(grouped("Orders.OrderDate", GroupOrder::Original, {}), "original order");
    ExpectSame(grouped("Customer.Active", GroupOrder::Ascending, {}), "Boolean groups");
    ExpectSame(grouped("Orders.Shipped", GroupOrder::Descending, {}), "moments across zones");
    ExpectSame(
        grouped("Customer.Country", GroupOrder::Ascending, {Mode::TopN, "Orders.Amount", 3, false}),
        "Top 3 with others");
    ExpectSame(grouped("Customer.Country", GroupOrder::Ascending,
                       {Mode::BottomN, "Orders.Amount", 2, true}),
               "Bottom 2, others dropped");
    ExpectSame(grouped("Customer.Country", GroupOrder::Ascending,
                       {Mode::SortAll, "Orders.Amount", 0, false, SortDirection::Descending}),
               "all groups by their sum");
    GroupChoice month{"Orders.OrderDate", GroupOrder::Descending, {{"Orders.Rate", Op::Average}}};
    month.summaries[0].grandTotal = true;
    ExpectSame({"", "", {{"Orders.Amount"}}, {{"Customer.Country"}, month}},
               "nested groups: each day of the order date under the country");
}

TEST_F(SameResult, SummaryOnlyReportsComputedByTheDatabase) {
    // Whole numbers for the arithmetic, text, dates and money for the ranked operations.
    const auto every = [](Op op) {
        const bool arithmetic = op == Op::Sum || op == Op::Average || op == Op::SampleVariance ||
                                op == Op::SampleStdDev || op == Op::PopulationVariance ||
                                op == Op::PopulationStdDev || SummaryNeedsSecondField(op);
        std::vector<SummaryChoice> out;
        for (const char* field :
             {"Orders.Quantity", "Orders.Amount", "Customer.Name", "Orders.OrderDate"}) {
            const bool number =
                field == std::string("Orders.Quantity") || field == std::string("Orders.Amount");
            if ((arithmetic && field != std::string("Orders.Quantity")) ||
                (!number && (op == Op::Median || op == Op::Percentile))) {
                continue;
            }
            SummaryChoice s{field, op, SummaryNeedsSecondField(op) ? "Orders.CustomerId" : ""};
            s.number = op == Op::Percentile ? 30 : 2;
            s.grandTotal = true;
            out.push_back(s);
        }
        return out;
    };
    for (int op = 0; op <= static_cast<int>(Op::NthMostFrequent); ++op) {
        SCOPED_TRACE(SummaryOperationName(static_cast<Op>(op)));
        GroupChoice byCountry{"Customer.Country", GroupOrder::Descending,
                              every(static_cast<Op>(op))};
        GroupChoice byName{"Customer.Name", GroupOrder::Ascending, every(static_cast<Op>(op))};
        const ReportChoices choices{"", "", {}, {byCountry, byName}};
        EXPECT_EQ(ExpectPushedSameAsRead(*pg_, choices), ExpectPushedSameAsRead(*lite_, choices));
    }
}

TEST_F(SameResult, GroupSortingOfPushedGroups) {
    using Mode = GroupSortMode;
    const generate::GroupSortChoice sorts[] = {
        {Mode::TopN, "Orders.Quantity", 3, false},
        {Mode::BottomN, "Orders.Quantity", 2, true},
        {Mode::TopN, "Orders.Amount", 2, true},
        {Mode::SortAll, "Orders.Quantity", 0, false, SortDirection::Descending},
        {Mode::SortAll, "Orders.Amount", 0, false, SortDirection::Ascending},
    };
    for (const auto& sort : sorts) {
        SCOPED_TRACE(sort.field + " " + std::to_string(static_cast<int>(sort.mode)));
        GroupChoice byName{"Customer.Name",
                           GroupOrder::Ascending,
                           {{"Orders.Quantity", Op::Sum, "", 0, true},
                            {"Orders.Amount", Op::Maximum},
                            {"Orders.Quantity", Op::Average}},
                           sort};
        const ReportChoices choices{"", "", {}, {{"Customer.Country"}, byName}};
        EXPECT_EQ(ExpectPushedSameAsRead(*pg_, choices), ExpectPushedSameAsRead(*lite_, choices));
    }
}

TEST_F(SameResult, WhatTheDatabaseCannotComputeIsRead) {
    // Others would gather medians, which do not merge; sums of money and of reals are not
    // sums of whole numbers.
    using Mode = GroupSortMode;
    const GroupChoice others{"Customer.Country",
                             GroupOrder::Ascending,
                             {{"Orders.Quantity", Op::Sum}, {"Orders.Quantity", Op::Median}},
                             {Mode::TopN, "Orders.Quantity", 2, false}};
    const GroupChoice money{
        "Customer.Country", GroupOrder::Ascending, {{"Orders.Amount", Op::Sum}}};
    const ReportChoices cases[] = {
        {"", "", {}, {others}},
        {"", "", {}, {money}},
        {"", "", {}, {{"Orders.OrderDate", GroupOrder::Ascending, {{"Orders.Rate", Op::Average}}}}},
    };
    for (const auto& choices : cases) {
        EXPECT_EQ(ExpectPushedSameAsRead(*pg_, choices, false),
                  ExpectPushedSameAsRead(*lite_, choices, false));
    }
}

TEST_F(SameResult, SelectionFormulasWithEveryOperator) {
    const char* formulas[] = {
        "{Orders.Amount} > 100 and {Orders.Amount} <= 250.05 or {Orders.Amount} < 20",
        "{Orders.Quantity} = 3 or {Orders.Quantity} <> 5 and not ({Orders.Quantity} >= 6)",
        "{Orders.Rate} in 3 to 9 or {Customer.Name} in ['Ann', 'bob', 'Zo\xc3\xab']",
        "{Customer.Name} like ['a*', '?ora'] or {Customer.Name} startswith 'C'",
        "{Customer.Name} like '\xc3\xa9*' or {Orders.OrderDate} in LastYearYTD",
        "{Orders.OrderDate} in Date(2024, 3, 1) to Date(2024, 8, 31) and "
        "{Orders.Shipped} >= DateTime(2024, 6, 12, 8, 0, 0)",
        "{Orders.Amount} * 2 - {Orders.Quantity} / 4 > 300 or {Orders.Quantity} mod 2 = 1",
        "{Customer.Country} & '-' & {Customer.Name} startswith 'Fr' or {Customer.Active}",
    };
    for (const char* formula : formulas) {
        ReportChoices choices{formula, "", {{"Customer.Name"}, {"Orders.Amount"}, {"Orders.Id"}}};
        choices.groups.push_back(
            {"Customer.Country", GroupOrder::Ascending, {{"Orders.Amount", Op::Sum, "", 0, true}}});
        ExpectSame(choices, formula);
    }
}

} // namespace
} // namespace foliant::engine::test
