#pragma once

#include "engine/Report.h"

#include <memory>

namespace foliant::app {

// Whether a window can be opened: a display, a Wayland display or a chosen Qt platform.
bool HaveDisplay();

// Runs the wizard over the report in a real window (a QApplication for the time of the call,
// the Qt backend) and returns when the person has closed it. The wizard's errors are thrown.
void RunWizardWindow(const std::shared_ptr<engine::Report>& report, int argc, char** argv);

} // namespace foliant::app
