#pragma once

// The host side: creating an object of a registered class the way a host does, through the
// registry and the component's exports only.

#include "platform/automation/values/Variant.h"

#include <memory>
#include <string_view>

namespace foliant::automation {

// A new object of the class a ProgID (or a braced CLSID) names: the class's InprocServer32
// library under HKEY_CLASSES_ROOT is loaded (and stays loaded), its DllGetClassObject gives
// the class factory, and the factory makes the object. Call its members with CallByName.
// Throws AutomationError 429 ("Component can't create object: ..." naming the class and what
// failed) when the class is not registered, the library does not load or lacks the export, or
// the factory fails.
std::shared_ptr<Object> CreateObject(std::string_view progIdOrClsid);

} // namespace foliant::automation
