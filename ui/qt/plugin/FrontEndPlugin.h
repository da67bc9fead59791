#pragma once

// The Qt front end as a plugin of the component library: libFoliantQt.so. The component links
// no Qt; when a host asks for the wizard and a display exists, the component loads this plugin
// from its own folder and lets it show the forms of one run. This header is the whole contract
// between the two, and it includes no Qt.
//
// Both sides are built from the same sources. The plugin carries its own copy of the forms
// layer and works on the component's form objects, so the component hands over the one piece
// of process state that copy cannot see (the pictures), and each side installs the Qt backend
// on its own copy of the thread's backend slot.

#include "platform/forms/Backend.h"
#include "platform/forms/Picture.h"

#include <functional>
#include <memory>

namespace foliant::qt {

// Changes whenever this contract changes; the plugin refuses any other version.
inline constexpr int kFrontEndPluginVersion = 1;
// The plugin's file, looked for in kFrontEndPluginFolder beside the component library.
inline constexpr const char* kFrontEndPluginFile = "libFoliantQt.so";
// The folder beside the component library that holds the plugin.
inline constexpr const char* kFrontEndPluginFolder = "foliant";
// The one symbol the plugin exports: a FrontEndEntry.
inline constexpr const char* kFrontEndEntryName = "FoliantQtFrontEnd";

// What the component hands the front end for one run.
struct HostedRun {
    // The component's pictures: resource bitmaps and image list keys.
    forms::PictureProvider pictures;
    // Runs the wizard with this backend installed on the component's side. Called once, on the
    // calling thread, when the front end is ready; it must not throw.
    std::function<void(const std::shared_ptr<forms::Backend>& backend)> run;
};

class FrontEnd {
public:
    // Shows the forms of one run with Qt on the calling thread and returns when the run is over.
    // A program that runs a QApplication keeps it: the forms show over its active window. A
    // program without one gets one for the time of the call, torn down before this returns.
    // Throws std::runtime_error, its message a whole sentence saying why, when the forms cannot
    // be shown here: the program's Qt application is not a QApplication, this is not the thread
    // that runs it, or the display cannot be reached.
    virtual void Run(const HostedRun& run) = 0;

protected:
    ~FrontEnd() = default;
};

// The plugin's entry point: the front end, or null when version is not kFrontEndPluginVersion.
using FrontEndEntry = FrontEnd* (*)(int version);

} // namespace foliant::qt
