#pragma once

// The automation identity of the wizard component: its type library, its one creatable class
// with its default interface, the ProgID and the dispatch ids of the interface's members.
// These values are what hosts and the registry know the component by; never change them.

#include "platform/automation/Guid.h"

#include <cstdint>

namespace foliant::automation {

// Type library geodyneFoliant, version 1.0.
inline constexpr GUID LIBID_geodyneFoliant = Guid("{EA6CF467-C4C6-47AC-9E1F-037F6E27E53B}");
inline constexpr const char* kTypeLibraryName = "geodyneFoliant";
inline constexpr std::uint16_t kTypeLibraryMajor = 1;
inline constexpr std::uint16_t kTypeLibraryMinor = 0;

// The creatable class VRStandardWizard and its default interface _VRStandardWizard.
inline constexpr GUID CLSID_VRStandardWizard = Guid("{CF7D18EE-AA07-4DFF-9DAE-A5E427C41E25}");
inline constexpr GUID IID__VRStandardWizard = Guid("{95ADA2D9-7C04-4423-9B04-16E45DA4647E}");
inline constexpr const char* kVRStandardWizardClassName = "VRStandardWizard";
inline constexpr const char* kVRStandardWizardInterfaceName = "_VRStandardWizard";
inline constexpr const char* kVRStandardWizardProgId = "geodyneFoliant.VRStandardWizard";

// Members of _VRStandardWizard: VellumReport (get, put by reference), DisplayReportWizard.
inline constexpr DISPID DISPID_VellumReport = 0x68030000;
inline constexpr DISPID DISPID_DisplayReportWizard = 0x60030001;

} // namespace foliant::automation
