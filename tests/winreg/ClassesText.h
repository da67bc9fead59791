#pragma once

// Texts under HKEY_CLASSES_ROOT, read and written past the code under test.

#include "platform/winreg/WinReg.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace foliant::testing {

// The REG_SZ value `name` ("" for the default value) of HKEY_CLASSES_ROOT\key, or nothing when
// the key or value is missing or holds another type.
inline std::optional<std::string> ClassesText(const std::string& key, const char* name = "") {
    namespace wr = foliant::winreg;
    wr::HKEY handle = 0;
    if (wr::RegOpenKeyExA(wr::HKEY_CLASSES_ROOT, key.c_str(), 0, wr::KEY_QUERY_VALUE, &handle) !=
        wr::ERROR_SUCCESS) {
        return std::nullopt;
    }
    char data[1024] = {};
    wr::DWORD size = sizeof data - 1;
    wr::DWORD type = 0;
    const auto rc = wr::RegQueryValueExA(handle, name, nullptr, &type,
                                         reinterpret_cast<wr::BYTE*>(data), &size);
    wr::RegCloseKey(handle);
    if (rc != wr::ERROR_SUCCESS || type != wr::REG_SZ) {
        return std::nullopt;
    }
    return std::string(data);
}

// Sets the default value of HKEY_CLASSES_ROOT\key, making the key when it is missing; fails the
// test on an error.
inline void SetClassesText(const std::string& key, const std::string& text,
                           foliant::winreg::DWORD type = foliant::winreg::REG_SZ) {
    namespace wr = foliant::winreg;
    wr::HKEY handle = 0;
    ASSERT_EQ(wr::RegCreateKeyExA(wr::HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr,
                                  wr::REG_OPTION_NON_VOLATILE, wr::KEY_WRITE, nullptr, &handle,
                                  nullptr),
              wr::ERROR_SUCCESS);
    ASSERT_EQ(wr::RegSetValueExA(handle, "", 0, type,
                                 reinterpret_cast<const wr::BYTE*>(text.c_str()),
                                 static_cast<wr::DWORD>(text.size() + 1)),
              wr::ERROR_SUCCESS);
    wr::RegCloseKey(handle);
}

} // namespace foliant::testing
