#pragma once

// RegObject: a general reader and writer of registry values.
//
// An object holds a current location (ClassKey, SubKey, ValueName), the type used when writing
// (ValueType) and a fallback for reading (Default). Value reads or writes the value there; the
// other members test, create and delete keys, delete values and list names. The Reg* methods
// take the location as arguments and leave the object's location as it was.
//
// Failures never go unnoticed: every registry call that fails puts the system's message text in
// LastError (and every one that succeeds empties it). They are thrown as AutomationError only
// when asked: RaiseAllErrors for every member, RaiseWriteError for writes. Each member opens
// and closes its keys within the call; no key stays open between calls.

#include "platform/automation/values/AutomationError.h"
#include "platform/automation/values/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace foliant::registry {

using automation::Variant;

// Error numbers raised by RegObject (description: LastError).
inline constexpr std::int32_t kRegKeyError = 26001;                                   // key members
inline constexpr std::int32_t kRegValueError = static_cast<std::int32_t>(0x800469A9); // values
inline constexpr std::int32_t kRegValueNamesError = static_cast<std::int32_t>(0x800469AA);
inline constexpr std::int32_t kRegKeyNamesError = static_cast<std::int32_t>(0x800469AB);

class RegObject : public automation::Object {
public:
    // Predefined root by its standard handle value (HKEY_CURRENT_USER = 0x80000001, ...);
    // 0 until set, which names no key.
    std::int32_t ClassKey() const { return classKey_; }
    void ClassKey(std::int32_t eKey) { classKey_ = eKey; }

    // What reading Value gives when the value cannot be read. An object is kept by reference.
    const Variant& Default() const { return default_; }
    void Default(Variant vDefault) { default_ = std::move(vDefault); }

    // Whether SubKey can be opened under ClassKey for reading.
    // Throws 26001 "RegObject.KeyExists" when it cannot and RaiseAllErrors is set.
    bool KeyExists();

    // The system's message text of the last failing registry call; "" after a successful one.
    const std::string& LastError() const { return lastError_; }

    // Raise errors of writes only. Setting it to true clears RaiseAllErrors.
    bool RaiseWriteError() const { return raiseWriteError_; }
    void RaiseWriteError(bool bRaiseWriteError);

    // Raise errors of every member.
    bool RaiseAllErrors() const { return raiseAllErrors_; }
    void RaiseAllErrors(bool bRaiseAllErrors) { raiseAllErrors_ = bRaiseAllErrors; }

    // Key path below ClassKey, parts separated by "\".
    const std::string& SubKey() const { return subKey_; }
    void SubKey(std::string sSubKey) { subKey_ = std::move(sSubKey); }

    // Reads the value: a text for REG_SZ and REG_MULTI_SZ (the names keep their zero
    // separators), the expanded text for REG_EXPAND_SZ, a 32-bit integer for REG_DWORD and
    // REG_DWORD_BIG_ENDIAN, the bytes for any other type. On failure Default; when Default is
    // empty and RaiseAllErrors is set, throws 0x800469A9 "RegObject.Get_Value" instead.
    Variant Value();
    // Writes vValue as ValueType, creating the key as needed. A text with a "%" and another "%"
    // at least two characters later is written as REG_EXPAND_SZ and ValueType becomes 2.
    // REG_BINARY needs a byte array, the DWORD types a number, Boolean or date; anything else
    // fails with the text of code 13. Throws 0x800469A9 "RegObject.Let_Value" on failure when
    // RaiseWriteError or RaiseAllErrors is set.
    void Value(const Variant& vValue);

    // Name of the value; "" names the key's default value.
    const std::string& ValueName() const { return valueName_; }
    void ValueName(std::string sValueName) { valueName_ = std::move(sValueName); }

    // Registry value type used when writing (1 REG_SZ until set).
    std::int32_t ValueType() const { return valueType_; }
    void ValueType(std::int32_t eValueType) { valueType_ = eValueType; }

    // Registers a file type under HKEY_CLASSES_ROOT: Extension (a "." is put in front when
    // missing) names ClassName; both open with ExePath "%1"; ClassName is described by
    // ClassDescription and, when DefaultIconIndex >= 0, shows icon ExePath,DefaultIconIndex.
    // Leaves the location at the last key written.
    void CreateEXEAssociation(const std::string& ExePath, const std::string& ClassName,
                              const std::string& ClassDescription, std::string Extension,
                              std::int32_t DefaultIconIndex);

    // Creates (or opens) SubKey with every missing part; true when it exists afterwards.
    bool CreateKey();
    // Deletes SubKey, which must have no subkeys; true when deleted.
    bool DeleteKey();
    // Deletes the value ValueName of SubKey; true when deleted.
    bool DeleteValue();
    // Names of the direct subkeys of SubKey, in name order. Throws 0x800469AB
    // "RegObject.KeyNames" when the listing ends early and RaiseAllErrors is set.
    std::vector<std::string> KeyNames_dont_use();
    // Names of the values of SubKey. Throws 0x800469AA "RegObject.ValueNames" when the listing
    // ends early and RaiseAllErrors is set.
    std::vector<std::string> ValueNames();

    // One-call forms: the location comes from the arguments and the object's ClassKey, SubKey,
    // ValueName, ValueType and Default are as before afterwards. Each raises 0x800469A9 with
    // source "RegObject.<method>" when LastError is not empty and RaiseAllErrors is set
    // (RegWrite also for RaiseWriteError; RegRead never when vDefault is not empty).
    Variant RegRead(std::int32_t eKey, const std::string& sSubKey, const std::string& sValueName,
                    const Variant& vDefault);
    void RegWrite(std::int32_t eKey, const std::string& sSubKey, const std::string& sValueName,
                  const Variant& vValue, std::int32_t eValueType);
    bool RegKeyExists(std::int32_t eKey, const std::string& sSubKey);
    void RegCreateKey(std::int32_t eKey, const std::string& sSubKey);
    void RegDelKey(std::int32_t eKey, const std::string& sSubKey);
    void RegDelValue(std::int32_t eKey, const std::string& sSubKey, const std::string& sValueName);
    std::vector<std::string> RegValueNames(std::int32_t eKey, const std::string& sSubKey);

private:
    struct Location {
        std::int32_t classKey = 0;
        std::string subKey;
        std::string valueName;
        std::int32_t valueType = 1;
        Variant defaultValue;
    };

    // Records the result of a registry call; true for success.
    bool Check(std::int32_t code);
    bool ReadValue(Variant& result);
    bool WriteValue(const Variant& value);
    void Enter(std::int32_t eKey, const std::string& sSubKey, const std::string& sValueName,
               std::int32_t eValueType, const Variant& vDefault);
    void Leave();
    [[noreturn]] void Raise(std::int32_t number, const char* source) const;

    std::int32_t classKey_ = 0;
    Variant default_;
    std::string lastError_;
    bool raiseWriteError_ = false;
    bool raiseAllErrors_ = false;
    std::string subKey_;
    std::string valueName_;
    std::int32_t valueType_ = 1;
    Location saved_;
};

} // namespace foliant::registry
