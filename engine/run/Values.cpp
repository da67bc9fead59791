#include "engine/run/Values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace foliant::engine::run {

namespace {

int KindRank(const Value& v) {
    switch (v.index()) {
    case 0:
        return 0; // null
    case 1:
        return 1; // bool
    case 2:
    case 3:
        return 2; // int64, double
    case 4:
        return 3; // text
    case 5:
        return 4; // date
    case 6:
        return 5; // time
    case 7:
        return 6; // date-time
    default:
        return 7; // bytes
    }
}

template <typename T> int Three(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

constexpr double kUnixEpochJulianDay = 2440587.5;
constexpr std::int64_t kSecondsPerDay = 86400;

std::int32_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return static_cast<std::int32_t>(q);
}

// Julian day number (real) to Unix seconds, rounded to the nearest second.
std::int64_t JulianToUnixSeconds(double jd) {
    return static_cast<std::int64_t>(std::llround((jd - kUnixEpochJulianDay) * 86400.0));
}

bool IsJulianWhole(std::int64_t v) {
    return v >= 1721426 && v <= 5373484;
}

// Unix seconds the stored number means, or nullopt when it is out of the years 1..9999.
std::optional<std::int64_t> SecondsFromNumber(const Value& stored) {
    std::int64_t seconds = 0;
    if (const auto* i = std::get_if<std::int64_t>(&stored)) {
        seconds = IsJulianWhole(*i) ? JulianToUnixSeconds(static_cast<double>(*i)) : *i;
    } else if (const auto* d = std::get_if<double>(&stored)) {
        if (!std::isfinite(*d) || *d < 1721425.5 || *d >= 5373484.5) {
            return std::nullopt;
        }
        seconds = JulianToUnixSeconds(*d);
    } else {
        return std::nullopt;
    }
    // Years 1 to 9999.
    constexpr std::int64_t lo = -62135596800LL;
    constexpr std::int64_t hi = 253402300799LL;
    if (seconds < lo || seconds > hi) {
        return std::nullopt;
    }
    return seconds;
}

bool ReadDigits(std::string_view text, std::size_t pos, std::size_t count, int& out) {
    if (pos + count > text.size()) {
        return false;
    }
    int v = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        v = v * 10 + (text[i] - '0');
    }
    out = v;
    return true;
}

unsigned DaysInMonth(std::int32_t y, unsigned m) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) {
        return 29;
    }
    return days[m - 1];
}

// "HH:MM[:SS[.fff…]]" at the start of text; the number of characters read in `used`.
std::optional<TimeOfDay> ParseTimePrefix(std::string_view text, std::size_t& used) {
    int h = 0, mi = 0, s = 0;
    if (!ReadDigits(text, 0, 2, h) || text.size() < 5 || text[2] != ':' ||
        !ReadDigits(text, 3, 2, mi)) {
        return std::nullopt;
    }
    std::size_t pos = 5;
    if (pos < text.size() && text[pos] == ':') {
        if (!ReadDigits(text, pos + 1, 2, s)) {
            return std::nullopt;
        }
        pos += 3;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            const std::size_t start = pos;
            while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                ++pos;
            }
            if (pos == start) {
                return std::nullopt;
            }
        }
    }
    if (h > 23 || mi > 59 || s > 59) {
        return std::nullopt;
    }
    used = pos;
    return TimeOfDay{h * 3600 + mi * 60 + s};
}

// A trailing "Z" or "+HH:MM" / "-HH:MM": the offset in seconds to subtract for UTC.
std::optional<int> ParseZone(std::string_view rest) {
    if (rest.empty() || rest == "Z" || rest == "z") {
        return 0;
    }
    int h = 0, m = 0;
    if (rest.size() == 6 && (rest[0] == '+' || rest[0] == '-') && ReadDigits(rest, 1, 2, h) &&
        rest[3] == ':' && ReadDigits(rest, 4, 2, m) && h <= 23 && m <= 59) {
        const int offset = h * 3600 + m * 60;
        return rest[0] == '+' ? offset : -offset;
    }
    return std::nullopt;
}

std::string Trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) {
        --e;
    }
    return std::string(text.substr(b, e - b));
}

std::string Lower(std::string s) {
    for (auto& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// SQLite's own text for a number, so text columns holding numbers read as they show there.
std::string NumberText(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return std::to_string(*i);
    }
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, std::get<double>(v), std::chars_format::general, 15);
    std::string s(buf, r.ec == std::errc() ? r.ptr : buf);
    if (s.find_first_of(".eEn") == std::string::npos) {
        s += ".0";
    }
    return s;
}

std::optional<Value> ParseNumber(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty()) {
        return std::nullopt;
    }
    std::int64_t i = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), i);
    if (r.ec == std::errc() && r.ptr == t.data() + t.size()) {
        return Value{i};
    }
    // from_chars, not strtod: the decimal point is '.' whatever the host's C locale.
    double d = 0;
    const char* first = t.data() + (t[0] == '+' ? 1 : 0);
    const auto rd = std::from_chars(first, t.data() + t.size(), d);
    if (rd.ec == std::errc() && rd.ptr == t.data() + t.size() && std::isfinite(d)) {
        return Value{d};
    }
    return std::nullopt;
}

} // namespace

std::optional<double> NumberOf(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return static_cast<double>(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        return *d;
    }
    return std::nullopt;
}

int CompareValues(const Value& a, const Value& b) {
    const int ra = KindRank(a);
    const int rb = KindRank(b);
    if (ra != rb) {
        return ra < rb ? -1 : 1;
    }
    switch (ra) {
    case 0:
        return 0;
    case 1:
        return Three(std::get<bool>(a), std::get<bool>(b));
    case 2: {
        const auto* ia = std::get_if<std::int64_t>(&a);
        const auto* ib = std::get_if<std::int64_t>(&b);
        if (ia && ib) {
            return Three(*ia, *ib);
        }
        const long double x = ia ? static_cast<long double>(*ia) : std::get<double>(a);
        const long double y = ib ? static_cast<long double>(*ib) : std::get<double>(b);
        return Three(x, y);
    }
    case 3: {
        const int c = std::get<std::string>(a).compare(std::get<std::string>(b));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case 4:
        return Three(std::get<Date>(a).days, std::get<Date>(b).days);
    case 5:
        return Three(std::get<TimeOfDay>(a).seconds, std::get<TimeOfDay>(b).seconds);
    case 6:
        return Three(std::get<DateTime>(a).seconds, std::get<DateTime>(b).seconds);
    default:
        return Three(std::get<Bytes>(a), std::get<Bytes>(b));
    }
}

std::optional<Date> ParseIsoDate(std::string_view text) {
    int y = 0, m = 0, d = 0;
    if (text.size() != 10 || !ReadDigits(text, 0, 4, y) || text[4] != '-' ||
        !ReadDigits(text, 5, 2, m) || text[7] != '-' || !ReadDigits(text, 8, 2, d)) {
        return std::nullopt;
    }
    if (y < 1 || m < 1 || m > 12 || d < 1 || static_cast<unsigned>(d) > DaysInMonth(y, m)) {
        return std::nullopt;
    }
    return Date{DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d))};
}

std::optional<TimeOfDay> ParseIsoTime(std::string_view text) {
    std::size_t used = 0;
    const auto t = ParseTimePrefix(text, used);
    if (!t || !ParseZone(text.substr(used))) {
        return std::nullopt;
    }
    return t;
}

std::optional<DateTime> ParseIsoDateTime(std::string_view text) {
    if (text.size() < 10) {
        return std::nullopt;
    }
    const auto date = ParseIsoDate(text.substr(0, 10));
    if (!date) {
        return std::nullopt;
    }
    std::int64_t seconds = static_cast<std::int64_t>(date->days) * kSecondsPerDay;
    if (text.size() == 10) {
        return DateTime{seconds};
    }
    if (text[10] != ' ' && text[10] != 'T' && text[10] != 't') {
        return std::nullopt;
    }
    std::size_t used = 0;
    const auto rest = text.substr(11);
    const auto time = ParseTimePrefix(rest, used);
    if (!time) {
        return std::nullopt;
    }
    const auto zone = ParseZone(rest.substr(used));
    if (!zone) {
        return std::nullopt;
    }
    return DateTime{seconds + time->seconds - *zone};
}

namespace {

// The readers of a stored value (never null) as one kind of field; a value that does not read
// as the kind becomes null.

Value StoredNumber(const Value& stored, const std::string* text, bool currency) {
    Value v = stored;
    if (text) {
        auto n = ParseNumber(*text);
        if (!n) {
            return {};
        }
        v = *n;
    } else if (std::holds_alternative<bool>(stored)) {
        v = std::int64_t{std::get<bool>(stored) ? 1 : 0};
    } else if (!NumberOf(stored)) {
        return {};
    }
    if (currency) {
        return *NumberOf(v);
    }
    return v;
}

Value StoredBoolean(const Value& stored, const std::string* text) {
    if (const auto n = NumberOf(stored)) {
        return *n != 0.0;
    }
    if (text) {
        const std::string t = Lower(Trim(*text));
        if (t == "true" || t == "yes" || t == "1") {
            return true;
        }
        if (t == "false" || t == "no" || t == "0") {
            return false;
        }
    }
    if (std::holds_alternative<bool>(stored)) {
        return stored;
    }
    return {};
}

Value StoredDate(const Value& stored, const std::string* text) {
    if (text) {
        const std::string t = Trim(*text);
        if (auto d = ParseIsoDate(t)) {
            return *d;
        }
        if (auto dt = ParseIsoDateTime(t)) {
            return Date{FloorDiv(dt->seconds, kSecondsPerDay)};
        }
        return {};
    }
    if (const auto s = SecondsFromNumber(stored)) {
        return Date{FloorDiv(*s, kSecondsPerDay)};
    }
    return {};
}

Value StoredDateTime(const Value& stored, const std::string* text) {
    if (text) {
        if (auto dt = ParseIsoDateTime(Trim(*text))) {
            return *dt;
        }
        return {};
    }
    if (const auto s = SecondsFromNumber(stored)) {
        return DateTime{*s};
    }
    return {};
}

TimeOfDay TimeOfMoment(std::int64_t seconds) {
    return TimeOfDay{static_cast<std::int32_t>(
        seconds - static_cast<std::int64_t>(FloorDiv(seconds, kSecondsPerDay)) * kSecondsPerDay)};
}

Value StoredTime(const Value& stored, const std::string* text) {
    if (text) {
        const std::string t = Trim(*text);
        if (auto tm = ParseIsoTime(t)) {
            return *tm;
        }
        if (auto dt = ParseIsoDateTime(t)) {
            return TimeOfMoment(dt->seconds);
        }
        return {};
    }
    // A fraction of a day (0 to 1), seconds since midnight (whole numbers below 86400),
    // otherwise a moment whose time of day is taken.
    if (const auto* d = std::get_if<double>(&stored); d && *d >= 0.0 && *d < 1.0) {
        return TimeOfDay{static_cast<std::int32_t>(std::llround(*d * 86400.0) % 86400)};
    }
    if (const auto* i = std::get_if<std::int64_t>(&stored); i && *i >= 0 && *i < 86400) {
        return TimeOfDay{static_cast<std::int32_t>(*i)};
    }
    if (const auto s = SecondsFromNumber(stored)) {
        return TimeOfMoment(*s);
    }
    return {};
}

Value StoredText(const Value& stored, const std::string* text) {
    if (text) {
        return stored;
    }
    if (const auto* b = std::get_if<Bytes>(&stored)) {
        return std::string(b->begin(), b->end());
    }
    if (NumberOf(stored)) {
        return NumberText(stored);
    }
    return stored;
}

Value StoredBytes(const Value& stored, const std::string* text) {
    if (text) {
        return Bytes(text->begin(), text->end());
    }
    if (std::holds_alternative<Bytes>(stored)) {
        return stored;
    }
    return {};
}

} // namespace

Value ReadStoredValue(const Value& stored, ValueType type) {
    if (IsNull(stored)) {
        return stored;
    }
    const auto* text = std::get_if<std::string>(&stored);
    switch (type) {
    case ValueType::Int8:
    case ValueType::UInt8:
    case ValueType::Int16:
    case ValueType::UInt16:
    case ValueType::Int32:
    case ValueType::UInt32:
    case ValueType::Number:
    case ValueType::Currency:
        return StoredNumber(stored, text, type == ValueType::Currency);
    case ValueType::Boolean:
        return StoredBoolean(stored, text);
    case ValueType::Date:
        return StoredDate(stored, text);
    case ValueType::DateTime:
        return StoredDateTime(stored, text);
    case ValueType::Time:
        return StoredTime(stored, text);
    case ValueType::String:
    case ValueType::LongText:
        return StoredText(stored, text);
    case ValueType::Unknown:
        return stored;
    default: // bytes, pictures, blobs
        return StoredBytes(stored, text);
    }
}

Value GroupKey(const Value& value, GroupCondition condition) {
    if (IsNull(value) || condition == GroupCondition::EachValue ||
        condition == GroupCondition::EachTimeValue) {
        return value;
    }
    const auto* date = std::get_if<Date>(&value);
    const auto* dateTime = std::get_if<DateTime>(&value);
    const auto* time = std::get_if<TimeOfDay>(&value);

    switch (condition) {
    case GroupCondition::EachSecond:
    case GroupCondition::EachMinute:
    case GroupCondition::EachHour: {
        const int unit = condition == GroupCondition::EachSecond   ? 1
                         : condition == GroupCondition::EachMinute ? 60
                                                                   : 3600;
        if (dateTime) {
            return DateTime{static_cast<std::int64_t>(FloorDiv(dateTime->seconds, unit)) * unit};
        }
        if (time) {
            return TimeOfDay{time->seconds / unit * unit};
        }
        return value;
    }
    case GroupCondition::AmPm: {
        std::int64_t secondOfDay = 0;
        if (dateTime) {
            secondOfDay = dateTime->seconds -
                          static_cast<std::int64_t>(FloorDiv(dateTime->seconds, kSecondsPerDay)) *
                              kSecondsPerDay;
        } else if (time) {
            secondOfDay = time->seconds;
        } else if (!date) {
            return value;
        }
        return std::string(secondOfDay < 43200 ? "AM" : "PM");
    }
    default:
        break;
    }

    // Date periods.
    std::int32_t day = 0;
    if (date) {
        day = date->days;
    } else if (dateTime) {
        day = FloorDiv(dateTime->seconds, kSecondsPerDay);
    } else {
        return value;
    }
    const CivilDate c = CivilFromDays(day);
    switch (condition) {
    case GroupCondition::EachDay:
        return Date{day};
    case GroupCondition::EachWeek:
        return Date{day - Weekday(day)};
    case GroupCondition::EachTwoWeeks: {
        constexpr std::int32_t firstSunday = 3; // 1970-01-04
        return Date{firstSunday + FloorDiv(day - firstSunday, 14) * 14};
    }
    case GroupCondition::EachHalfMonth:
        return Date{DaysFromCivil(c.year, c.month, c.day <= 15 ? 1 : 16)};
    case GroupCondition::EachMonth:
        return Date{DaysFromCivil(c.year, c.month, 1)};
    case GroupCondition::EachQuarter:
        return Date{DaysFromCivil(c.year, (c.month - 1) / 3 * 3 + 1, 1)};
    case GroupCondition::EachHalfYear:
        return Date{DaysFromCivil(c.year, c.month <= 6 ? 1 : 7, 1)};
    case GroupCondition::EachYear:
        return Date{DaysFromCivil(c.year, 1, 1)};
    default:
        return value;
    }
}

} // namespace foliant::engine::run
