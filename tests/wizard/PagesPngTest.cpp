// Renders each of the seven pages of the wizard, over the sample database, to a PNG file in
// the build folder (wizard-pages/page1.png … page7.png) and checks that no two controls a
// person sees on a page overlap.
#include "WizardTestSupport.h"

#include "ui/qt/FormRender.h"

#include "platform/forms/UserActions.h"

#include <QImage>

#include <filesystem>

namespace foliant::wizard::test {
namespace {

bool Overlap(const forms::Rect& a, const forms::Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// Controls a person works with (not labels or rules, whose boxes are taller than their text)
// that are on screen and whose rectangles meet, as "A/B".
std::vector<std::string> Overlaps(const frmWizard& f) {
    std::vector<const forms::Control*> shown;
    for (const forms::Control* c : f.Controls()) {
        // Inside the form's client area and drawn; frames holding others are containers.
        const bool passive = c->Kind() == forms::ControlKind::Label ||
                             (c->Kind() == forms::ControlKind::Frame && c->Height() <= 150);
        if (!passive && c->HasWindow() && c->Visible() &&
            (!c->Container() || c->Container()->Visible()) && c->Top() < f.ScaleHeight() &&
            c->Container() == nullptr) {
            shown.push_back(c);
        }
    }
    std::vector<std::string> out;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            // The sort label lies under its combo box by design.
            const bool designed =
                shown[i]->Name() == "TopNSortLabel" && shown[j]->Name() == "TopNSortCombo";
            if (!designed && Overlap(shown[i]->Geometry(), shown[j]->Geometry())) {
                out.push_back(shown[i]->Name() + "/" + shown[j]->Name());
            }
        }
    }
    return out;
}

TEST_F(WizardTest, EveryPageRendersWithoutOverlappingControls) {
    const auto report = Report::CreateOverDatabase(FOLIANT_SAMPLE_DB);
    AddGroup(*report, "{Customers.Country}");
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    PlaceSummary(*report, "RF", "{Orders.Amount}", 0);
    PlaceField(*report, "D", "{Customers.CustomerName}", 0);
    PlaceField(*report, "D", "{Orders.OrderDate}", 2000);
    PlaceField(*report, "D", "{Orders.Amount}", 4000);
    report->SetTitleText("Sales by Country");
    const std::filesystem::path folder = std::filesystem::path(FOLIANT_BINARY_DIR) / "wizard-pages";
    std::filesystem::create_directories(folder);
    std::vector<int> pages;
    Run(report, [&](frmWizard& f) {
        // Show every page, the selection page included.
        Wizard::State().ReportHasContent = false;
        for (;;) {
            const int page = Wizard::State().CurrentPage;
            pages.push_back(page);
            const std::string path = (folder / ("page" + std::to_string(page) + ".png")).string();
            ASSERT_TRUE(qt::SaveFormPng(f, path)) << path;
            const QImage image(QString::fromStdString(path));
            EXPECT_EQ(image.width(), 7905 / 15);
            EXPECT_EQ(image.height(), 4710 / 15);
            EXPECT_EQ(Overlaps(f), std::vector<std::string>{}) << "page " << page;
            if (!f.cmdNext.Enabled()) {
                break;
            }
            f.cmdNext.UserClick();
        }
    });
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

// Saves the dialog as it is to wizard-pages/NAME.png and checks that what a person sees of it
// does not overlap.
void SavePage(frmWizard& f, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(FOLIANT_BINARY_DIR) / "wizard-pages";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / (name + ".png")).string();
    ASSERT_TRUE(qt::SaveFormPng(f, path)) << path;
    EXPECT_EQ(Overlaps(f), std::vector<std::string>{}) << name;
}

TEST_F(WizardTest, GroupPagesRenderTwoGroupsThreeSummariesAndBothSortLayoutsWithoutOverlaps) {
    const auto report = Report::CreateOverDatabase(FOLIANT_SAMPLE_DB);
    Run(report, [](frmWizard& f) {
        using forms::user::Select;
        f.cmdNext.UserClick();
        ClickField(f, "Customers", "Country");
        f.AddGroup.UserClick();
        ClickField(f, "Customers", "City");
        f.AddGroup.UserClick();
        SavePage(f, "groups-page2");

        f.cmdNext.UserClick();
        ClickField(f, "Orders", "Amount");
        f.AddTotal.UserClick();
        f.AddTotal.UserClick(); // Orders.Freight
        Select(f.SumCombo, "correlation");
        ClickField(f, "Orders", "Amount");
        f.AddTotal.UserClick();
        Select(f.SumCombo, "Nth largest");
        forms::user::Paste(f.PIsText, "3");
        SavePage(f, "groups-page3-n");
        f.TotalList.UserSelect(1);
        SavePage(f, "groups-page3-with");

        f.cmdNext.UserClick();
        SavePage(f, "groups-page4-sortall");
        Select(f.TopNSortCombo, 0);
        SavePage(f, "groups-page4-topn");
        f.TopNIncludeOthersCheck.UserCheck();
        SavePage(f, "groups-page4-topn-no-others");
    });
}

// The selection page in each arrangement of its value controls: one value, a range, a list
// and a period, each drawn to wizard-pages/page5-<layout>.png.
TEST_F(WizardTest, TheSelectionPageRendersEachValueLayoutWithoutOverlaps) {
    const std::filesystem::path folder = std::filesystem::path(FOLIANT_BINARY_DIR) / "wizard-pages";
    std::filesystem::create_directories(folder);
    Run(MakeReport(), [&](frmWizard& f) {
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 5);
        const auto save = [&](const std::string& layout) {
            const std::string path = (folder / ("page5-" + layout + ".png")).string();
            ASSERT_TRUE(qt::SaveFormPng(f, path)) << path;
            EXPECT_EQ(Overlaps(f), std::vector<std::string>{}) << layout;
        };
        ClickField(f, "Orders", "Amount");
        f.AddSelect.UserClick();
        f.ConditionCombo.UserSelect(7);
        f.ConditionTextCombo.UserType("100");
        save("single");
        f.ConditionCombo.UserSelect(9);
        f.ConditionTextCombo.UserType("10");
        f.SecondConditionText.UserType("250");
        save("range");
        ClickField(f, "Customer", "Country");
        f.AddSelect.UserClick();
        f.ConditionCombo.UserSelect(3);
        for (const char* country : {"France", "Spain", "Germany"}) {
            f.ConditionTextCombo.UserType(country);
            f.ConditionTextCombo.UserKeyDown(forms::kKeyReturn);
        }
        save("list");
        ClickField(f, "Customer", "Since");
        f.AddSelect.UserClick();
        f.ConditionCombo.UserSelect(11);
        f.ConditionTextCombo.UserSelect(6);
        save("period");
    });
}

} // namespace
} // namespace foliant::wizard::test
