#include "platform/automation/Convert.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <strings.h>

namespace foliant::automation {

AutomationError TypeMismatchError() {
    return AutomationError(kTypeMismatch, "", "Type mismatch");
}

AutomationError OverflowError() {
    return AutomationError(kOverflow, "", "Overflow");
}

AutomationError ObjectNotSetError() {
    return AutomationError(kObjectNotSet, "", "Object variable or With block variable not set");
}

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A text that holds a decimal number and nothing else (blanks around it allowed).
double NumberOfText(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty()) {
        throw TypeMismatchError();
    }
    // Hexadecimal, infinities and NaN are not numbers a person types into a field.
    for (char c : trimmed) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E')) {
            throw TypeMismatchError();
        }
    }
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size()) {
        throw TypeMismatchError();
    }
    if (errno == ERANGE && std::isinf(number)) {
        throw OverflowError();
    }
    return number;
}

template <typename I> I RoundToInteger(double number) {
    if (!std::isfinite(number)) {
        throw OverflowError();
    }
    const double rounded = std::nearbyint(number); // halves to even in the default rounding mode
    if (rounded < static_cast<double>(std::numeric_limits<I>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<I>::max())) {
        throw OverflowError();
    }
    return static_cast<I>(rounded);
}

template <typename I> I ToInteger(const Variant& v) {
    switch (v.Kind()) {
    case Variant::Type::Empty:
        return 0;
    case Variant::Type::Int16:
        return RoundToInteger<I>(v.Get<std::int16_t>());
    case Variant::Type::Int32:
        return RoundToInteger<I>(v.Get<std::int32_t>());
    case Variant::Type::Boolean:
        return v.Get<bool>() ? -1 : 0;
    case Variant::Type::Double:
        return RoundToInteger<I>(v.Get<double>());
    case Variant::Type::Date:
        return RoundToInteger<I>(v.Get<Date>().value);
    case Variant::Type::Text:
        return RoundToInteger<I>(NumberOfText(v.Get<std::string>()));
    case Variant::Type::Object:
    case Variant::Type::Bytes:
        break;
    }
    throw TypeMismatchError();
}

// Civil date of a day count since 1899-12-30.
void CivilFromDays(long long days, int& year, unsigned& month, unsigned& day) {
    const long long z = days - 25569 + 719468; // 25569 days from 1899-12-30 to 1970-01-01
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

std::string DateText(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 3e6) {
        throw OverflowError();
    }
    // Negative dates count whole days back and the fraction forward, as hosts store them.
    long long days = static_cast<long long>(std::trunc(value));
    double fraction = std::fabs(value - static_cast<double>(days));
    long long seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += value < 0 ? -1 : 1;
    }
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days, year, month, day);
    char text[40];
    if (seconds == 0) {
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", year, month, day);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld", year, month, day,
                      seconds / 3600, seconds / 60 % 60, seconds % 60);
    }
    return text;
}

} // namespace

std::int16_t ToInt16(const Variant& v) {
    return ToInteger<std::int16_t>(v);
}

std::int32_t ToInt32(const Variant& v) {
    return ToInteger<std::int32_t>(v);
}

double ToDouble(const Variant& v) {
    switch (v.Kind()) {
    case Variant::Type::Empty:
        return 0.0;
    case Variant::Type::Int16:
        return v.Get<std::int16_t>();
    case Variant::Type::Int32:
        return v.Get<std::int32_t>();
    case Variant::Type::Boolean:
        return v.Get<bool>() ? -1.0 : 0.0;
    case Variant::Type::Double:
        return v.Get<double>();
    case Variant::Type::Date:
        return v.Get<Date>().value;
    case Variant::Type::Text:
        return NumberOfText(v.Get<std::string>());
    case Variant::Type::Object:
    case Variant::Type::Bytes:
        break;
    }
    throw TypeMismatchError();
}

bool ToBoolean(const Variant& v) {
    if (const auto* text = v.TryGet<std::string>()) {
        const std::string trimmed = Trimmed(*text);
        if (::strcasecmp(trimmed.c_str(), "True") == 0) {
            return true;
        }
        if (::strcasecmp(trimmed.c_str(), "False") == 0) {
            return false;
        }
        return NumberOfText(trimmed) != 0.0;
    }
    if (const auto* b = v.TryGet<bool>()) {
        return *b;
    }
    return ToDouble(v) != 0.0;
}

std::string ToText(const Variant& v) {
    switch (v.Kind()) {
    case Variant::Type::Empty:
        return {};
    case Variant::Type::Int16:
        return std::to_string(v.Get<std::int16_t>());
    case Variant::Type::Int32:
        return std::to_string(v.Get<std::int32_t>());
    case Variant::Type::Boolean:
        return v.Get<bool>() ? "True" : "False";
    case Variant::Type::Double: {
        char text[40];
        std::snprintf(text, sizeof text, "%.15G", v.Get<double>());
        return text;
    }
    case Variant::Type::Date:
        return DateText(v.Get<Date>().value);
    case Variant::Type::Text:
        return v.Get<std::string>();
    case Variant::Type::Object:
    case Variant::Type::Bytes:
        break;
    }
    throw TypeMismatchError();
}

Date ToDate(const Variant& v) {
    switch (v.Kind()) {
    case Variant::Type::Date:
        return v.Get<Date>();
    case Variant::Type::Empty:
    case Variant::Type::Int16:
    case Variant::Type::Int32:
    case Variant::Type::Double:
        return Date{ToDouble(v)};
    default:
        break;
    }
    throw TypeMismatchError();
}

std::shared_ptr<Object> ToObject(const Variant& v) {
    if (const auto* object = v.TryGet<std::shared_ptr<Object>>()) {
        return *object;
    }
    throw TypeMismatchError();
}

ByteArray ToBytes(const Variant& v) {
    if (const auto* bytes = v.TryGet<ByteArray>()) {
        return *bytes;
    }
    throw TypeMismatchError();
}

} // namespace foliant::automation
