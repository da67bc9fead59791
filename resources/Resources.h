#pragma once

// The wizard's resources: the string table (every text the dialog shows, by id) and the
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

// The text of string `id`, exactly as stored (blanks, line feeds and all).
// Throws ResourceError when the table has no string `id`; never returns a made-up text.
std::string LoadResString(int id);

// Whether the string table holds string `id`.
bool HasResString(int id);

// Every id of the string table, ascending.
std::vector<int> ResStringIds();

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
