// The headless backend: modal shows run the driver, message boxes and file dialogs take queued
// answers and are recorded; the window of a form acts as a person's would.
#include "TestForm.h"

#include "platform/forms/Dump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace foliant::forms {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::HeadlessScope;
using testing::TestForm;

TEST(Headless, ModalShowRunsTheDriverAndReturnsWhenTheFormIsUnloaded) {
    HeadlessScope scope;
    TestForm form;
    form.OnLoad = [&] { form.Log("Load"); };
    form.OnUnload = [&](int&) { form.Log("Unload"); };
    form.cmdCancel.Click = [&] { form.Unload(); };
    scope.backend->SetDriver([&](Form& shown) {
        EXPECT_EQ(&shown, &form);
        EXPECT_EQ(scope.backend->ActiveForm(), &form);
        EXPECT_TRUE(form.Visible());
        form.Log("driver");
        form.text.UserKeyDown(kKeyEscape);
        form.Log(form.Loaded() ? "still loaded" : "unloaded");
    });
    form.Show(true);
    EXPECT_THAT(form.TakeLog(), ElementsAre("Load", "driver", "Unload", "unloaded"));
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(scope.backend->ActiveForm(), nullptr);
}

TEST(Headless, NestedModalFormsRunTheDriverForEach) {
    HeadlessScope scope;
    TestForm wizard;
    TestForm preview;
    std::vector<std::string> shown;
    // Finish closes the wizard, then shows the preview modally from inside its handler.
    wizard.cmdOK.Click = [&] {
        wizard.Unload();
        preview.Show(true);
    };
    scope.backend->SetDriver([&](Form& form) {
        shown.push_back(std::to_string(scope.backend->ModalStack().size()));
        if (&form == &wizard) {
            wizard.cmdOK.UserClick();
        } else {
            preview.UserClose();
        }
    });
    wizard.Show(true);
    EXPECT_THAT(shown, ElementsAre("1", "2"));
    EXPECT_FALSE(preview.Loaded());
}

TEST(Headless, ADriverThatStopsEarlyLeavesTheFormUnloaded) {
    HeadlessScope scope;
    TestForm form;
    scope.backend->SetDriver([](Form&) {});
    form.Show(true);
    EXPECT_FALSE(form.Loaded());

    HeadlessScope noDriver;
    TestForm other;
    EXPECT_THROW(other.Show(true), DriverStop);
}

TEST(Headless, MessageBoxesTakeQueuedAnswersAndAreRecorded) {
    HeadlessScope scope;
    scope.backend->QueueAnswer(vbNo);
    scope.backend->QueueAnswer(vbOK);
    EXPECT_EQ(MsgBox("Replace it?", vbYesNo + vbExclamation, "Save As"), vbNo);
    EXPECT_EQ(MsgBox("Please enter an integer.", vbInformation, "Warning"), vbOK);
    ASSERT_EQ(scope.backend->Boxes().size(), 2u);
    const auto& first = scope.backend->Boxes()[0];
    EXPECT_EQ(first.request.text, "Replace it?");
    EXPECT_EQ(first.request.buttons, vbYesNo);
    EXPECT_EQ(first.request.icon, vbExclamation);
    EXPECT_EQ(first.request.title, "Save As");
    EXPECT_EQ(first.result, vbNo);

    // No answer queued: the box is recorded and the driver is stopped.
    try {
        MsgBox(" programming error.");
        FAIL() << "expected a stop";
    } catch (const DriverStop& stop) {
        EXPECT_THAT(stop.Reason(), HasSubstr(" programming error."));
    }
    EXPECT_EQ(scope.backend->Boxes().size(), 3u);
    // An answer the box does not offer is a mistake in the driver.
    scope.backend->QueueAnswer(vbYes);
    EXPECT_THROW(MsgBox("Error text", vbOKOnly, "Error"), DriverStop);
}

TEST(Headless, FileDialogsTakeQueuedResultsAndCancelRaisesTheCancelError) {
    HeadlessScope scope;
    TestForm form;
    form.fileDialog.SetFilter("Vellum Reports (*.rpt) | *.rpt");
    form.fileDialog.SetFileName("Report1.rpt");
    form.fileDialog.SetInitDir("/tmp/reports");
    scope.backend->QueueFile("/tmp/reports/Sales.rpt");
    scope.backend->QueueFileCancel();

    form.fileDialog.ShowSave();
    EXPECT_EQ(form.fileDialog.FileName(), "/tmp/reports/Sales.rpt");
    try {
        form.fileDialog.ShowSave();
        FAIL() << "expected the cancel error";
    } catch (const FormsError& e) {
        EXPECT_EQ(e.Number(), kCancelError);
    }
    EXPECT_EQ(form.fileDialog.FileName(), "/tmp/reports/Sales.rpt"); // unchanged by the cancel
    ASSERT_EQ(scope.backend->FileDialogs().size(), 2u);
    EXPECT_EQ(scope.backend->FileDialogs()[0].fileName, "Report1.rpt");
    EXPECT_EQ(scope.backend->FileDialogs()[0].initDir, "/tmp/reports");
    EXPECT_EQ(scope.backend->FileDialogs()[1].fileName, "/tmp/reports/Sales.rpt");
    EXPECT_THROW(form.fileDialog.ShowSave(), DriverStop);
}

TEST(Headless, ClosingTheWindowAsksQueryUnloadWhichMayCancel) {
    HeadlessScope scope;
    TestForm form;
    int refusals = 1;
    form.OnQueryUnload = [&](int& cancel, int mode) {
        form.Log("QueryUnload " + std::to_string(mode));
        if (refusals-- > 0) {
            cancel = 1;
        }
    };
    form.OnUnload = [&](int&) { form.Log("Unload"); };
    EXPECT_THROW(form.UserClose(), UserActionRefused); // not shown
    form.Show();
    form.UserClose();
    EXPECT_TRUE(form.Loaded());
    form.UserClose();
    EXPECT_FALSE(form.Loaded());
    EXPECT_THAT(form.TakeLog(), ElementsAre("QueryUnload 0", "QueryUnload 0", "Unload"));
}

TEST(Headless, WindowPlacementStateAndResize) {
    HeadlessScope scope;
    scope.backend->SetScreenSize(19200, 14400);
    scope.backend->SetFrameExtents({60, 300, 60, 60});
    TestForm form;
    form.SetBorderStyle(BorderStyle::Sizable);
    int resizes = 0;
    form.OnResize = [&] { ++resizes; };
    form.Show();
    EXPECT_EQ(form.Width(), 6000 + 120);
    EXPECT_EQ(form.Height(), 4000 + 360);
    EXPECT_EQ(form.Left(), (19200 - 6120) / 2);
    EXPECT_EQ(resizes, 1); // the first show

    form.UserMove(100, 200, 7120, 5360);
    EXPECT_EQ(form.ScaleWidth(), 7000);
    EXPECT_EQ(form.ScaleHeight(), 5000);
    EXPECT_EQ(resizes, 2);
    form.UserMove(300, 400, 7120, 5360); // a move without a size change
    EXPECT_EQ(resizes, 2);

    form.UserSetWindowState(WindowState::Maximized);
    EXPECT_EQ(resizes, 3);
    EXPECT_EQ(form.ScaleWidth(), 19200 - 120);
    EXPECT_THROW(form.UserMove(0, 0, 100, 100), UserActionRefused);
    EXPECT_THROW(form.Move(0, 0, 100, 100), FormsError);
    form.UserSetWindowState(WindowState::Normal);
    EXPECT_EQ(form.Left(), 300); // the normal placement is kept
    EXPECT_EQ(form.ScaleWidth(), 7000);

    TestForm dialog; // fixed dialogs move but do not size or maximize
    dialog.Show();
    EXPECT_THROW(dialog.UserSetWindowState(WindowState::Maximized), UserActionRefused);
    EXPECT_THROW(dialog.UserMove(0, 0, 1, 1), UserActionRefused);
}

TEST(Headless, DumpShowsEveryControlWithItsState) {
    HeadlessScope scope;
    TestForm form;
    form.list.AddItem("Alpha");
    form.list.SetItemData(0, 7);
    form.list.SetListIndex(0);
    form.cmdOK.SetToolTipText("Move to next page.");
    Node& root = form.tree.Nodes().Add("Database", "Database");
    root.SetExpanded(true);
    form.tree.Nodes().Add(&root, Relationship::Child, "", "Orders", "DatabaseTable");
    form.tree.SetSelectedItem(&root);
    form.picture.SetPicture(Picture::Resource(103));
    const auto dump = DumpForm(form);
    EXPECT_EQ(dump["default"], "cmdOK");
    EXPECT_EQ(dump["cancel"], "cmdCancel");
    ASSERT_EQ(dump["controls"].size(), form.Controls().size());
    const auto& controls = dump["controls"];
    EXPECT_EQ(controls[1]["tooltip"], "Move to next page.");
    EXPECT_EQ(controls[9]["items"], nlohmann::json::array({"Alpha"}));
    EXPECT_EQ(controls[9]["itemData"], nlohmann::json::array({7}));
    EXPECT_EQ(controls[9]["listIndex"], 0);
    EXPECT_EQ(controls[13]["nodes"][1]["parent"], 1);
    EXPECT_EQ(controls[13]["nodes"][0]["expanded"], true);
    EXPECT_EQ(controls[13]["selected"], 1);
    EXPECT_EQ(controls[14]["picture"], "103");
    EXPECT_EQ(Brief(form.list), "list VE #0 [Alpha]");
    EXPECT_EQ(Brief(form.cmdOK), "cmdOK VE default");
    EXPECT_EQ(Brief(form.tree), "tree VE @1 n=2");
}

} // namespace
} // namespace foliant::forms
