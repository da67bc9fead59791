#pragma once

// The wizard in real windows inside a host program: the Qt front end plugin shows the forms on
// the calling thread, on the program's QApplication when it runs one, else on one made for the
// time of the run. All of the process's wizard windows run on one thread at a time.

#include <functional>

namespace foliant::component {

// Whether this process can show windows: a display is named (DISPLAY, WAYLAND_DISPLAY), a Qt
// platform is chosen (QT_QPA_PLATFORM), or the program already runs Qt widgets.
bool HaveDisplay();

// Whether the wizard's windows are open on this thread (a call made from inside a run).
bool WindowsOpenOnThisThread();

// Runs wizard with the Qt front end showing its forms, and returns when it is over. wizard's
// own errors pass through unchanged. Throws AutomationError kWizardRunError, saying why, when
// the windows cannot be shown: another thread shows them now, the plugin cannot be loaded,
// the program's Qt application cannot host them or is run by another thread, or the display
// cannot be reached.
void RunInWindows(const std::function<void()>& wizard);

} // namespace foliant::component
