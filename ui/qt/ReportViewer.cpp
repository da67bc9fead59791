#include "ui/qt/ReportViewer.h"

#include "ui/qt/PageCanvas.h"
#include "ui/qt/PagePainter.h"

#include <QAction>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace foliant::qt {

namespace {

constexpr double kZoomStep = 1.25; // one zoom in or out
constexpr int kPollMilliseconds = 40;

} // namespace

ReportViewer::ReportViewer(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    layout->addWidget(toolBar_);
    BuildFindBar();
    layout->addWidget(findBar_);
    BuildRunBar();
    layout->addWidget(runBar_);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pageArea"));
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    canvas_ = new PageCanvas(scroll_);
    scroll_->setWidget(canvas_);
    scroll_->viewport()->installEventFilter(this);
    layout->addWidget(scroll_, 1);

    poll_ = new QTimer(this);
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, &ReportViewer::PollRun);
    UpdateControls();
}

ReportViewer::~ReportViewer() = default;

QAction* ReportViewer::AddAction(const char* name, const QString& text, const QString& tip) {
    QAction* action = toolBar_->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(tip);
    return action;
}

void ReportViewer::BuildToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("viewerToolBar"));
    toolBar_->setFocusPolicy(Qt::NoFocus);
    first_ = AddAction("firstPage", tr("First"), tr("First page (Home)"));
    first_->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    previous_ = AddAction("previousPage", tr("Previous"), tr("Previous page (Page Up)"));
    previous_->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
    pageBox_ = new QLineEdit(this);
    pageBox_->setObjectName(QStringLiteral("pageBox"));
    pageBox_->setValidator(new QIntValidator(1, 999999, pageBox_));
    pageBox_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    pageBox_->setAlignment(Qt::AlignRight);
    pageBox_->setToolTip(tr("Type a page number and press Enter"));
    toolBar_->addWidget(pageBox_);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    pageLabel_->setContentsMargins(4, 0, 8, 0);
    toolBar_->addWidget(pageLabel_);
    next_ = AddAction("nextPage", tr("Next"), tr("Next page (Page Down)"));
    next_->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
    last_ = AddAction("lastPage", tr("Last"), tr("Last page (End)"));
    last_->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    toolBar_->addSeparator();
    zoomOut_ = AddAction("zoomOut", tr("Zoom Out"), tr("Zoom out (-)"));
    zoomLabel_ = new QLabel(this);
    zoomLabel_->setObjectName(QStringLiteral("zoomLabel"));
    zoomLabel_->setContentsMargins(6, 0, 6, 0);
    toolBar_->addWidget(zoomLabel_);
    zoomIn_ = AddAction("zoomIn", tr("Zoom In"), tr("Zoom in (+)"));
    fitWidth_ = AddAction("fitWidth", tr("Fit Width"), tr("Fit the page's width"));
    fitWidth_->setCheckable(true);
    wholePage_ = AddAction("wholePage", tr("Whole Page"), tr("Fit the whole page"));
    wholePage_->setCheckable(true);
    toolBar_->addSeparator();
    find_ = AddAction("find", tr("Find..."), tr("Find text (Ctrl+F)"));
    print_ = AddAction("print", tr("Print..."), tr("Print the report (Ctrl+P)"));
    print_->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    export_ = AddAction("export", tr("Export..."),
                        tr("Export the report to PDF, PNG, HTML, text or CSV"));
    export_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));

    connect(first_, &QAction::triggered, this, &ReportViewer::FirstPage);
    connect(previous_, &QAction::triggered, this, &ReportViewer::PreviousPage);
    connect(next_, &QAction::triggered, this, &ReportViewer::NextPage);
    connect(last_, &QAction::triggered, this, &ReportViewer::LastPage);
    connect(pageBox_, &QLineEdit::returnPressed, this, &ReportViewer::PageBoxEntered);
    connect(zoomIn_, &QAction::triggered, this, &ReportViewer::ZoomIn);
    connect(zoomOut_, &QAction::triggered, this, &ReportViewer::ZoomOut);
    connect(fitWidth_, &QAction::triggered, this, &ReportViewer::FitWidth);
    connect(wholePage_, &QAction::triggered, this, &ReportViewer::FitWholePage);
    connect(find_, &QAction::triggered, this, [this] {
        findBar_->show();
        findBox_->setFocus();
        findBox_->selectAll();
    });
    connect(print_, &QAction::triggered, this, &ReportViewer::PrintWithDialog);
    connect(export_, &QAction::triggered, this, &ReportViewer::ExportWithDialog);
}

void ReportViewer::BuildRunBar() {
    runBar_ = new QToolBar(this);
    runBar_->setObjectName(QStringLiteral("runBar"));
    runBar_->setFocusPolicy(Qt::NoFocus);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("runProgress"));
    progress_->setRange(0, 0); // busy until the count of records is known
    progress_->setMaximumWidth(240);
    runBar_->addWidget(progress_);
    runLabel_ = new QLabel(this);
    runLabel_->setObjectName(QStringLiteral("runLabel"));
    runLabel_->setContentsMargins(8, 0, 8, 0);
    runBar_->addWidget(runLabel_);
    cancel_ = runBar_->addAction(tr("Cancel"));
    cancel_->setObjectName(QStringLiteral("cancelRun"));
    cancel_->setToolTip(tr("Stop running the report; the pages shown so far stay"));
    connect(cancel_, &QAction::triggered, this, &ReportViewer::CancelRun);
    runBar_->hide();
}

void ReportViewer::ShowPage(int number) {
    const int page = PageCount() == 0 ? 0 : std::clamp(number, 1, PageCount());
    if (page == current_) {
        UpdateControls();
        return;
    }
    current_ = page;
    ApplyZoom();
    scroll_->verticalScrollBar()->setValue(0);
    emit PageChanged(current_);
}

void ReportViewer::FirstPage() {
    ShowPage(1);
}
void ReportViewer::PreviousPage() {
    ShowPage(current_ - 1);
}
void ReportViewer::NextPage() {
    ShowPage(current_ + 1);
}
void ReportViewer::LastPage() {
    ShowPage(PageCount());
}

void ReportViewer::PageBoxEntered() {
    ShowPage(pageBox_->text().toInt());
    setFocus();
}

QString ReportViewer::PageText() const {
    if (PageCount() == 0) {
        return tr("No pages");
    }
    return tr("%1 of %2%3").arg(current_).arg(PageCount()).arg(complete_ ? "" : "+");
}

void ReportViewer::SetZoom(double zoom) {
    mode_ = ZoomMode::Fixed;
    zoom_ = std::clamp(zoom, kMinimumZoom, kMaximumZoom);
    ApplyZoom();
}

void ReportViewer::ZoomIn() {
    SetZoom(zoom_ * kZoomStep);
}
void ReportViewer::ZoomOut() {
    SetZoom(zoom_ / kZoomStep);
}

void ReportViewer::FitWidth() {
    mode_ = ZoomMode::FitWidth;
    ApplyZoom();
}

void ReportViewer::FitWholePage() {
    mode_ = ZoomMode::WholePage;
    ApplyZoom();
}

double ReportViewer::FitZoom(ZoomMode mode) const {
    if (current_ == 0) {
        return zoom_;
    }
    const auto& page = document_->pages[static_cast<std::size_t>(current_ - 1)];
    const double pixelsPerTwip = logicalDpiX() / kTwipsPerInch;
    const QSize view = scroll_->maximumViewportSize();
    // A page fitted to the width is taller than the view: leave room for the scroll bar.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int margins = 2 * PageCanvas::kMargin;
    const double width =
        std::max(1, view.width() - margins - (mode == ZoomMode::FitWidth ? scrollBar : 0));
    const double height = std::max(1, view.height() - margins);
    const double byWidth = width / (page.width * pixelsPerTwip);
    if (mode == ZoomMode::FitWidth) {
        return byWidth;
    }
    return std::min(byWidth, height / (page.height * pixelsPerTwip));
}

double ReportViewer::PixelsPerTwip() const {
    return zoom_ * logicalDpiX() / kTwipsPerInch;
}

void ReportViewer::ApplyZoom() {
    if (mode_ != ZoomMode::Fixed) {
        zoom_ = std::clamp(FitZoom(mode_), kMinimumZoom, kMaximumZoom);
    }
    const engine::page::Page* page =
        current_ == 0 ? nullptr : &document_->pages[static_cast<std::size_t>(current_ - 1)];
    canvas_->Show(page, PixelsPerTwip());
    UpdateHighlights();
    UpdateControls();
    emit ZoomChanged(zoom_);
}

void ReportViewer::UpdateControls() {
    const bool any = PageCount() > 0;
    first_->setEnabled(any && current_ > 1);
    previous_->setEnabled(any && current_ > 1);
    next_->setEnabled(any && current_ < PageCount());
    last_->setEnabled(any && current_ < PageCount());
    pageBox_->setEnabled(any);
    pageBox_->setText(any ? QString::number(current_) : QString());
    pageLabel_->setText(any ? tr("of %1%2").arg(PageCount()).arg(complete_ ? "" : "+")
                            : tr("No pages"));
    zoomIn_->setEnabled(zoom_ < kMaximumZoom);
    zoomOut_->setEnabled(zoom_ > kMinimumZoom);
    fitWidth_->setChecked(mode_ == ZoomMode::FitWidth);
    wholePage_->setChecked(mode_ == ZoomMode::WholePage);
    find_->setEnabled(any);
    print_->setEnabled(any && complete_);
    export_->setEnabled(any && complete_);
    zoomLabel_->setText(QStringLiteral("%1%").arg(std::lround(zoom_ * 100)));
}

void ReportViewer::keyPressEvent(QKeyEvent* event) {
    QScrollBar* vertical = scroll_->verticalScrollBar();
    if (event->matches(QKeySequence::Find)) {
        find_->trigger();
    } else if (event->matches(QKeySequence::Print)) {
        print_->trigger();
    } else if (event->matches(QKeySequence::FindNext)) {
        FindNext();
    } else if (event->matches(QKeySequence::FindPrevious)) {
        FindPrevious();
    } else {
        switch (event->key()) {
        case Qt::Key_PageDown:
        case Qt::Key_Right:
            NextPage();
            break;
        case Qt::Key_PageUp:
        case Qt::Key_Left:
            PreviousPage();
            break;
        case Qt::Key_Home:
            FirstPage();
            break;
        case Qt::Key_End:
            LastPage();
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomIn();
            break;
        case Qt::Key_Minus:
            ZoomOut();
            break;
        case Qt::Key_Down:
            vertical->setValue(vertical->value() + vertical->singleStep());
            break;
        case Qt::Key_Up:
            vertical->setValue(vertical->value() - vertical->singleStep());
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
        }
    }
    event->accept();
}

bool ReportViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() > 0) {
                ZoomIn();
            } else if (wheel->angleDelta().y() < 0) {
                ZoomOut();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ReportViewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (mode_ != ZoomMode::Fixed) {
        ApplyZoom();
    }
}

} // namespace foliant::qt
