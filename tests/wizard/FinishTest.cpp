// Finish, pressed the way a person presses it: the report file's name in every form a person
// gives it, the overwrite question, a failed save and its retry, the file dialog cancelled in
// each output mode, the designer started (or not) through the file association, and a build
// or formula the report cannot take leaving the dialog open with every choice.
#include "WizardTestSupport.h"

#include "engine/ReportFile.h"
#include "platform/forms/UserActions.h"
#include "platform/shell/Shell.h"
#include "registry/RegObject.h"
#include "resources/Resources.h"
#include "tests/shell/TestSupport.h"
#include "tests/winreg/TempRegistry.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace foliant::wizard::test {
namespace {

namespace fs = std::filesystem;

// Runs in a folder of its own with an empty registry store and no desktop associations, as a
// person who started the program there on a fresh machine.
class FinishTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        before_ = shell::CurrentDirectory();
        folder = dir.File("reports");
        fs::create_directories(folder);
        ASSERT_TRUE(shell::SetCurrentDirectory(folder));
        folder = shell::CurrentDirectory();
    }
    void TearDown() override {
        shell::SetCurrentDirectory(before_);
        WizardTest::TearDown();
    }

    // Runs the wizard; the driver acts on the dialog, and a preview window that Finish opens
    // is counted and closed.
    void RunWizard(const std::shared_ptr<Report>& report,
                   const std::function<void(frmWizard&)>& driver) {
        component::VRStandardWizard wizard;
        wizard.SetVellumReport(report);
        backend->SetDriver([this, &driver](forms::Form& form) {
            if (auto* f = dynamic_cast<frmWizard*>(&form)) {
                driver(*f);
            } else {
                previews.push_back(form.Name());
                form.UserClose();
            }
        });
        wizard.DisplayReportWizard();
    }

    // Two columns and the title, then the last page with the path typed (or emptied) and the
    // output chosen.
    static void ChooseAndGoToLastPage(frmWizard& f, const std::string& title,
                                      const std::string& path, forms::OptionButton& output) {
        ClickField(f, "Customer", "Name");
        f.Add.UserClick();
        ClickField(f, "Orders", "Amount");
        f.Add.UserClick();
        while (Wizard::State().CurrentPage < 6) {
            f.cmdNext.UserClick();
        }
        forms::user::Type(f.TitleText, title);
        f.cmdNext.UserClick();
        if (path.empty()) {
            forms::user::Clear(f.SaveText);
        } else {
            forms::user::Type(f.SaveText, path);
        }
        output.UserClick();
    }

    // The columns of a saved report's details, by field name.
    static std::vector<std::string> SavedColumns(const std::string& path) {
        std::vector<std::string> names;
        const auto report = engine::LoadReportFromFile(path);
        for (const auto& object : report->FindSection("D")->Objects()) {
            names.push_back(object->field()->Name());
        }
        return names;
    }

    const std::vector<forms::HeadlessBackend::ShownBox>& Boxes() const { return backend->Boxes(); }

    std::string folder;
    std::vector<std::string> previews;
    foliant::testing::TempRegistry registry;
    foliant::testing::ScopedEnv dataHome{"XDG_DATA_HOME", dir.File("xdg-data")};
    foliant::testing::ScopedEnv dataDirs{"XDG_DATA_DIRS", dir.File("xdg-system")};
    foliant::testing::ScopedEnv path{"PATH", dir.File("no-programs")};

private:
    std::string before_;
};

const std::vector<std::string> kColumns = {"{Customer.Name}", "{Orders.Amount}"};

TEST_F(FinishTest, AnEmptyPathAsksForAFilePresetFromTheTitleAndCompletesTheExtension) {
    const auto report = MakeReport();
    RunWizard(report, [this](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", "", f.SaveOption);
        backend->QueueFile(folder + "/Chosen");
        f.FinishCmd.UserClick();
        EXPECT_FALSE(f.Loaded());
    });
    ASSERT_EQ(backend->FileDialogs().size(), 1U);
    EXPECT_EQ(backend->FileDialogs()[0].fileName, "Sales.rpt");
    EXPECT_EQ(SavedColumns(folder + "/Chosen.rpt"), kColumns);
    EXPECT_TRUE(previews.empty()) << "view later shows nothing";
    EXPECT_TRUE(Boxes().empty());

    // Without a title the dialog offers the default name.
    RunWizard(MakeReport(), [this](frmWizard& f) {
        ChooseAndGoToLastPage(f, "", "", f.SaveOption);
        backend->QueueFile(folder + "/Other.RPT");
        f.FinishCmd.UserClick();
    });
    EXPECT_EQ(backend->FileDialogs().back().fileName, "Report1.rpt");
    EXPECT_TRUE(shell::FileExists(folder + "/Other.RPT")) << "an ending in any case is kept";
}

TEST_F(FinishTest, ATypedFolderGetsTheTitleAndATypedNameTheExtension) {
    struct Case {
        std::string typed;
        std::string title;
        std::string saved;
        const char* why;
    };
    for (const char* sub : {"/a", "/b", "/c"}) {
        fs::create_directories(folder + sub);
    }
    const std::vector<Case> cases = {
        {folder + "/a/", "Sales", folder + "/a/Sales.rpt", "a folder takes the title"},
        {folder + "/b\\", "Sales", folder + "/b/Sales.rpt", "a backslash ends a folder too"},
        {folder + "/c/", "", folder + "/c/.rpt", "a folder without a title: only .rpt"},
        {"  " + folder + "/typed  ", "Sales", folder + "/typed.rpt", "blanks go, .rpt comes"},
        {folder + "/Kept.Rpt", "Sales", folder + "/Kept.Rpt", "the ending in any case"},
    };
    for (const Case& c : cases) {
        RunWizard(MakeReport(), [&](frmWizard& f) {
            ChooseAndGoToLastPage(f, c.title, c.typed, f.SaveOption);
            f.FinishCmd.UserClick();
        });
        EXPECT_EQ(SavedColumns(c.saved), kColumns) << c.why;
    }
    EXPECT_TRUE(backend->FileDialogs().empty()) << "a typed name needs no file dialog";
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FinishTest, AnExistingFileIsReplacedOnYesAndOnNoStaysWithTheDialogOpenAndEveryChoice) {
    const std::string target = folder + "/Sales.rpt";
    shell::SetCurrentDirectory(folder);
    engine::test::WriteBytes(target, "old bytes");
    const auto report = MakeReport();
    RunWizard(report, [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", folder + "/Sales", f.SaveOption);
        backend->QueueAnswer(forms::vbNo);
        f.FinishCmd.UserClick();
        EXPECT_TRUE(f.Loaded());
        EXPECT_EQ(Wizard::State().CurrentPage, 7);
        EXPECT_EQ(f.ReportFieldList1.ListCount(), 2);
        EXPECT_EQ(f.TitleText.Text(), "Sales");
        EXPECT_EQ(engine::test::ReadBytes(target), "old bytes");
        EXPECT_TRUE(report->FindSection("D")->Objects().empty()) << "nothing was built";

        backend->QueueAnswer(forms::vbYes);
        f.FinishCmd.UserClick();
        EXPECT_FALSE(f.Loaded());
    });
    ASSERT_EQ(Boxes().size(), 2U);
    EXPECT_EQ(Boxes()[0].request.text, target + resources::LoadResString(320));
    EXPECT_EQ(Boxes()[0].request.title, resources::LoadResString(319));
    EXPECT_EQ(Boxes()[0].request.buttons, forms::vbYesNo);
    EXPECT_EQ(Boxes()[0].request.icon, forms::vbExclamation);
    EXPECT_EQ(SavedColumns(target), kColumns);
}

TEST_F(FinishTest, AFailedSaveSaysWhyAndAsksAgainAndACancelThereStillShowsThePreview) {
    RunWizard(MakeReport(), [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", folder + "/missing/Sales.rpt", f.QuickPreviewOption);
        backend->QueueAnswer(forms::vbOK);
        backend->QueueFile(folder + "/missing-too/Again");
        backend->QueueAnswer(forms::vbOK);
        backend->QueueFile(folder + "/Again");
        f.FinishCmd.UserClick();
    });
    ASSERT_EQ(Boxes().size(), 2U);
    EXPECT_EQ(Boxes()[0].request.title, resources::LoadResString(131));
    EXPECT_NE(Boxes()[0].request.text.find("missing"), std::string::npos)
        << Boxes()[0].request.text;
    EXPECT_EQ(backend->FileDialogs().size(), 2U);
    EXPECT_EQ(backend->FileDialogs()[0].fileName, "Sales.rpt") << "the retry is preset as well";
    EXPECT_EQ(SavedColumns(folder + "/Again.rpt"), kColumns);
    EXPECT_EQ(previews, std::vector<std::string>{"QuickView"});

    // A cancel of the retry: nothing saved, and the preview shows the built report all the same.
    previews.clear();
    const auto report = MakeReport();
    RunWizard(report, [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", folder + "/missing/Sales.rpt", f.QuickPreviewOption);
        backend->QueueAnswer(forms::vbOK);
        backend->QueueFileCancel();
        f.FinishCmd.UserClick();
    });
    EXPECT_EQ(previews, std::vector<std::string>{"QuickView"});
    EXPECT_EQ(report->FindSection("D")->Objects().size(), 2U);
}

TEST_F(FinishTest, CancellingTheFileDialogBuildsAndClosesAndOnlyTheDesignerModeAsksFirst) {
    // View later: built, closed, nothing saved or shown.
    auto report = MakeReport();
    RunWizard(report, [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", "", f.SaveOption);
        backend->QueueFileCancel();
        f.FinishCmd.UserClick();
        EXPECT_FALSE(f.Loaded());
    });
    EXPECT_EQ(report->FindSection("D")->Objects().size(), 2U);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(previews.empty());

    // Preview: no question, the preview shows.
    RunWizard(MakeReport(), [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", "", f.QuickPreviewOption);
        backend->QueueFileCancel();
        f.FinishCmd.UserClick();
    });
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(previews.size(), 1U);

    // Designer: the question; No shows the dialog again, Yes goes on without a file.
    report = MakeReport();
    RunWizard(report, [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", "", f.VRWDesignerOption);
        backend->QueueFileCancel();
        backend->QueueAnswer(forms::vbNo);
        backend->QueueFileCancel();
        backend->QueueAnswer(forms::vbYes);
        f.FinishCmd.UserClick();
        EXPECT_FALSE(f.Loaded());
    });
    ASSERT_EQ(Boxes().size(), 2U);
    EXPECT_EQ(Boxes()[0].request.text, resources::LoadResString(127));
    EXPECT_EQ(Boxes()[0].request.title, resources::LoadResString(128));
    EXPECT_EQ(Boxes()[0].request.buttons, forms::vbYesNo);
    EXPECT_EQ(Boxes()[0].request.icon, 0);
    EXPECT_EQ(backend->FileDialogs().size(), 4U);
    EXPECT_EQ(report->FindSection("D")->Objects().size(), 2U);
    EXPECT_EQ(previews.size(), 1U) << "the designer mode shows no preview";
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(FinishTest, TheDesignerModeStartsTheRegisteredProgramWithTheQuotedFileOrSaysItCannot) {
    // Nothing registered: the file is saved, then the message.
    RunWizard(MakeReport(), [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", folder + "/With Space", f.VRWDesignerOption);
        backend->QueueAnswer(forms::vbOK);
        f.FinishCmd.UserClick();
    });
    ASSERT_EQ(Boxes().size(), 1U);
    EXPECT_EQ(Boxes()[0].request.text, resources::LoadResString(129));
    EXPECT_EQ(Boxes()[0].request.title, resources::LoadResString(131));
    EXPECT_EQ(Boxes()[0].request.icon, forms::vbExclamation);
    EXPECT_EQ(SavedColumns(folder + "/With Space.rpt"), kColumns);

    // A program registered for report files gets the saved file as its one argument.
    const std::string program = dir.File("designer.sh");
    const std::string seen = dir.File("designer-saw.txt");
    {
        std::ofstream script(program);
        script << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" << seen << ".tmp'\n/bin/mv '"
               << seen << ".tmp' '" << seen << "'\n";
    }
    fs::permissions(program, fs::perms::owner_all);
    registry::RegObject reg;
    reg.CreateEXEAssociation(program, "Foliant.Report", "Report", "rpt", -1);
    RunWizard(MakeReport(), [&](frmWizard& f) {
        ChooseAndGoToLastPage(f, "Sales", folder + "/With Space", f.VRWDesignerOption);
        backend->QueueAnswer(forms::vbYes); // replace the first run's file
        f.FinishCmd.UserClick();
    });
    EXPECT_EQ(Boxes().size(), 2U) << "only the overwrite question";
    // The program runs on its own; wait for what it wrote.
    for (int i = 0; i < 200 && !shell::FileExists(seen); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(engine::test::ReadBytes(seen), "1\n" + folder + "/With Space.rpt\n");
}

TEST_F(FinishTest, FinishChecksTheFormulaOnAnyPageAndABuildTheReportRefusesKeepsTheDialog) {
    RunWizard(MakeReport(), [&](frmWizard& f) {
        ClickField(f, "Orders", "Amount");
        f.Add.UserClick();
        // Finish straight from page 1 works: the default path is offered by page 7 only, so
        // the file dialog asks.
        backend->QueueFile(folder + "/First");
        f.FinishCmd.UserClick();
        EXPECT_FALSE(f.Loaded());
    });
    EXPECT_EQ(SavedColumns(folder + "/First.rpt"), std::vector<std::string>{"{Orders.Amount}"});

    // A build that cannot be done (here an N no page would take, written into the state as a
    // damaged import could leave it): the error under "Error", nothing saved, the dialog open
    // on its page with every choice.
    const auto report = MakeReport();
    RunWizard(report, [&](frmWizard& f) {
        ClickField(f, "Orders", "Amount");
        f.Add.UserClick();
        f.cmdNext.UserClick();
        ClickField(f, "Customer", "Country");
        f.AddGroup.UserClick();
        f.cmdNext.UserClick();
        ClickField(f, "Orders", "Amount");
        f.AddTotal.UserClick();
        Wizard::State().SummaryOperation(1) = 15; // Nth largest
        Wizard::State().SummaryParameter(1) = "x";
        backend->QueueFile(folder + "/Never");
        backend->QueueAnswer(forms::vbOK);
        f.FinishCmd.UserClick();
        EXPECT_TRUE(f.Loaded());
        EXPECT_EQ(Wizard::State().CurrentPage, 3);
        EXPECT_EQ(f.TotalList.ListCount(), 1);
        f.cmdCancel.UserClick();
    });
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes().back().request.title, resources::LoadResString(131));
    EXPECT_NE(Boxes().back().request.text.find("whole number"), std::string::npos);
    EXPECT_FALSE(shell::FileExists(folder + "/Never.rpt"));
}

TEST_F(FinishTest, ARejectedFormulaStopsFinishOnTheSelectionPageWithNothingChanged) {
    const auto report = MakeReport();
    RunWizard(report, [&](frmWizard& f) {
        ClickField(f, "Orders", "Amount");
        f.Add.UserClick();
        while (Wizard::State().CurrentPage < 5) {
            f.cmdNext.UserClick();
        }
        ClickField(f, "Orders", "Amount");
        f.AddSelect.UserClick();
        forms::user::Select(f.ConditionCombo, 1); // is equal to
        forms::user::Type(f.ConditionTextCombo, "not a number");
        backend->QueueAnswer(forms::vbOK);
        f.FinishCmd.UserClick();
        EXPECT_TRUE(f.Loaded());
        EXPECT_EQ(Wizard::State().CurrentPage, 5);
        EXPECT_EQ(f.SelectList.ListCount(), 1);
        f.cmdCancel.UserClick();
    });
    ASSERT_EQ(Boxes().size(), 1U);
    EXPECT_EQ(Boxes()[0].request.title, resources::LoadResString(131));
    EXPECT_TRUE(backend->FileDialogs().empty()) << "the check comes before the file name";
    EXPECT_TRUE(report->FindSection("D")->Objects().empty());
    EXPECT_EQ(report->GetSelectionFormulaText(), "");
}

} // namespace
} // namespace foliant::wizard::test
