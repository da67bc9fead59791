#include "engine/run/Format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace foliant::engine::run {

namespace {

std::string Group(const std::string& digits, const std::string& separator) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += separator;
        }
        out += digits[i];
    }
    return out;
}

std::string Padded(long long v, int width) {
    std::string s = std::to_string(v);
    while (static_cast<int>(s.size()) < width) {
        s.insert(s.begin(), '0');
    }
    return s;
}

// Length of the run of character c starting at i.
std::size_t RunLength(const std::string& p, std::size_t i) {
    std::size_t j = i;
    while (j < p.size() && p[j] == p[i]) {
        ++j;
    }
    return j - i;
}

std::string WithCurrency(const std::string& number, const FormatSettings& s) {
    const bool negative = !number.empty() && number[0] == '-';
    const std::string magnitude = negative ? number.substr(1) : number;
    const std::string shown =
        s.currencySymbolAfter ? magnitude + " " + s.currencySymbol : s.currencySymbol + magnitude;
    return negative ? "-" + shown : shown;
}

} // namespace

std::string FormatNumber(long double value, int decimals, const FormatSettings& settings) {
    // Halves round away from zero (2.125 shows as 2.13), as people round money. Digits come
    // from the scaled whole number, not printf: the host's C locale must not change them.
    std::string text;
    long double scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const long double scaled = std::round(std::fabs(value) * scale);
    if (std::isfinite(scaled) && scaled < 1e18L) {
        std::string digits = std::to_string(static_cast<unsigned long long>(scaled));
        if (decimals > 0) {
            if (digits.size() <= static_cast<std::size_t>(decimals)) {
                digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
            }
            digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
        }
        text = (value < 0 ? "-" : "") + digits;
    } else {
        char buf[128];
        const auto r =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
        text.assign(buf, r.ec == std::errc() ? r.ptr : buf);
    }
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.erase(0, 1);
    }
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (negative && text.find_first_not_of("0.") == std::string::npos) {
        negative = false; // -0.00 shows as 0.00
    }
    std::string out = Group(whole, settings.thousandsSeparator);
    if (!fraction.empty()) {
        out += settings.decimalSeparator + fraction;
    }
    return negative ? "-" + out : out;
}

std::string FormatDate(Date date, const std::string& p, const FormatSettings&) {
    const CivilDate c = CivilFromDays(date.days);
    std::string out;
    for (std::size_t i = 0; i < p.size();) {
        const std::size_t n = RunLength(p, i);
        switch (p[i]) {
        case 'd':
            out += Padded(c.day, n >= 2 ? 2 : 1);
            break;
        case 'M':
            out += Padded(c.month, n >= 2 ? 2 : 1);
            break;
        case 'y':
            out += n <= 2 ? Padded(((c.year % 100) + 100) % 100, 2) : Padded(c.year, 4);
            break;
        default:
            out.append(n, p[i]);
        }
        i += n;
    }
    return out;
}

std::string FormatTime(TimeOfDay time, const std::string& p, const FormatSettings& settings) {
    const int h = time.seconds / 3600;
    const int m = time.seconds / 60 % 60;
    const int s = time.seconds % 60;
    std::string out;
    for (std::size_t i = 0; i < p.size();) {
        const std::size_t n = RunLength(p, i);
        const int width = n >= 2 ? 2 : 1;
        switch (p[i]) {
        case 'h':
            out += Padded(h % 12 == 0 ? 12 : h % 12, width);
            break;
        case 'H':
            out += Padded(h, width);
            break;
        case 'm':
            out += Padded(m, width);
            break;
        case 's':
            out += Padded(s, width);
            break;
        case 't':
            out += h < 12 ? settings.amText : settings.pmText;
            break;
        default:
            out.append(n, p[i]);
        }
        i += n;
    }
    return out;
}

std::string FormatValue(const Value& value, ValueType type, const FormatSettings& settings) {
    const bool money = type == ValueType::Currency;
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        if (money) {
            return WithCurrency(FormatNumber(static_cast<long double>(*i), 2, settings), settings);
        }
        const std::string digits = std::to_string(*i);
        if (*i < 0) {
            return "-" + Group(digits.substr(1), settings.thousandsSeparator);
        }
        return Group(digits, settings.thousandsSeparator);
    }
    if (const auto* d = std::get_if<double>(&value)) {
        const std::string number = FormatNumber(*d, 2, settings);
        return money ? WithCurrency(number, settings) : number;
    }
    if (const auto* b = std::get_if<bool>(&value)) {
        return *b ? settings.trueText : settings.falseText;
    }
    if (const auto* s = std::get_if<std::string>(&value)) {
        return *s;
    }
    if (const auto* date = std::get_if<Date>(&value)) {
        return FormatDate(*date, settings.shortDateFormat, settings);
    }
    if (const auto* t = std::get_if<TimeOfDay>(&value)) {
        return FormatTime(*t, settings.shortTimeFormat, settings);
    }
    if (const auto* dt = std::get_if<DateTime>(&value)) {
        const std::int64_t days =
            dt->seconds >= 0 ? dt->seconds / 86400 : -((-dt->seconds + 86399) / 86400);
        const auto secondOfDay = static_cast<std::int32_t>(dt->seconds - days * 86400);
        return FormatDate(Date{static_cast<std::int32_t>(days)}, settings.shortDateFormat,
                          settings) +
               " " + FormatTime(TimeOfDay{secondOfDay}, settings.shortTimeFormat, settings);
    }
    return {};
}

} // namespace foliant::engine::run
