// The design window's edits: what is chosen (structure, page and property panel kept in step),
// the changes the panels, the mouse and the keys make, undo and redo, and the pages laid out
// again after each.

#include "ui/qt/DesignWindow.h"

#include "design/Grid.h"
#include "design/Structure.h"
#include "engine/core/EngineError.h"
#include "preview/LocaleSettings.h"
#include "ui/qt/DesignOverlay.h"
#include "ui/qt/DesignProperties.h"
#include "ui/qt/ReportViewer.h"

#include <QMessageBox>
#include <QStatusBar>

namespace foliant::qt {

namespace {

// The index among the report's objects (as the pages name them) of the object at path.
int IndexOf(const engine::Report& report, const design::ObjectPath& path) {
    const auto objects = report.AllObjects();
    const auto& object = design::ObjectAt(report, path);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].get() == &object) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

void DesignWindow::ConnectEdits() {
    connect(structure_, &DesignStructure::Chosen, this, &DesignWindow::Choose);
    connect(structure_, &DesignStructure::GoToPage, this,
            [this] { overlay_->setFocus(Qt::ShortcutFocusReason); });
    connect(overlay_, &DesignOverlay::Clicked, this, [this](int index) {
        DesignSelection chosen;
        if (document_) {
            if (const auto path = design::PathOfIndex(document_->Report(), index)) {
                chosen.object = *path;
                chosen.section = path->Section();
            }
        }
        Choose(chosen);
    });
    connect(overlay_, &DesignOverlay::Dragged, this, &DesignWindow::ObjectDragged);
    connect(overlay_, &DesignOverlay::Nudged, this, &DesignWindow::ObjectNudged);
    connect(properties_, &DesignProperties::ObjectEdited, this,
            [this](const design::ObjectState& after, const QString& label) {
                if (document_ && selection_.object) {
                    ApplyEdit(design::ObjectChange(document_->Report(), *selection_.object, after,
                                                   label.toStdString()));
                }
            });
    connect(properties_, &DesignProperties::SectionEdited, this,
            [this](const design::SectionState& after, const QString& label) {
                if (document_ && selection_.section) {
                    ApplyEdit(design::SectionChange(document_->Report(), *selection_.section, after,
                                                    label.toStdString()));
                }
            });
    connect(viewer_, &ReportViewer::RunFinished, this, &DesignWindow::RunFinished);
    connect(viewer_, &ReportViewer::PageChanged, this, &DesignWindow::PageChanged);
    connect(viewer_, &ReportViewer::ZoomChanged, this, &DesignWindow::PageChanged);
}

bool DesignWindow::Editable() const {
    return document_ != nullptr && document_->HasRun() && !viewer_->Running();
}

void DesignWindow::Choose(const DesignSelection& selection) {
    selection_ = selection;
    structure_->Select(selection_);
    ShowChosen();
}

void DesignWindow::ShowChosen() {
    if (!document_) {
        properties_->ShowNothing();
        overlay_->SetChosen(-1);
        return;
    }
    const engine::Report& report = document_->Report();
    properties_->setEnabled(Editable());
    if (selection_.object) {
        const auto& object = design::ObjectAt(report, *selection_.object);
        properties_->ShowObject(design::CaptureObject(object),
                                object.Kind() == engine::ObjectKind::Text,
                                QString::fromStdString(design::ObjectKindName(object) + " " +
                                                       design::ObjectContent(object)));
        overlay_->SetChosen(IndexOf(report, *selection_.object));
        return;
    }
    overlay_->SetChosen(-1);
    if (selection_.section) {
        const auto& section = design::SectionAt(report, *selection_.section);
        properties_->ShowSection(design::CaptureSection(section), design::CanStartPage(section),
                                 QString::fromStdString(design::SectionCaption(section)));
    } else {
        properties_->ShowNothing();
    }
}

bool DesignWindow::ApplyEdit(const design::Edit& edit) {
    if (!Editable()) {
        return false;
    }
    try {
        document_->Apply(edit);
    } catch (const engine::EngineError& e) {
        QMessageBox::warning(this, tr("Foliant Design"), QString::fromStdString(e.Description()));
        ShowChosen(); // the panel shows the values that stayed
        return false;
    }
    statusBar()->showMessage(QString::fromStdString(edit.label), 3000);
    Refresh();
    return true;
}

void DesignWindow::Undo() {
    if (Editable() && document_->CanUndo()) {
        document_->Undo();
        Refresh();
    }
}

void DesignWindow::Redo() {
    if (Editable() && document_->CanRedo()) {
        document_->Redo();
        Refresh();
    }
}

void DesignWindow::Refresh() {
    if (document_ && document_->HasRun()) {
        viewer_->ReplaceDocument(document_->Pages(), document_->LastRun());
    }
    if (document_) {
        structure_->Rebuild(document_->Report());
    }
    ShowChosen();
    UpdateTitle();
    PageChanged();
}

void DesignWindow::PageChanged() {
    const int page = viewer_->CurrentPage();
    const auto& pages = viewer_->Document().pages;
    const auto index = static_cast<std::size_t>(page - 1);
    // The trace belongs to the document's own pages, shown once the first run has ended.
    const std::vector<int>* trace = nullptr;
    if (page > 0 && Editable() && index < document_->Trace().size()) {
        trace = &document_->Trace()[index];
    }
    overlay_->SetPage(page > 0 ? &pages[index] : nullptr, trace, viewer_->PixelsPerTwip());
}

void DesignWindow::ObjectDragged(bool resize, int dx, int dy, bool free) {
    if (!document_ || !selection_.object) {
        return;
    }
    const auto& object = design::ObjectAt(document_->Report(), *selection_.object);
    const design::ObjectState start = design::CaptureObject(object);
    const design::ObjectState after =
        resize ? design::Resized(start, dx, dy, free) : design::Dragged(start, dx, dy, free);
    ApplyEdit(design::ObjectChange(document_->Report(), *selection_.object, after,
                                   resize ? "Resize" : "Move"));
}

void DesignWindow::ObjectNudged(int dx, int dy, bool free) {
    if (!document_ || !selection_.object) {
        return;
    }
    const auto& object = design::ObjectAt(document_->Report(), *selection_.object);
    ApplyEdit(design::ObjectChange(document_->Report(), *selection_.object,
                                   design::Nudged(design::CaptureObject(object), dx, dy, free),
                                   "Move"));
}

void DesignWindow::RunFinished() {
    if (!document_) {
        return;
    }
    if (const auto run = viewer_->FinishedRun(); run && run->report == document_->SharedReport()) {
        document_->TakeRun(run, preview::LocaleLayoutSettings());
        Refresh();
    } else if (!viewer_->RunError().isEmpty()) {
        statusBar()->showMessage(tr("The report could not be run: %1").arg(viewer_->RunError()));
    }
    UpdateTitle();
}

} // namespace foliant::qt
