#pragma once

// The help viewer: a compiled help file in a window. On the left, Contents (the help's table of
// contents), Index (its keywords; typing goes to the first that starts with the text) and
// Search (every topic that holds all the words typed); on the right the topic, with its links,
// pictures, and Back, Forward and Home. A topic shown by a link or by Back is marked in the
// contents. Reads the help file through help::ChmArchive and knows nothing of the wizard.

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace foliant::help {
class ChmArchive;
struct SitemapEntry;
} // namespace foliant::help

namespace foliant::qt {

struct HelpTexts;

class HelpViewer : public QMainWindow {
    Q_OBJECT

public:
    // Opens the help file at path, with the viewer's own words in languageCode, and shows its
    // default topic. Throws help::HelpFileError when the file cannot be read.
    HelpViewer(const std::string& path, const QString& languageCode, QWidget* parent = nullptr);
    ~HelpViewer() override;

    // Shows a topic of the help ("summaries.htm", "/styles.htm#table"). A topic the help does
    // not hold shows the default topic instead and returns false.
    bool ShowTopic(const QString& topic);
    // The topic shown, as the help names it ("summaries.htm"), without an anchor.
    QString CurrentTopic() const;

    // The titles of the topics that hold every word of text (case ignored), in contents order;
    // the Search tab lists the same.
    QStringList Search(const QString& text);

private:
    void BuildContents(const std::vector<help::SitemapEntry>& entries, QTreeWidgetItem* parent);
    QWidget* MakeContentsTab();
    QWidget* MakeIndexTab();
    QWidget* MakeSearchTab();
    void MakeToolBar();
    void SelectIndexEntry(const QString& text);
    void RunSearch();
    void MarkInContents(const QString& topic);
    void ReadTopics();

    std::unique_ptr<help::ChmArchive> help_;
    const HelpTexts& texts_;
    QTabWidget* tabs_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QLineEdit* indexText_ = nullptr;
    QListWidget* index_ = nullptr;
    QLineEdit* searchText_ = nullptr;
    QListWidget* results_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    // Every topic of the contents, in order, with its title and its text for the search.
    struct Topic {
        QString local;
        QString title;
        QString text;
    };
    std::vector<Topic> topics_;
};

} // namespace foliant::qt
