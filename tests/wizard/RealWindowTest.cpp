// The wizard in a real Qt window, driven by real mouse and keyboard input.
#include "WizardTestSupport.h"

#include "ui/qt/FormWindow.h"
#include "ui/qt/QtBackend.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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

} // namespace
} // namespace foliant::wizard::test
