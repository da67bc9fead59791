#include "library/HostedWizard.h"

#include "library/WindowHosting.h"
#include "script/Script.h"

#include <cstdlib>
#include <iostream>
#include <string>

namespace foliant::component {

void HostedWizard::DisplayReportWizard() {
    if (const char* script = std::getenv("FOLIANT_WIZARD_SCRIPT");
        script != nullptr && *script != '\0') {
        RunScript(script);
    } else if (WindowsOpenOnThisThread()) {
        // Called from inside a run: the windows are up already (an open wizard refuses this).
        VRStandardWizard::DisplayReportWizard();
    } else if (HaveDisplay()) {
        RunInWindows([this] { VRStandardWizard::DisplayReportWizard(); });
    } else {
        throw automation::AutomationError(
            kWizardRunError, "Foliant",
            "The wizard cannot be shown: this process has no display (DISPLAY and "
            "WAYLAND_DISPLAY are not set). Run the program where a display exists, or set "
            "FOLIANT_WIZARD_SCRIPT to a wizard script that drives the wizard.");
    }
}

void HostedWizard::RunScript(const std::string& path) {
    try {
        const auto lines = script::LoadScript(path);
        script::RunScripted(lines, std::cout, [this] { VRStandardWizard::DisplayReportWizard(); });
        std::cout.flush();
    } catch (const script::ScriptError& e) {
        std::cout.flush();
        const std::string where = e.Line() > 0 ? "The wizard script " + path + " stopped at line " +
                                                     std::to_string(e.Line()) + ": "
                                               : "The wizard script could not be run: ";
        throw automation::AutomationError(kWizardRunError, "Foliant", where + e.Reason() + ".");
    }
}

} // namespace foliant::component
