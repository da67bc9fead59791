#pragma once

// GUIDs in C++: parsing and formatting of the braced text form, comparison, and compile-time
// literals for the identities a component declares.

#include "platform/automation/foliant_automation.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace foliant::automation {

namespace detail {
constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The GUID of "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (hex digits in either case), or nothing.
constexpr std::optional<GUID> ParseGuidText(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') {
        return std::nullopt;
    }
    std::uint8_t bytes[16] = {};
    std::size_t pos = 1;
    for (int i = 0; i < 16; ++i) {
        if (pos == 9 || pos == 14 || pos == 19 || pos == 24) {
            if (text[pos] != '-') {
                return std::nullopt;
            }
            ++pos;
        }
        const int high = HexDigit(text[pos]);
        const int low = HexDigit(text[pos + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
        pos += 2;
    }
    GUID guid{};
    guid.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                 (std::uint32_t{bytes[2]} << 8) | bytes[3];
    guid.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    guid.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        guid.Data4[i] = bytes[8 + i];
    }
    return guid;
}
} // namespace detail

// A GUID literal checked while compiling: Guid("{...}") in a constexpr context does not compile
// when the text is malformed.
consteval GUID Guid(std::string_view text) {
    const auto guid = detail::ParseGuidText(text);
    if (!guid) {
        throw std::invalid_argument("malformed GUID literal");
    }
    return *guid;
}

// The GUID of a braced text form, or nothing when the text is malformed.
inline std::optional<GUID> ParseGuid(std::string_view text) {
    return detail::ParseGuidText(text);
}

// The braced, upper-case text form, e.g. "{00020400-0000-0000-C000-000000000046}".
std::string FormatGuid(const GUID& guid);

} // namespace foliant::automation

constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) {
            return false;
        }
    }
    return true;
}
