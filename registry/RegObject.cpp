#include "registry/RegObject.h"

#include "platform/winreg/WinReg.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

namespace foliant::registry {

namespace wr = foliant::winreg;

namespace {

constexpr wr::DWORD kMessageFlags = 4863; // from the system, inserts ignored, no line breaks
constexpr wr::DWORD kMessageLanguage = 1024;
constexpr wr::DWORD kMessageBufferSize = 260;
constexpr wr::DWORD kNameBufferSize = 260;

wr::HKEY Root(std::int32_t classKey) {
    return static_cast<wr::HKEY>(classKey);
}

std::string CutAtZero(const char* buffer, std::size_t size) {
    const auto* zero = static_cast<const char*>(std::memchr(buffer, 0, size));
    return std::string(buffer, zero ? static_cast<std::size_t>(zero - buffer) : size);
}

std::string MessageText(std::int32_t code) {
    char buffer[kMessageBufferSize] = {};
    const wr::DWORD length =
        wr::FormatMessageA(kMessageFlags, nullptr, static_cast<wr::DWORD>(code), kMessageLanguage,
                           buffer, kMessageBufferSize, nullptr);
    if (length == 0) {
        // A failure must never read as success: name the code when the system has no text.
        return "Registry error " + std::to_string(code) + ".";
    }
    return CutAtZero(buffer, length);
}

// Closes a key when the member that opened it returns, however it returns.
class OpenedKey {
public:
    OpenedKey() = default;
    ~OpenedKey() {
        if (handle) {
            wr::RegCloseKey(handle);
        }
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    wr::HKEY handle = 0;
};

// Civil date from a count of days since 1970-01-01.
void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += (m <= 2);
}

// A date as the short date and long time of the default regional settings: "12/31/1996",
// "12/31/1996 11:59:59 PM", or the time alone on day zero.
std::string DateText(double value) {
    const double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    long long seconds = std::llround(fraction * 86400.0);
    long long days = static_cast<long long>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += value < 0 ? -1 : 1;
    }
    std::string text;
    if (days != 0) {
        long long y = 0;
        unsigned m = 0;
        unsigned d = 0;
        CivilFromDays(days - 25569, y, m, d);
        text = std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
    }
    if (seconds != 0 || days == 0) {
        const long long h = seconds / 3600;
        char time[32];
        std::snprintf(time, sizeof time, "%lld:%02lld:%02lld %s", h % 12 == 0 ? 12 : h % 12,
                      (seconds / 60) % 60, seconds % 60, h < 12 ? "AM" : "PM");
        text += text.empty() ? time : std::string(" ") + time;
    }
    return text;
}

// The value as text, as the automation host converts it; nothing for an object.
std::optional<std::string> ToText(const Variant& v) {
    switch (v.Kind()) {
    case Variant::Type::Empty:
        return std::string();
    case Variant::Type::Int16:
        return std::to_string(v.Get<std::int16_t>());
    case Variant::Type::Int32:
        return std::to_string(v.Get<std::int32_t>());
    case Variant::Type::Double: {
        char text[40];
        std::snprintf(text, sizeof text, "%.15G", v.Get<double>());
        return std::string(text);
    }
    case Variant::Type::Boolean:
        return std::string(v.Get<bool>() ? "True" : "False");
    case Variant::Type::Text:
        return v.Get<std::string>();
    case Variant::Type::Date:
        return DateText(v.Get<automation::Date>().value);
    case Variant::Type::Bytes: {
        const auto& bytes = v.Get<automation::ByteArray>();
        return std::string(bytes.begin(), bytes.end());
    }
    case Variant::Type::Object:
        break;
    }
    return std::nullopt;
}

// A number, Boolean or date as a 32-bit integer (halves round to even, true is -1); nothing for
// any other value or one out of range. Texts are refused even when they hold digits.
std::optional<std::int32_t> ToLong(const Variant& v) {
    double number = 0;
    switch (v.Kind()) {
    case Variant::Type::Int16:
        return v.Get<std::int16_t>();
    case Variant::Type::Int32:
        return v.Get<std::int32_t>();
    case Variant::Type::Boolean:
        return v.Get<bool>() ? -1 : 0;
    case Variant::Type::Double:
        number = v.Get<double>();
        break;
    case Variant::Type::Date:
        number = v.Get<automation::Date>().value;
        break;
    default:
        return std::nullopt;
    }
    const double rounded = std::nearbyint(number);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

// The second "%" must stand at least two characters after the first: "%%" and "50%" name no
// variable.
bool NamesVariable(const std::string& text) {
    const auto first = text.find('%');
    return first != std::string::npos && text.find('%', first + 2) != std::string::npos;
}

} // namespace

bool RegObject::Check(std::int32_t code) {
    if (code == wr::ERROR_SUCCESS) {
        lastError_.clear();
        return true;
    }
    lastError_ = MessageText(code);
    return false;
}

void RegObject::Raise(std::int32_t number, const char* source) const {
    throw automation::AutomationError(number, source, lastError_);
}

void RegObject::RaiseWriteError(bool bRaiseWriteError) {
    raiseWriteError_ = bRaiseWriteError;
    if (bRaiseWriteError) {
        raiseAllErrors_ = false;
    }
}

bool RegObject::KeyExists() {
    OpenedKey key;
    if (Check(wr::RegOpenKeyExA(Root(classKey_), subKey_.c_str(), 0, wr::KEY_QUERY_VALUE,
                                &key.handle))) {
        return true;
    }
    if (raiseAllErrors_) {
        Raise(kRegKeyError, "RegObject.KeyExists");
    }
    return false;
}

bool RegObject::ReadValue(Variant& result) {
    OpenedKey key;
    if (!Check(wr::RegOpenKeyExA(Root(classKey_), subKey_.c_str(), 0, wr::KEY_READ, &key.handle))) {
        return false;
    }
    const char* name = valueName_.c_str();
    wr::DWORD type = 0;
    wr::DWORD size = 0;
    wr::BYTE none = 0;
    const wr::LONG asked = wr::RegQueryValueExA(key.handle, name, nullptr, &type, &none, &size);
    if (asked != wr::ERROR_MORE_DATA && !Check(asked)) {
        return false;
    }
    switch (type) {
    case wr::REG_SZ:
    case wr::REG_EXPAND_SZ:
    case wr::REG_MULTI_SZ: {
        // A text stored with no bytes at all is the empty text.
        std::string text(size, '\0');
        if (size > 0 &&
            !Check(wr::RegQueryValueExA(key.handle, name, nullptr, &type,
                                        reinterpret_cast<wr::BYTE*>(text.data()), &size))) {
            return false;
        }
        text.resize(size);
        // Drop the terminating zero; a text stored without one keeps all its characters.
        if (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        if (type == wr::REG_EXPAND_SZ) {
            const wr::DWORD needed = wr::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
            if (needed == 0) {
                return Check(static_cast<std::int32_t>(wr::GetLastError()));
            }
            std::string expanded(needed, '\0');
            const wr::DWORD written =
                wr::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed);
            if (written == 0 || written > needed) {
                return Check(written == 0 ? static_cast<std::int32_t>(wr::GetLastError())
                                          : wr::ERROR_MORE_DATA);
            }
            expanded.resize(written - 1);
            text = std::move(expanded);
        }
        result = Variant(std::move(text));
        return true;
    }
    case wr::REG_DWORD:
    case wr::REG_DWORD_BIG_ENDIAN: {
        wr::BYTE bytes[4] = {};
        wr::DWORD four = sizeof bytes;
        if (!Check(wr::RegQueryValueExA(key.handle, name, nullptr, &type, bytes, &four))) {
            return false;
        }
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) {
            const int at = type == wr::REG_DWORD ? i : 3 - i;
            number = (number << 8) | bytes[at];
        }
        result = Variant(static_cast<std::int32_t>(number));
        return true;
    }
    default: {
        automation::ByteArray bytes(size);
        if (size > 0 &&
            !Check(wr::RegQueryValueExA(key.handle, name, nullptr, &type, bytes.data(), &size))) {
            return false;
        }
        bytes.resize(size);
        result = Variant(std::move(bytes));
        return true;
    }
    }
}

Variant RegObject::Value() {
    Variant result;
    if (ReadValue(result)) {
        return result;
    }
    if (default_.IsEmpty() && raiseAllErrors_) {
        Raise(kRegValueError, "RegObject.Get_Value");
    }
    return default_;
}

bool RegObject::WriteValue(const Variant& value) {
    OpenedKey key;
    if (!Check(wr::RegCreateKeyExA(Root(classKey_), subKey_.c_str(), 0, "",
                                   wr::REG_OPTION_NON_VOLATILE, wr::KEY_ALL_ACCESS, nullptr,
                                   &key.handle, nullptr))) {
        return false;
    }
    const char* name = valueName_.c_str();
    switch (valueType_) {
    case wr::REG_SZ:
    case wr::REG_EXPAND_SZ:
    case wr::REG_MULTI_SZ: {
        auto text = ToText(value);
        if (!text) {
            return Check(wr::ERROR_INVALID_DATA);
        }
        if (NamesVariable(*text)) {
            valueType_ = wr::REG_EXPAND_SZ;
        }
        return Check(wr::RegSetValueExA(key.handle, name, 0, static_cast<wr::DWORD>(valueType_),
                                        reinterpret_cast<const wr::BYTE*>(text->c_str()),
                                        static_cast<wr::DWORD>(text->size() + 1)));
    }
    case wr::REG_BINARY: {
        const auto* bytes = value.TryGet<automation::ByteArray>();
        if (!bytes) {
            return Check(wr::ERROR_INVALID_DATA);
        }
        return Check(wr::RegSetValueExA(key.handle, name, 0, wr::REG_BINARY, bytes->data(),
                                        static_cast<wr::DWORD>(bytes->size())));
    }
    case wr::REG_DWORD:
    case wr::REG_DWORD_BIG_ENDIAN: {
        const auto number = ToLong(value);
        if (!number) {
            return Check(wr::ERROR_INVALID_DATA);
        }
        const auto bits = static_cast<std::uint32_t>(*number);
        wr::BYTE bytes[4];
        for (int i = 0; i < 4; ++i) {
            const int at = valueType_ == wr::REG_DWORD ? i : 3 - i;
            bytes[at] = static_cast<wr::BYTE>(bits >> (8 * i));
        }
        return Check(wr::RegSetValueExA(key.handle, name, 0, static_cast<wr::DWORD>(valueType_),
                                        bytes, sizeof bytes));
    }
    default:
        return Check(wr::ERROR_INVALID_DATA);
    }
}

void RegObject::Value(const Variant& vValue) {
    if (!WriteValue(vValue) && (raiseWriteError_ || raiseAllErrors_)) {
        Raise(kRegValueError, "RegObject.Let_Value");
    }
}

void RegObject::CreateEXEAssociation(const std::string& ExePath, const std::string& ClassName,
                                     const std::string& ClassDescription, std::string Extension,
                                     std::int32_t DefaultIconIndex) {
    if (Extension.empty() || Extension[0] != '.') {
        Extension.insert(0, ".");
    }
    const std::string command = ExePath + " \"%1\"";
    classKey_ = static_cast<std::int32_t>(wr::HKEY_CLASSES_ROOT);
    valueType_ = wr::REG_SZ;
    valueName_.clear();
    auto write = [this](std::string key, const std::string& value) {
        subKey_ = std::move(key);
        Value(Variant(value));
    };
    write(Extension, ClassName);
    write(Extension + "\\shell\\open\\command", command);
    write(ClassName, ClassDescription);
    write(ClassName + "\\shell\\open\\command", command);
    if (DefaultIconIndex >= 0) {
        write(ClassName + "\\DefaultIcon", ExePath + "," + std::to_string(DefaultIconIndex));
    }
}

bool RegObject::CreateKey() {
    OpenedKey key;
    if (Check(wr::RegCreateKeyExA(Root(classKey_), subKey_.c_str(), 0, "",
                                  wr::REG_OPTION_NON_VOLATILE, wr::KEY_ALL_ACCESS, nullptr,
                                  &key.handle, nullptr))) {
        return true;
    }
    if (raiseAllErrors_) {
        Raise(kRegKeyError, "RegObject.CreateKey");
    }
    return false;
}

bool RegObject::DeleteKey() {
    if (Check(wr::RegDeleteKeyA(Root(classKey_), subKey_.c_str()))) {
        return true;
    }
    if (raiseAllErrors_) {
        Raise(kRegKeyError, "RegObject.DeleteKey");
    }
    return false;
}

bool RegObject::DeleteValue() {
    bool deleted = false;
    {
        OpenedKey key;
        deleted = Check(wr::RegOpenKeyExA(Root(classKey_), subKey_.c_str(), 0, wr::KEY_ALL_ACCESS,
                                          &key.handle)) &&
                  Check(wr::RegDeleteValueA(key.handle, valueName_.c_str()));
    }
    if (!deleted && raiseAllErrors_) {
        Raise(kRegKeyError, "RegObject.DeleteValue");
    }
    return deleted;
}

std::vector<std::string> RegObject::KeyNames_dont_use() {
    std::vector<std::string> names;
    wr::LONG last = wr::ERROR_SUCCESS;
    {
        OpenedKey key;
        last = wr::RegOpenKeyExA(Root(classKey_), subKey_.c_str(), 0, wr::KEY_ENUMERATE_SUB_KEYS,
                                 &key.handle);
        if (Check(last)) {
            for (wr::DWORD index = 0;; ++index) {
                char buffer[kNameBufferSize] = {};
                last = wr::RegEnumKeyA(key.handle, index, buffer, kNameBufferSize);
                if (!Check(last)) {
                    break;
                }
                names.push_back(CutAtZero(buffer, kNameBufferSize));
            }
        }
    }
    if (last == wr::ERROR_NO_MORE_ITEMS) {
        lastError_.clear();
    } else if (raiseAllErrors_) {
        Raise(kRegKeyNamesError, "RegObject.KeyNames");
    }
    return names;
}

std::vector<std::string> RegObject::ValueNames() {
    std::vector<std::string> names;
    wr::LONG last = wr::ERROR_SUCCESS;
    {
        OpenedKey key;
        last = wr::RegOpenKeyExA(Root(classKey_), subKey_.c_str(), 0, wr::KEY_READ, &key.handle);
        wr::DWORD longest = 0;
        if (Check(last)) {
            last = wr::RegQueryInfoKeyA(key.handle, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, &longest, nullptr, nullptr, nullptr);
        }
        if (Check(last)) {
            std::vector<char> buffer(longest + 1);
            for (wr::DWORD index = 0;; ++index) {
                wr::DWORD length = longest + 1;
                last = wr::RegEnumValueA(key.handle, index, buffer.data(), &length, nullptr,
                                         nullptr, nullptr, nullptr);
                if (!Check(last)) {
                    break;
                }
                names.push_back(CutAtZero(buffer.data(), buffer.size()));
            }
        }
    }
    if (last == wr::ERROR_NO_MORE_ITEMS) {
        lastError_.clear();
    } else if (raiseAllErrors_) {
        Raise(kRegValueNamesError, "RegObject.ValueNames");
    }
    return names;
}

void RegObject::Enter(std::int32_t eKey, const std::string& sSubKey, const std::string& sValueName,
                      std::int32_t eValueType, const Variant& vDefault) {
    saved_ = Location{classKey_, subKey_, valueName_, valueType_, default_};
    classKey_ = eKey;
    subKey_ = sSubKey;
    valueName_ = sValueName;
    valueType_ = eValueType;
    default_ = vDefault;
}

void RegObject::Leave() {
    classKey_ = saved_.classKey;
    subKey_ = std::move(saved_.subKey);
    valueName_ = std::move(saved_.valueName);
    valueType_ = saved_.valueType;
    default_ = std::move(saved_.defaultValue);
    saved_ = Location{};
}

Variant RegObject::RegRead(std::int32_t eKey, const std::string& sSubKey,
                           const std::string& sValueName, const Variant& vDefault) {
    Enter(eKey, sSubKey, sValueName, wr::REG_SZ, vDefault);
    Variant result;
    try {
        result = Value();
    } catch (const automation::AutomationError&) {
    }
    Leave();
    if (!lastError_.empty() && vDefault.IsEmpty() && raiseAllErrors_) {
        Raise(kRegValueError, "RegObject.RegRead");
    }
    return result;
}

void RegObject::RegWrite(std::int32_t eKey, const std::string& sSubKey,
                         const std::string& sValueName, const Variant& vValue,
                         std::int32_t eValueType) {
    Enter(eKey, sSubKey, sValueName, eValueType, Variant());
    try {
        Value(vValue);
    } catch (const automation::AutomationError&) {
    }
    Leave();
    if (!lastError_.empty() && (raiseWriteError_ || raiseAllErrors_)) {
        Raise(kRegValueError, "RegObject.RegWrite");
    }
}

bool RegObject::RegKeyExists(std::int32_t eKey, const std::string& sSubKey) {
    Enter(eKey, sSubKey, "", wr::REG_SZ, Variant());
    bool exists = false;
    try {
        exists = KeyExists();
    } catch (const automation::AutomationError&) {
    }
    Leave();
    if (!lastError_.empty() && raiseAllErrors_) {
        Raise(kRegValueError, "RegObject.RegKeyExists");
    }
    return exists;
}

void RegObject::RegCreateKey(std::int32_t eKey, const std::string& sSubKey) {
    Enter(eKey, sSubKey, "", wr::REG_SZ, Variant());
    try {
        CreateKey();
    } catch (const automation::AutomationError&) {
    }
    Leave();
    if (!lastError_.empty() && raiseAllErrors_) {
        Raise(kRegValueError, "RegObject.RegCreateKey");
    }
}

void RegObject::RegDelKey(std::int32_t eKey, const std::string& sSubKey) {
    Enter(eKey, sSubKey, "", wr::REG_SZ, Variant());
    try {
        DeleteKey();
    } catch (const automation::AutomationError&) {
    }
    Leave();
    if (!lastError_.empty() && raiseAllErrors_) {
        Raise(kRegValueError, "RegObject.RegDelKey");
    }
}

void RegObject::RegDelValue(std::int32_t eKey, const std::string& sSubKey,
                            const std::string& sValueName) {
    Enter(eKey, sSubKey, sValueName, wr::REG_SZ, Variant());
    try {
        DeleteValue();
    } catch (const automation::AutomationError&) {
    }
    Leave();
    if (!lastError_.empty() && raiseAllErrors_) {
        Raise(kRegValueError, "RegObject.RegDelValue");
    }
}

std::vector<std::string> RegObject::RegValueNames(std::int32_t eKey, const std::string& sSubKey) {
    Enter(eKey, sSubKey, "", wr::REG_SZ, Variant());
    std::vector<std::string> names;
    try {
        names = ValueNames();
    } catch (const automation::AutomationError&) {
    }
    Leave();
    if (!lastError_.empty() && raiseAllErrors_) {
        Raise(kRegValueError, "RegObject.RegValueNames");
    }
    return names;
}

} // namespace foliant::registry
