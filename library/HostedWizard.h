#pragma once

// The wizard as the component library serves it to hosts. A host process that loads the
// library has no windows of its own for the wizard, so a run is driven by the wizard script
// named by the environment variable FOLIANT_WIZARD_SCRIPT, on the headless backend; the
// script's dump lines go to standard output.

#include "component/VRStandardWizard.h"

#include <cstdint>

namespace foliant::component {

// Number of the error raised when the wizard cannot be run or its script fails.
inline constexpr std::int32_t kWizardRunError = 5;

class HostedWizard final : public VRStandardWizard {
public:
    // Runs the wizard driven by the script FOLIANT_WIZARD_SCRIPT names. Throws AutomationError
    // kWizardRunError when the variable is not set, the script cannot be read, or a line of
    // it fails (the description names the script, the line and the reason); errors of the
    // wizard itself pass through unchanged.
    void DisplayReportWizard() override;
};

} // namespace foliant::component
