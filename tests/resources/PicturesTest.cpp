#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <set>

using namespace foliant::resources;

namespace {

struct PngHeader {
    bool valid = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::string problem;
};

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

// Reads a PNG's size from its IHDR chunk and walks the chunk chain to IEND, so a truncated
// or padded file is caught as well as a foreign one.
PngHeader ReadPng(std::span<const std::uint8_t> bytes) {
    static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngHeader header;
    if (bytes.size() < 33 ||
        !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin())) {
        header.problem = "no PNG signature";
        return header;
    }
    if (BigEndian(bytes, 8) != 13 ||
        std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR") {
        header.problem = "first chunk is not a 13-byte IHDR";
        return header;
    }
    header.width = BigEndian(bytes, 16);
    header.height = BigEndian(bytes, 20);
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = BigEndian(bytes, at);
        const std::string type(bytes.begin() + at + 4, bytes.begin() + at + 8);
        at += 12 + std::size_t{length};
        if (type == "IEND") {
            header.valid = at == bytes.size();
            if (!header.valid) {
                header.problem = "bytes after IEND";
            }
            return header;
        }
    }
    header.problem = "chunk chain runs past the end (truncated)";
    return header;
}

} // namespace

TEST(Pictures, BitmapsAreValidPngsOfTheirSizes) {
    const PngHeader last = ReadPng(LoadResPicture(102));
    EXPECT_TRUE(last.valid) << last.problem;
    EXPECT_EQ(last.width, 158u);
    EXPECT_EQ(last.height, 224u);
    for (int id = 103; id <= 112; ++id) {
        const PngHeader preview = ReadPng(LoadResPicture(id));
        EXPECT_TRUE(preview.valid) << "bitmap " << id << ": " << preview.problem;
        EXPECT_EQ(preview.width, 150u) << "bitmap " << id;
        EXPECT_EQ(preview.height, 174u) << "bitmap " << id;
    }
}

TEST(Pictures, EveryStyleHasItsOwnPreview) {
    std::set<std::vector<std::uint8_t>> seen;
    for (int id = 103; id <= 112; ++id) {
        const auto bytes = LoadResPicture(id);
        EXPECT_TRUE(seen.emplace(bytes.begin(), bytes.end()).second)
            << "bitmap " << id << " repeats another preview";
    }
}

TEST(Pictures, UnknownBitmapFailsLoudly) {
    for (int id : {0, 101, 113, -102}) {
        EXPECT_FALSE(HasResPicture(id)) << id;
        EXPECT_THROW((void)LoadResPicture(id), ResourceError) << id;
    }
    try {
        (void)LoadResPicture(113);
    } catch (const ResourceError& e) {
        EXPECT_NE(std::string(e.what()).find("113"), std::string::npos) << e.what();
    }
}

TEST(Pictures, ImageListKeysResolveToSmallIcons) {
    const std::vector<std::string_view> keys(ImageListKeys().begin(), ImageListKeys().end());
    EXPECT_EQ(keys, (std::vector<std::string_view>{"Database", "Groups", "GroupItem",
                                                   "DatabaseTable", "FieldItem"}));
    std::set<std::vector<std::uint8_t>> seen;
    for (const auto key : keys) {
        const auto bytes = LoadImageListPicture(key);
        const PngHeader icon = ReadPng(bytes);
        EXPECT_TRUE(icon.valid) << key << ": " << icon.problem;
        EXPECT_EQ(icon.width, 16u) << key;
        EXPECT_EQ(icon.height, 16u) << key;
        EXPECT_TRUE(seen.emplace(bytes.begin(), bytes.end()).second) << key << " repeats an icon";
        EXPECT_EQ(LoadNamedPicture(key).data(), bytes.data()) << key;
    }
}

TEST(Pictures, KeysAreExactAndArrowsAreNotImageListImages) {
    EXPECT_THROW((void)LoadImageListPicture("database"), ResourceError);
    EXPECT_THROW((void)LoadImageListPicture(""), ResourceError);
    EXPECT_THROW((void)LoadImageListPicture(kArrowUpPicture), ResourceError);
    EXPECT_FALSE(HasNamedPicture(""));
    EXPECT_FALSE(HasNamedPicture("102"));
}

TEST(Pictures, ArrowsFitTheMoveButtons) {
    // The move buttons are 270 x 240 twips: 18 x 16 pixels, border included.
    for (const auto name : {kArrowUpPicture, kArrowDownPicture}) {
        ASSERT_TRUE(HasNamedPicture(name)) << name;
        const PngHeader arrow = ReadPng(LoadNamedPicture(name));
        EXPECT_TRUE(arrow.valid) << name << ": " << arrow.problem;
        EXPECT_LE(arrow.width, 14u) << name;
        EXPECT_LE(arrow.height, 12u) << name;
    }
    const auto up = LoadNamedPicture(kArrowUpPicture);
    const auto down = LoadNamedPicture(kArrowDownPicture);
    EXPECT_FALSE(std::equal(up.begin(), up.end(), down.begin(), down.end()));
}
