#pragma once

// The wizard's resources: the string tables (every text the dialog shows, by id, one table per
// language, English first) and the
// pictures (numbered bitmaps, the image list's icons under their keys, the arrows of the move
// buttons). Everything is compiled into the library; nothing is read from disk at run time and
// nothing here needs a display or a toolkit. Pictures are PNG files, handed out as their bytes.

#include "platform/automation/values/AutomationError.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace foliant::resources {

// Error number of a resource that is not in the library.
inline constexpr std::int32_t kResourceNotFound = 326;

// A string or picture asked for that the library does not hold. Number kResourceNotFound;
// the description names the id or key.
class ResourceError : public automation::AutomationError {
public:
    explicit ResourceError(const std::string& description)
        : AutomationError(kResourceNotFound, "Foliant", description) {}
};

// The text of string `id` in the table of the system's language (SystemLanguageCode), exactly
// as stored (blanks, line feeds and all); the English text when that language has no table or
// its table lacks the id. Throws ResourceError when the English table has no string `id`;
// never returns a made-up text.
std::string LoadResString(int id);

// The text of string `id` in the table of `language`, without falling back to English. Throws
// ResourceError when there is no such table or it has no string `id`.
std::string LoadResString(int id, std::string_view language);

// Whether the English string table holds string `id`.
bool HasResString(int id);

// Every id of the English string table, ascending.
std::vector<int> ResStringIds();

// The language codes that have a string table, "en" first.
std::vector<std::string> StringTableLanguages();

// Every id of the table of `language`, ascending; empty when there is no such table.
std::vector<int> ResStringIds(std::string_view language);

// The PNG bytes of bitmap `id` (102 the last page's picture, 103 + n the preview of style n).
// The bytes live as long as the program. Throws ResourceError for an unknown id.
std::span<const std::uint8_t> LoadResPicture(int id);

// Whether bitmap `id` exists.
bool HasResPicture(int id);

// The keys of the dialog's image list, in the order the images are added to it.
std::span<const std::string_view> ImageListKeys();

// The PNG bytes of the image-list image with `key` (one of ImageListKeys(), compared exactly).
// Throws ResourceError for any other key.
std::span<const std::uint8_t> LoadImageListPicture(std::string_view key);

// Names of the move buttons' pictures.
inline constexpr std::string_view kArrowUpPicture = "ArrowUp";
inline constexpr std::string_view kArrowDownPicture = "ArrowDown";

// The PNG bytes of a picture known by name: an image-list key or one of the arrow names.
// Throws ResourceError for an unknown name.
std::span<const std::uint8_t> LoadNamedPicture(std::string_view name);

// Whether a picture with that name exists.
bool HasNamedPicture(std::string_view name);

} // namespace foliant::resources
