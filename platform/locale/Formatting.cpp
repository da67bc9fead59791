// Writing numbers, money, dates and times with a locale's separators and patterns.

#include "platform/locale/DateTimeText.h"
#include "platform/locale/LocaleData.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace foliant::locale {

namespace {

using detail::LocaleData;

const LocaleData& LocaleOrEnglish(LCID lcid) {
    const LocaleData* data = detail::FindLocale(lcid);
    return data ? *data : *detail::FindLocale(kEnglishUnitedStates);
}

// digits (no sign) with the thousands separator between groups of three.
std::string Grouped(const std::string& digits, const std::string& separator) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t k = 0; k < n; ++k) {
        if (k > 0 && (n - k) % 3 == 0) {
            out += separator;
        }
        out += digits[k];
    }
    return out;
}

std::string Padded(int value, int width) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    }
    return text;
}

const char* const kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

int WeekdayOf(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int days = era * 146097 + doe - 719468;
    return days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6;
}

} // namespace

std::string FormatNumber(double value, int decimals, LCID lcid) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    const LocaleData& locale = LocaleOrEnglish(lcid);
    decimals = std::clamp(decimals, 0, 15);
    std::string plain;
    const double scaled = std::fabs(value) * std::pow(10.0, decimals);
    if (scaled < 4503599627370496.0) {
        // Halves round away from zero, as people round money; printf would round exact halves
        // to even.
        std::string digits = std::to_string(static_cast<std::int64_t>(std::round(scaled)));
        if (decimals > 0) {
            if (static_cast<int>(digits.size()) <= decimals) {
                digits.insert(0, static_cast<std::size_t>(decimals + 1) - digits.size(), '0');
            }
            digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
        }
        plain = digits;
    } else {
        const int size = std::snprintf(nullptr, 0, "%.*f", decimals, std::fabs(value));
        std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
        std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, std::fabs(value));
        plain = buffer.data();
    }
    const auto point = plain.find('.');
    const std::string whole = plain.substr(0, point);
    const std::string fraction =
        point == std::string::npos ? std::string() : plain.substr(point + 1);
    std::string text = Grouped(whole, locale.thousand);
    if (!fraction.empty()) {
        text += locale.decimal;
        text += fraction;
    }
    const bool zero = plain.find_first_not_of("0.") == std::string::npos;
    return value < 0 && !zero ? "-" + text : text;
}

std::string FormatInteger(std::int64_t value, LCID lcid) {
    const LocaleData& locale = LocaleOrEnglish(lcid);
    const bool negative = value < 0;
    // The magnitude as unsigned, so that the smallest value has one too.
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
    const std::string text = Grouped(std::to_string(magnitude), locale.thousand);
    return negative ? "-" + text : text;
}

std::string FormatMoney(double value, LCID lcid) {
    return FormatNumber(value, 2, lcid);
}

std::string FormatWithPattern(const std::string& pattern, const DateTimeParts& parts, LCID lcid) {
    const LocaleData& locale = LocaleOrEnglish(lcid);
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            const auto close = pattern.find('\'', i + 1);
            if (close == i + 1) {
                out += '\'';
                i += 2;
                continue;
            }
            out += pattern.substr(i + 1,
                                  close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? pattern.size() : close + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        const int n = static_cast<int>(run);
        const int hour12 = parts.hour % 12 == 0 ? 12 : parts.hour % 12;
        const std::string designator = parts.hour < 12 ? locale.am : locale.pm;
        switch (c) {
        case 'd':
            if (n <= 2) {
                out += Padded(parts.day, n);
            } else if (IsValidDate(parts.year, parts.month, parts.day)) {
                const std::string name =
                    kWeekdayNames[WeekdayOf(parts.year, parts.month, parts.day)];
                out += n == 3 ? name.substr(0, 3) : name;
            }
            break;
        case 'M':
            if (n <= 2) {
                out += Padded(parts.month, n);
            } else if (parts.month >= 1 && parts.month <= 12) {
                const auto index = static_cast<std::size_t>(parts.month - 1);
                out += n == 3 ? locale.months->abbreviated[index] : locale.months->full[index];
            }
            break;
        case 'y':
            out += n <= 2 ? Padded(parts.year % 100, n) : Padded(parts.year, 4);
            break;
        case 'h':
            out += Padded(hour12, std::min(n, 2));
            break;
        case 'H':
            out += Padded(parts.hour, std::min(n, 2));
            break;
        case 'm':
            out += Padded(parts.minute, std::min(n, 2));
            break;
        case 's':
            out += Padded(parts.second, std::min(n, 2));
            break;
        case 't':
            out += n == 1 ? designator.substr(0, 1) : designator;
            break;
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

std::string FormatShortDate(int year, int month, int day, LCID lcid) {
    if (!IsValidDate(year, month, day)) {
        return {};
    }
    DateTimeParts parts;
    parts.hasDate = true;
    parts.year = year;
    parts.month = month;
    parts.day = day;
    return FormatWithPattern(LocaleOrEnglish(lcid).shortDate, parts, lcid);
}

std::string FormatTime(int hour, int minute, int second, LCID lcid) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return {};
    }
    DateTimeParts parts;
    parts.hasTime = true;
    parts.hour = hour;
    parts.minute = minute;
    parts.second = second;
    return FormatWithPattern(LocaleOrEnglish(lcid).timeFormat, parts, lcid);
}

std::string FormatDateTime(const DateTimeParts& parts, LCID lcid) {
    const std::string date = FormatShortDate(parts.year, parts.month, parts.day, lcid);
    const std::string time = FormatTime(parts.hour, parts.minute, parts.second, lcid);
    if (date.empty() || time.empty()) {
        return {};
    }
    return date + " " + time;
}

} // namespace foliant::locale
