// Finish in the real window: Enter on the last page presses it, and so does the mouse; the
// preview window then shows the finished report's pages. The last page and the finished report
// are drawn to wizard-pages/finish-page7.png and wizard-pages/finished-report.png.
#include "GroupPagesSupport.h"

#include "ui/qt/FormWindow.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/ReportViewer.h"

#include "engine/ReportFile.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

namespace foliant::wizard::test {
namespace {

namespace fs = std::filesystem;

fs::path PictureFolder() {
    const fs::path folder = fs::path(FOLIANT_BINARY_DIR) / "wizard-pages";
    fs::create_directories(folder);
    return folder;
}

class FinishWindowTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        qtBackend = std::make_shared<qt::QtBackend>();
        forms::SetBackend(qtBackend); // the fixture puts the previous backend back
    }

    // Chooses two columns, walks to the last page by Enter and types the path there.
    qt::FormWindow* ToLastPage(const std::string& path) {
        frmWizard& f = *Wizard::CurrentWizardForm();
        qt::FormWindow* window = qtBackend->WindowOf(f);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        ClickField(f, "Customer", "Name");
        f.Add.UserClick();
        ClickField(f, "Orders", "Amount");
        f.Add.UserClick();
        while (Wizard::State().CurrentPage < 7) {
            QTest::keyClick(window, Qt::Key_Return);
        }
        auto* save = qobject_cast<QLineEdit*>(window->WidgetFor("SaveText"));
        save->selectAll();
        QTest::keyClicks(save, QString::fromStdString(path));
        return window;
    }

    void RunWizard(const std::shared_ptr<Report>& report, const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            steps();
            // A failed step leaves the window open: close it so the test ends.
            if (frmWizard* f = Wizard::CurrentWizardForm(); f != nullptr && f->Loaded()) {
                f->cmdCancel.UserClick();
            }
        });
        component::VRStandardWizard wizard;
        wizard.SetVellumReport(report);
        wizard.DisplayReportWizard();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::shared_ptr<qt::QtBackend> qtBackend;
};

TEST_F(FinishWindowTest, EnterOnTheLastPagePressesFinishAndSavesForLater) {
    const std::string target = dir.File("later.rpt");
    RunWizard(MakeReport(), [&] {
        qt::FormWindow* window = ToLastPage(target);
        auto* later = qobject_cast<QRadioButton*>(window->WidgetFor("SaveOption"));
        QTest::mouseClick(later, Qt::LeftButton);
        QTest::keyClick(window->WidgetFor("SaveText"), Qt::Key_Return);
    });
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
    ASSERT_TRUE(shell::FileExists(target));
    EXPECT_EQ(engine::LoadReportFromFile(target)->FindSection("D")->Objects().size(), 2U);
}

TEST_F(FinishWindowTest, AClickOnFinishSavesAndShowsTheReportInThePreviewWindow) {
    const std::string target = dir.File("shown.rpt");
    int pages = 0;
    RunWizard(MakeReport(), [&] {
        qt::FormWindow* window = ToLastPage(target);
        window->grab().save(
            QString::fromStdString((PictureFolder() / "finish-page7.png").string()));
        // The preview is modal: it is looked at and closed from inside its own loop.
        QTimer::singleShot(0, [&] {
            const auto& preview = Wizard::State().PreviewForm;
            ASSERT_NE(preview, nullptr);
            qt::FormWindow* shown = qtBackend->WindowOf(*preview);
            ASSERT_NE(shown, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
            auto* viewer = qobject_cast<qt::ReportViewer*>(shown->WidgetFor("vrViewer1"));
            ASSERT_NE(viewer, nullptr);
            QTest::qWaitFor([viewer] { return viewer->PageCount() > 0; }, 10000);
            pages = viewer->PageCount();
            shown->grab().save(
                QString::fromStdString((PictureFolder() / "finished-report.png").string()));
            shown->close();
        });
        QTest::mouseClick(window->WidgetFor("FinishCmd"), Qt::LeftButton);
    });
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
    EXPECT_TRUE(shell::FileExists(target));
    EXPECT_GE(pages, 1);
    EXPECT_FALSE(Wizard::State().PreviewForm->Loaded()) << "closing the window unloads it";
}

} // namespace
} // namespace foliant::wizard::test
