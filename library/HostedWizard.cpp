#include "library/HostedWizard.h"

#include "script/Script.h"

#include <cstdlib>
#include <iostream>
#include <string>

namespace foliant::component {

void HostedWizard::DisplayReportWizard() {
    const char* variable = std::getenv("FOLIANT_WIZARD_SCRIPT");
    if (variable == nullptr || *variable == '\0') {
        throw automation::AutomationError(
            kWizardRunError, "Foliant",
            "The wizard cannot be shown: this process has no window for it. Set "
            "FOLIANT_WIZARD_SCRIPT to a wizard script that drives it.");
    }
    const std::string path = variable;
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
