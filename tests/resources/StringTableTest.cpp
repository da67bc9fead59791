#include "resources/RcFormat.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace foliant::resources;

namespace {

// Ids inside 101..320 that the table must not hold: nothing is known of their texts, and a
// made-up text would be shown to users as if it were the product's own.
const std::set<int> kIdsWithoutText = {120, 125, 130, 136, 156, 157, 158, 159, 178, 179, 180, 181,
                                       182, 183, 184, 185, 186, 187, 188, 189, 202, 203, 204, 205,
                                       206, 207, 208, 209, 214, 215, 221, 222, 223, 224, 225, 226,
                                       227, 228, 229, 233, 234, 235, 236, 237, 238, 239, 248};

} // namespace

TEST(StringTable, TextsAreExactIncludingDoubleAndTrailingBlanks) {
    struct Case {
        int id;
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {101, "Vellum Report Wizard", "form caption"},
        {105, "< &Back", "mnemonic marker kept"},
        {106, "Nex&t >", "mnemonic in the middle"},
        {110,
         "Grouping breaks the information into logical sections. It is only required if you want "
         "to summarize information for  each section.  Select a field and add it to the Group By "
         "list to create a section for each value of that field.",
         "two blanks after 'for' and after 'section.'"},
        {131, "Error", "title of every error box"},
        {269, "Remove the  selected condition.", "two blanks after 'the'"},
        {272,
         "Please enter  a date or a time string.  For example: a date can be entered as : "
         "12/31/1996, or 31/12/96, or December,  31, 1996, or Dec 31, 1996. A time can be "
         "entered as: 23:59:59 or 11:59:59PM.",
         "three double blanks and ' : '"},
        {309,
         "The groups on the report can be sorted by their summarized field (instead of by their "
         "group names). Select a group field to sort its groups. Select  how to sort the groups. "
         "Then select a sort order (for Sort All), or the number of groups to show sorted (for "
         "topN or BottomN). ",
         "two blanks after 'Select' and one trailing blank"},
        {318, "Vellum Reports (*.rpt) | *.rpt", "file dialog filter"},
        {320, " already exists.\n Do you want to replace it?", "leading blank and a line feed"},
        {249,
         "This wizard is only intended for columnar report. Continue to use it will generate "
         "unexpected result.",
         "error raised to the host"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadResString(c.id), c.text) << "string " << c.id << ": " << c.why;
    }
}

TEST(StringTable, ListsFollowTheirCodes) {
    // Summary operation code = id - 137; style number = id - 192; operator index = id - 161.
    EXPECT_EQ(LoadResString(137 + 0), "sum");
    EXPECT_EQ(LoadResString(137 + 4), "maximum");
    EXPECT_EQ(LoadResString(137 + 14), "Pth percentile");
    EXPECT_EQ(LoadResString(137 + 18), "Nth most frequent");
    EXPECT_EQ(LoadResString(192 + 0), "Standard");
    EXPECT_EQ(LoadResString(192 + 5), "Executive, Leading Break");
    EXPECT_EQ(LoadResString(192 + 9), "Maroon/Teal Box");
    EXPECT_EQ(LoadResString(161 + 0), "is any value");
    EXPECT_EQ(LoadResString(161 + 8), "is greater than or equal to");
    EXPECT_EQ(LoadResString(176), "is in the period");
    EXPECT_EQ(LoadResString(276), "WeekToDateFromSun");
    EXPECT_EQ(LoadResString(302), "LastYearYTD");
    for (int id = 137; id <= 155; ++id) {
        EXPECT_TRUE(HasResString(id)) << "operation " << id - 137;
    }
    for (int id = 276; id <= 302; ++id) {
        EXPECT_TRUE(HasResString(id)) << "period " << id - 276;
    }
}

TEST(StringTable, FormulaKeywordsKeepTheLanguagesSpelling) {
    EXPECT_EQ(LoadResString(210), "and");
    EXPECT_EQ(LoadResString(211), "DateTime");
    EXPECT_EQ(LoadResString(212), "Date");
    EXPECT_EQ(LoadResString(213), "Time");
    EXPECT_EQ(LoadResString(216), "in");
    EXPECT_EQ(LoadResString(217), "to");
    EXPECT_EQ(LoadResString(218), "not");
    EXPECT_EQ(LoadResString(219), "startswith");
    EXPECT_EQ(LoadResString(220), "like");
}

TEST(StringTable, HoldsEveryKnownIdAndNothingInvented) {
    const std::vector<int> ids = ResStringIds();
    ASSERT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    std::set<int> expected;
    for (int id = 101; id <= 320; ++id) {
        if (!kIdsWithoutText.contains(id)) {
            expected.insert(id);
        }
    }
    EXPECT_EQ(std::set<int>(ids.begin(), ids.end()), expected);
    for (int id : kIdsWithoutText) {
        EXPECT_FALSE(HasResString(id)) << id;
    }
}

TEST(StringTable, MissingIdFailsLoudlyNamingTheId) {
    for (int id : {0, -1, 100, 214, 248, 321, 65535}) {
        try {
            (void)LoadResString(id);
            ADD_FAILURE() << "string " << id << " was loaded";
        } catch (const ResourceError& e) {
            EXPECT_EQ(e.Number(), kResourceNotFound);
            EXPECT_NE(std::string(e.what()).find(std::to_string(id)), std::string::npos)
                << e.what();
        }
    }
}

TEST(StringTable, LibraryHoldsExactlyWhatTheSourceFileSays) {
    // The compiled table is generated from strings.rc; every entry must survive the trip
    // (escapes, blanks, line feeds) unchanged.
    const std::string path = std::string(FOLIANT_SOURCE_DIR) + "/resources/strings.rc";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream content;
    content << in.rdbuf();
    const auto entries = ParseStringTable(content.str(), path);
    ASSERT_EQ(entries.size(), ResStringIds().size());
    for (const auto& entry : entries) {
        EXPECT_EQ(LoadResString(entry.id), entry.text) << "string " << entry.id;
    }
}
