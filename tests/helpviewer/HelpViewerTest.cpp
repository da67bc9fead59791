// The help viewer, used as a person uses it: open a topic, follow a link, go back, look a
// keyword up, search for a word.
#include "ui/qt/HelpViewer.h"
#include "platform/help/ChmArchive.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace foliant::qt {
namespace {

std::string HelpFile(const std::string& code) {
    return std::string(FOLIANT_TEST_HELP_DIR) + "/Wizards_" + code + ".chm";
}

class HelpViewerTest : public ::testing::Test {
protected:
    HelpViewer viewer{HelpFile("en"), "en"};
    QTextBrowser* topic = viewer.findChild<QTextBrowser*>("topic");
    QTreeWidget* contents = viewer.findChild<QTreeWidget*>("contents");

    void SetUp() override {
        ASSERT_NE(topic, nullptr);
        ASSERT_NE(contents, nullptr);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    }

    QString Heading() const { return topic->document()->toPlainText().section('\n', 0, 0); }
};

TEST_F(HelpViewerTest, OpensAtTheDefaultTopicOrTheOneAskedFor) {
    EXPECT_EQ(viewer.windowTitle(), "Vellum Report Wizard Help");
    EXPECT_EQ(viewer.CurrentTopic(), "overview.htm");
    EXPECT_TRUE(viewer.ShowTopic("summaries.htm"));
    EXPECT_EQ(viewer.CurrentTopic(), "summaries.htm");
    EXPECT_EQ(Heading(), "Adding summaries");
    EXPECT_EQ(contents->currentItem()->text(0), "Adding summaries") << "marked in the contents";
    EXPECT_FALSE(viewer.ShowTopic("no-such-topic.htm"));
    EXPECT_EQ(viewer.CurrentTopic(), "overview.htm") << "the default topic instead";
}

TEST_F(HelpViewerTest, ShowsThePicturesAndTheStyleSheetFromTheHelpFile) {
    viewer.ShowTopic("styles.htm#table");
    const QVariant picture = topic->document()->resource(QTextDocument::ImageResource,
                                                         QUrl("chm:/images/106_table.png"));
    EXPECT_TRUE(picture.isValid()) << "the style picture was loaded";
    EXPECT_FALSE(topic->loadResource(QTextDocument::StyleSheetResource, QUrl("chm:/help.css"))
                     .toString()
                     .isEmpty());
}

TEST_F(HelpViewerTest, FollowsALinkWithTheKeyboardAndGoesBack) {
    viewer.ShowTopic("summaries.htm");
    topic->setFocus();
    // The topic's first link is "Next: Group sorting" in its closing line.
    QTest::keyClick(topic, Qt::Key_Tab);
    QTest::keyClick(topic, Qt::Key_Return);
    EXPECT_EQ(viewer.CurrentTopic(), "groupsorting.htm");
    EXPECT_EQ(contents->currentItem()->text(0), "Sorting the groups");
    EXPECT_TRUE(topic->isBackwardAvailable());
    topic->backward();
    EXPECT_EQ(viewer.CurrentTopic(), "summaries.htm");
}

TEST_F(HelpViewerTest, ContentsAndIndexOpenTopics) {
    QTreeWidgetItem* styles = contents->findItems("The ten styles", Qt::MatchRecursive).value(0);
    ASSERT_NE(styles, nullptr);
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {},
                      contents->visualItemRect(styles).center());
    EXPECT_EQ(viewer.CurrentTopic(), "styles.htm");

    auto* indexText = viewer.findChild<QLineEdit*>("indexText");
    auto* index = viewer.findChild<QListWidget*>("index");
    ASSERT_NE(indexText, nullptr);
    ASSERT_NE(index, nullptr);
    QTest::keyClicks(indexText, "per");
    ASSERT_NE(index->currentItem(), nullptr);
    EXPECT_EQ(index->currentItem()->text(), "periods") << "typing goes to the first match";
    QTest::keyClick(indexText, Qt::Key_Return);
    EXPECT_EQ(viewer.CurrentTopic(), "formulas.htm");
}

TEST_F(HelpViewerTest, SearchFindsTheTopicsHoldingEveryWord) {
    EXPECT_EQ(viewer.Search("percentile"), QStringList({"Adding summaries"}));
    EXPECT_EQ(viewer.Search("LASTFULLMONTH"), QStringList({"Formula language"}))
        << "case is ignored";
    EXPECT_EQ(viewer.Search("  drop   shadow "), QStringList({"The ten styles"}))
        << "words in any spacing";
    EXPECT_TRUE(viewer.Search("percentile shading").isEmpty()) << "every word must be there";

    auto* searchText = viewer.findChild<QLineEdit*>("searchText");
    auto* results = viewer.findChild<QListWidget*>("searchResults");
    ASSERT_NE(searchText, nullptr);
    ASSERT_NE(results, nullptr);
    QTest::keyClicks(searchText, "drop shadow");
    QTest::keyClick(searchText, Qt::Key_Return);
    ASSERT_EQ(results->count(), 1);
    EXPECT_EQ(results->item(0)->text(), "The ten styles");
    results->setFocus();
    QTest::keyClick(results, Qt::Key_Return);
    EXPECT_EQ(viewer.CurrentTopic(), "styles.htm");
    EXPECT_EQ(topic->textCursor().selectedText().toLower(), "drop") << "the word found is marked";

    searchText->clear();
    QTest::keyClicks(searchText, "zebra");
    QTest::keyClick(searchText, Qt::Key_Return);
    ASSERT_EQ(results->count(), 1);
    EXPECT_FALSE(results->item(0)->flags() & Qt::ItemIsEnabled) << "a note, not a topic";
}

TEST(HelpViewerLanguages, EveryLanguageOpensWithItsOwnContents) {
    for (const char* code : {"de", "jp"}) {
        HelpViewer viewer(HelpFile(code), code);
        const help::ChmArchive english(HelpFile("en"));
        EXPECT_NE(viewer.windowTitle().toStdString(), english.Title()) << code;
        EXPECT_TRUE(viewer.ShowTopic("summaries.htm")) << code;
    }
    EXPECT_THROW(HelpViewer("/nonexistent/Wizards_en.chm", "en"), help::HelpFileError);
}

} // namespace
} // namespace foliant::qt
