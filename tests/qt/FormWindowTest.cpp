// Real widgets driven with QTest: what a person does with the mouse and keyboard arrives as the
// model's user actions, and the model's changes show in the widgets without running handlers.
#include "Showcase.h"

#include "platform/forms/Backend.h"
#include "ui/qt/FormRender.h"
#include "ui/qt/FormWindow.h"
#include "ui/qt/QtBackend.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace foliant::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Showcase;

class RealWidgets : public ::testing::Test {
protected:
    void SetUp() override {
        forms::SetPictureProvider(testing::PlaceholderPicture);
        backend = std::make_shared<QtBackend>();
        previous = forms::SetBackend(backend);
        form = std::make_unique<Showcase>();
        Wire();
        form->Show();
        window = backend->WindowOf(*form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        log.clear();
    }
    void TearDown() override {
        form.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        forms::SetBackend(previous);
        forms::SetPictureProvider(nullptr);
    }
    void Wire() {
        Showcase& f = *form;
        f.next.Click = [this] { log.push_back("next.Click"); };
        f.cancel.Click = [this] { log.push_back("cancel.Click"); };
        f.add.Click = [this] { log.push_back("add.Click"); };
        f.fields.Click = [this] {
            log.push_back("fields.Click#" + std::to_string(form->fields.ListIndex()));
        };
        f.order.Click = [this] {
            log.push_back("order.Click#" + std::to_string(form->order.ListIndex()));
        };
        f.title.KeyPress = [this](int& key) {
            log.push_back("title.KeyPress " + std::to_string(key));
            if (key == '!') {
                key = '?'; // a handler may replace the character
            }
        };
        f.title.Change = [this] { log.push_back("title.Change=" + form->title.Text()); };
        f.title.KeyDown = [this](int code) {
            log.push_back("title.KeyDown " + std::to_string(code));
        };
        f.grandTotal.Click = [this] {
            log.push_back("grandTotal.Click=" + std::to_string(form->grandTotal.Value()));
        };
        f.descending.Click = [this] { log.push_back("descending.Click"); };
        f.tree.NodeClick = [this](forms::Node& node) {
            log.push_back("tree.NodeClick " + node.Text());
        };
        f.tree.Click = [this] { log.push_back("tree.Click"); };
    }
    template <typename T> T* Widget(const std::string& name) {
        return qobject_cast<T*>(window->WidgetFor(name));
    }

    std::shared_ptr<QtBackend> backend;
    std::shared_ptr<forms::Backend> previous;
    std::unique_ptr<Showcase> form;
    FormWindow* window = nullptr;
    std::vector<std::string> log;
};

TEST_F(RealWidgets, AClickOnARealButtonRunsItsHandlerOnce) {
    QTest::mouseClick(Widget<QPushButton>("add"), Qt::LeftButton);
    EXPECT_THAT(log, ElementsAre("add.Click"));
    EXPECT_EQ(form->ActiveControl(), &form->add);
}

TEST_F(RealWidgets, ADisabledOrHiddenModelControlDisablesOrHidesItsWidget) {
    auto* add = Widget<QPushButton>("add");
    form->add.SetEnabled(false);
    EXPECT_FALSE(add->isEnabled());
    QTest::mouseClick(add, Qt::LeftButton);
    form->add.SetEnabled(true);
    form->add.SetVisible(false);
    EXPECT_FALSE(add->isVisible());
    EXPECT_THAT(log, IsEmpty());
    // A frame takes the controls inside it along.
    form->orderFrame.SetVisible(false);
    EXPECT_FALSE(Widget<QRadioButton>("descending")->isVisible());
    form->orderFrame.SetVisible(true);
    EXPECT_TRUE(Widget<QRadioButton>("descending")->isVisible());
}

TEST_F(RealWidgets, SelectingARowInARealListRunsTheClickHandlerOnce) {
    auto* list = Widget<QListWidget>("fields");
    const QPoint row1 = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1);
    EXPECT_THAT(log, ElementsAre("fields.Click#1"));
    EXPECT_EQ(form->fields.ListIndex(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1); // same row: no change
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_THAT(log, ElementsAre("fields.Click#1", "fields.Click#0"));
}

TEST_F(RealWidgets, ChoosingAnEntryOfARealComboRunsItsClickOnce) {
    auto* combo = Widget<QComboBox>("order");
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_THAT(log, ElementsAre("order.Click#1"));
    EXPECT_EQ(form->order.Text(), "Descending");
}

TEST_F(RealWidgets, TypingIntoARealTextBoxRunsKeyPressAndChange) {
    auto* edit = Widget<QLineEdit>("title");
    edit->setFocus();
    edit->selectAll();
    EXPECT_EQ(edit->text(), "Sales"); // the model's text was there before the window
    QTest::keyClicks(edit, "Hi!");
    EXPECT_EQ(form->title.Text(), "Hi?");
    EXPECT_EQ(edit->text(), "Hi?");
    EXPECT_THAT(log, ElementsAre("title.KeyPress 72", "title.Change=H", "title.KeyPress 105",
                                 "title.Change=Hi", "title.KeyPress 33", "title.Change=Hi?"));
    log.clear();
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(form->title.Text(), "Hi");
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(form->title.Text(), "i");
    EXPECT_EQ(edit->text(), "i");
    EXPECT_THAT(log, ElementsAre("title.KeyPress 8", "title.Change=Hi", "title.KeyDown 36",
                                 "title.Change=i"));
}

TEST_F(RealWidgets, TheCaretAPersonPlacesIsWhereTypingGoes) {
    auto* edit = Widget<QLineEdit>("title");
    edit->setFocus();
    edit->setCursorPosition(2); // as a click between "Sa" and "les" would
    EXPECT_EQ(form->title.SelStart(), 2);
    QTest::keyClicks(edit, "X");
    EXPECT_EQ(form->title.Text(), "SaXles");
    EXPECT_EQ(edit->cursorPosition(), 3);
    EXPECT_EQ(form->title.SelStart(), 3);
}

TEST_F(RealWidgets, EnterPressesTheDefaultButtonInsteadOfReachingTheTextBox) {
    auto* edit = Widget<QLineEdit>("title");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    form->next.SetDefault(false);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_THAT(log, ElementsAre("next.Click", "cancel.Click", "title.KeyDown 13"));
    EXPECT_TRUE(form->Visible()); // Esc did not close the window behind the model's back
}

TEST_F(RealWidgets, CheckBoxesAndOptionButtonsActThroughTheModel) {
    QTest::mouseClick(Widget<QCheckBox>("grandTotal"), Qt::LeftButton);
    QTest::mouseClick(Widget<QRadioButton>("descending"), Qt::LeftButton);
    EXPECT_EQ(form->grandTotal.Value(), 0);
    EXPECT_TRUE(form->descending.Value());
    EXPECT_FALSE(form->ascending.Value());
    EXPECT_FALSE(Widget<QRadioButton>("ascending")->isChecked());
    EXPECT_THAT(log, ElementsAre("grandTotal.Click=0", "descending.Click"));
}

TEST_F(RealWidgets, ClickingATreeItemRunsNodeClickThenClickOnce) {
    auto* tree = Widget<QTreeWidget>("tree");
    forms::Node& customer = form->tree.Nodes().Item(5);
    QTreeWidgetItem* item = window->ItemFor(customer);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    EXPECT_THAT(log, ElementsAre("tree.NodeClick Customer", "tree.Click"));
    EXPECT_EQ(form->tree.SelectedItem(), &customer);
}

TEST_F(RealWidgets, ProgrammaticChangesShowWithoutRunningHandlers) {
    form->title.SetText("Quarterly");
    form->grandTotal.SetValue(0);
    form->descending.SetValue(true);
    form->tree.SetSelectedItem(&form->tree.Nodes().Item(2));
    form->add.SetCaption("&Add");
    form->add.SetToolTipText("Add it.");
    EXPECT_THAT(log, IsEmpty());
    EXPECT_EQ(Widget<QLineEdit>("title")->text(), "Quarterly");
    EXPECT_FALSE(Widget<QCheckBox>("grandTotal")->isChecked());
    EXPECT_TRUE(Widget<QRadioButton>("descending")->isChecked());
    EXPECT_EQ(Widget<QTreeWidget>("tree")->currentItem()->text(0), "Orders");
    EXPECT_EQ(Widget<QPushButton>("add")->text(), "&Add");
    EXPECT_EQ(Widget<QPushButton>("add")->toolTip(), "Add it.");
    // Setting a selection runs the model's Click once; the widget's echo adds nothing.
    form->fields.SetListIndex(1);
    form->fields.AddItem("Orders.Date", 0);
    EXPECT_EQ(Widget<QListWidget>("fields")->currentRow(), 2);
    form->fields.Clear();
    form->order.SetText("Descending"); // a drop-down list's text selects quietly
    EXPECT_EQ(Widget<QComboBox>("order")->currentIndex(), 1);
    form->order.SetListIndex(0);
    EXPECT_EQ(Widget<QComboBox>("order")->currentText(), "Ascending");
    EXPECT_THAT(log, ElementsAre("fields.Click#1", "order.Click#0"));
    EXPECT_EQ(Widget<QListWidget>("fields")->count(), 0);
}

TEST_F(RealWidgets, TreeNodesFollowTheModel) {
    auto* tree = Widget<QTreeWidget>("tree");
    forms::Node& orders = form->tree.Nodes().Item(2);
    form->tree.Nodes().Add(&orders, forms::Relationship::Previous, "", "Lines", "DatabaseTable");
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "Lines");
    EXPECT_FALSE(tree->topLevelItem(0)->child(0)->icon(0).isNull());
    form->tree.Nodes().Remove(orders);
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->currentItem(), nullptr); // the selected field went with its table
    EXPECT_THAT(log, IsEmpty());
}

// A tree filled in one go reaches the widget as one insertion per new subtree, each item in its
// model place, expanded as its node is, and the selection made meanwhile shows.
TEST_F(RealWidgets, NodesAddedAtOnceGoInAsOneInsertionEachInItsPlace) {
    auto* tree = Widget<QTreeWidget>("tree");
    auto& nodes = form->tree.Nodes();
    int insertions = 0;
    QObject::connect(tree->model(), &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    forms::Node* year = nullptr;
    form->tree.AddNodesAtOnce([&] {
        nodes.Add(&nodes.Item(2), forms::Relationship::Previous, "", "Lines", "DatabaseTable");
        forms::Node& archive = nodes.Add("Archive", "Database");
        archive.SetExpanded(true);
        forms::Node& old = nodes.Add(&archive, forms::Relationship::Child, "", "Old", "Table");
        old.SetExpanded(true);
        nodes.Add(&archive, forms::Relationship::Child, "", "Older", "DatabaseTable");
        year = &nodes.Add(&old, forms::Relationship::Child, "", "Year", "FieldItem");
        form->tree.SetSelectedItem(year);
    });
    EXPECT_EQ(insertions, 2);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* database = tree->topLevelItem(0);
    ASSERT_EQ(database->childCount(), 3);
    EXPECT_EQ(database->child(0)->text(0), "Lines");
    EXPECT_EQ(database->child(1)->text(0), "Orders");
    QTreeWidgetItem* archive = tree->topLevelItem(1);
    ASSERT_EQ(archive->childCount(), 2);
    EXPECT_TRUE(archive->isExpanded());
    EXPECT_TRUE(archive->child(0)->isExpanded());
    EXPECT_FALSE(archive->child(1)->isExpanded());
    EXPECT_EQ(archive->child(0)->child(0), window->ItemFor(*year));
    EXPECT_EQ(tree->currentItem(), window->ItemFor(*year));
    EXPECT_FALSE(archive->child(0)->child(0)->icon(0).isNull());
    EXPECT_THAT(log, IsEmpty());
}

// Items appended at once show after the ones there, and the selected row stays.
TEST_F(RealWidgets, ItemsAppendedAtOnceShowAfterTheOthersAndKeepTheSelection) {
    auto* list = Widget<QListWidget>("fields");
    form->fields.AddItems({"Orders.Date", "Orders.Id"}, 3);
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(2)->text(), "Orders.Date");
    EXPECT_EQ(list->item(3)->text(), "Orders.Id");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(form->fields.ItemData(3), 3);
    EXPECT_EQ(form->fields.NewIndex(), 3);
    EXPECT_THAT(log, IsEmpty());
}

// Nodes that share a picture share its decoded icon, and a picture replaced in the image list
// shows on the nodes that have it and on nodes added later.
TEST_F(RealWidgets, ANodesPictureFollowsItsImageList) {
    auto* tree = Widget<QTreeWidget>("tree");
    const auto colour = [](const QTreeWidgetItem* item) {
        return item->icon(0).pixmap(16, 16).toImage().pixelColor(8, 8);
    };
    QTreeWidgetItem* orders = tree->topLevelItem(0)->child(0);
    QTreeWidgetItem* customer = tree->topLevelItem(0)->child(1);
    const QColor fieldColour = colour(orders->child(0));
    ASSERT_EQ(colour(orders), colour(customer));
    ASSERT_NE(colour(orders), fieldColour);

    form->images.Add("DatabaseTable", forms::Picture::Named("FieldItem"));
    EXPECT_EQ(colour(orders), fieldColour);
    EXPECT_EQ(colour(customer), fieldColour);
    form->tree.Nodes().Add(&form->tree.Nodes().Item(1), forms::Relationship::Child, "", "Lines",
                           "DatabaseTable");
    EXPECT_EQ(colour(tree->topLevelItem(0)->child(2)), fieldColour);
}

TEST_F(RealWidgets, TabOrderIsDeclarationOrder) {
    std::vector<std::string> expected;
    for (const forms::Control* control : form->Controls()) {
        if (control->TakesFocus() && control->HasWindow()) {
            expected.push_back(control->Name());
        }
    }
    std::vector<std::string> chain;
    QWidget* widget = window->WidgetFor("next");
    for (std::size_t i = 0; i < 200 && chain.size() < expected.size(); ++i) {
        const std::string name = widget->objectName().toStdString();
        if (form->FindControl(name) != nullptr && window->WidgetFor(name) == widget &&
            widget->focusPolicy() != Qt::NoFocus) {
            chain.push_back(name);
        }
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(chain, expected);
}

TEST_F(RealWidgets, FocusAndDefaultButtonFollowTheModel) {
    form->fields.SetFocus();
    EXPECT_TRUE(Widget<QListWidget>("fields")->hasFocus());
    form->finish.SetDefault(true);
    EXPECT_TRUE(Widget<QPushButton>("finish")->isDefault());
    EXPECT_FALSE(Widget<QPushButton>("next")->isDefault());
}

TEST_F(RealWidgets, TypingIntoAComboEditFieldGoesThroughTheModel) {
    std::vector<std::string> changes;
    form->condition.Change = [&] { changes.push_back(form->condition.Text()); };
    auto* combo = Widget<QComboBox>("condition");
    ASSERT_NE(combo->lineEdit(), nullptr);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "42");
    EXPECT_EQ(form->condition.Text(), "42");
    EXPECT_EQ(combo->currentText(), "42");
    EXPECT_THAT(changes, ElementsAre("4", "42"));
}

TEST_F(RealWidgets, PastingCuttingAndInputMethodTextGoThroughTheModel) {
    std::vector<std::string> changes;
    form->condition.Change = [&] { changes.push_back(form->condition.Text()); };
    form->condition.KeyPress = [&](int& key) { changes.push_back("key " + std::to_string(key)); };
    QLineEdit* edit = Widget<QComboBox>("condition")->lineEdit();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("Nord"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier); // one Change, no KeyPress
    edit->setSelection(1, 2);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("or"));
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("üß")); // typed per character, as keys are
    QApplication::sendEvent(edit, &composed);
    EXPECT_EQ(form->condition.Text(), "Nüßd");
    EXPECT_EQ(edit->text(), QStringLiteral("Nüßd"));
    EXPECT_THAT(changes, ElementsAre("Nord", "Nd", "key 252", "Nüd", "key 223", "Nüßd"));
}

TEST_F(RealWidgets, AComboThatBecomesADropDownListTakesNoTypingUntilItHasAnEditFieldAgain) {
    std::vector<std::string> changes;
    form->condition.Change = [&] { changes.push_back(form->condition.Text()); };
    auto* combo = Widget<QComboBox>("condition");
    form->condition.SetStyle(forms::ComboBox::Style::DropDownList);
    EXPECT_EQ(combo->lineEdit(), nullptr);
    combo->setFocus();
    QTest::keyClicks(combo, "7");
    form->condition.SetStyle(forms::ComboBox::Style::DropDownCombo);
    ASSERT_NE(combo->lineEdit(), nullptr);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "9");
    EXPECT_EQ(form->condition.Text(), "9");
    EXPECT_THAT(changes, ElementsAre("9"));
}

TEST_F(RealWidgets, ClosingTheRealWindowAsksTheFormFirst) {
    int refusals = 1;
    form->OnQueryUnload = [&](int& cancel, int mode) {
        log.push_back("QueryUnload " + std::to_string(mode));
        cancel = refusals-- > 0 ? 1 : 0;
    };
    window->close();
    EXPECT_TRUE(form->Loaded());
    EXPECT_TRUE(window->isVisible());
    QPointer<FormWindow> guard(window);
    window->close();
    EXPECT_FALSE(form->Loaded());
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull()); // the window of an unloaded form is gone
    EXPECT_EQ(backend->WindowOf(*form), nullptr);
    EXPECT_THAT(log, ElementsAre("QueryUnload 0", "QueryUnload 0"));
}

TEST(QtBackendWindow, PlacementAndResizeFollowInBothDirections) {
    auto backend = std::make_shared<QtBackend>();
    auto previous = forms::SetBackend(backend);
    {
        Showcase form;
        form.SetBorderStyle(forms::BorderStyle::Sizable);
        int resizes = 0;
        form.OnResize = [&] { ++resizes; };
        form.Show();
        FormWindow* window = backend->WindowOf(form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const int before = resizes;
        // The person drags the window bigger: the model learns it and Resize runs.
        window->resize(600, 400);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.ScaleWidth() == ToTwips(600); }, 2000));
        EXPECT_EQ(form.ScaleHeight(), ToTwips(400));
        EXPECT_GT(resizes, before);
        // The model moves the window: the real one follows.
        form.UserMove(ToTwips(40), ToTwips(30), ToTwips(500), ToTwips(300));
        // Left, top, width and height are the outer window's.
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry().width() == 500; }, 2000));
        EXPECT_EQ(window->frameGeometry().height(), 300);
        EXPECT_EQ(form.ScaleWidth(), ToTwips(window->width()));
    }
    QApplication::processEvents();
    forms::SetBackend(previous);
}

TEST(QtBackendModal, ModalShowReturnsWhenAHandlerUnloadsTheForm) {
    auto backend = std::make_shared<QtBackend>();
    auto previous = forms::SetBackend(backend);
    Showcase form;
    int unloads = 0;
    form.OnUnload = [&](int&) { ++unloads; };
    form.cancel.Click = [&] { form.Unload(); };
    QTimer::singleShot(0, [&] {
        FormWindow* window = backend->WindowOf(form);
        ASSERT_NE(window, nullptr);
        QTest::mouseClick(window->WidgetFor("cancel"), Qt::LeftButton);
    });
    form.Show(true);
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(backend->WindowOf(form), nullptr); // no window left behind
    forms::SetBackend(previous);
}

TEST(QtBackendModal, MessageBoxesAnswerWithTheButtonPressed) {
    auto backend = std::make_shared<QtBackend>();
    auto previous = forms::SetBackend(backend);
    QString title;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(forms::MsgBox("Replace it?", forms::vbYesNo + forms::vbExclamation, "Save As"),
              forms::vbNo);
    EXPECT_EQ(title, "Save As");
    forms::SetBackend(previous);
}

TEST(QtBackendWindow, AMaximizedFormOpensMaximizedAndRestoresToItsPlacement) {
    auto backend = std::make_shared<QtBackend>();
    auto previous = forms::SetBackend(backend);
    {
        Showcase form;
        form.SetBorderStyle(forms::BorderStyle::Sizable);
        // As a window that remembers its placement does while loading.
        form.OnLoad = [&] {
            form.Move(ToTwips(50), ToTwips(60), ToTwips(520), ToTwips(380));
            form.SetWindowState(forms::WindowState::Maximized);
        };
        form.Show();
        FormWindow* window = backend->WindowOf(form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_TRUE(window->isMaximized());
        EXPECT_EQ(form.WindowState(), forms::WindowState::Maximized);
        window->showNormal(); // the person restores it
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return form.WindowState() == forms::WindowState::Normal; }, 2000));
        EXPECT_EQ(form.Left(), ToTwips(50));
        EXPECT_EQ(form.Width(), ToTwips(520));
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    forms::SetBackend(previous);
}

TEST(QtFilter, DialogFiltersBecomeQtFilters) {
    EXPECT_EQ(ToQtFilter("Vellum Reports (*.rpt) | *.rpt"), "Vellum Reports (*.rpt)");
    EXPECT_EQ(ToQtFilter("Reports|*.rpt;*.bak|All|*.*"), "Reports (*.rpt *.bak);;All (*.*)");
}

TEST(FormRender, AFormWithEveryKindOfControlRendersToPng) {
    auto backend = std::make_shared<QtBackend>();
    auto previous = forms::SetBackend(backend);
    forms::SetPictureProvider(testing::PlaceholderPicture);
    Showcase form;
    const QImage image = RenderForm(form);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), ToPixels(7905));
    EXPECT_EQ(image.height(), ToPixels(4710));
    // The picture box shows the placeholder's navy title bar inside its border.
    const QColor bar = image.pixelColor(ToPixels(5650) + 20, ToPixels(940) + 15);
    EXPECT_EQ(bar, QColor(0, 0, 128));
    const std::string path = std::string(FOLIANT_BINARY_DIR) + "/tests/qt/every-control.png";
    EXPECT_TRUE(SaveFormPng(form, path));
    EXPECT_GT(std::filesystem::file_size(path), 2000u);
    forms::SetPictureProvider(nullptr);
    forms::SetBackend(previous);
}

} // namespace
} // namespace foliant::qt
