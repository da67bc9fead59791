// The viewer's find: the find bar, the matches over every page, going from one to the next,
// and the marks over them on the page shown.

#include "ui/qt/ReportViewer.h"

#include "ui/qt/PageCanvas.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>

#include <variant>

namespace foliant::qt {

void ReportViewer::BuildFindBar() {
    findBar_ = new QToolBar(this);
    findBar_->setObjectName(QStringLiteral("findBar"));
    auto* caption = new QLabel(tr("Find:"), this);
    caption->setContentsMargins(6, 0, 4, 0);
    findBar_->addWidget(caption);
    findBox_ = new QLineEdit(this);
    findBox_->setObjectName(QStringLiteral("findBox"));
    findBox_->setClearButtonEnabled(true);
    findBox_->setMaximumWidth(260);
    findBar_->addWidget(findBox_);
    QAction* previous = findBar_->addAction(tr("Previous"));
    previous->setObjectName(QStringLiteral("findPrevious"));
    previous->setToolTip(tr("Previous match (Shift+F3)"));
    QAction* next = findBar_->addAction(tr("Next"));
    next->setObjectName(QStringLiteral("findNext"));
    next->setToolTip(tr("Next match (F3, Enter)"));
    findLabel_ = new QLabel(this);
    findLabel_->setObjectName(QStringLiteral("findLabel"));
    findLabel_->setContentsMargins(8, 0, 8, 0);
    findBar_->addWidget(findLabel_);
    QAction* close = findBar_->addAction(tr("Close"));
    close->setObjectName(QStringLiteral("findClose"));
    connect(findBox_, &QLineEdit::returnPressed, this, [this] {
        if (matches_.empty() || CurrentMatch() == std::nullopt) {
            Find(findBox_->text());
        } else {
            FindNext();
        }
    });
    connect(findBox_, &QLineEdit::textEdited, this, [this](const QString& text) { Find(text); });
    connect(previous, &QAction::triggered, this, &ReportViewer::FindPrevious);
    connect(next, &QAction::triggered, this, &ReportViewer::FindNext);
    connect(close, &QAction::triggered, this, [this] {
        findBar_->hide();
        matches_.clear();
        UpdateHighlights();
        setFocus();
    });
    findBar_->hide();
}

int ReportViewer::Find(const QString& text) {
    findBar_->show();
    if (findBox_->text() != text) {
        findBox_->setText(text);
    }
    matches_ = preview::FindInDocument(*document_, text.toStdString());
    if (matches_.empty()) {
        findLabel_->setText(text.isEmpty() ? QString() : tr("Not found"));
        UpdateHighlights();
        return 0;
    }
    // The first match on or after the page shown, else the first of all.
    std::size_t index = 0;
    for (std::size_t i = 0; i < matches_.size(); ++i) {
        if (static_cast<int>(matches_[i].page) + 1 >= current_) {
            index = i;
            break;
        }
    }
    GoToMatch(index);
    return static_cast<int>(matches_.size());
}

void ReportViewer::FindNext() {
    if (!matches_.empty()) {
        GoToMatch((match_ + 1) % matches_.size());
    }
}

void ReportViewer::FindPrevious() {
    if (!matches_.empty()) {
        GoToMatch((match_ + matches_.size() - 1) % matches_.size());
    }
}

std::optional<preview::TextMatch> ReportViewer::CurrentMatch() const {
    if (match_ >= matches_.size()) {
        return std::nullopt;
    }
    return matches_[match_];
}

void ReportViewer::GoToMatch(std::size_t index) {
    match_ = index;
    const preview::TextMatch& m = matches_[index];
    ShowPage(static_cast<int>(m.page) + 1);
    UpdateHighlights();
    findLabel_->setText(tr("%1 of %2 matches").arg(index + 1).arg(matches_.size()));
    // Bring the match into view.
    const auto& run = std::get<engine::page::TextRun>(document_->pages[m.page].items[m.item]);
    const double scale =
        canvas_->height() > 2 * PageCanvas::kMargin
            ? double(canvas_->height() - 2 * PageCanvas::kMargin) / document_->pages[m.page].height
            : 0.0;
    scroll_->ensureVisible(PageCanvas::kMargin + static_cast<int>(run.box.left * scale),
                           PageCanvas::kMargin + static_cast<int>(run.box.top * scale), 20, 60);
}

void ReportViewer::UpdateHighlights() {
    std::vector<PageCanvas::Highlight> highlights;
    for (std::size_t i = 0; i < matches_.size(); ++i) {
        const preview::TextMatch& m = matches_[i];
        if (static_cast<int>(m.page) + 1 != current_) {
            continue;
        }
        const auto& run = std::get<engine::page::TextRun>(document_->pages[m.page].items[m.item]);
        highlights.push_back({run.box, i == match_});
    }
    canvas_->SetHighlights(std::move(highlights));
}

} // namespace foliant::qt
