#pragma once

// The persistent registry store behind the registry functions. Internal to platform/winreg.
//
// A store is one SQLite database in WAL mode: a table of keys (each under its parent, the
// predefined roots at the top) and a table of values (type and raw bytes). Names are kept as
// given and found through their upper-cased form.

#include "platform/winreg/WinReg.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace foliant::winreg::detail {

using KeyId = std::int64_t;

// Thrown inside a transaction body to end it with a result code; the transaction is undone.
struct Failure {
    LONG code;
};

struct StoredValue {
    std::string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct KeyInfo {
    std::string className;
    DWORD subKeys = 0;
    DWORD maxSubKeyLength = 0;
    DWORD maxClassLength = 0;
    DWORD values = 0;
    DWORD maxValueNameLength = 0;
    DWORD maxValueLength = 0;
    std::uint64_t lastWriteTime = 0; // 100-nanosecond ticks since 1601-01-01 UTC
};

// The operations of one transaction. SQL failures throw Failure with the matching result code.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : db_(db) {}

    KeyId Root(std::string_view rootName);
    bool KeyAlive(KeyId key);
    std::optional<KeyId> FindChild(KeyId parent, std::string_view name);
    KeyId AddChild(KeyId parent, std::string_view name, std::string_view className);
    bool HasChildren(KeyId key);
    void RemoveKey(KeyId key);
    // Removes every key below key and all their values, and key itself unless keepKey (then
    // only its values go).
    void RemoveTree(KeyId key, bool keepKey);
    std::optional<StoredValue> FindValue(KeyId key, std::string_view name);
    void PutValue(KeyId key, std::string_view name, DWORD type, const BYTE* data, DWORD size);
    bool RemoveValue(KeyId key, std::string_view name);
    std::optional<std::string> NthChildName(KeyId key, DWORD index);
    std::optional<StoredValue> NthValue(KeyId key, DWORD index);
    KeyInfo Info(KeyId key);

private:
    void Touch(KeyId key);
    sqlite3* db_;
};

enum class Mode { Read, Write };

// Runs body as one transaction of the store in file. A read of a store that does not exist yet
// sees an empty store; a write creates the file and its folder. The body's nonzero result, or a
// Failure it throws, undoes the transaction. Calls are serialised within the process; other
// processes are waited for (up to about fifteen seconds, then 170).
// Inside TransactAll on this thread, a call on the same store joins that transaction instead,
// in a savepoint of its own.
LONG Transact(const std::string& file, Mode mode, const std::function<LONG(Transaction&)>& body);

// Runs body (which makes registry calls) as one write transaction of the store in file, kept
// only when body returns ERROR_SUCCESS; run again from the start while the store is busy.
// See RegTransact.
LONG TransactAll(const std::string& file, const std::function<LONG()>& body);

// The store file of a root's scope; "" for anything but a predefined root.
std::string StoreFileOf(HKEY root);

// The name a root is stored under; nullptr for anything but a predefined root.
const char* RootName(HKEY root);

// The upper-cased form names are compared by (ASCII letters only; other bytes as they are).
std::string Fold(std::string_view name);

} // namespace foliant::winreg::detail
