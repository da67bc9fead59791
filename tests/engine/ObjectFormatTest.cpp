// An object's own font and colour and a section's page break: kept by the report file and
// its description, refused with a message naming the object when they are wrong, a file
// without them reads as before, and a run paints the object's text with them.

#include "engine/ReportFile.h"
#include "engine/page/HtmlPainter.h"
#include "engine/run/Layout.h"
#include "tests/engine/TestSupport.h"

#include <nlohmann/json.hpp>

namespace foliant::engine::test {
namespace {

class ObjectFormatTest : public ShopReportTest {
protected:
    void SetUp() override {
        ShopReportTest::SetUp();
        heading = report->FindSection("PH")->PlaceTextObject("Name", 0, 0);
        report->FindSection("D")->PlaceFieldObject("{Customer.Name}", 0, 0);
        file = dir.File("r.rpt");
    }
    // The saved file with the heading's format replaced by `format`, read back.
    std::string ErrorReading(const nlohmann::json& format) {
        report->SaveToFile(file, 0);
        auto doc = nlohmann::json::parse(ReadBytes(file));
        for (auto& area : doc["areas"]) {
            if (area["name"] == "PH") {
                area["sections"][0]["objects"][0]["format"] = format;
            }
        }
        WriteBytes(file, doc.dump());
        return ErrorOf([&] { LoadReportFromFile(file); });
    }

    std::shared_ptr<ReportObject> heading;
    std::string file;
};

TEST_F(ObjectFormatTest, FileAndDescriptionKeepFontColourAndPageBreak) {
    heading->SetFormat({"Mono", 300, true, std::nullopt, page::Colour{1, 2, 255}});
    report->FindSection("D")->SetNewPageBefore(true);
    report->SaveToFile(file, 0);
    const auto loaded = LoadReportFromFile(file);
    EXPECT_EQ(loaded->FindSection("PH")->Objects().front()->Format(), heading->Format());
    EXPECT_TRUE(loaded->FindSection("D")->NewPageBefore());
    EXPECT_FALSE(loaded->FindSection("PH")->NewPageBefore());
    const auto described = nlohmann::json::parse(DescribeReport(*loaded));
    const auto& ph = described["areas"][1]["sections"][0];
    EXPECT_EQ(ph["objects"][0]["format"]["colour"], "#0102ff");
    EXPECT_EQ(ph["objects"][0]["format"]["fontSize"], 300);
    EXPECT_FALSE(ph["objects"][0]["format"].contains("italic")) << "only the choices made";
    EXPECT_EQ(described["areas"][2]["sections"][0]["newPageBefore"], true);
}

TEST_F(ObjectFormatTest, ObjectsWithoutChoicesWriteNoFormat) {
    report->SaveToFile(file, 0);
    EXPECT_EQ(ReadBytes(file).find("format\": {"), std::string::npos);
    EXPECT_EQ(ReadBytes(file).find("newPageBefore"), std::string::npos);
}

TEST_F(ObjectFormatTest, WrongFormatsAreRefusedNamingTheObject) {
    EXPECT_EQ(ErrorReading({{"colour", "red"}}),
              "Cannot read report " + file +
                  ": \"colour\" of the format of object 1 of section PH is \"red\", not a "
                  "colour like #1a2b3c.");
    EXPECT_EQ(ErrorReading({{"fontSize", 5000}}),
              "Cannot read report " + file +
                  ": \"fontSize\" of the format of object 1 of section PH is 5000, outside 80 "
                  "to 1440.");
    EXPECT_EQ(ErrorReading({{"fontFamily", "Comic"}}),
              "Cannot read report " + file +
                  ": object 1 of section PH: the font family \"Comic\" of the text object "
                  "\"Name\" in section PH is not one of Sans, Serif and Mono.");
    EXPECT_EQ(ErrorReading({{"bold", 1}}),
              "Cannot read report " + file +
                  ": \"bold\" of the format of object 1 of section PH is not true or false.");
}

TEST_F(ObjectFormatTest, SetFormatRefusesAndKeepsTheOldFormat) {
    heading->SetFormat({std::nullopt, 240, std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(ErrorOf([&] {
                  heading->SetFormat({std::nullopt, 20, {}, {}, {}});
              }),
              "The font size of the text object \"Name\" in section PH cannot be 20 twips: it "
              "must be 80 to 1440 (4 to 72 points).");
    EXPECT_EQ(heading->Format().fontSize, 240);
}

// The text runs a run of the report paints for the text.
std::vector<page::TextRun> RunsOf(const page::Document& doc, const std::string& text) {
    std::vector<page::TextRun> out;
    for (const auto& p : doc.pages) {
        for (const auto& item : p.items) {
            const auto* run = std::get_if<page::TextRun>(&item);
            if (run != nullptr && run->text == text) {
                out.push_back(*run);
            }
        }
    }
    return out;
}

TEST_F(ObjectFormatTest, ARunPaintsTheObjectsOwnChoicesOverTheStyle) {
    heading->SetObjectWidth(3000);
    report->FindSection("PH")->PlaceTextObject("Plain", 4000, 0)->SetObjectWidth(3000);
    const auto styled = RunsOf(run::RenderReport(*report), "Name").at(0);
    heading->SetFormat({"Serif", 360, std::nullopt, true, page::Colour{200, 10, 20}});
    const auto doc = run::RenderReport(*report);
    const auto formatted = RunsOf(doc, "Name").at(0);
    EXPECT_EQ(formatted.font.family, "Serif");
    EXPECT_EQ(formatted.font.size, 360);
    EXPECT_TRUE(formatted.font.italic);
    EXPECT_EQ(formatted.font.bold, styled.font.bold) << "bold left to the style";
    EXPECT_EQ(formatted.colour, (page::Colour{200, 10, 20}));
    const auto other = RunsOf(doc, "Plain").at(0);
    EXPECT_EQ(other.font, styled.font);
    EXPECT_EQ(other.colour, styled.colour);

    const std::string html = page::RenderHtml(doc);
    const auto at = html.find(">Name<");
    ASSERT_NE(at, std::string::npos);
    const std::string div = html.substr(html.rfind("<div", at), at - html.rfind("<div", at));
    EXPECT_NE(div.find("color:#c80a14"), std::string::npos) << div;
    EXPECT_NE(div.find("font-size:18pt"), std::string::npos) << div;
    EXPECT_NE(div.find("font-family:serif"), std::string::npos) << div;
}

TEST_F(ObjectFormatTest, RestylingMakesAnObjectTallEnoughForItsOwnFont) {
    heading->SetFormat({std::nullopt, 720, std::nullopt, std::nullopt, std::nullopt});
    report->ApplyLayoutStyle(0);
    EXPECT_GE(heading->ObjectHeight(), 864) << "a 36-point line is 864 twips high";
    EXPECT_EQ(heading->Format().fontSize, 720) << "restyling keeps the object's own choices";
}

} // namespace
} // namespace foliant::engine::test
