// Registry values are raw bytes of any declared type, possibly written by another program.
// Every value must read back byte for byte, and RegObject must turn it into a Variant (or a
// recorded error) without reading past its bytes.
#include "platform/automation/values/AutomationError.h"
#include "platform/winreg/WinReg.h"
#include "registry/RegObject.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace foliant::winreg;

namespace {

void UseTemporaryStore() {
    static const bool done = [] {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("foliant-registry-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        ::setenv("FOLIANT_REGISTRY_DIR", dir.c_str(), 1);
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    UseTemporaryStore();
    const DWORD type = data[0] % 12;
    const std::vector<BYTE> bytes(data + 1, data + size);
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Fuzz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        std::abort();
    }
    if (RegSetValueExA(key, "v", 0, type, bytes.data(), static_cast<DWORD>(bytes.size())) !=
        ERROR_SUCCESS) {
        std::abort();
    }
    DWORD readType = 0;
    DWORD readSize = static_cast<DWORD>(bytes.size());
    std::vector<BYTE> read(bytes.size() + 1);
    if (RegQueryValueExA(key, "v", nullptr, &readType, read.data(), &readSize) != ERROR_SUCCESS ||
        readType != type || readSize != bytes.size() ||
        (!bytes.empty() && std::memcmp(read.data(), bytes.data(), bytes.size()) != 0)) {
        std::abort();
    }
    RegCloseKey(key);

    foliant::registry::RegObject reg;
    reg.ClassKey(static_cast<std::int32_t>(HKEY_CURRENT_USER));
    reg.SubKey("Software\\Fuzz");
    reg.ValueName("v");
    try {
        (void)reg.Value();
    } catch (const foliant::automation::AutomationError&) {
    }
    return 0;
}
