#include "resources/Resources.h"

#include "resources/Language.h"
#include "resources/ResourceData.h"

#include <algorithm>
#include <array>

namespace foliant::resources {

namespace {

// The table of a language; null when there is none.
const detail::StringTable* Table(std::string_view language) {
    for (std::size_t i = 0; i < detail::kStringTableCount; ++i) {
        if (detail::kStringTables[i].language == language) {
            return &detail::kStringTables[i];
        }
    }
    return nullptr;
}

std::span<const detail::StringEntry> Strings(const detail::StringTable& table) {
    return {table.entries, table.size};
}

const detail::StringTable& English() {
    return detail::kStringTables[0];
}

std::span<const detail::PictureEntry> Pictures() {
    return {detail::kPictureTable, detail::kPictureTableSize};
}

const detail::StringEntry* FindString(const detail::StringTable& table, int id) {
    const auto strings = Strings(table);
    const auto it =
        std::lower_bound(strings.begin(), strings.end(), id,
                         [](const detail::StringEntry& e, int key) { return e.id < key; });
    return it != strings.end() && it->id == id ? &*it : nullptr;
}

const detail::PictureEntry* FindPicture(int id) {
    if (id == 0) {
        return nullptr; // 0 marks the pictures that are known by name only
    }
    for (const auto& entry : Pictures()) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

const detail::PictureEntry* FindPicture(std::string_view name) {
    if (name.empty()) {
        return nullptr;
    }
    for (const auto& entry : Pictures()) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

std::span<const std::uint8_t> Bytes(const detail::PictureEntry& entry) {
    return {entry.bytes, entry.size};
}

constexpr std::array<std::string_view, 5> kImageListKeys = {"Database", "Groups", "GroupItem",
                                                            "DatabaseTable", "FieldItem"};

} // namespace

std::string LoadResString(int id) {
    if (const auto* table = Table(SystemLanguageCode())) {
        if (const auto* entry = FindString(*table, id)) {
            return std::string(entry->text);
        }
    }
    return LoadResString(id, English().language);
}

std::string LoadResString(int id, std::string_view language) {
    const auto* table = Table(language);
    if (table == nullptr) {
        throw ResourceError("There is no string table for the language \"" + std::string(language) +
                            "\".");
    }
    if (const auto* entry = FindString(*table, id)) {
        return std::string(entry->text);
    }
    throw ResourceError(
        "The string table" +
        (table == &English() ? std::string() : " \"" + std::string(language) + "\"") +
        " has no string " + std::to_string(id) + ".");
}

bool HasResString(int id) {
    return FindString(English(), id) != nullptr;
}

std::vector<int> ResStringIds() {
    return ResStringIds(English().language);
}

std::vector<int> ResStringIds(std::string_view language) {
    std::vector<int> ids;
    if (const auto* table = Table(language)) {
        for (const auto& entry : Strings(*table)) {
            ids.push_back(entry.id);
        }
    }
    return ids;
}

std::vector<std::string> StringTableLanguages() {
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < detail::kStringTableCount; ++i) {
        codes.emplace_back(detail::kStringTables[i].language);
    }
    return codes;
}

std::span<const std::uint8_t> LoadResPicture(int id) {
    if (const auto* entry = FindPicture(id)) {
        return Bytes(*entry);
    }
    throw ResourceError("There is no bitmap " + std::to_string(id) + " among the resources.");
}

bool HasResPicture(int id) {
    return FindPicture(id) != nullptr;
}

std::span<const std::string_view> ImageListKeys() {
    return kImageListKeys;
}

std::span<const std::uint8_t> LoadImageListPicture(std::string_view key) {
    if (std::find(kImageListKeys.begin(), kImageListKeys.end(), key) != kImageListKeys.end()) {
        if (const auto* entry = FindPicture(key)) {
            return Bytes(*entry);
        }
    }
    throw ResourceError("The image list has no image with the key \"" + std::string(key) + "\".");
}

std::span<const std::uint8_t> LoadNamedPicture(std::string_view name) {
    if (const auto* entry = FindPicture(name)) {
        return Bytes(*entry);
    }
    throw ResourceError("There is no picture named \"" + std::string(name) +
                        "\" among the resources.");
}

bool HasNamedPicture(std::string_view name) {
    return FindPicture(name) != nullptr;
}

} // namespace foliant::resources
