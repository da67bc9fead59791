#pragma once

// Reading and writing the string values of HKEY_CLASSES_ROOT that class registration uses.

#include "platform/winreg/WinReg.h"

#include <optional>
#include <string>

namespace foliant::automation::registration {

// The REG_SZ value `name` ("" for the default value) of HKEY_CLASSES_ROOT\path, or nothing
// when the key or value is missing or not text.
std::optional<std::string> ReadText(const std::string& path, const char* name = "");

// Creates HKEY_CLASSES_ROOT\path (with every missing parent) and, when value is given, sets
// its REG_SZ value `name`. The registry's result code.
winreg::LONG WriteText(const std::string& path, const char* name,
                       const std::optional<std::string>& value);

// Removes HKEY_CLASSES_ROOT\path with all its subkeys; a missing key is success.
winreg::LONG RemoveTree(const std::string& path);

// Removes HKEY_CLASSES_ROOT\path when it has no subkeys and no values left.
winreg::LONG RemoveIfEmpty(const std::string& path);

} // namespace foliant::automation::registration
