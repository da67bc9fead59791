#include "ui/qt/HelpViewer.h"

#include "platform/help/ChmArchive.h"
#include "platform/help/Sitemap.h"
#include "ui/qt/HelpTexts.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace foliant::qt {

namespace {

constexpr const char* kScheme = "chm";
constexpr int kLocalRole = Qt::UserRole;

// "/styles.htm#table" and "styles.htm" both name the topic "styles.htm".
QString TopicName(const QString& address) {
    QString name = address.section('#', 0, 0);
    while (name.startsWith('/')) {
        name.remove(0, 1);
    }
    return name;
}

QUrl TopicUrl(const QString& address) {
    QUrl url;
    url.setScheme(kScheme);
    url.setPath("/" + TopicName(address));
    if (const QString anchor = address.section('#', 1); !anchor.isEmpty()) {
        url.setFragment(anchor);
    }
    return url;
}

// Shows the topics, style sheet and pictures of the help file.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(const help::ChmArchive& help, QWidget* parent)
        : QTextBrowser(parent), help_(help) {}

    QVariant loadResource(int type, const QUrl& url) override {
        if (url.scheme() != kScheme) {
            return {};
        }
        const auto bytes = help_.Read(url.path().toStdString());
        if (!bytes) {
            return {};
        }
        const QByteArray data(bytes->data(), static_cast<qsizetype>(bytes->size()));
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) {
            return QString::fromUtf8(data);
        }
        return data;
    }

private:
    const help::ChmArchive& help_;
};

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

HelpViewer::HelpViewer(const std::string& path, const QString& languageCode, QWidget* parent)
    : QMainWindow(parent), help_(std::make_unique<help::ChmArchive>(path)),
      texts_(HelpTextsFor(languageCode)) {
    setWindowTitle(FromUtf8(help_->Title()));
    browser_ = new HelpBrowser(*help_, this);
    browser_->setObjectName("topic");
    browser_->setOpenExternalLinks(false);
    tabs_ = new QTabWidget(this);
    tabs_->addTab(MakeContentsTab(), texts_.contents);
    tabs_->addTab(MakeIndexTab(), texts_.index);
    tabs_->addTab(MakeSearchTab(), texts_.search);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    setCentralWidget(splitter);
    MakeToolBar();
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { MarkInContents(TopicName(url.path())); });
    ReadTopics();
    resize(900, 600);
    ShowTopic(QString());
}

HelpViewer::~HelpViewer() = default;

bool HelpViewer::ShowTopic(const QString& topic) {
    const bool known = !topic.isEmpty() && help_->Contains(TopicName(topic).toStdString());
    const QString shown = known ? topic : FromUtf8(help_->DefaultTopic());
    browser_->setSource(TopicUrl(shown));
    return known;
}

QString HelpViewer::CurrentTopic() const {
    return TopicName(browser_->source().path());
}

QStringList HelpViewer::Search(const QString& text) {
    const QStringList words = text.split(' ', Qt::SkipEmptyParts);
    QStringList found;
    if (words.isEmpty()) {
        return found;
    }
    for (const auto& topic : topics_) {
        const bool all = std::all_of(words.begin(), words.end(), [&topic](const QString& word) {
            return topic.text.contains(word, Qt::CaseInsensitive);
        });
        if (all) {
            found << topic.title;
        }
    }
    return found;
}

QWidget* HelpViewer::MakeContentsTab() {
    contents_ = new QTreeWidget(this);
    contents_->setObjectName("contents");
    contents_->setHeaderHidden(true);
    const auto entries = help::ParseSitemap(help_->Read(help_->ContentsFile()).value_or(""));
    BuildContents(entries, nullptr);
    contents_->expandAll();
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (const QString local = item->data(0, kLocalRole).toString(); !local.isEmpty()) {
            ShowTopic(local);
        }
    });
    return contents_;
}

void HelpViewer::BuildContents(const std::vector<help::SitemapEntry>& entries,
                               QTreeWidgetItem* parent) {
    for (const auto& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
        item->setText(0, FromUtf8(entry.name));
        item->setData(0, kLocalRole, FromUtf8(entry.local));
        BuildContents(entry.children, item);
    }
}

QWidget* HelpViewer::MakeIndexTab() {
    auto* tab = new QWidget(this);
    indexText_ = new QLineEdit(tab);
    indexText_->setObjectName("indexText");
    index_ = new QListWidget(tab);
    index_->setObjectName("index");
    const auto keywords = help::ParseSitemap(help_->Read(help_->IndexFile()).value_or(""));
    for (const auto* entry : help::Flatten(keywords)) {
        auto* item = new QListWidgetItem(FromUtf8(entry->name), index_);
        item->setData(kLocalRole, FromUtf8(entry->local));
    }
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(indexText_);
    layout->addWidget(index_);
    connect(indexText_, &QLineEdit::textEdited, this, &HelpViewer::SelectIndexEntry);
    const auto open = [this](QListWidgetItem* item) {
        if (item != nullptr) {
            ShowTopic(item->data(kLocalRole).toString());
        }
    };
    connect(indexText_, &QLineEdit::returnPressed, this,
            [this, open] { open(index_->currentItem()); });
    connect(index_, &QListWidget::itemActivated, this, open);
    return tab;
}

void HelpViewer::SelectIndexEntry(const QString& text) {
    for (int i = 0; i < index_->count(); ++i) {
        if (index_->item(i)->text().startsWith(text, Qt::CaseInsensitive)) {
            index_->setCurrentRow(i);
            index_->scrollToItem(index_->item(i));
            return;
        }
    }
}

QWidget* HelpViewer::MakeSearchTab() {
    auto* tab = new QWidget(this);
    searchText_ = new QLineEdit(tab);
    searchText_->setObjectName("searchText");
    auto* button = new QPushButton(texts_.listTopics, tab);
    button->setObjectName("listTopics");
    results_ = new QListWidget(tab);
    results_->setObjectName("searchResults");
    auto* row = new QHBoxLayout;
    row->addWidget(searchText_);
    row->addWidget(button);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(row);
    layout->addWidget(results_);
    connect(searchText_, &QLineEdit::returnPressed, this, &HelpViewer::RunSearch);
    connect(button, &QPushButton::clicked, this, &HelpViewer::RunSearch);
    connect(results_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        ShowTopic(item->data(kLocalRole).toString());
        // The first of the words found is marked in the topic.
        browser_->find(searchText_->text().split(' ', Qt::SkipEmptyParts).value(0));
    });
    return tab;
}

void HelpViewer::RunSearch() {
    results_->clear();
    const QStringList titles = Search(searchText_->text());
    for (const auto& topic : topics_) {
        if (titles.contains(topic.title)) {
            auto* item = new QListWidgetItem(topic.title, results_);
            item->setData(kLocalRole, topic.local);
        }
    }
    if (results_->count() == 0 && !searchText_->text().trimmed().isEmpty()) {
        auto* item = new QListWidgetItem(texts_.noTopic, results_);
        item->setFlags(Qt::NoItemFlags);
    } else {
        results_->setCurrentRow(0);
    }
}

void HelpViewer::MakeToolBar() {
    auto* bar = addToolBar(texts_.contents);
    bar->setObjectName("navigation");
    bar->setMovable(false);
    auto* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), texts_.back);
    auto* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), texts_.forward);
    auto* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), texts_.home);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { ShowTopic(QString()); });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
}

void HelpViewer::MarkInContents(const QString& topic) {
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        if (TopicName((*it)->data(0, kLocalRole).toString()) == topic) {
            const QSignalBlocker quiet(contents_);
            contents_->setCurrentItem(*it);
            return;
        }
    }
}

void HelpViewer::ReadTopics() {
    std::set<QString> seen;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QString local = TopicName((*it)->data(0, kLocalRole).toString());
        if (local.isEmpty() || !seen.insert(local).second) {
            continue;
        }
        const auto html = help_->Read(local.toStdString());
        if (html) {
            topics_.push_back({local, (*it)->text(0),
                               QTextDocumentFragment::fromHtml(FromUtf8(*html)).toPlainText()});
        }
    }
}

} // namespace foliant::qt
