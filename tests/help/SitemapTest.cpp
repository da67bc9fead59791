// Reading the contents and index files of a help project.
#include "platform/help/Sitemap.h"

#include <gtest/gtest.h>

using foliant::help::Flatten;
using foliant::help::ParseSitemap;

namespace {

TEST(Sitemap, NestedListsBecomeChildrenOfTheEntryBeforeThem) {
    const auto entries = ParseSitemap(R"(<HTML><BODY>
<UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Overview"><param name="Local" value="overview.htm"></OBJECT>
<UL>
  <LI><object TYPE="text/sitemap"><PARAM NAME="Local" VALUE="fields.htm"><PARAM NAME="Name" VALUE="Fields"></object>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Groups"><param name="Local" value="grouping.htm"></OBJECT>
</UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Reference"></OBJECT>
<UL><LI><OBJECT type="text/sitemap"><param name="Name" value="Styles"><param name="Local" value="styles.htm#table"></OBJECT></UL>
</UL></BODY></HTML>)");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Overview");
    ASSERT_EQ(entries[0].children.size(), 2u);
    EXPECT_EQ(entries[0].children[0].name, "Fields") << "parameters in any order and case";
    EXPECT_EQ(entries[0].children[0].local, "fields.htm");
    EXPECT_EQ(entries[1].name, "Reference");
    EXPECT_EQ(entries[1].local, "") << "a heading opens no topic";
    ASSERT_EQ(entries[1].children.size(), 1u);
    EXPECT_EQ(entries[1].children[0].local, "styles.htm#table");

    const auto all = Flatten(entries);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[1]->name, "Fields") << "depth first";
    EXPECT_EQ(all[3]->name, "Reference");
}

TEST(Sitemap, EntitiesAndUtf8NamesAreResolved) {
    const auto entries = ParseSitemap(
        "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" "
        "value=\"Gruppen &amp; Summen &#252;ber &lt;alle&gt; &#x4E00; Übersicht &bogus; a&b\">"
        "<param name=Local value=summaries.htm></OBJECT></UL>");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Gruppen & Summen über <alle> 一 Übersicht &bogus; a&b");
    EXPECT_EQ(entries[0].local, "summaries.htm") << "unquoted values";
}

TEST(Sitemap, DamagedFilesGiveWhatCanBeRead) {
    EXPECT_TRUE(ParseSitemap("").empty());
    EXPECT_TRUE(ParseSitemap("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\"").empty())
        << "a cut-off entry is not an entry";
    const auto unbalanced = ParseSitemap(
        "</UL></UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"></OBJECT>"
        "<OBJECT type=\"application/x-other\"><param name=\"Name\" value=\"B\"></OBJECT><UL><UL>");
    ASSERT_EQ(unbalanced.size(), 1u) << "only sitemap objects count";
    EXPECT_EQ(unbalanced[0].name, "A");
}

} // namespace
