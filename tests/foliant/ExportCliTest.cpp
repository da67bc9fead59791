// foliant export and foliant preview, run as a user would over a report made by foliant demo.
#include "tests/foliant/RunFoliant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Outcome;
using foliant::cli_test::Quote;
using foliant::cli_test::RunCaptured;
using foliant::cli_test::Slurp;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

class ExportCli : public foliant::cli_test::FolderTest {
protected:
    ExportCli() : FolderTest("foliant-export") {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FolderTest::SetUp());
        fs::copy_file(FOLIANT_SAMPLE_DB, dir / "sample.db");
        const Outcome demo = Foliant("demo --db sample.db --out sales.rpt");
        ASSERT_EQ(demo.status, 0) << demo.err;
    }

    // Runs foliant in the test's folder with `env` before it (variables to set or unset).
    Outcome Foliant(const std::string& args, const std::string& env = "LANG=en_US.UTF-8") {
        return RunCaptured("cd " + Quote(dir.string()) + " && env " + env + " " +
                               Quote(FOLIANT_EXE) + " " + args,
                           dir);
    }
};

TEST_F(ExportCli, EveryFormatHoldsTheSamePages) {
    for (const char* args :
         {"--text sales.txt", "--html sales.html", "--pdf sales.pdf", "--png sales.png --dpi 20"}) {
        const Outcome r = Foliant(std::string("export sales.rpt ") + args);
        EXPECT_EQ(r.status, 0) << args << ": " << r.err;
        EXPECT_EQ(r.err, "") << args;
        EXPECT_EQ(r.out, "") << args;
    }
    const std::string text = Slurp(dir / "sales.txt");
    const std::size_t pages = Count(text, "\f\n") + 1;
    ASSERT_GT(pages, 1u) << "the sample report runs over several pages";
    EXPECT_NE(text.find("Sales by Country"), std::string::npos);
    EXPECT_NE(text.find("Grand Total:"), std::string::npos);

    EXPECT_EQ(Count(Slurp(dir / "sales.html"), "<div class=\"page\""), pages);

    const std::string pdf = Slurp(dir / "sales.pdf");
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("/Count " + std::to_string(pages) + "\n"), std::string::npos);
    // The locale measures in inches: Letter pages.
    EXPECT_EQ(Count(pdf, "/MediaBox [0 0 612"), pages);

    for (std::size_t i = 1; i <= pages; ++i) {
        const fs::path png = dir / ("sales-" + std::to_string(i) + ".png");
        ASSERT_TRUE(fs::exists(png)) << png;
        EXPECT_EQ(Slurp(png).substr(1, 3), "PNG");
    }
    EXPECT_FALSE(fs::exists(dir / ("sales-" + std::to_string(pages + 1) + ".png")));
    EXPECT_FALSE(fs::exists(dir / "sales.png"));
}

TEST_F(ExportCli, PngNamesMayCarryThePageNumber) {
    fs::create_directory(dir / "pages");
    const Outcome r = Foliant("export sales.rpt --png pages/p%d.png --dpi 10");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir / "pages" / "p1.png"));
    EXPECT_TRUE(fs::exists(dir / "pages" / "p2.png"));
}

TEST_F(ExportCli, PagesAndNumbersFollowTheLocale) {
    const Outcome r = Foliant("export sales.rpt --text de.txt", "LANG=de_DE.UTF-8 LC_ALL=");
    ASSERT_EQ(r.status, 0) << r.err;
    const Outcome pdf = Foliant("export sales.rpt --pdf de.pdf", "LANG=de_DE.UTF-8 LC_ALL=");
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    const std::string text = Slurp(dir / "de.txt");
    // Money with a decimal comma, thousands points and the euro after the amount; dates as
    // the German short form.
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(\d\.\d\d\d,\d\d €)"))) << text.substr(0, 800);
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(\d\d\.\d\d\.\d\d\d\d)")));
    EXPECT_EQ(text.find("$"), std::string::npos);
    // A4 pages: 595 by 842 points.
    const std::string file = Slurp(dir / "de.pdf");
    EXPECT_NE(file.find("/MediaBox [0 0 595"), std::string::npos);
    EXPECT_EQ(file.find("/MediaBox [0 0 612"), std::string::npos);
}

TEST_F(ExportCli, FailuresGiveOneLineAndWriteNothing) {
    struct Case {
        std::string args;
        std::string errStart;
        const char* why;
    };
    std::ofstream(dir / "bad.rpt") << "not a report";
    const Case cases[] = {
        {"export nowhere.rpt --pdf x.pdf",
         "foliant: cannot read report nowhere.rpt: the file does not exist", "missing report"},
        {"export bad.rpt --pdf x.pdf", "foliant: cannot read report bad.rpt: ", "damaged report"},
        {"export sales.rpt --pdf none/x.pdf",
         "foliant: cannot write the PDF none/x.pdf: ", "a folder that does not exist"},
        {"export sales.rpt --png none/x.png",
         "foliant: cannot write the image none/x-1.png: ", "a folder that does not exist"},
        {"export sales.rpt --text none/x.txt",
         "foliant: cannot write none/x.txt: ", "a folder that does not exist"},
    };
    for (const auto& c : cases) {
        const Outcome r = Foliant(c.args);
        EXPECT_EQ(r.status, 1) << c.why;
        EXPECT_EQ(r.err.rfind(c.errStart, 0), 0u) << c.why << ": " << r.err;
        EXPECT_EQ(Count(r.err, "\n"), 1u) << c.why << ": " << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "x.pdf"));

    // The report's database has gone since it was saved.
    fs::remove(dir / "sample.db");
    const Outcome gone = Foliant("export sales.rpt --pdf gone.pdf");
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.err.find("sample.db"), std::string::npos) << gone.err;
    EXPECT_EQ(Count(gone.err, "\n"), 1u) << gone.err;
    EXPECT_FALSE(fs::exists(dir / "gone.pdf"));

    // Exactly one output format is asked for.
    EXPECT_EQ(Foliant("export sales.rpt").status, 2);
    EXPECT_EQ(Foliant("export sales.rpt --pdf a.pdf --text a.txt").status, 2);
    EXPECT_FALSE(fs::exists(dir / "a.pdf"));
}

TEST_F(ExportCli, PreviewNeedsADisplay) {
    const Outcome r =
        Foliant("preview sales.rpt", "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "foliant: cannot open the preview window: there is no display (DISPLAY is "
                     "not set)\n");
    const Outcome missing = Foliant("preview nowhere.rpt", "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "foliant: cannot read report nowhere.rpt: the file does not exist\n");
}

TEST_F(ExportCli, PreviewShowsAWindowWithThePages) {
    const Outcome r =
        Foliant("preview sales.rpt --page 2 --screenshot shot.png",
                "QT_QPA_PLATFORM=offscreen FOLIANT_REGISTRY_DIR=" + Quote((dir / "reg").string()));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string png = Slurp(dir / "shot.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // The window's width and height from the image header (big-endian at bytes 16 and 20).
    auto word = [&](std::size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) |
               (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) |
               static_cast<unsigned char>(png[at + 3]);
    };
    // The preview window opens at its designed client size, 552 by 378 pixels, on first run.
    EXPECT_GE(word(16), 552);
    EXPECT_GE(word(20), 378);
}

} // namespace
