#include "platform/locale/Locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace foliant::locale;

namespace {

// Sets the three locale variables for one test and puts the old ones back.
class LocaleEnvironment {
public:
    LocaleEnvironment(std::optional<std::string> all, std::optional<std::string> messages,
                      std::optional<std::string> lang) {
        const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        const std::optional<std::string> values[] = {all, messages, lang};
        for (int i = 0; i < 3; ++i) {
            const char* old = std::getenv(names[i]);
            saved_[i] = old ? std::optional<std::string>(old) : std::nullopt;
            if (values[i]) {
                ::setenv(names[i], values[i]->c_str(), 1);
            } else {
                ::unsetenv(names[i]);
            }
        }
    }
    ~LocaleEnvironment() {
        const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        for (int i = 0; i < 3; ++i) {
            if (saved_[i]) {
                ::setenv(names[i], saved_[i]->c_str(), 1);
            } else {
                ::unsetenv(names[i]);
            }
        }
    }
    LocaleEnvironment(const LocaleEnvironment&) = delete;
    LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

private:
    std::optional<std::string> saved_[3];
};

TEST(SystemLocale, ComesFromTheEnvironmentInItsOrder) {
    using V = std::optional<std::string>;
    struct Case {
        V all, messages, lang;
        LCID expected;
        const char* why;
    };
    const Case cases[] = {
        {{}, {}, "de_DE.UTF-8", 0x0407, "German (Germany)"},
        {{}, {}, "en_US.UTF-8", 0x0409, "English (United States)"},
        {{}, {}, "fr_FR", 0x040C, "French (France), no encoding"},
        {{}, {}, "en_GB.UTF-8", 0x0809, "English (United Kingdom)"},
        {{}, {}, "it_IT", 0x0410, "Italian"},
        {{}, {}, "es_ES", 0x0C0A, "Spanish (Spain)"},
        {{}, {}, "ja_JP.UTF-8", 0x0411, "Japanese"},
        {{}, {}, "zh_CN.UTF-8", 0x0804, "Chinese (China)"},
        {{}, {}, "ko_KR.UTF-8", 0x0412, "Korean"},
        {{}, {}, "pt_BR.UTF-8", 0x0416, "Portuguese (Brazil)"},
        {{}, {}, "nl_NL.UTF-8", 0x0413, "Dutch is known to the table"},
        {{}, {}, "de_DE@euro", 0x0407, "a modifier is ignored"},
        {{}, {}, "de_LU.UTF-8", 0x0407, "unknown country: the language's main locale"},
        {{}, {}, "pt", 0x0416, "a language alone: its main locale"},
        {{}, {}, "no_NO", 0x0414, "Norwegian by its older name"},
        {{}, {}, "xx_YY", 0x0409, "an unknown language is English (United States)"},
        {{}, {}, "C.UTF-8", 0x0409, "the C locale"},
        {{}, {}, "POSIX", 0x0409, "the POSIX locale"},
        {{}, {}, {}, 0x0409, "nothing set"},
        {"fr_FR", {}, "de_DE", 0x040C, "LC_ALL comes first"},
        {{}, "en_GB", "de_DE", 0x0809, "LC_MESSAGES comes before LANG"},
        {"", "", "it_IT", 0x0410, "empty variables do not count"},
    };
    for (const auto& c : cases) {
        LocaleEnvironment environment(c.all, c.messages, c.lang);
        EXPECT_EQ(GetSystemDefaultLCID(), c.expected) << c.why;
        EXPECT_EQ(GetSystemDefaultLangID(), static_cast<LANGID>(c.expected)) << c.why;
        EXPECT_EQ(GetUserDefaultLCID(), c.expected) << c.why;
    }
}

TEST(LocaleInfo, SeparatorsAndPatternsOfTheCommonLocales) {
    struct Case {
        LCID lcid;
        const char* thousand;
        const char* decimal;
        const char* shortDate;
        const char* time;
        const char* measure;
        const char* order;
    };
    const Case cases[] = {
        {0x0409, ",", ".", "M/d/yyyy", "h:mm:ss tt", "1", "0"},
        {0x0809, ",", ".", "dd/MM/yyyy", "HH:mm:ss", "0", "1"},
        {0x0407, ".", ",", "dd.MM.yyyy", "HH:mm:ss", "0", "1"},
        {0x040C, " ", ",", "dd/MM/yyyy", "HH:mm:ss", "0", "1"},
        {0x0807, "'", ".", "dd.MM.yyyy", "HH:mm:ss", "0", "1"},
        {0x0411, ",", ".", "yyyy/MM/dd", "H:mm:ss", "0", "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(LocaleInfo(c.lcid, LOCALE_SNAME));
        EXPECT_EQ(LocaleInfo(c.lcid, LOCALE_STHOUSAND), c.thousand);
        EXPECT_EQ(LocaleInfo(c.lcid, LOCALE_SDECIMAL), c.decimal);
        EXPECT_EQ(LocaleInfo(c.lcid, LOCALE_SSHORTDATE), c.shortDate);
        EXPECT_EQ(LocaleInfo(c.lcid, LOCALE_STIMEFORMAT), c.time);
        EXPECT_EQ(LocaleInfo(c.lcid, LOCALE_IMEASURE), c.measure);
        EXPECT_EQ(LocaleInfo(c.lcid, LOCALE_IDATE), c.order);
    }
    EXPECT_EQ(LocaleInfo(0x0407, LOCALE_SNAME), "de-DE");
    EXPECT_EQ(LocaleInfo(0x0407, LOCALE_ILANGUAGE), "0407");
    EXPECT_EQ(LocaleInfo(0x0407, LOCALE_SMONTHNAME1 + 2), "März");
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_SABBREVMONTHNAME1 + 11), "Dec");
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_ITIME), "0");
    EXPECT_EQ(LocaleInfo(0x0407, LOCALE_ITIME), "1");
    EXPECT_EQ(LocaleInfo(0x0407, LOCALE_SDATE), ".");
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_STHOUSAND | LOCALE_NOUSEROVERRIDE), ",");
}

// The wizard asks for one separator into a buffer of two and uses it only when the answer is 2.
TEST(LocaleInfo, OneCharacterSeparatorIntoTwoCharacterBuffer) {
    char buffer[2] = {'x', 'x'};
    EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_STHOUSAND, buffer, 2), 2);
    EXPECT_STREQ(buffer, ".");
    EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_SDECIMAL, buffer, 2), 2);
    EXPECT_STREQ(buffer, ",");
    EXPECT_EQ(GetLocaleInfoA(0x040C, LOCALE_STHOUSAND, buffer, 2), 2)
        << "French groups with a space a person can type";
    EXPECT_STREQ(buffer, " ");
}

TEST(LocaleInfo, SizesAndFailures) {
    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SSHORTDATE, nullptr, 0), 9) << "size with the zero";
    char small[4] = "abc";
    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SSHORTDATE, small, 4), 0) << "buffer too small";
    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SSHORTDATE, nullptr, 4), 0) << "no buffer";
    EXPECT_EQ(GetLocaleInfoA(0x0409, 0x7777, small, 4), 0) << "unknown setting";
    EXPECT_EQ(GetLocaleInfoA(0x0425, LOCALE_SDECIMAL, small, 4), 0) << "a language not known";
    EXPECT_EQ(LocaleInfo(0x0007, LOCALE_SNAME), "de-DE") << "a language alone: its main locale";
    EXPECT_EQ(LocaleInfo(0x1007, LOCALE_SNAME), "de-DE") << "an unknown country of German";
    LocaleEnvironment german({}, {}, "de_DE.UTF-8");
    EXPECT_EQ(LocaleInfo(LOCALE_SYSTEM_DEFAULT, LOCALE_SDECIMAL), ",");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ",");
    EXPECT_EQ(LocaleInfo(GetSystemDefaultLangID(), LOCALE_SDECIMAL), ",");
}

// What every entry must satisfy for numbers and dates to be read back at all.
TEST(LocaleInfo, EveryKnownLocaleIsComplete) {
    ASSERT_GE(KnownLocales().size(), 20u);
    for (LCID lcid : KnownLocales()) {
        const std::string name = LocaleInfo(lcid, LOCALE_SNAME);
        SCOPED_TRACE(name);
        EXPECT_EQ(name.size(), 5u);
        EXPECT_EQ(LocaleFromName(name), lcid) << "the name leads back to the locale";
        const std::string thousand = LocaleInfo(lcid, LOCALE_STHOUSAND);
        const std::string decimal = LocaleInfo(lcid, LOCALE_SDECIMAL);
        EXPECT_EQ(thousand.size(), 1u);
        EXPECT_EQ(decimal.size(), 1u);
        EXPECT_NE(thousand, decimal);
        EXPECT_FALSE(LocaleInfo(lcid, LOCALE_SSHORTDATE).empty());
        EXPECT_FALSE(LocaleInfo(lcid, LOCALE_STIMEFORMAT).empty());
        EXPECT_FALSE(LocaleInfo(lcid, LOCALE_S1159).empty());
        EXPECT_NE(LocaleInfo(lcid, LOCALE_S1159), LocaleInfo(lcid, LOCALE_S2359));
        for (LCTYPE m = 0; m < 12; ++m) {
            EXPECT_FALSE(LocaleInfo(lcid, LOCALE_SMONTHNAME1 + m).empty());
        }
    }
}

TEST(LocaleInfo, PaperSizeFollowsTheMeasurementSystem) {
    EXPECT_EQ(DefaultPaperSize(0x0409), PaperSize::Letter);
    EXPECT_EQ(DefaultPaperSize(0x0407), PaperSize::A4);
    EXPECT_EQ(DefaultPaperSize(0x0809), PaperSize::A4);
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_IPAPERSIZE), "1");
    EXPECT_EQ(LocaleInfo(0x040C, LOCALE_IPAPERSIZE), "9");
}

} // namespace
