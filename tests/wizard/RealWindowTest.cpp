// The wizard in a real Qt window, driven by real mouse and keyboard input.
#include "GroupPagesSupport.h"

#include "ui/qt/FormWindow.h"
#include "ui/qt/QtBackend.h"

#include "platform/shell/Shell.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace foliant::wizard::test {
namespace {

TEST_F(WizardTest, RealWindowGoesNextAndBackAndEscCancels) {
    auto qtBackend = std::make_shared<qt::QtBackend>();
    forms::SetBackend(qtBackend); // the fixture puts the previous backend back
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    report->SetSelectionFormulaText("{Orders.Amount} > 1");
    const std::string before = engine::DescribeReport(*report);
    std::vector<int> pages;
    bool acted = false;
    QTimer::singleShot(0, [&] {
        frmWizard* form = Wizard::CurrentWizardForm();
        ASSERT_NE(form, nullptr);
        qt::FormWindow* window = qtBackend->WindowOf(*form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        auto* next = qobject_cast<QPushButton*>(window->WidgetFor("cmdNext"));
        auto* back = qobject_cast<QPushButton*>(window->WidgetFor("cmdBack"));
        ASSERT_NE(next, nullptr);
        ASSERT_NE(back, nullptr);
        EXPECT_FALSE(back->isEnabled());
        pages.push_back(Wizard::State().CurrentPage);
        while (next->isEnabled()) {
            QTest::mouseClick(next, Qt::LeftButton);
            pages.push_back(Wizard::State().CurrentPage);
        }
        EXPECT_TRUE(back->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        pages.push_back(Wizard::State().CurrentPage);
        EXPECT_TRUE(next->isEnabled());
        acted = true;
        QTest::keyClick(window, Qt::Key_Escape);
    });
    component::VRStandardWizard wizard;
    wizard.SetVellumReport(report);
    wizard.DisplayReportWizard();
    // The closed window is deleted later; let that happen while its backend still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(acted);
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 6}));
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
    EXPECT_EQ(engine::DescribeReport(*report), before);
}

// The node of the database tree with that text under the named table.
forms::Node* FieldNode(frmWizard& f, const std::string& table, const std::string& field) {
    for (forms::Node* t : f.DatabaseTreeView.Nodes().Item(1).ChildNodes()) {
        for (forms::Node* node : t->ChildNodes()) {
            if (t->Text() == table && node->Text() == field) {
                return node;
            }
        }
    }
    return nullptr;
}

QPoint CenterOf(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    return tree->visualItemRect(item).center();
}

TEST_F(WizardTest, RealWindowBuildsTheColumnListPicksAStyleAndOffersThePath) {
    auto qtBackend = std::make_shared<qt::QtBackend>();
    forms::SetBackend(qtBackend);
    const auto report = MakeReport();
    bool acted = false;
    // The steps, checked as they go; Esc then closes the window even when a step failed.
    const auto steps = [&] {
        frmWizard* form = Wizard::CurrentWizardForm();
        ASSERT_NE(form, nullptr);
        frmWizard& f = *form;
        qt::FormWindow* window = qtBackend->WindowOf(f);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        auto* tree = qobject_cast<QTreeWidget*>(window->WidgetFor("DatabaseTreeView"));
        auto* list = qobject_cast<QListWidget*>(window->WidgetFor("ReportFieldList1"));
        auto* add = qobject_cast<QPushButton*>(window->WidgetFor("Add"));
        auto* down = qobject_cast<QPushButton*>(window->WidgetFor("cmdReportFieldDown"));
        ASSERT_TRUE(tree && list && add && down);

        // A click on Orders.Amount, then Add; a double click on Orders.Quantity.
        QTreeWidgetItem* amount = window->ItemFor(*FieldNode(f, "Orders", "Amount"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, CenterOf(tree, amount));
        QTest::mouseClick(add, Qt::LeftButton);
        QTreeWidgetItem* quantity = window->ItemFor(*FieldNode(f, "Orders", "Quantity"));
        // A person's double click: a click, then the second press that Qt reports as one.
        const QPoint at = CenterOf(tree, quantity);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(list->item(0)->text(), "Orders.Amount");
        EXPECT_EQ(list->item(1)->text(), "Orders.Quantity");
        EXPECT_FALSE(down->isEnabled());
        // The first column moves down.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        ASSERT_TRUE(down->isEnabled());
        QTest::mouseClick(down, Qt::LeftButton);
        EXPECT_EQ(f.ReportFieldList1.List(0), "Orders.Quantity");
        EXPECT_EQ(f.ReportFieldList1.List(1), "Orders.Amount");
        EXPECT_EQ(f.ReportFieldList1.ItemData(1), 1);
        EXPECT_EQ(list->item(0)->text(), "Orders.Quantity");

        // Enter presses Next: without groups the way is 1, 2, 5, 6.
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                            Qt::Key_Return);
        }
        ASSERT_EQ(Wizard::State().CurrentPage, 6);
        auto* styles = qobject_cast<QListWidget*>(window->WidgetFor("StyleList"));
        ASSERT_NE(styles, nullptr);
        QTest::mouseClick(styles->viewport(), Qt::LeftButton, {},
                          styles->visualItemRect(styles->item(9)).center());
        EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(112));
        auto* title = qobject_cast<QLineEdit*>(window->WidgetFor("TitleText"));
        ASSERT_NE(title, nullptr);
        QTest::mouseClick(title, Qt::LeftButton);
        QTest::keyClicks(title, "Sales");
        EXPECT_EQ(f.TitleText.Text(), "Sales");
        QTest::keyClick(title, Qt::Key_Return);
        ASSERT_EQ(Wizard::State().CurrentPage, 7);
        auto* save = qobject_cast<QLineEdit*>(window->WidgetFor("SaveText"));
        ASSERT_NE(save, nullptr);
        EXPECT_EQ(save->text().toStdString(),
                  shell::JoinPath(shell::CurrentDirectory(), "Sales.rpt"));
        acted = true;
    };
    QTimer::singleShot(0, [&] {
        steps();
        if (qt::FormWindow* window = qtBackend->WindowOf(*Wizard::CurrentWizardForm())) {
            QTest::keyClick(window, Qt::Key_Escape);
        }
    });
    component::VRStandardWizard wizard;
    wizard.SetVellumReport(report);
    wizard.DisplayReportWizard();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(acted);
}

TEST_F(WizardTest, RealWindowFiltersWithTheOperatorListTheValueFieldAndEnter) {
    ScopedLocale english("en_US.UTF-8");
    auto qtBackend = std::make_shared<qt::QtBackend>();
    forms::SetBackend(qtBackend);
    const auto report = MakeReport();
    bool acted = false;
    const auto steps = [&] {
        frmWizard& f = *Wizard::CurrentWizardForm();
        qt::FormWindow* window = qtBackend->WindowOf(f);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        auto* next = qobject_cast<QPushButton*>(window->WidgetFor("cmdNext"));
        auto* tree = qobject_cast<QTreeWidget*>(window->WidgetFor("DatabaseTreeView"));
        auto* add = qobject_cast<QPushButton*>(window->WidgetFor("AddSelect"));
        auto* operators = qobject_cast<QComboBox*>(window->WidgetFor("ConditionCombo"));
        auto* value = qobject_cast<QComboBox*>(window->WidgetFor("ConditionTextCombo"));
        auto* second = qobject_cast<QLineEdit*>(window->WidgetFor("SecondConditionText"));
        auto* values = qobject_cast<QListWidget*>(window->WidgetFor("ConditionList"));
        ASSERT_TRUE(next && tree && add && operators && value && second && values);
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        ASSERT_EQ(Wizard::State().CurrentPage, 5);
        const auto addField = [&](const std::string& table, const std::string& field) {
            QTreeWidgetItem* item = window->ItemFor(*FieldNode(f, table, field));
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, CenterOf(tree, item));
            QTest::mouseClick(add, Qt::LeftButton);
        };
        // A list: the operator picked with the keyboard, values typed and entered with Enter.
        addField("Customer", "Country");
        ASSERT_TRUE(operators->isVisible());
        EXPECT_FALSE(value->isVisible());
        operators->setFocus();
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(operators, Qt::Key_Down);
        }
        ASSERT_EQ(f.ConditionCombo.ListIndex(), 3);
        ASSERT_TRUE(value->isVisible() && values->isVisible());
        for (const char* country : {"France", "Spain"}) {
            QTest::keyClicks(value->lineEdit(), country);
            QTest::keyClick(value->lineEdit(), Qt::Key_Return);
        }
        EXPECT_EQ(values->count(), 2);
        EXPECT_EQ(value->lineEdit()->text(), "");
        EXPECT_EQ(Wizard::State().CurrentPage, 5);
        // A range: the second value in its own box.
        addField("Orders", "Amount");
        operators->setFocus();
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(operators, Qt::Key_Down);
        }
        ASSERT_EQ(f.ConditionCombo.ListIndex(), 9);
        ASSERT_TRUE(second->isVisible());
        EXPECT_FALSE(values->isVisible());
        QTest::keyClicks(value->lineEdit(), "10");
        QTest::keyClicks(second, "1,000");
        // A period from the value field's drop-down.
        addField("Customer", "Since");
        operators->setFocus();
        QTest::keyClick(operators, Qt::Key_End);
        ASSERT_EQ(f.ConditionCombo.ListIndex(), 12);
        EXPECT_EQ(value->count(), 27);
        value->setFocus();
        QTest::keyClick(value, Qt::Key_Down);
        EXPECT_EQ(f.ConditionTextCombo.Text(), "MonthToDate");
        EXPECT_EQ(generate::BuildSelectionFormula(Wizard::FilteredFields(), *report),
                  "{Customer.Country} in ['France', 'Spain'] and "
                  "{Orders.Amount} in 10 to 1000 and  not ({Customer.Since} in MonthToDate)");
        // Back to one value: Enter presses Next again.
        operators->setFocus();
        QTest::keyClick(operators, Qt::Key_Home);
        QTest::keyClick(operators, Qt::Key_Down);
        QTest::keyClicks(value->lineEdit(), "1/31/2024");
        QTest::keyClick(value->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(Wizard::State().CurrentPage, 6);
        acted = true;
    };
    QTimer::singleShot(0, [&] {
        steps();
        if (qt::FormWindow* window = qtBackend->WindowOf(*Wizard::CurrentWizardForm())) {
            QTest::keyClick(window, Qt::Key_Escape);
        }
    });
    component::VRStandardWizard wizard;
    wizard.SetVellumReport(report);
    wizard.DisplayReportWizard();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(acted);
}

// Presses a key on whatever has the focus in the application.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "nothing has the focus";
    QTest::keyClick(target, key, modifiers);
}

// The name of the control whose widget has the focus.
std::string Focused(qt::FormWindow& window, frmWizard& f) {
    for (const forms::Control* c : f.Controls()) {
        if (window.WidgetFor(*c) != nullptr &&
            window.WidgetFor(*c) == QApplication::focusWidget()) {
            return c->Name();
        }
    }
    return "(none)";
}

// Moves the focused tree's selection down with the arrow key until the node has that text.
void ArrowDownTo(frmWizard& f, forms::TreeView& tree, const std::string& text) {
    for (int i = 0; i < 20 && tree.SelectedItem()->Text() != text; ++i) {
        Press(Qt::Key_Down);
    }
    ASSERT_EQ(tree.SelectedItem()->Text(), text) << f.Name();
}

TEST_F(WizardTest, RealWindowGroupsSummarizesAndSortsByKeyboardAlone) {
    auto qtBackend = std::make_shared<qt::QtBackend>();
    forms::SetBackend(qtBackend);
    const auto report = MakeReport();
    bool acted = false;
    const auto steps = [&] {
        frmWizard& f = *Wizard::CurrentWizardForm();
        qt::FormWindow* window = qtBackend->WindowOf(f);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->activateWindow();
        Press(Qt::Key_Return); // Next
        ASSERT_EQ(Wizard::State().CurrentPage, 2);
        ASSERT_EQ(Focused(*window, f), "DatabaseTreeView");

        // Two groups: Customer.Country, then Customer.Since (the tree moved on to it).
        ArrowDownTo(f, f.DatabaseTreeView, "Country");
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "AddGroup");
        Press(Qt::Key_Space);
        ASSERT_EQ(Focused(*window, f), "DatabaseTreeView");
        Press(Qt::Key_Tab);
        Press(Qt::Key_Space);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Customer.Since:0 @2");
        // The inner group up, and its order made descending, from the group tree. Since was
        // the table's last field: AddGroup is off and Tab passes over it.
        Press(Qt::Key_Tab); // RemoveGroup
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "GroupTreeView");
        Press(Qt::Key_Up);
        Press(Qt::Key_Down);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Customer.Since:0 @2");
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "cmdGroupUp");
        Press(Qt::Key_Space);
        EXPECT_EQ(Chain(f), "Customer.Since:0>Customer.Country:0 @1");
        Press(Qt::Key_Tab); // CmdGroupDown
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "OrderCombo");
        Press(Qt::Key_Down);
        EXPECT_EQ(Chain(f), "Customer.Since:1>Customer.Country:0 @1");

        // Enter is Next: the summaries of group 1, Customer.Since.
        Press(Qt::Key_Return);
        ASSERT_EQ(Wizard::State().CurrentPage, 3);
        ASSERT_EQ(Focused(*window, f), "DatabaseTreeView");
        ArrowDownTo(f, f.DatabaseTreeView, "Amount");
        Press(Qt::Key_Tab); // GroupCombo
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "AddTotal");
        Press(Qt::Key_Space);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Space); // Orders.Quantity
        EXPECT_EQ(forms::Brief(f.TotalList), "TotalList VE #1 [Orders.Amount|Orders.Quantity]");
        // Its operation: down the list to Nth largest; then N, typed with a stray blank that
        // the box refuses with a message box, closed by Enter.
        for (const char* name :
             {"GroupCombo", "AddTotal", "RemoveTotal", "TotalList", "SumCombo"}) {
            Press(Qt::Key_Tab);
            ASSERT_EQ(Focused(*window, f), name);
        }
        for (int i = 0; i < 19 && f.SumCombo.ListIndex() != 15; ++i) {
            Press(Qt::Key_Down);
        }
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "PIsText");
        QTest::keyClicks(QApplication::focusWidget(), "4");
        bool boxSeen = false;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            boxSeen = box != nullptr && box != window;
            if (boxSeen) {
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        QTest::keyClicks(QApplication::focusWidget(), " 2");
        EXPECT_TRUE(boxSeen);
        EXPECT_EQ(f.PIsText.Text(), "42");
        // The window gets the activation back from the closed box (the offscreen platform
        // has no window manager to do it), and its focus is where it was.
        if (QApplication::activeWindow() != window) {
            window->activateWindow();
            QApplication::setActiveWindow(window);
        }
        ASSERT_EQ(Focused(*window, f), "PIsText");
        // Tab to the grand-total box and turn it off for this summary.
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "GrandTotalCheck");
        Press(Qt::Key_Space);
        EXPECT_EQ(Summaries(), "Orders.Amount 0 '' + | Orders.Quantity 15 '42' -");
        EXPECT_EQ(Groups(), "2 2 -1 '' Others | 0 2 -1 '' Others");
        ExpectParallel(f);
        Press(Qt::Key_Return);
        ASSERT_EQ(Wizard::State().CurrentPage, 4);

        // Page 4 by keyboard: the bottom 7 groups with the others under "Rest", then all
        // groups descending.
        for (int i = 0; i < 12 && Focused(*window, f) != "TopNSortCombo"; ++i) {
            Press(Qt::Key_Tab);
        }
        ASSERT_EQ(Focused(*window, f), "TopNSortCombo");
        Press(Qt::Key_Up);
        EXPECT_EQ(f.TopNSortCombo.ListIndex(), 1);
        for (const char* name : {"TopNTotalCombo", "TopNText"}) {
            Press(Qt::Key_Tab);
            ASSERT_EQ(Focused(*window, f), name);
        }
        QTest::keyClicks(QApplication::focusWidget(), "7");
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "TopNIncludeOthersCheck");
        Press(Qt::Key_Space);
        EXPECT_FALSE(f.TopNOthersText.Visible());
        Press(Qt::Key_Space);
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "TopNOthersText");
        QTest::keyClicks(QApplication::focusWidget(), "Rest");
        EXPECT_EQ(Groups(), "2 1 7 'Orders.Amount' Rest | 0 2 -1 '' Others");
        for (int i = 0; i < 4 && Focused(*window, f) != "TopNSortCombo"; ++i) {
            Press(Qt::Key_Backtab);
        }
        ASSERT_EQ(Focused(*window, f), "TopNSortCombo");
        Press(Qt::Key_Down);
        EXPECT_EQ(f.TopNSortCombo.ListIndex(), 2);
        Press(Qt::Key_Tab); // TopNTotalCombo
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "TopNAscendingOption");
        Press(Qt::Key_Tab);
        ASSERT_EQ(Focused(*window, f), "TopNDescendingOption");
        Press(Qt::Key_Space);
        EXPECT_TRUE(f.TopNDescendingOption.Value());
        EXPECT_EQ(Groups(), "2 2 0 'Orders.Amount' Others | 0 2 -1 '' Others");
        ExpectParallel(f);
        acted = true;
    };
    QTimer::singleShot(0, [&] {
        steps();
        if (qt::FormWindow* window = qtBackend->WindowOf(*Wizard::CurrentWizardForm())) {
            QTest::keyClick(window, Qt::Key_Escape);
        }
    });
    component::VRStandardWizard wizard;
    wizard.SetVellumReport(report);
    wizard.DisplayReportWizard();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(acted);
}

} // namespace
} // namespace foliant::wizard::test
