#pragma once

// Identity and members of the test component's class Recorder.

#include "platform/automation/Guid.h"

namespace foliant::automation::testserver {

inline constexpr GUID LIBID_RecorderLibrary = Guid("{CAFE8DD9-69A9-4D7C-9467-6512F9816469}");
inline constexpr GUID CLSID_Recorder = Guid("{0E50A8CF-95B7-4A49-BAC0-18AE3F75D427}");
inline constexpr GUID IID__Recorder = Guid("{E7276671-BE7C-4421-B14B-09E68B068484}");
inline constexpr const char* kRecorderProgId = "FoliantTest.Recorder";

inline constexpr DISPID kValueId = 1;
inline constexpr DISPID kTextId = 2;
inline constexpr DISPID kItemId = 3;
inline constexpr DISPID kAddId = 4;
inline constexpr DISPID kRaiseId = 5;
inline constexpr DISPID kCheckId = 0x60030001;

inline constexpr const char* kSource = "FoliantTest";
inline constexpr const char* kCheckDescription = "The recorder refuses this.";

} // namespace foliant::automation::testserver
