#pragma once

// The wizard component's server description built from its automation identity, so the
// component only supplies how a VRStandardWizard is made:
//
//     const automation::ServerModule& FoliantModule() {
//         static const automation::ServerModule module(
//             automation::GeodyneFoliantLibrary(),
//             {automation::VRStandardWizardClass([] { return std::make_shared<VRStandardWizard>();
//             })});
//         return module;
//     }
//     FOLIANT_AUTOMATION_DEFINE_EXPORTS(FoliantModule())

#include "platform/automation/FoliantGuids.h"
#include "platform/automation/Server.h"

namespace foliant::automation {

inline TypeLibraryInfo GeodyneFoliantLibrary() {
    return {LIBID_geodyneFoliant, kTypeLibraryName, kTypeLibraryMajor, kTypeLibraryMinor,
            kTypeLibraryName};
}

inline CoClassInfo VRStandardWizardClass(std::function<std::shared_ptr<Dispatchable>()> create) {
    return {CLSID_VRStandardWizard, kVRStandardWizardClassName,     kVRStandardWizardProgId,
            IID__VRStandardWizard,  kVRStandardWizardInterfaceName, std::move(create)};
}

} // namespace foliant::automation
