#include "ui/qt/ReportViewer.h"

#include "engine/page/HtmlPainter.h"
#include "engine/page/TextPainter.h"
#include "ui/qt/PagePainter.h"

#include <QAction>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace foliant::qt {

namespace {

constexpr int kMargin = 12;        // pixels of grey around the page
constexpr double kZoomStep = 1.25; // one zoom in or out
constexpr double kTwipsPerInch = 1440.0;

std::string LowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

void WriteTextFile(const std::string& path, const std::string& content) {
    SaveFile(path, QByteArray::fromStdString(content));
}

} // namespace

// The sheet of the current page on a grey desk, at the viewer's zoom.
class PageCanvas : public QWidget {
public:
    explicit PageCanvas(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void Show(const engine::page::Page* page, double scale) {
        page_ = page;
        scale_ = scale;
        const QSize size = page_ ? QSize(static_cast<int>(std::ceil(page_->width * scale_)),
                                         static_cast<int>(std::ceil(page_->height * scale_)))
                                 : QSize(0, 0);
        resize(size + QSize(2 * kMargin, 2 * kMargin));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (!page_) {
            return;
        }
        const QRectF sheet(kMargin, kMargin, page_->width * scale_, page_->height * scale_);
        painter.fillRect(sheet.translated(3, 3), QColor(0, 0, 0, 80)); // shadow
        PaintPageAt(painter, *page_, scale_, kMargin, kMargin);
    }

private:
    const engine::page::Page* page_ = nullptr;
    double scale_ = 1.0;
};

ReportViewer::ReportViewer(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("viewerToolBar"));
    toolBar_->setFocusPolicy(Qt::NoFocus);
    auto add = [this](const char* name, const QString& text, QStyle::StandardPixmap icon,
                      const QString& tip) {
        QAction* action = toolBar_->addAction(style()->standardIcon(icon), text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(tip);
        return action;
    };
    first_ = add("firstPage", tr("First"), QStyle::SP_MediaSkipBackward, tr("First page (Home)"));
    previous_ = add("previousPage", tr("Previous"), QStyle::SP_MediaSeekBackward,
                    tr("Previous page (Page Up)"));
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    pageLabel_->setContentsMargins(8, 0, 8, 0);
    toolBar_->addWidget(pageLabel_);
    next_ = add("nextPage", tr("Next"), QStyle::SP_MediaSeekForward, tr("Next page (Page Down)"));
    last_ = add("lastPage", tr("Last"), QStyle::SP_MediaSkipForward, tr("Last page (End)"));
    toolBar_->addSeparator();
    zoomOut_ = toolBar_->addAction(tr("Zoom Out"));
    zoomOut_->setObjectName(QStringLiteral("zoomOut"));
    zoomOut_->setToolTip(tr("Zoom out (-)"));
    zoomLabel_ = new QLabel(this);
    zoomLabel_->setObjectName(QStringLiteral("zoomLabel"));
    zoomLabel_->setContentsMargins(6, 0, 6, 0);
    toolBar_->addWidget(zoomLabel_);
    zoomIn_ = toolBar_->addAction(tr("Zoom In"));
    zoomIn_->setObjectName(QStringLiteral("zoomIn"));
    zoomIn_->setToolTip(tr("Zoom in (+)"));
    fitWidth_ = toolBar_->addAction(tr("Fit Width"));
    fitWidth_->setObjectName(QStringLiteral("fitWidth"));
    fitWidth_->setCheckable(true);
    wholePage_ = toolBar_->addAction(tr("Whole Page"));
    wholePage_->setObjectName(QStringLiteral("wholePage"));
    wholePage_->setCheckable(true);
    toolBar_->addSeparator();
    export_ = add("export", tr("Export..."), QStyle::SP_DialogSaveButton,
                  tr("Export the report to PDF, PNG, HTML or text"));
    layout->addWidget(toolBar_);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pageArea"));
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    canvas_ = new PageCanvas(scroll_);
    scroll_->setWidget(canvas_);
    scroll_->viewport()->installEventFilter(this);
    layout->addWidget(scroll_, 1);

    connect(first_, &QAction::triggered, this, &ReportViewer::FirstPage);
    connect(previous_, &QAction::triggered, this, &ReportViewer::PreviousPage);
    connect(next_, &QAction::triggered, this, &ReportViewer::NextPage);
    connect(last_, &QAction::triggered, this, &ReportViewer::LastPage);
    connect(zoomIn_, &QAction::triggered, this, &ReportViewer::ZoomIn);
    connect(zoomOut_, &QAction::triggered, this, &ReportViewer::ZoomOut);
    connect(fitWidth_, &QAction::triggered, this, &ReportViewer::FitWidth);
    connect(wholePage_, &QAction::triggered, this, &ReportViewer::FitWholePage);
    connect(export_, &QAction::triggered, this, &ReportViewer::ExportWithDialog);
    UpdateControls();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::SetDocument(engine::page::Document document) {
    document_ = std::move(document);
    current_ = document_.pages.empty() ? 0 : 1;
    ApplyZoom();
    emit PageChanged(current_);
}

void ReportViewer::SetReport(std::shared_ptr<const engine::Report> report,
                             engine::run::LayoutSettings settings,
                             engine::run::RunOptions options) {
    report_ = std::move(report);
    settings_ = std::move(settings);
    options_ = std::move(options);
}

void ReportViewer::ShowReport() {
    if (!report_) {
        SetDocument({});
        return;
    }
    SetDocument(engine::run::RenderReport(*report_, options_, settings_));
}

void ReportViewer::ShowPage(int number) {
    const int page = PageCount() == 0 ? 0 : std::clamp(number, 1, PageCount());
    if (page == current_) {
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

QString ReportViewer::PageText() const {
    if (PageCount() == 0) {
        return tr("No pages");
    }
    return tr("Page %1 of %2").arg(current_).arg(PageCount());
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
    const auto& page = document_.pages[static_cast<std::size_t>(current_ - 1)];
    const double pixelsPerTwip = logicalDpiX() / kTwipsPerInch;
    const QSize view = scroll_->maximumViewportSize();
    // A page fitted to the width is taller than the view: leave room for the scroll bar.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const double width =
        std::max(1, view.width() - 2 * kMargin - (mode == ZoomMode::FitWidth ? scrollBar : 0));
    const double height = std::max(1, view.height() - 2 * kMargin);
    const double byWidth = width / (page.width * pixelsPerTwip);
    if (mode == ZoomMode::FitWidth) {
        return byWidth;
    }
    return std::min(byWidth, height / (page.height * pixelsPerTwip));
}

void ReportViewer::ApplyZoom() {
    if (mode_ != ZoomMode::Fixed) {
        zoom_ = std::clamp(FitZoom(mode_), kMinimumZoom, kMaximumZoom);
    }
    const engine::page::Page* page =
        current_ == 0 ? nullptr : &document_.pages[static_cast<std::size_t>(current_ - 1)];
    canvas_->Show(page, zoom_ * logicalDpiX() / kTwipsPerInch);
    UpdateControls();
    emit ZoomChanged(zoom_);
}

void ReportViewer::UpdateControls() {
    const bool any = PageCount() > 0;
    first_->setEnabled(any && current_ > 1);
    previous_->setEnabled(any && current_ > 1);
    next_->setEnabled(any && current_ < PageCount());
    last_->setEnabled(any && current_ < PageCount());
    zoomIn_->setEnabled(zoom_ < kMaximumZoom);
    zoomOut_->setEnabled(zoom_ > kMinimumZoom);
    fitWidth_->setChecked(mode_ == ZoomMode::FitWidth);
    wholePage_->setChecked(mode_ == ZoomMode::WholePage);
    export_->setEnabled(any);
    pageLabel_->setText(PageText());
    zoomLabel_->setText(QStringLiteral("%1%").arg(std::lround(zoom_ * 100)));
}

void ReportViewer::ExportTo(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext == "pdf") {
        WriteDocumentPdf(document_, path);
    } else if (ext == "png") {
        WriteDocumentPngs(document_, path);
    } else if (ext == "html" || ext == "htm") {
        WriteTextFile(path, engine::page::RenderHtml(document_));
    } else if (ext == "txt") {
        WriteTextFile(path, engine::page::RenderText(document_));
    } else {
        throw ExportError("Cannot export to " + path +
                          ": the name must end in .pdf, .png, .html or .txt.");
    }
}

void ReportViewer::ExportWithDialog() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export Report"), QString(),
        tr("PDF (*.pdf);;PNG images, one per page (*.png);;HTML (*.html);;Text (*.txt)"), &filter);
    if (path.isEmpty()) {
        return;
    }
    std::string target = path.toStdString();
    if (LowerExtension(target).empty()) {
        // The extension of the chosen filter: "PDF (*.pdf)" gives ".pdf".
        const auto open = filter.indexOf(QStringLiteral("*."));
        const auto close = filter.indexOf(QLatin1Char(')'), open);
        if (open >= 0 && close > open) {
            target += filter.mid(open + 1, close - open - 1).toStdString();
        }
    }
    try {
        ExportTo(target);
    } catch (const ExportError& e) {
        QMessageBox::warning(this, tr("Export Report"), QString::fromStdString(e.what()));
    }
}

void ReportViewer::keyPressEvent(QKeyEvent* event) {
    QScrollBar* vertical = scroll_->verticalScrollBar();
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
