#pragma once

// Layout of the tables the resource compiler generates at build time. Internal to the library.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace foliant::resources::detail {

struct StringEntry {
    int id;
    std::string_view text;
};

// A picture is known by a number (bitmaps) or by a name (image list, arrows); the other
// field is 0 or empty.
struct PictureEntry {
    int id;
    std::string_view name;
    const std::uint8_t* bytes;
    std::size_t size;
};

// One language's texts, sorted by id, ids unique.
struct StringTable {
    std::string_view language;
    const StringEntry* entries;
    std::size_t size;
};

// English first: the table the others fall back to.
extern const StringTable kStringTables[];
extern const std::size_t kStringTableCount;

extern const PictureEntry kPictureTable[];
extern const std::size_t kPictureTableSize;

} // namespace foliant::resources::detail
