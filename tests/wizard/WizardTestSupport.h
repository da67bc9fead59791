#pragma once

// Runs the wizard headless over reports made on fresh SQLite databases.

#include "component/VRStandardWizard.h"
#include "component/Wizard.h"
#include "dialog/frmWizard.h"
#include "engine/Report.h"
#include "engine/ReportFile.h"
#include "platform/forms/HeadlessBackend.h"
#include "tests/engine/TestSupport.h"
#include "tests/locale/ScopedLocale.h"
#include "wizard/WizardState.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace foliant::wizard::test {

using locale::test::ScopedLocale;

using dialog::frmWizard;
using engine::Report;

// Customers and their orders, plus a table of columns the tree leaves out or shows only on
// the fields page: no declared type (15), BLOB (22), long text (14), date-time (16).
inline const char* kWizardSql = R"sql(
CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name VARCHAR(30), Country TEXT,
                       Since DATE, Photo BLOB, Notes MEMO);
CREATE TABLE Orders (Id INTEGER PRIMARY KEY, CustomerId INT REFERENCES Customer(Id),
                     Amount MONEY, Quantity SMALLINT, Shipped DATETIME, Rate REAL);
INSERT INTO Customer VALUES (1, 'Ann', 'France', '2020-01-02', NULL, 'n');
INSERT INTO Orders VALUES (1, 1, 10.5, 2, '2021-03-05 12:00:00', 0.5);
)sql";

// The page whose controls are shown, or -1 when controls of no page or of several are.
inline int ShownPage(const frmWizard& form) {
    const auto& ends = Wizard::State().PageControlEnd;
    int shown = -1;
    for (int page = 1; page <= ends.UBound(); ++page) {
        const int low = 9 + (page > 1 ? ends(page - 1) : 0);
        const int high = 9 + ends(page);
        bool any = false;
        for (const forms::Control* control : form.Controls()) {
            const int t = Wizard::TagNumber(*control);
            any = any || (t > low && t <= high && control->Visible());
        }
        if (any) {
            if (shown != -1) {
                return -1;
            }
            shown = page;
        }
    }
    return shown;
}

// Clicks the field node with that text under the named table of the database tree.
inline void ClickField(frmWizard& f, const std::string& table, const std::string& field) {
    for (forms::Node* t : f.DatabaseTreeView.Nodes().Item(1).ChildNodes()) {
        if (t->Text() == table) {
            for (forms::Node* node : t->ChildNodes()) {
                if (node->Text() == field) {
                    f.DatabaseTreeView.UserClickNode(*node);
                    return;
                }
            }
        }
    }
    FAIL() << "no field node " << table << "." << field;
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        Wizard::ResetState();
        backend = std::make_shared<forms::HeadlessBackend>();
        previous_ = forms::SetBackend(backend);
    }
    void TearDown() override {
        forms::SetBackend(previous_);
        Wizard::ResetState();
    }

    std::shared_ptr<Report> MakeReport(const char* sql = kWizardSql) {
        const std::string path = dir.File("db" + std::to_string(++databases_) + ".db");
        engine::test::MakeDatabase(path, sql);
        return Report::CreateOverDatabase(path);
    }

    // Assigns the report to a new wizard object and runs the wizard with the driver acting
    // on the dialog while it is shown.
    void Run(const std::shared_ptr<Report>& report, const std::function<void(frmWizard&)>& driver) {
        component::VRStandardWizard wizard;
        wizard.SetVellumReport(report);
        backend->SetDriver(
            [&driver](forms::Form& form) { driver(dynamic_cast<frmWizard&>(form)); });
        wizard.DisplayReportWizard();
    }

    engine::test::TempDir dir;
    std::shared_ptr<forms::HeadlessBackend> backend;

private:
    std::shared_ptr<forms::Backend> previous_;
    int databases_ = 0;
};

// Report building shortcuts over the engine.
inline std::shared_ptr<engine::ReportObject> PlaceField(Report& report, const std::string& section,
                                                        const std::string& field, int left = 0) {
    return report.FindSection(section)->PlaceFieldObject(field, left, 0);
}

inline void AddGroup(Report& report, const std::string& bracedField, int order = 0) {
    report.InsertGroup(report.GroupCount(), report.LookupFieldDefinition(bracedField), 14, order);
}

inline std::shared_ptr<engine::ReportObject>
PlaceSummary(Report& report, const std::string& section, const std::string& field, int operation,
             const automation::Variant& parameter = {}) {
    return report.FindSection(section)->PlaceSummaryObject(field, operation, 0, 0, parameter);
}

} // namespace foliant::wizard::test
