#pragma once

// A saved report over a small shop, opened as the design window opens it.

#include "design/DesignDocument.h"
#include "engine/ReportFile.h"
#include "generate/LayoutBuilder.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace foliant::design::test {

inline const char* kOrdersSql = R"sql(
CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer VARCHAR(20), Country VARCHAR(20),
                     Amount MONEY);
INSERT INTO Orders VALUES (1, 'Ann', 'France', 10.5), (2, 'Bob', 'France', 20),
                          (3, 'Cid', 'Spain', 7.25), (4, 'Dan', 'Spain', 1);
)sql";

class DesignTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine::test::MakeDatabase(dir.File("shop.db"), kOrdersSql);
        auto report = engine::Report::CreateOverDatabase(dir.File("shop.db"));
        generate::ReportChoices choices;
        choices.title = "Sales";
        choices.columns = {{"Orders.Customer"}, {"Orders.Amount"}};
        generate::GroupChoice group;
        group.field = "Orders.Country";
        group.summaries = {{"Orders.Amount", engine::SummaryOperation::Sum, {}, 0, true}};
        choices.groups = {group};
        generate::BuildReportLayout(*report, choices);
        path = dir.File("Sales.rpt");
        report->SaveToFile(path, 0);
        doc = DesignDocument::Open(path);
        doc->Run(Settings());
    }

    static engine::run::LayoutSettings Settings() {
        engine::run::LayoutSettings settings;
        settings.printTime = engine::TimeOfDay{12 * 3600};
        return settings;
    }

    // The place of the first object of the section named so whose kind is `kind`.
    ObjectPath Find(const std::string& section, engine::ObjectKind kind) const {
        const auto& report = doc->Report();
        for (int a = 0; a < static_cast<int>(report.Areas().size()); ++a) {
            const auto& s = *report.Areas()[static_cast<std::size_t>(a)]->Sections().front();
            for (int o = 0; o < static_cast<int>(s.Objects().size()); ++o) {
                if (s.Name() == section &&
                    s.Objects()[static_cast<std::size_t>(o)]->Kind() == kind) {
                    return {a, 0, o};
                }
            }
        }
        ADD_FAILURE() << "no such object in " << section;
        return {};
    }

    // The text runs on the pages that read `text`.
    std::vector<engine::page::TextRun> RunsReading(const std::string& text) {
        std::vector<engine::page::TextRun> runs;
        for (const auto& page : doc->Pages().pages) {
            for (const auto& item : page.items) {
                const auto* run = std::get_if<engine::page::TextRun>(&item);
                if (run && run->text == text) {
                    runs.push_back(*run);
                }
            }
        }
        return runs;
    }

    engine::test::TempDir dir;
    std::string path;
    std::unique_ptr<DesignDocument> doc;
};

} // namespace foliant::design::test
