#pragma once

// The wizard as the component library serves it to host programs. A run shows the real dialog
// when the process has a display (WindowHosting.h). A run is headless instead, driven by a
// wizard script, when the environment variable FOLIANT_WIZARD_SCRIPT names one; the script's
// dump lines go to standard output.

#include "component/VRStandardWizard.h"

#include <cstdint>

namespace foliant::component {

// Number of the error raised when the wizard cannot be run or its script fails.
inline constexpr std::int32_t kWizardRunError = 5;

class HostedWizard final : public VRStandardWizard {
public:
    // Runs the wizard: driven by the script FOLIANT_WIZARD_SCRIPT names, else in windows. Throws
    // AutomationError kWizardRunError when the script cannot be read or a line of it fails (the
    // description names the script, the line and the reason), when there is neither a script
    // nor a display, and when the windows cannot be shown (WindowHosting.h says why). A call
    // made while this thread's wizard is open fails with error 400. Errors of the wizard itself
    // pass through unchanged.
    void DisplayReportWizard() override;

private:
    void RunScript(const std::string& path);
};

} // namespace foliant::component
