// The recent-files list: most recent first, each file once, at most eight, files gone from the
// disk left out, and the list shared through the registry.

#include "design/RecentFiles.h"

#include "tests/engine/TestSupport.h"
#include "tests/winreg/TempRegistry.h"

#include <fstream>

namespace foliant::design {
namespace {

TEST(RecentFilesTest, MostRecentFirstOnceEachAtMostEightAndOnlyExistingFiles) {
    testing::TempRegistry registry;
    engine::test::TempDir dir;
    EXPECT_TRUE(RecentFiles().empty());
    std::vector<std::string> files;
    for (int i = 0; i < kRecentFileCount + 2; ++i) {
        files.push_back(dir.File("r" + std::to_string(i) + ".rpt"));
        std::ofstream(files.back()) << "{}";
        AddRecentFile(files.back());
    }
    AddRecentFile(files[4]);
    const auto list = RecentFiles();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(kRecentFileCount));
    EXPECT_EQ(list[0], files[4]);
    EXPECT_EQ(list[1], files[9]);
    EXPECT_EQ(std::count(list.begin(), list.end(), files[4]), 1);
    EXPECT_EQ(std::find(list.begin(), list.end(), files[0]), list.end()) << "the oldest fell off";

    std::filesystem::remove(files[9]);
    EXPECT_EQ(RecentFiles().size(), static_cast<std::size_t>(kRecentFileCount - 1));
}

} // namespace
} // namespace foliant::design
