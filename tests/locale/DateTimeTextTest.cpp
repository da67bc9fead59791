#include "platform/locale/DateTimeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using namespace foliant::locale;

namespace {

constexpr LCID kUS = 0x0409;
constexpr LCID kUK = 0x0809;
constexpr LCID kGermany = 0x0407;
constexpr LCID kFrance = 0x040C;
constexpr LCID kJapan = 0x0411;
constexpr LCID kSweden = 0x041D;

DateTimeParts Date(int y, int m, int d) {
    DateTimeParts parts;
    parts.hasDate = true;
    parts.year = y;
    parts.month = m;
    parts.day = d;
    return parts;
}

DateTimeParts Time(int h, int mi, int s) {
    DateTimeParts parts;
    parts.hasTime = true;
    parts.hour = h;
    parts.minute = mi;
    parts.second = s;
    return parts;
}

DateTimeParts Both(int y, int m, int d, int h, int mi, int s) {
    DateTimeParts parts = Date(y, m, d);
    parts.hasTime = true;
    parts.hour = h;
    parts.minute = mi;
    parts.second = s;
    return parts;
}

TEST(ReadDateTime, FormsAPersonTypes) {
    struct Case {
        const char* text;
        LCID lcid;
        DateTimeParts expected;
        const char* why;
    };
    const Case cases[] = {
        {"12/31/1996", kUS, Date(1996, 12, 31), "month first in the United States"},
        {"31/12/96", kUK, Date(1996, 12, 31), "day first in the United Kingdom, two-digit year"},
        {"31/12/96", kUS, Date(1996, 12, 31), "31 cannot be a month: only one reading exists"},
        {"12/31/1996", kGermany, Date(1996, 12, 31), "31 cannot be a month in Germany either"},
        {"05/06/1996", kUS, Date(1996, 5, 6), "both readings exist: the locale's order decides"},
        {"05/06/1996", kUK, Date(1996, 6, 5), "the same text is 5 June in the United Kingdom"},
        {"31.12.1996", kGermany, Date(1996, 12, 31), "German dots"},
        {"31. 12. 1996", kGermany, Date(1996, 12, 31), "spaces after the dots"},
        {"1-2-1996", kUS, Date(1996, 1, 2), "dashes, one-digit parts"},
        {"1996-12-31", kUS, Date(1996, 12, 31), "ISO: a four-digit year first"},
        {"1996-12-31", kUK, Date(1996, 12, 31), "ISO in a day-first locale"},
        {"96/12/31", kJapan, Date(1996, 12, 31), "year first in Japan"},
        {"December,  31, 1996", kUS, Date(1996, 12, 31), "the long form with two spaces"},
        {"Dec 31, 1996", kUS, Date(1996, 12, 31), "abbreviated month"},
        {"dec 31 1996", kUS, Date(1996, 12, 31), "any case, no comma"},
        {"Sept 1, 1996", kUS, Date(1996, 9, 1), "Sept for September"},
        {"31 December 1996", kUK, Date(1996, 12, 31), "day before the month name"},
        {"31-Dec-96", kUS, Date(1996, 12, 31), "dashed with a month name"},
        {"31. Dezember 1996", kGermany, Date(1996, 12, 31), "German month name"},
        {"1. März 1996", kGermany, Date(1996, 3, 1), "a month name with an umlaut"},
        {"31 déc. 1996", kFrance, Date(1996, 12, 31), "French abbreviation with its dot"},
        {"31 December 1996", kGermany, Date(1996, 12, 31), "English names are read everywhere"},
        {"Tuesday, December 31, 1996", kUS, Date(1996, 12, 31), "a matching weekday"},
        {"  12/31/1996  ", kUS, Date(1996, 12, 31), "spaces around are ignored"},
        {"2/29/1996", kUS, Date(1996, 2, 29), "a leap day"},
        {"23:59:59", kUS, Time(23, 59, 59), "24-hour time"},
        {"23:59", kGermany, Time(23, 59, 0), "without seconds"},
        {"11:59:59PM", kUS, Time(23, 59, 59), "PM right after the digits"},
        {"11:59 PM", kUS, Time(23, 59, 0), "PM after a space"},
        {"12:00 AM", kUS, Time(0, 0, 0), "midnight"},
        {"12:30 pm", kUS, Time(12, 30, 0), "noon hour, any case"},
        {"11 PM", kUS, Time(23, 0, 0), "an hour with a designator alone"},
        {"11:59:59PM", kGermany, Time(23, 59, 59), "AM/PM are read in 24-hour locales too"},
        {"12/31/1996 23:59:59", kUS, Both(1996, 12, 31, 23, 59, 59), "date and time"},
        {"12/31/1996 11:59 PM", kUS, Both(1996, 12, 31, 23, 59, 0), "date and 12-hour time"},
        {"11:59 PM 12/31/1996", kUS, Both(1996, 12, 31, 23, 59, 0), "time before the date"},
        {"1996-12-31T23:59:59", kUS, Both(1996, 12, 31, 23, 59, 59), "ISO date and time"},
        {"Dec 31, 1996 8:05", kUS, Both(1996, 12, 31, 8, 5, 0), "named month and time"},
    };
    for (const auto& c : cases) {
        const auto reading = ReadDateTime(c.text, c.lcid);
        EXPECT_TRUE(reading.ok()) << c.text << " (" << c.why << "): " << reading.error;
        EXPECT_EQ(reading.parts, c.expected) << c.text << " (" << c.why << ")";
    }
}

TEST(ReadDateTime, FailuresAreErrorsNeverGuesses) {
    struct Case {
        const char* text;
        LCID lcid;
        const char* error;
        std::size_t position;
        const char* why;
    };
    const Case cases[] = {
        {"13/13/1996", kUS, "The month 13 does not exist.", 0, "no reading has a month"},
        {"2/30/1996", kUS, "The day 30 does not exist in February 1996.", 0, "not rolled over"},
        {"2/29/1997", kUS, "The day 29 does not exist in February 1997.", 0, "not a leap year"},
        {"0/10/1996", kUS, "The month 0 does not exist.", 0, "month zero"},
        {"12/31/1996x", kUS, "Unexpected \"x\" after the date.", 10, "trailing garbage"},
        {"12/31/1996 23:59:59 x", kUS, "Unexpected \"x\" after the time.", 20, "after the time"},
        {"12/31", kUS, "The year is missing.", 5, "no guessed year"},
        {"12/31/", kUS, "A number is expected here.", 6, "nothing after the separator"},
        {"12/31/199", kUS, "The year \"199\" must have two or four digits.", 6, "three digits"},
        {"12/31-1996", kUS, "The date mixes the separators \"/\" and \"-\".", 5, "mixed"},
        {"tomorrow", kUS, "\"tomorrow\" is not a date or a time.", 0, "a word"},
        {"", kUS, "Nothing was entered.", 0, "empty"},
        {"   ", kUS, "Nothing was entered.", 0, "blank"},
        {"Decembre 31, 1996", kUS, "\"Decembre\" is not a date or a time.", 0, "misspelt"},
        {"Dec 32, 1996", kUS, "The day 32 does not exist in December 1996.", 0, "day 32"},
        {"Monday, December 31, 1996", kUS, "The date is a Tuesday, not a Monday.", 0, "weekday"},
        {"24:00:00", kUS, "The hour 24 does not exist.", 0, "hour 24"},
        {"23:60", kUS, "The minute 60 does not exist.", 0, "minute 60"},
        {"23:59:60", kUS, "The second 60 does not exist.", 0, "no leap seconds"},
        {"13:00 PM", kUS, "The hour 13 cannot be used with AM or PM (1 to 12).", 0, "13 PM"},
        {"0:30 AM", kUS, "The hour 0 cannot be used with AM or PM (1 to 12).", 0, "0 AM"},
        {"23:59:59.5", kUS, "Unexpected \".5\" after the time.", 8, "no fractions"},
        {"12/31/1996 #", kUS, "The character \"#\" cannot be part of a date or a time.", 11,
         "a stray character"},
        {"1996", kUS, "\"1996\" is not a date or a time.", 0, "a number alone"},
        {"12/31/1996 PM", kUS, "Unexpected \"PM\" after the date.", 11, "a designator alone"},
        {"00/00/0000", kUS, "The year 0 does not exist.", 6, "all zeros"},
        {"Tuesday,", kUS, "The date is missing.", 8, "a weekday alone"},
        {"Dec", kUS, "The day is missing.", 3, "a month alone"},
        {"123/1/1996", kUS, "\"123\" is too long for a day or a month.", 0, "three-digit part"},
    };
    for (const auto& c : cases) {
        const auto reading = ReadDateTime(c.text, c.lcid);
        EXPECT_FALSE(reading.ok()) << c.text << " (" << c.why << ")";
        EXPECT_EQ(reading.error, c.error) << c.text << " (" << c.why << ")";
        EXPECT_EQ(reading.position, c.position) << c.text << " (" << c.why << ")";
        EXPECT_EQ(reading.parts, DateTimeParts{}) << "a failed reading carries no parts";
    }
}

TEST(ReadDateTime, TwoDigitYearsAreBetween1930And2029) {
    struct Case {
        const char* text;
        int year;
        const char* why;
    };
    const Case cases[] = {
        {"1/1/30", 1930, "30 is the first year of the window"},
        {"12/31/29", 2029, "29 is its last"},
        {"1/1/00", 2000, "00 is 2000"},
        {"12/31/99", 1999, "99 is 1999"},
        {"12/31/1929", 1929, "four digits stand as written below the window"},
        {"1/1/2030", 2030, "four digits stand as written above the window"},
        {"1/1/1930", 1930, "the window's first year written out"},
        {"12/31/2029", 2029, "the window's last year written out"},
        {"Jan 1, 30", 1930, "named month with a two-digit year"},
    };
    for (const auto& c : cases) {
        const auto reading = ReadDate(c.text, kUS);
        ASSERT_TRUE(reading.ok()) << c.text << ": " << reading.error;
        EXPECT_EQ(reading.parts.year, c.year) << c.text << " (" << c.why << ")";
    }
    EXPECT_EQ(ExpandTwoDigitYear(29), 2029);
    EXPECT_EQ(ExpandTwoDigitYear(30), 1930);
}

TEST(ReadDateTime, DateOnlyAndTimeOnlyReaders) {
    EXPECT_TRUE(ReadDate("12/31/1996", kUS));
    EXPECT_EQ(ReadDate("23:59", kUS).error, "A date is expected, not a time.");
    EXPECT_EQ(ReadDate("12/31/1996 23:59", kUS).error, "A date is expected, without a time.");
    EXPECT_EQ(ReadDate("nonsense", kUS).error, "\"nonsense\" is not a date or a time.");
    EXPECT_TRUE(ReadTime("11:59:59PM", kUS));
    EXPECT_EQ(ReadTime("12/31/1996", kUS).error, "A time is expected, not a date.");
    EXPECT_EQ(ReadTime("12/31/1996 23:59", kUS).error, "A time is expected, without a date.");
    // An identifier the table does not know reads as English (United States).
    EXPECT_EQ(ReadDate("05/06/1996", 0x0425).parts, Date(1996, 5, 6));
}

// Whatever a locale writes, it reads back as the same date and time.
TEST(ReadDateTime, EveryLocaleReadsWhatItWrites) {
    const DateTimeParts samples[] = {Both(1996, 12, 31, 23, 59, 59), Both(2001, 2, 3, 0, 5, 9),
                                     Both(1930, 7, 4, 12, 0, 0)};
    for (LCID lcid : KnownLocales()) {
        for (const auto& sample : samples) {
            const std::string text = FormatDateTime(sample, lcid);
            const auto reading = ReadDateTime(text, lcid);
            EXPECT_TRUE(reading.ok())
                << LocaleInfo(lcid, LOCALE_SNAME) << " " << text << ": " << reading.error;
            EXPECT_EQ(reading.parts, sample) << LocaleInfo(lcid, LOCALE_SNAME) << " " << text;
        }
    }
}

// Whatever is typed, a reading either fails or holds a date and time that exist.
TEST(ReadDateTime, ArbitraryTextNeverYieldsAnImpossibleValue) {
    const std::string alphabet = "0123456789/-.,: APMDecTuesdayMärz#\t";
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int accepted = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        const std::size_t length = next() % 24;
        for (std::size_t k = 0; k < length; ++k) {
            text += alphabet[next() % alphabet.size()];
        }
        const LCID lcid = KnownLocales()[next() % KnownLocales().size()];
        const auto reading = ReadDateTime(text, lcid);
        if (!reading.ok()) {
            EXPECT_LE(reading.position, text.size()) << text;
            continue;
        }
        ++accepted;
        const auto& p = reading.parts;
        EXPECT_TRUE(p.hasDate || p.hasTime) << text;
        if (p.hasDate) {
            EXPECT_TRUE(IsValidDate(p.year, p.month, p.day)) << text;
        }
        EXPECT_TRUE(p.hour >= 0 && p.hour <= 23 && p.minute >= 0 && p.minute <= 59 &&
                    p.second >= 0 && p.second <= 59)
            << text;
    }
    EXPECT_GT(accepted, 0) << "the generator should hit some readable texts";
}

TEST(Formatting, NumbersAndMoneyUseTheLocalesSeparators) {
    struct Case {
        double value;
        int decimals;
        LCID lcid;
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {1234567.891, 2, kUS, "1,234,567.89", "groups of three, rounded"},
        {1234567.891, 2, kGermany, "1.234.567,89", "German separators"},
        {1234567.891, 2, kFrance, "1 234 567,89", "French groups with a space"},
        {-1234.5, 2, kUS, "-1,234.50", "negative"},
        {-0.001, 2, kUS, "0.00", "never -0"},
        {999.5, 0, kUS, "1,000", "rounding carries into a new group"},
        {12, 3, kSweden, "12,000", "Swedish decimal comma"},
        {0, 0, kUS, "0", "zero"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatNumber(c.value, c.decimals, c.lcid), c.text) << c.why;
    }
    EXPECT_EQ(FormatMoney(1234.5, kGermany), "1.234,50");
    EXPECT_EQ(FormatMoney(0.125, kUS), "0.13") << "half a cent rounds up here (0.125 is exact)";
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::int64_t>::min(), kUS),
              "-9,223,372,036,854,775,808");
    EXPECT_EQ(FormatInteger(1000, kGermany), "1.000");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), 2, kUS), "NaN");
    EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity(), 2, kUS), "-Infinity");
}

TEST(Formatting, ShortDatesAndTimes) {
    EXPECT_EQ(FormatShortDate(1996, 12, 31, kUS), "12/31/1996");
    EXPECT_EQ(FormatShortDate(1996, 1, 2, kUS), "1/2/1996");
    EXPECT_EQ(FormatShortDate(1996, 1, 2, kUK), "02/01/1996");
    EXPECT_EQ(FormatShortDate(1996, 12, 31, kGermany), "31.12.1996");
    EXPECT_EQ(FormatShortDate(1996, 12, 31, kJapan), "1996/12/31");
    EXPECT_EQ(FormatShortDate(1996, 2, 30, kUS), "") << "a day that does not exist";
    EXPECT_EQ(FormatTime(23, 59, 59, kUS), "11:59:59 PM");
    EXPECT_EQ(FormatTime(0, 5, 0, kUS), "12:05:00 AM");
    EXPECT_EQ(FormatTime(23, 59, 59, kGermany), "23:59:59");
    EXPECT_EQ(FormatTime(24, 0, 0, kGermany), "");
    EXPECT_EQ(FormatDateTime(Both(1996, 12, 31, 8, 0, 0), kUK), "31/12/1996 08:00:00");
    EXPECT_EQ(FormatWithPattern("dddd, MMMM d, yyyy", Date(1996, 12, 31), kUS),
              "Tuesday, December 31, 1996");
    EXPECT_EQ(FormatWithPattern("d. MMMM yyyy", Date(1996, 3, 1), kGermany), "1. März 1996");
    EXPECT_EQ(FormatWithPattern("'den 'd MMM yy", Date(1996, 3, 1), kUS), "den 1 Mar 96");
}

} // namespace
