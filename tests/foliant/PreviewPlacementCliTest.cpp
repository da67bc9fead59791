// foliant script finishing in the preview: the window a script moves and closes opens at the
// same place and size when the wizard runs again, as stored for the user in the registry.
#include "platform/winreg/WinReg.h"
#include "tests/foliant/RunFoliant.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>
#include <vector>

namespace {

namespace wr = foliant::winreg;
using foliant::cli_test::Quote;
using nlohmann::json;

// One field, then Finish with the preview; the file dialog gets a name (a first run has no
// report file yet, a later one is asked about replacing it).
constexpr const char* kFinish = "click Add\n"
                                "file \"placed.rpt\"\n"
                                "answer Yes\n"
                                "click FinishCmd\n";

class PreviewPlacementCli : public ::testing::Test {
protected:
    // The dumps of a `foliant script` run over the sample database (one per dump line).
    std::vector<json> Script(const std::string& lines) {
        const auto folder = registry.Folder();
        std::ofstream(folder / "script.txt") << kFinish << lines;
        const std::string command = "cd " + Quote(folder.string()) + " && " + Quote(FOLIANT_EXE) +
                                    " script script.txt >out.txt 2>err.txt";
        EXPECT_EQ(foliant::cli_test::RunShell(command), 0)
            << foliant::cli_test::Slurp(folder / "err.txt");
        std::vector<json> dumps;
        std::ifstream out(folder / "out.txt");
        for (std::string line; std::getline(out, line);) {
            dumps.push_back(json::parse(line));
        }
        return dumps;
    }

    // The preview form's placement in a dump: left, top, width, height, state.
    static json Placement(const json& dump) {
        const json& form = dump["form"];
        EXPECT_EQ(form["form"], "QuickView");
        return json::array(
            {form["left"], form["top"], form["width"], form["height"], form["windowState"]});
    }

    // A text value under the key the preview keeps its placement in ("" when there is none).
    static std::string Stored(const char* name) {
        wr::HKEY key = 0;
        if (wr::RegOpenKeyExA(wr::HKEY_CURRENT_USER, "Software\\Geodyne\\Vellum Reports", 0,
                              wr::KEY_READ, &key) != 0) {
            return {};
        }
        char text[256] = {};
        wr::DWORD size = sizeof text;
        const auto rc = wr::RegQueryValueExA(key, name, nullptr, nullptr,
                                             reinterpret_cast<wr::BYTE*>(text), &size);
        wr::RegCloseKey(key);
        return rc == 0 ? std::string(text) : std::string();
    }

    foliant::testing::TempRegistry registry;
};

TEST_F(PreviewPlacementCli, AMovedPreviewReopensThereWhenTheWizardRunsAgain) {
    const auto first = Script("dump\n"
                              "window QuickView move 1200 900 9000 6000\n"
                              "dump\n"
                              "window QuickView close\n");
    ASSERT_EQ(first.size(), 2U);
    EXPECT_NE(Placement(first[0]), json::parse(R"([1200, 900, 9000, 6000, "normal"])"));
    EXPECT_EQ(Placement(first[1]), json::parse(R"([1200, 900, 9000, 6000, "normal"])"));
    EXPECT_EQ(Stored("Viewer Window Position"), "1200,900,9000,6000");

    // Maximized this time: the state is kept, and the position it is restored to.
    const auto second = Script("dump\n"
                               "window QuickView maximized\n"
                               "window QuickView close\n");
    ASSERT_EQ(second.size(), 1U);
    EXPECT_EQ(Placement(second[0]), json::parse(R"([1200, 900, 9000, 6000, "normal"])"));
    EXPECT_EQ(Stored("Viewer Window Position"), "1200,900,9000,6000");

    const auto third = Script("dump\n"
                              "window QuickView normal\n"
                              "dump\n"
                              "window QuickView close\n");
    ASSERT_EQ(third.size(), 2U);
    EXPECT_EQ(Placement(third[0])[4], "maximized");
    EXPECT_EQ(Placement(third[1]), json::parse(R"([1200, 900, 9000, 6000, "normal"])"));
}

} // namespace
