#pragma once

// The design window: a report's pages (the report viewer), its structure and a property panel,
// to look at a report after the wizard, adjust its objects and sections (with undo and redo),
// and go back to the wizard, save, export or print. Changes re-run the layout and the pages
// follow. The title is the file's name, with "*" while there are unsaved changes; closing
// with unsaved changes asks whether to save.

#include "design/DesignDocument.h"
#include "ui/qt/DesignStructure.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QAction;
class QMenu;
class QProcess;

namespace foliant::qt {

class DesignOverlay;
class DesignProperties;
class ReportViewer;

class DesignWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit DesignWindow(QWidget* parent = nullptr);
    ~DesignWindow() override;

    // Opens the report file and starts running it. False, after telling the person why, when
    // it cannot be read (the window keeps what it showed).
    bool Open(const std::string& path);
    design::DesignDocument* Document() const { return document_.get(); }
    ReportViewer* Viewer() const { return viewer_; }
    DesignStructure* Structure() const { return structure_; }
    DesignProperties* Properties() const { return properties_; }
    DesignOverlay* Overlay() const { return overlay_; }
    const DesignSelection& Selection() const { return selection_; }

    // Chooses an object or section as a click in the structure would.
    void Choose(const DesignSelection& selection);
    // Does the edit and shows its result; false after a message when the engine refuses it.
    bool ApplyEdit(const design::Edit& edit);

    // The actions, as the menus and tool bar run them. Save and SaveAs return whether the file
    // was written (false after a message, or when the person cancelled).
    bool Save();
    bool SaveAs();
    bool SaveTo(const std::string& path);
    void Undo();
    void Redo();
    void RunWizard();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildPanels();
    QAction* AddAction(const char* name, const QString& text, const QKeySequence& keys);
    void ConnectEdits();
    void RunFinished();
    void Refresh();
    void ShowChosen();
    void UpdateTitle();
    void UpdateRecentMenu(const std::vector<std::string>& files);
    void OpenWithDialog();
    // Unsaved changes: true when they were saved or may be dropped, false to stay.
    bool MaySetAside();
    void ObjectDragged(bool resize, int dx, int dy, bool free);
    void ObjectNudged(int dx, int dy, bool free);
    void PageChanged();
    bool Editable() const;

    std::unique_ptr<design::DesignDocument> document_;
    DesignSelection selection_;
    ReportViewer* viewer_ = nullptr;
    DesignOverlay* overlay_ = nullptr;
    DesignStructure* structure_ = nullptr;
    DesignProperties* properties_ = nullptr;
    QProcess* wizard_ = nullptr;
    QMenu* recent_ = nullptr;
    QAction* open_ = nullptr;
    QAction* save_ = nullptr;
    QAction* saveAs_ = nullptr;
    QAction* export_ = nullptr;
    QAction* print_ = nullptr;
    QAction* runWizard_ = nullptr;
    QAction* close_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

} // namespace foliant::qt
