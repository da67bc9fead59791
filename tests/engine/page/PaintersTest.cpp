// Text wrapping by the font metrics, and the painters that draw pages as text and HTML.

#include "engine/page/FontMetrics.h"
#include "engine/page/HtmlPainter.h"
#include "engine/page/TextPainter.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

TEST(PaintersTest, WrappingBreaksBetweenWordsThenInsideLongWords) {
    page::Font f; // 10 points: 120 twips a character
    using V = std::vector<std::string>;
    EXPECT_EQ(page::WrapText("the quick brown fox", 1200, f), (V{"the quick", "brown fox"}));
    EXPECT_EQ(page::WrapText("abcdefghijkl mn", 600, f), (V{"abcde", "fghij", "kl mn"}));
    EXPECT_EQ(page::WrapText("one\ntwo  \n\nthree", 2400, f), (V{"one", "two", "", "three"}));
    EXPECT_EQ(page::WrapText("", 600, f), (V{""}));
    // Characters, not bytes: five two-byte letters fit five columns.
    EXPECT_EQ(page::WrapText("ééééé", 600, f), (V{"ééééé"}));
    // Narrower than one character still makes progress.
    EXPECT_EQ(page::WrapText("ab", 10, f), (V{"a", "b"}));
}

TEST(PaintersTest, WrappingStopsAtTheLineLimitAndSaysTheTextWasCut) {
    page::Font f; // 5 characters in 600 twips
    using V = std::vector<std::string>;
    // Exactly as many lines as allowed: nothing is cut.
    EXPECT_EQ(page::WrapText("abcde fghij", 600, f, 2), (V{"abcde", "fghij"}));
    // One more: the last line kept gives its last place to the ellipsis.
    EXPECT_EQ(page::WrapText("abcde fghij k", 600, f, 2), (V{"abcde", "fghi\u2026"}));
    EXPECT_EQ(page::WrapText("ab\ncd\nef", 600, f, 2), (V{"ab", "cd\u2026"}));
    // One unbroken word far longer than the page: only what is shown is made.
    const std::string word(100'000, 'x');
    EXPECT_EQ(page::WrapText(word, 600, f, 3), (V{"xxxxx", "xxxxx", "xxxx\u2026"}));
    EXPECT_EQ(page::WrapText(word, 600, f).size(), 20'000u);
    EXPECT_EQ(page::WrapText("abcdefgh", 600, f, 0), (V{"abcd\u2026"})) << "at least one line";
}

page::Document OnePage(std::vector<page::PageItem> items) {
    page::Document d;
    d.title = "T & <t>";
    d.pages.push_back({1, 12240, 15840, std::move(items)});
    return d;
}

page::TextRun TextAt(int left, int top, int width, std::string text, HorizontalAlignment a) {
    page::TextRun r;
    r.box = {left, top, width, 240};
    r.text = std::move(text);
    r.align = a;
    return r;
}

TEST(PaintersTest, TextPainterPlacesRunsOnTheCharacterGrid) {
    const auto doc = OnePage({
        TextAt(360, 360, 1200, "left", HorizontalAlignment::Left),
        TextAt(360, 600, 1200, "right", HorizontalAlignment::Right),
        TextAt(360, 840, 1200, "mid", HorizontalAlignment::Centre),
        TextAt(360, 1080, 480, "clipped text", HorizontalAlignment::Left),
        TextAt(360, 1320, 480, "1234567", HorizontalAlignment::Right),
    });
    // Columns of 120 twips: the box 360..1560 is columns 3 to 12. Rows of 240 twips, to the
    // nearest: top 360 is row 2 (1.5 rounds up), 600 row 3.
    EXPECT_EQ(page::RenderText(doc), "\n"
                                     "\n"
                                     "   left\n"
                                     "        right\n"
                                     "      mid\n"
                                     "   clip\n"
                                     "   1234\n");
}

TEST(PaintersTest, TextPainterSeparatesPagesWithAFormFeed) {
    page::Document d = OnePage({TextAt(0, 0, 600, "one", HorizontalAlignment::Left)});
    d.pages.push_back({2, 12240, 15840, {TextAt(0, 240, 600, "two", HorizontalAlignment::Left)}});
    EXPECT_EQ(page::RenderText(d), "one\n\f\n\ntwo\n");
}

TEST(PaintersTest, HtmlPainterEscapesTextAndPlacesItemsInPoints) {
    page::TextRun bold = TextAt(370, 480, 1200, "<b>&\"'", HorizontalAlignment::Right);
    bold.font.bold = true;
    bold.font.family = "Serif";
    bold.colour = {255, 0, 16};
    page::Line rule{360, 1000, 11880, 1000, 20, page::kBlack};
    const std::string html =
        page::RenderHtml(OnePage({page::Fill{{0, 0, 100, 100}, {1, 2, 3}}, rule, bold}));
    EXPECT_NE(html.find("<title>T &amp; &lt;t&gt;</title>"), std::string::npos) << html;
    EXPECT_NE(html.find("id=\"page1\" style=\"width:612pt;height:792pt\""), std::string::npos);
    EXPECT_NE(html.find(">&lt;b&gt;&amp;&quot;&#39;</div>"), std::string::npos) << html;
    EXPECT_NE(html.find("left:18.5pt;top:24pt;width:60pt;height:12pt;font-family:serif;"
                        "font-size:10pt;color:#ff0010;text-align:right;font-weight:bold"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("background:#010203"), std::string::npos);
    // The rule: 1 point thick, centred on its line.
    EXPECT_NE(html.find("left:18pt;top:49.5pt;width:576pt;height:1pt;background:#000000"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("<b>"), std::string::npos);
}

} // namespace
} // namespace foliant::engine
