// Finish in the real window: Enter on the last page presses it, and so does the mouse; the
// saved file is read back through the engine. The last page and the finished report in the
// preview window are drawn to wizard-pages/finish-page7.png and wizard-pages/finished-report.png.
#include "GroupPagesSupport.h"

#include "ui/qt/FormWindow.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/ReportViewer.h"

#include "platform/shell/Shell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
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

void SavePicture(QWidget& widget, const char* name) {
    EXPECT_TRUE(widget.grab().save(QString::fromStdString((PictureFolder() / name).string())));
}

// A click on the blank part of an option button's row, right of its short caption.
void ClickOnRow(QRadioButton& option) {
    QTest::mouseClick(&option, Qt::LeftButton, {}, option.rect().center());
}

// Calls handle once with the first modal window other than the wizard's that opens.
class ModalWatcher : public QObject {
public:
    ModalWatcher(QWidget* wizard, std::function<void(QWidget&)> handle)
        : wizard_(wizard), handle_(std::move(handle)) {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != wizard_ && !seen_) {
                seen_ = true;
                timer_.stop();
                handle_(*modal);
            }
        });
        timer_.start();
    }
    bool Seen() const { return seen_; }

private:
    QWidget* wizard_;
    std::function<void(QWidget&)> handle_;
    QTimer timer_;
    bool seen_ = false;
};

class FinishWindowTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        qtBackend = std::make_shared<qt::QtBackend>();
        forms::SetBackend(qtBackend); // the fixture puts the previous backend back
    }

    // Chooses two columns, walks to the last page by Enter, gives a title on the way and
    // types the path on the last page.
    qt::FormWindow* ToLastPage(const std::string& path) {
        frmWizard& f = *Wizard::CurrentWizardForm();
        qt::FormWindow* window = qtBackend->WindowOf(f);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        window->activateWindow();
        ClickField(f, "Customer", "Name");
        f.Add.UserClick();
        ClickField(f, "Orders", "Amount");
        f.Add.UserClick();
        for (int i = 0; i < 7 && Wizard::State().CurrentPage < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        auto* title = qobject_cast<QLineEdit*>(window->WidgetFor("TitleText"));
        QTest::mouseClick(title, Qt::LeftButton);
        QTest::keyClicks(title, "Orders of Ann");
        QTest::keyClick(title, Qt::Key_Return);
        EXPECT_EQ(Wizard::State().CurrentPage, 7);
        auto* save = qobject_cast<QLineEdit*>(window->WidgetFor("SaveText"));
        QTest::mouseClick(save, Qt::LeftButton);
        QTest::keyClick(save, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(save, Qt::Key_Delete);
        QTest::keyClicks(save, QString::fromStdString(path));
        return window;
    }

    // Runs the wizard with the steps acting in its window. Whatever window is still open
    // after a few seconds (a step that failed, or a window nobody expected) is closed, so the
    // test ends either way.
    void RunWizard(const std::shared_ptr<Report>& report, const std::function<void()>& steps) {
        QElapsedTimer clock;
        clock.start();
        QTimer watchdog;
        watchdog.setInterval(100);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            if (clock.elapsed() > 10000) {
                QWidget* modal = QApplication::activeModalWidget();
                ADD_FAILURE() << "a window was still open after 10 s: "
                              << (modal ? modal->metaObject()->className() : "none") << " \""
                              << (modal ? modal->windowTitle().toStdString() : "") << "\"";
                if (modal != nullptr) {
                    modal->close();
                }
            }
        });
        watchdog.start();
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
        watchdog.stop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The saved file, read back, has the two columns under their headings and the title.
    static void ExpectSavedReport(const std::string& path) {
        ASSERT_TRUE(shell::FileExists(path));
        const auto saved = engine::LoadReportFromFile(path);
        std::vector<std::string> fields;
        for (const auto& object : saved->FindSection("D")->Objects()) {
            fields.push_back(object->field() ? object->field()->BracedName() : object->text());
        }
        EXPECT_EQ(fields, (std::vector<std::string>{"{Customer.Name}", "{Orders.Amount}"}));
        EXPECT_EQ(saved->GetTitleText(), "Orders of Ann");
    }

    std::shared_ptr<qt::QtBackend> qtBackend;
};

TEST_F(FinishWindowTest, EnterOnTheLastPagePressesFinishAndSavesForLater) {
    const std::string target = dir.File("later");
    bool pressed = false;
    RunWizard(MakeReport(), [&] {
        qt::FormWindow* window = ToLastPage(target);
        auto* later = qobject_cast<QRadioButton*>(window->WidgetFor("SaveOption"));
        ASSERT_NE(later, nullptr);
        ClickOnRow(*later);
        ASSERT_TRUE(Wizard::WizardForm().SaveOption.Value());
        ASSERT_FALSE(window->WidgetFor("cmdNext")->isEnabled());
        ASSERT_EQ(QApplication::focusWidget(), later);
        pressed = true;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "view later shows nothing";
    ExpectSavedReport(target + ".rpt");
}

TEST_F(FinishWindowTest, AClickOnFinishSavesAndShowsTheReportInThePreviewWindow) {
    const std::string target = dir.File("shown.rpt");
    int pages = 0;
    std::unique_ptr<ModalWatcher> preview;
    RunWizard(MakeReport(), [&] {
        qt::FormWindow* window = ToLastPage(target);
        SavePicture(*window, "finish-page7.png");
        // The preview is modal: it is looked at and closed from inside its own loop.
        preview = std::make_unique<ModalWatcher>(window, [&](QWidget& shown) {
            auto* viewer = shown.findChild<qt::ReportViewer*>();
            ASSERT_NE(viewer, nullptr);
            EXPECT_TRUE(QTest::qWaitFor([viewer] { return viewer->PageCount() > 0; }, 5000));
            pages = viewer->PageCount();
            SavePicture(shown, "finished-report.png");
            shown.close();
        });
        QTest::mouseClick(window->WidgetFor("FinishCmd"), Qt::LeftButton);
    });
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->Seen());
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
    EXPECT_GE(pages, 1);
    EXPECT_FALSE(Wizard::State().PreviewForm->Loaded()) << "closing the window unloads it";
    ExpectSavedReport(target);
}

TEST_F(FinishWindowTest, WithNoPathFinishAsksForTheFileInADialogPresetFromTheTitle) {
    const std::string chosen = dir.File("chosen");
    std::string preset;
    std::unique_ptr<ModalWatcher> files;
    RunWizard(MakeReport(), [&] {
        qt::FormWindow* window = ToLastPage("");
        ClickOnRow(*qobject_cast<QRadioButton*>(window->WidgetFor("SaveOption")));
        // The file dialog is modal: its name is read and typed over from inside its loop.
        files = std::make_unique<ModalWatcher>(window, [&](QWidget& shown) {
            auto* dialog = qobject_cast<QFileDialog*>(&shown);
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            preset = name->text().toStdString();
            name->selectAll();
            QTest::keyClicks(name, QString::fromStdString(chosen));
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            ASSERT_NE(buttons, nullptr);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
        });
        QTest::mouseClick(window->WidgetFor("FinishCmd"), Qt::LeftButton);
    });
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->Seen());
    EXPECT_EQ(preset, "Orders of Ann.rpt");
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
    ExpectSavedReport(chosen + ".rpt");
}

} // namespace
} // namespace foliant::wizard::test
