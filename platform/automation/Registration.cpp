#include "platform/automation/Registration.h"

#include <vector>

namespace foliant::automation::registration {

namespace wr = foliant::winreg;

std::optional<std::string> ReadText(const std::string& path, const char* name) {
    wr::HKEY key = 0;
    if (wr::RegOpenKeyExA(wr::HKEY_CLASSES_ROOT, path.c_str(), 0, wr::KEY_QUERY_VALUE, &key) !=
        wr::ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    wr::DWORD type = 0;
    wr::DWORD size = 0;
    if (wr::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == wr::ERROR_SUCCESS &&
        (type == wr::REG_SZ || type == wr::REG_EXPAND_SZ)) {
        std::vector<wr::BYTE> data(size + 1, 0);
        if (wr::RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) ==
            wr::ERROR_SUCCESS) {
            std::string value(reinterpret_cast<const char*>(data.data()), size);
            // The stored bytes end with the terminating zero.
            while (!value.empty() && value.back() == '\0') {
                value.pop_back();
            }
            text = std::move(value);
        }
    }
    wr::RegCloseKey(key);
    return text;
}

wr::LONG WriteText(const std::string& path, const char* name,
                   const std::optional<std::string>& value) {
    wr::HKEY key = 0;
    wr::LONG rc =
        wr::RegCreateKeyExA(wr::HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr,
                            wr::REG_OPTION_NON_VOLATILE, wr::KEY_WRITE, nullptr, &key, nullptr);
    if (rc != wr::ERROR_SUCCESS) {
        return rc;
    }
    if (value) {
        rc = wr::RegSetValueExA(key, name, 0, wr::REG_SZ,
                                reinterpret_cast<const wr::BYTE*>(value->c_str()),
                                static_cast<wr::DWORD>(value->size() + 1));
    }
    wr::RegCloseKey(key);
    return rc;
}

wr::LONG RemoveTree(const std::string& path) {
    const wr::LONG rc = wr::RegDeleteTreeA(wr::HKEY_CLASSES_ROOT, path.c_str());
    return rc == wr::ERROR_FILE_NOT_FOUND ? wr::ERROR_SUCCESS : rc;
}

wr::LONG RemoveIfEmpty(const std::string& path) {
    wr::HKEY key = 0;
    wr::LONG rc = wr::RegOpenKeyExA(wr::HKEY_CLASSES_ROOT, path.c_str(), 0, wr::KEY_READ, &key);
    if (rc == wr::ERROR_FILE_NOT_FOUND) {
        return wr::ERROR_SUCCESS;
    }
    if (rc != wr::ERROR_SUCCESS) {
        return rc;
    }
    wr::DWORD subKeys = 0;
    wr::DWORD values = 0;
    rc = wr::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr);
    wr::RegCloseKey(key);
    if (rc != wr::ERROR_SUCCESS) {
        return rc;
    }
    if (subKeys == 0 && values == 0) {
        rc = wr::RegDeleteKeyA(wr::HKEY_CLASSES_ROOT, path.c_str());
        return rc == wr::ERROR_FILE_NOT_FOUND ? wr::ERROR_SUCCESS : rc;
    }
    return wr::ERROR_SUCCESS;
}

} // namespace foliant::automation::registration
