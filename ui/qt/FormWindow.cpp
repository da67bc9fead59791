#include "ui/qt/FormWindow.h"

#include "platform/forms/Controls.h"
#include "ui/qt/LabelFit.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindowStateChangeEvent>
#include <algorithm>

namespace foliant::qt {

using forms::ChangeEvent;
using What = ChangeEvent::What;

FormWindow::FormWindow(forms::Form& form, QWidget* parent)
    : QDialog(parent), widgets_(form),
      sync_(widgets_,
            [this](forms::Control& control, QLineEdit& edit) { input_.WireEdit(control, edit); }),
      input_(*this, widgets_, sync_) {
    setObjectName(QString::fromStdString(form.Name()));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    listener_ = form.Subscribe([this](const ChangeEvent& event) { OnChange(event); });
    Build();
    // Labels are fitted once every control stands where it belongs.
    RefitLabels(this);
}

FormWindow::~FormWindow() {
    if (forms::Form* form = Model()) {
        form->Unsubscribe(listener_);
    }
    Detach();
}

void FormWindow::Detach() {
    // Widgets die after this object's members: they must not reach the model any more.
    input_.Unwire();
    widgets_.Detach();
}

QWidget* FormWindow::WidgetFor(const forms::Control& control) const {
    return widgets_.Widget(control);
}

QWidget* FormWindow::WidgetFor(const std::string& name) const {
    const forms::Control* control = Model() != nullptr ? Model()->FindControl(name) : nullptr;
    return control != nullptr ? WidgetFor(*control) : nullptr;
}

QTreeWidgetItem* FormWindow::ItemFor(const forms::Node& node) const {
    return widgets_.Item(node);
}

void FormWindow::Build() {
    FormWidgets::SyncScope sync(widgets_);
    forms::Form& form = *Model();
    setWindowTitle(QString::fromStdString(form.Caption()));
    const QSize client(ToPixels(form.ScaleWidth()), ToPixels(form.ScaleHeight()));
    if (form.BorderStyle() == forms::BorderStyle::FixedDialog) {
        setFixedSize(client);
    } else {
        resize(client);
    }
    QWidget* previous = nullptr;
    for (forms::Control* control : form.Controls()) {
        QWidget* widget = EnsureWidget(*control);
        if (widget != nullptr && control->TakesFocus()) {
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    sync_.ShowDefaultButtons();
}

// Makes the control's widget (and first its frame's), then shows the model in it.
QWidget* FormWindow::EnsureWidget(forms::Control& control) {
    if (QWidget* existing = widgets_.Widget(control)) {
        return existing;
    }
    QWidget* parent = this;
    if (control.Container() != nullptr) {
        if (QWidget* frame = EnsureWidget(*control.Container())) {
            parent = frame;
        }
    }
    const CreatedWidget created = CreateWidget(control, parent);
    if (created.widget == nullptr) {
        return nullptr;
    }
    widgets_.Add(control, created.widget);
    widgets_.SetEdit(control, created.edit);
    input_.Wire(control, *created.widget);
    sync_.ShowAll(control);
    return created.widget;
}

// --- model -> window ----------------------------------------------------------------------

void FormWindow::OnChange(const ChangeEvent& event) {
    if (event.what == What::FormDestroyed) {
        Model()->Unsubscribe(listener_);
        Detach();
        closingByModel_ = true;
        if (inModal_) {
            done(QDialog::Rejected);
        } else {
            hide();
        }
        emit finishedWithModel();
        return;
    }
    FormWidgets::SyncScope sync(widgets_);
    OnFormChange(event);
}

void FormWindow::OnFormChange(const ChangeEvent& event) {
    switch (event.what) {
    case What::FormCaption:
        setWindowTitle(QString::fromStdString(Model()->Caption()));
        return;
    case What::FormShown:
        return;
    case What::FormHidden:
    case What::FormUnloaded:
        CloseByModel();
        if (event.what == What::FormUnloaded) {
            emit finishedWithModel();
        }
        return;
    case What::DefaultButton:
    case What::CancelButton:
        sync_.ShowDefaultButtons();
        return;
    case What::Focus:
        sync_.ShowFocus();
        return;
    case What::WindowState:
    case What::WindowPlacement:
        ApplyPlacement();
        return;
    default:
        if (event.control != nullptr) {
            sync_.Show(event);
        }
        return;
    }
}

void FormWindow::CloseByModel() {
    closingByModel_ = true;
    if (inModal_) {
        done(QDialog::Rejected);
    } else {
        hide();
    }
    closingByModel_ = false;
}

// --- window -------------------------------------------------------------------------------

void FormWindow::ApplyNormalGeometry() {
    FormWidgets::SyncScope sync(widgets_);
    const forms::Form& form = *Model();
    // The frame around the client area: the real one once the window is shown, before that
    // the one the model was given.
    int extraWidth = ToPixels(form.Width() - form.ScaleWidth());
    int extraHeight = ToPixels(form.Height() - form.ScaleHeight());
    if (isVisible()) {
        extraWidth = frameGeometry().width() - geometry().width();
        extraHeight = frameGeometry().height() - geometry().height();
    }
    move(ToPixels(form.Left()), ToPixels(form.Top()));
    if (form.BorderStyle() == forms::BorderStyle::FixedDialog) {
        setFixedSize(ToPixels(form.ScaleWidth()), ToPixels(form.ScaleHeight()));
    } else {
        resize(std::max(1, ToPixels(form.Width()) - extraWidth),
               std::max(1, ToPixels(form.Height()) - extraHeight));
    }
}

// Once the window is on screen its real frame is known; when it is not the frame the model
// assumed, the window is placed again, so that its outer size is the one the model holds
// (a placement stored at closing comes back at the same size, whatever frame the desktop
// draws).
void FormWindow::SettleFrame() {
    const forms::Form* form = Model();
    if (form == nullptr || !isVisible() || windowState() != Qt::WindowNoState ||
        form->WindowState() != forms::WindowState::Normal ||
        form->BorderStyle() == forms::BorderStyle::FixedDialog) {
        return;
    }
    const int assumedWidth = ToPixels(form->Width() - form->ScaleWidth());
    const int assumedHeight = ToPixels(form->Height() - form->ScaleHeight());
    if (frameGeometry().width() - geometry().width() != assumedWidth ||
        frameGeometry().height() - geometry().height() != assumedHeight) {
        ApplyNormalGeometry();
    }
}

void FormWindow::ApplyPlacement() {
    if (Model() == nullptr) {
        return;
    }
    FormWidgets::SyncScope sync(widgets_);
    Qt::WindowStates target = Qt::WindowNoState;
    if (Model()->WindowState() == forms::WindowState::Maximized) {
        target = Qt::WindowMaximized;
    } else if (Model()->WindowState() == forms::WindowState::Minimized) {
        target = Qt::WindowMinimized;
    }
    if (target == Qt::WindowNoState) {
        if (windowState() != Qt::WindowNoState) {
            setWindowState(Qt::WindowNoState);
        }
        ApplyNormalGeometry();
        return;
    }
    // The normal placement is what the window returns to when restored.
    if (windowState() == Qt::WindowNoState) {
        ApplyNormalGeometry();
    }
    setWindowState(target);
}

void FormWindow::SyncShown() {
    if (Model() == nullptr) {
        return;
    }
    if (Model()->Visible()) {
        ApplyPlacement();
        show();
        SettleFrame();
        sync_.ShowFocus();
        ReportGeometry();
    } else {
        hide();
    }
}

void FormWindow::RunModal() {
    if (Model() == nullptr || !Model()->Visible()) {
        return;
    }
    {
        FormWidgets::SyncScope sync(widgets_);
        ApplyPlacement();
    }
    inModal_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            SettleFrame();
            sync_.ShowFocus();
            ReportGeometry();
        },
        Qt::QueuedConnection);
    exec();
    inModal_ = false;
}

void FormWindow::ReportGeometry() {
    if (Model() == nullptr || widgets_.Syncing() || !isVisible()) {
        return;
    }
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    forms::WindowState state = forms::WindowState::Normal;
    if (windowState() & Qt::WindowMinimized) {
        state = forms::WindowState::Minimized;
    } else if (windowState() & Qt::WindowMaximized) {
        state = forms::WindowState::Maximized;
    }
    input_.Act(nullptr, [&] {
        Model()->WindowChanged(ToTwips(frame.x()), ToTwips(frame.y()), ToTwips(frame.width()),
                               ToTwips(frame.height()), ToTwips(inner.width()),
                               ToTwips(inner.height()), state);
    });
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ReportGeometry();
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    ReportGeometry();
}

void FormWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const auto oldState = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        if (Model() != nullptr && !widgets_.Syncing() && windowState() == Qt::WindowNoState &&
            (oldState & (Qt::WindowMaximized | Qt::WindowMinimized)) != 0 &&
            Model()->WindowState() != forms::WindowState::Normal) {
            // Restored: back to the placement the form kept while it was maximized.
            ApplyNormalGeometry();
        }
        ReportGeometry();
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (closingByModel_ || Model() == nullptr || !Model()->Loaded()) {
        event->accept();
        return;
    }
    // The person closed the window: the form decides (QueryUnload may refuse).
    event->ignore();
    input_.Act(nullptr, [this] { Model()->UserClose(); });
}

void FormWindow::reject() {
    if (closingByModel_ || Model() == nullptr) {
        QDialog::reject();
    }
}

void FormWindow::accept() {
    if (closingByModel_ || Model() == nullptr) {
        QDialog::accept();
    }
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    // Enter or Esc with the focus on no control of the form: the buttons decide.
    if (Model() != nullptr && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                               event->key() == Qt::Key_Escape)) {
        forms::CommandButton* button =
            event->key() == Qt::Key_Escape ? Model()->CancelButton() : Model()->DefaultButton();
        if (button != nullptr && button->IsShown() && button->IsEnabled()) {
            input_.Act(button, [button] {
                if (button->Click) {
                    button->Click();
                }
            });
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace foliant::qt
