#include "resources/RcFormat.h"

#include <gtest/gtest.h>

using namespace foliant::resources;

namespace {

std::vector<RcString> Parse(std::string_view source) {
    return ParseStringTable(source, "t.rc");
}

// The message of the syntax error `source` raises, or "" when it parses.
std::string ErrorOf(std::string_view source) {
    try {
        Parse(source);
    } catch (const RcSyntaxError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(RcFormat, ReadsEntriesWithEscapesAndBlanksAsWritten) {
    const auto entries = Parse("// texts\n"
                               "STRINGTABLE\n"
                               "BEGIN\n"
                               "    101, \"Say \"\"hi\"\"\"\n"
                               "    102 \"  two  blanks  \"   /* no comma */\n"
                               "    103, \"line\\nfeed\\ttab\\\\slash\\\"q\"\n"
                               "    104, \"\"\n"
                               "    105, \"caf\xC3\xA9 \xE2\x80\x94 ok\"\n"
                               "END\n");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].id, 101);
    EXPECT_EQ(entries[0].text, "Say \"hi\"");
    EXPECT_EQ(entries[0].line, 4);
    EXPECT_EQ(entries[1].text, "  two  blanks  ");
    EXPECT_EQ(entries[2].text, "line\nfeed\ttab\\slash\"q");
    EXPECT_EQ(entries[3].text, "");
    EXPECT_EQ(entries[4].text, "caf\xC3\xA9 \xE2\x80\x94 ok");
}

TEST(RcFormat, AcceptsBracesSeveralBlocksLowerCaseKeywordsAndByteOrderMark) {
    const auto entries =
        Parse("\xEF\xBB\xBFstringtable { 1, \"a\" }\nSTRINGTABLE begin 2 \"b\" end");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].id, 2);
    EXPECT_EQ(entries[1].text, "b");
}

TEST(RcFormat, MalformedInputNamesFileLineAndProblem) {
    struct Case {
        const char* source;
        const char* message;
    };
    const Case cases[] = {
        {"STRINGTABLE\nBEGIN\n 1, \"a\\x\"\nEND", "t.rc:3:8: unknown escape sequence \\x"},
        {"STRINGTABLE\nBEGIN\n 1, \"open\nEND", "t.rc:3:5: text not closed on its line"},
        {"STRINGTABLE\nBEGIN\n 1, \"a\"\n 1, \"b\"\nEND", "t.rc:4:1: string 1 is defined twice"},
        {"STRINGTABLE\nBEGIN\n 0, \"a\"\nEND", "t.rc:3:3: string id out of range"},
        {"STRINGTABLE\nBEGIN\n 65536, \"a\"\nEND", "string id out of range"},
        {"STRINGTABLE\nBEGIN\n 1, a\nEND", "t.rc:3:5: expected the text of string 1"},
        {"STRINGTABLE\nBEGIN\n 1, \"a\"\n", "the STRINGTABLE block is not closed"},
        {"STRINGTABLE\n 1, \"a\"\nEND", "expected BEGIN or '{'"},
        {"MENU\nBEGIN\nEND", "t.rc:1:5: expected STRINGTABLE, found 'MENU'"},
        {"STRINGTABLE\nBEGIN\n 1, \"\xC3\x28\"\nEND", "t.rc:3:6: invalid UTF-8"},
        {"STRINGTABLE\nBEGIN\n 1, \"\xC0\xAF\"\nEND", "invalid UTF-8"}, // overlong "/"
        {"/* never closed\nSTRINGTABLE", "t.rc:1:1: comment not closed"},
    };
    for (const auto& c : cases) {
        const std::string message = ErrorOf(c.source);
        EXPECT_NE(message.find(c.message), std::string::npos)
            << "source: " << c.source << "\nmessage: " << message;
    }
}

TEST(RcFormat, QuotingRoundTripsAnyText) {
    const std::string texts[] = {"",           "plain", " lead and trail ",
                                 "\"quoted\"", "a\\b",  "two\nlines\tand tab",
                                 "caf\xC3\xA9"};
    std::string source = "STRINGTABLE\nBEGIN\n";
    int id = 1;
    for (const auto& text : texts) {
        source += std::to_string(id++) + ", " + QuoteRcString(text) + "\n";
    }
    source += "END\n";
    const auto entries = Parse(source);
    ASSERT_EQ(entries.size(), std::size(texts));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].text, texts[i]);
    }
}
