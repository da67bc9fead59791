// The component library's entry points: the four exports over its two creatable classes,
// VRStandardWizard and ReportOpener.
#include "library/HostedWizard.h"
#include "library/ReportOpener.h"

#include "platform/automation/FoliantServer.h"

namespace foliant::component {
namespace {

const automation::ServerModule& FoliantModule() {
    static const automation::ServerModule module(
        automation::GeodyneFoliantLibrary(),
        {automation::VRStandardWizardClass([] { return std::make_shared<HostedWizard>(); }),
         ReportOpenerClass()});
    return module;
}

} // namespace
} // namespace foliant::component

FOLIANT_AUTOMATION_DEFINE_EXPORTS(foliant::component::FoliantModule())
