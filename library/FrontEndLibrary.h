#pragma once

// The Qt front end plugin (libFoliantQt.so) as the component finds and loads it: from the
// private folder foliant/ beside the component library itself, so a build tree and an
// installation anywhere both find the plugin that was built with the component, never one
// named by the environment.

#include "ui/qt/plugin/FrontEndPlugin.h"

#include <string>

namespace foliant::component {

// <folder of the component library>/foliant/libFoliantQt.so; "" when the library's file is
// unknown.
std::string FrontEndPluginPath();

// The plugin's front end, loaded on the first call and kept until the component is unloaded.
// Throws AutomationError kWizardRunError naming the plugin's file and what failed when it
// cannot be loaded or was built for another version of the component.
qt::FrontEnd& LoadFrontEnd();

} // namespace foliant::component
