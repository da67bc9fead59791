#pragma once

// The preview window: the finished report shown read-only in the report viewer, which fills
// the window. The window remembers its placement for the current user, under
// "Software\Geodyne\Vellum Reports": "Viewer Window Position" (left,top,width,height in twips)
// and "Viewer Window State" (0 normal, 2 maximized). Loading restores them; closing stores
// them. A stored position that no screen shows any more, or that is not four numbers with a
// width and height above 0, counts as none: the window opens centred.

#include "engine/Report.h"
#include "platform/forms/Form.h"
#include "preview/ReportViewerControl.h"
#include "registry/RegObject.h"

#include <memory>

namespace foliant::preview {

inline constexpr const char* kPlacementKey = "Software\\Geodyne\\Vellum Reports";
inline constexpr const char* kPositionValue = "Viewer Window Position";
inline constexpr const char* kStateValue = "Viewer Window State";
// The designed client area, in twips.
inline constexpr int kDesignedWidth = 8280;
inline constexpr int kDesignedHeight = 5670;

class QuickView : public forms::Form {
public:
    QuickView();

    ReportViewerControl& vrViewer1 =
        Add<ReportViewerControl>("vrViewer1", {0, 0, kDesignedWidth, kDesignedHeight}, "");

private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload(int& cancel);
    void RestorePosition();

    // Lives exactly as long as the form is loaded.
    std::shared_ptr<registry::RegObject> placement_;
};

// Loads the preview window hidden, when none is loaded, and keeps it and its viewer in the
// wizard state (PreviewForm, PreviewViewer). Returns the viewer.
ReportViewerControl& LoadPreviewViewer();

// Shows the report in the preview window, modally, and returns when the person has closed it:
// the viewer is given the report and asked to show it, then the window is shown. Loads the
// window first when the wizard did not. Throws what the forms layer throws for a modal show
// (a window already shown modally).
void ShowQuickView(std::shared_ptr<engine::Report> report);

} // namespace foliant::preview
