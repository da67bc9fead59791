// The wizard in a real Qt window, driven by real mouse and keyboard input.
#include "WizardTestSupport.h"

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

} // namespace
} // namespace foliant::wizard::test
