#include "design/RecentFiles.h"

#include "platform/winreg/WinReg.h"
#include "registry/RegObject.h"

#include <algorithm>
#include <filesystem>

namespace foliant::design {

namespace {

const auto kUser = static_cast<std::int32_t>(winreg::HKEY_CURRENT_USER);

std::string ValueName(int index) {
    return "File" + std::to_string(index + 1);
}

std::vector<std::string> StoredFiles() {
    registry::RegObject reg;
    std::vector<std::string> files;
    for (int i = 0; i < kRecentFileCount; ++i) {
        const automation::Variant value =
            reg.RegRead(kUser, kRecentFilesKey, ValueName(i), automation::Variant(""));
        if (const auto* text = value.TryGet<std::string>(); text != nullptr && !text->empty()) {
            files.push_back(*text);
        }
    }
    return files;
}

} // namespace

std::vector<std::string> RecentFiles() {
    std::vector<std::string> files = StoredFiles();
    std::erase_if(files, [](const std::string& file) {
        std::error_code error;
        return !std::filesystem::is_regular_file(file, error);
    });
    return files;
}

std::vector<std::string> AddRecentFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string file = (error ? std::filesystem::path(path) : absolute).lexically_normal();
    std::vector<std::string> files = StoredFiles();
    std::erase(files, file);
    files.insert(files.begin(), file);
    files.resize(std::min<std::size_t>(files.size(), kRecentFileCount));
    registry::RegObject reg;
    for (int i = 0; i < kRecentFileCount; ++i) {
        const std::string value = static_cast<std::size_t>(i) < files.size()
                                      ? files[static_cast<std::size_t>(i)]
                                      : std::string();
        reg.RegWrite(kUser, kRecentFilesKey, ValueName(i), automation::Variant(value),
                     static_cast<std::int32_t>(winreg::REG_SZ));
    }
    return files;
}

} // namespace foliant::design
