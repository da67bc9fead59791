// The string tables of the other languages: complete, shaped like English, and chosen by the
// system's locale.
#include "resources/Language.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <regex>
#include <set>

using namespace foliant::resources;

namespace {

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        ++n;
    }
    return n;
}

// What a translation must keep of a text: its mnemonic markers, line feeds, a leading blank
// (a text joined to the end of another), and file patterns such as "*.rpt".
struct Shape {
    int accelerators;
    int lineFeeds;
    bool leadingBlank;
    std::set<std::string> patterns;

    bool operator==(const Shape&) const = default;
};

void PrintTo(const Shape& shape, std::ostream* out) {
    *out << shape.accelerators << " accelerators, " << shape.lineFeeds << " line feeds, "
         << (shape.leadingBlank ? "a" : "no") << " leading blank, patterns";
    for (const auto& pattern : shape.patterns) {
        *out << ' ' << pattern;
    }
}

Shape ShapeOf(const std::string& text) {
    static const std::regex pattern(R"(\*\.\w+)");
    std::set<std::string> patterns;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        patterns.insert(it->str());
    }
    return {Count(text, "&") - 2 * Count(text, "&&"), Count(text, "\n"),
            !text.empty() && text.front() == ' ', patterns};
}

// Formula keywords and date periods are written into formulas: every language keeps them.
bool IsFormulaWord(int id) {
    return (id >= 210 && id <= 220) || (id >= 276 && id <= 302);
}

class Translation : public ::testing::TestWithParam<std::string> {};

TEST_P(Translation, HasEveryIdWithTheShapeOfTheEnglishText) {
    const std::string language = GetParam();
    EXPECT_EQ(ResStringIds(language), ResStringIds());
    int translated = 0;
    int translatable = 0;
    for (int id : ResStringIds()) {
        if (!HasResString(id) || ResStringIds(language).empty()) {
            continue;
        }
        const std::string english = LoadResString(id, "en");
        const std::string text = LoadResString(id, language);
        EXPECT_EQ(ShapeOf(text), ShapeOf(english)) << language << " string " << id << ": " << text;
        if (IsFormulaWord(id)) {
            EXPECT_EQ(text, english) << language << " string " << id;
        } else {
            ++translatable;
            translated += text != english ? 1 : 0;
        }
    }
    if (language != "en") {
        EXPECT_GT(translated * 10, translatable * 8) << "most texts are translated";
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, Translation, ::testing::ValuesIn(StringTableLanguages()),
                         [](const auto& info) { return info.param; });

TEST(Translation, EveryLanguageTheWizardCanChooseHasATable) {
    const auto languages = StringTableLanguages();
    ASSERT_FALSE(languages.empty());
    EXPECT_EQ(languages.front(), "en");
    std::set<std::string> chosen;
    for (foliant::locale::LCID primary = 0; primary < 0x100; ++primary) {
        chosen.insert(LanguageCode(0x0400 | primary));
    }
    EXPECT_EQ(chosen, std::set<std::string>(languages.begin(), languages.end()));
    EXPECT_THROW(LoadResString(101, "nl"), ResourceError);
}

// Sets the locale variables for one test.
class LocaleScope {
public:
    explicit LocaleScope(const char* lang) {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
        ::setenv("LANG", lang, 1);
    }
    ~LocaleScope() {
        for (const auto& [name, value] : saved_) {
            value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
        }
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(Translation, TheSystemLocaleChoosesTheTable) {
    {
        LocaleScope german("de_DE.UTF-8");
        EXPECT_EQ(SystemLanguageCode(), "de");
        EXPECT_EQ(LoadResString(250), LoadResString(250, "de"));
        EXPECT_NE(LoadResString(250), LoadResString(250, "en"));
        EXPECT_EQ(LoadResString(210), "and") << "formula keywords stay";
    }
    {
        LocaleScope austrian("de_AT.UTF-8");
        EXPECT_EQ(SystemLanguageCode(), "de") << "the language counts, not the country";
    }
    {
        LocaleScope dutch("nl_NL.UTF-8");
        EXPECT_EQ(SystemLanguageCode(), "en");
        EXPECT_EQ(LoadResString(250), LoadResString(250, "en"));
    }
    LocaleScope chinese("zh_CN.UTF-8");
    EXPECT_EQ(SystemLanguageCode(), "chs");
}

} // namespace
