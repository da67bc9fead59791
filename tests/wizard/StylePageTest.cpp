// The style and title page and the saving page: previews, the file dialog and the path offered.
#include "WizardTestSupport.h"

#include "platform/forms/UserActions.h"
#include "platform/shell/Shell.h"

#include <filesystem>

namespace foliant::wizard::test {
namespace {

void GoToPage(frmWizard& f, int page) {
    while (Wizard::State().CurrentPage < page && f.cmdNext.Enabled()) {
        f.cmdNext.UserClick();
    }
    ASSERT_EQ(Wizard::State().CurrentPage, page);
}

// Runs in a folder of its own, as a person who started the program there.
class SavePathTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        before_ = shell::CurrentDirectory();
        folder = dir.File("reports");
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(shell::SetCurrentDirectory(folder));
        folder = shell::CurrentDirectory();
    }
    void TearDown() override {
        shell::SetCurrentDirectory(before_);
        WizardTest::TearDown();
    }
    std::string folder;

private:
    std::string before_;
};

TEST_F(WizardTest, EachStyleShowsItsOwnPreview) {
    Run(MakeReport(), [](frmWizard& f) {
        GoToPage(f, 6);
        EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(103));
        forms::user::Select(f.StyleList, "Maroon/Teal Box");
        EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(112));
        forms::user::Select(f.StyleList, "Standard");
        EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(103));
        for (int i = 0; i < 10; ++i) {
            f.StyleList.UserSelect(i);
            EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(103 + i)) << i;
        }
        // No selection (only code can do that) leaves the preview as it was.
        f.StyleList.SetListIndex(-1);
        EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(112));
    });
}

TEST_F(SavePathTest, PageSevenOffersTheCurrentFolderAndTheTitleOnTheFirstVisitOnly) {
    Run(MakeReport(), [this](frmWizard& f) {
        GoToPage(f, 6);
        forms::user::Type(f.TitleText, "Sales");
        f.cmdNext.UserClick();
        EXPECT_EQ(f.SaveText.Text(), folder + "/Sales.rpt");
        EXPECT_EQ(f.SaveText.SelStart(), 0);
        // A later visit keeps the path, whatever the title became.
        f.cmdBack.UserClick();
        EXPECT_EQ(f.TitleText.SelStart(), 0);
        forms::user::Clear(f.TitleText);
        f.cmdNext.UserClick();
        EXPECT_EQ(f.SaveText.Text(), folder + "/Sales.rpt");
        // Emptied by the person, it is offered again, now without a title.
        forms::user::Clear(f.SaveText);
        f.cmdBack.UserClick();
        f.cmdNext.UserClick();
        EXPECT_EQ(f.SaveText.Text(), folder + "/Report1.rpt");
    });
}

TEST_F(SavePathTest, BrowseOpensInTheCurrentFolderWithTheTitleAndACancelKeepsThePath) {
    Run(MakeReport(), [this](frmWizard& f) {
        GoToPage(f, 7);
        EXPECT_EQ(f.SaveText.Text(), folder + "/Report1.rpt");
        backend->QueueFileCancel();
        f.Browse.UserClick();
        EXPECT_EQ(f.SaveText.Text(), folder + "/Report1.rpt");

        f.cmdBack.UserClick();
        forms::user::Type(f.TitleText, "Sales");
        f.cmdNext.UserClick();
        backend->QueueFile("/elsewhere/Q1.rpt");
        f.Browse.UserClick();
        EXPECT_EQ(f.SaveText.Text(), "/elsewhere/Q1.rpt");
        // The chosen path stays through later visits.
        f.cmdBack.UserClick();
        f.cmdNext.UserClick();
        EXPECT_EQ(f.SaveText.Text(), "/elsewhere/Q1.rpt");
    });
    const auto& dialogs = backend->FileDialogs();
    ASSERT_EQ(dialogs.size(), 2U);
    EXPECT_EQ(dialogs[0].fileName, "Report1.rpt");
    EXPECT_EQ(dialogs[0].initDir, folder);
    EXPECT_EQ(dialogs[0].filter, "Vellum Reports (*.rpt) | *.rpt");
    EXPECT_TRUE(dialogs[0].save);
    EXPECT_EQ(dialogs[1].fileName, "Sales.rpt");
    EXPECT_EQ(dialogs[1].initDir, folder);
}

} // namespace
} // namespace foliant::wizard::test
