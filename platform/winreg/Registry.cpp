// The registry functions over the store: handles, paths, access rights and the platform's
// result codes.

#include "platform/winreg/Store.h"
#include "platform/winreg/WinReg.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace foliant::winreg {

using detail::KeyId;
using detail::Mode;
using detail::Transaction;

namespace {

// What a handle stands for. A predefined root has no entry: it is resolved on every call, so
// that it always names the store the environment currently selects. An opened key stays bound
// to the store and the key it was opened on.
struct OpenKey {
    HKEY root = 0;
    std::string file;
    KeyId key = 0;
    REGSAM access = 0;
};

class Handles {
public:
    HKEY Add(OpenKey key) {
        std::lock_guard lock(mutex_);
        do {
            next_ = (next_ + 1) & 0x7FFFFFFFu;
        } while (next_ == 0 || open_.count(next_));
        open_.emplace(next_, std::move(key));
        return next_;
    }
    bool Remove(HKEY handle) {
        std::lock_guard lock(mutex_);
        return open_.erase(handle) > 0;
    }
    std::optional<OpenKey> Find(HKEY handle) {
        std::lock_guard lock(mutex_);
        auto it = open_.find(handle);
        if (it == open_.end()) {
            return std::nullopt;
        }
        return it->second;
    }

private:
    std::mutex mutex_;
    std::unordered_map<HKEY, OpenKey> open_;
    HKEY next_ = 0;
};

Handles& TheHandles() {
    static Handles handles;
    return handles;
}

constexpr REGSAM kAllRights = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                              KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK;

REGSAM Rights(REGSAM desired) {
    return (desired & MAXIMUM_ALLOWED) ? kAllRights : desired;
}

// The key a handle names, with the store it lives in. key 0 means "the root, look it up".
struct Target {
    OpenKey open;
    bool isRoot = false;
};

std::optional<Target> Resolve(HKEY handle) {
    if (detail::RootName(handle)) {
        return Target{OpenKey{handle, detail::StoreFileOf(handle), 0, kAllRights}, true};
    }
    if (auto open = TheHandles().Find(handle)) {
        return Target{*open, false};
    }
    return std::nullopt;
}

// The key id of a target inside a transaction; a key deleted since it was opened fails.
KeyId KeyOf(Transaction& tx, const Target& target) {
    if (target.isRoot) {
        return tx.Root(detail::RootName(target.open.root));
    }
    if (!tx.KeyAlive(target.open.key)) {
        throw detail::Failure{ERROR_KEY_DELETED};
    }
    return target.open.key;
}

// Splits a key path at "\". One trailing "\" is allowed; other empty parts are not.
LONG SplitPath(const char* subKey, std::vector<std::string_view>& parts) {
    parts.clear();
    if (!subKey) {
        return ERROR_SUCCESS;
    }
    std::string_view path(subKey);
    if (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    if (path.empty()) {
        return ERROR_SUCCESS;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('\\', start);
        std::string_view part = path.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part.empty()) {
            return ERROR_BAD_PATHNAME;
        }
        if (part.size() > kMaxKeyNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        parts.push_back(part);
        if (end == std::string_view::npos) {
            return ERROR_SUCCESS;
        }
        start = end + 1;
    }
}

// A handle and a key path below it, as the path functions take them.
struct PathTarget {
    Target target;
    std::vector<std::string_view> parts;
};

// Resolves the handle and splits the path; fails as the path functions do for a bad handle or
// a bad path, the handle first.
LONG ResolvePath(HKEY handle, const char* subKey, PathTarget& out) {
    auto target = Resolve(handle);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    out.target = *target;
    return SplitPath(subKey, out.parts);
}

// The existing key at the end of the path, or nothing when a part of it does not exist.
std::optional<KeyId> FindPath(Transaction& tx, const PathTarget& path) {
    KeyId key = KeyOf(tx, path.target);
    for (auto part : path.parts) {
        auto child = tx.FindChild(key, part);
        if (!child) {
            return std::nullopt;
        }
        key = *child;
    }
    return key;
}

// A new handle on a key found or made below a target, bound to the target's store.
HKEY AddHandle(const Target& target, KeyId key, REGSAM samDesired) {
    return TheHandles().Add(OpenKey{target.open.root, target.open.file, key, Rights(samDesired)});
}

std::string_view NameOf(const char* name) {
    return name ? std::string_view(name) : std::string_view();
}

// Copies data into a caller's buffer as RegQueryValueExA does.
LONG Deliver(const std::vector<BYTE>& data, BYTE* lpData, DWORD* lpcbData) {
    const auto size = static_cast<DWORD>(data.size());
    if (!lpData) {
        if (lpcbData) {
            *lpcbData = size;
        }
        return ERROR_SUCCESS;
    }
    if (!lpcbData) {
        return ERROR_INVALID_PARAMETER;
    }
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (size) {
        std::memcpy(lpData, data.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG NeedRight(const Target& target, REGSAM right) {
    return (target.open.access & right) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

} // namespace

std::string RegistryStoreFile(HKEY root) {
    return detail::StoreFileOf(root);
}

LONG RegTransact(HKEY root, const std::function<LONG()>& body) {
    const std::string file = detail::StoreFileOf(root);
    if (file.empty()) {
        return ERROR_INVALID_HANDLE;
    }
    return detail::TransactAll(file, body);
}

LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                   HKEY* phkResult) {
    if (!phkResult) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = 0;
    PathTarget path;
    if (LONG rc = ResolvePath(hKey, lpSubKey, path); rc != ERROR_SUCCESS) {
        return rc;
    }
    KeyId found = 0;
    LONG rc = detail::Transact(path.target.open.file, Mode::Read, [&](Transaction& tx) {
        const auto key = FindPath(tx, path);
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        found = *key;
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    *phkResult = AddHandle(path.target, found, samDesired);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*Reserved*/, const char* lpClass,
                     DWORD /*dwOptions*/, REGSAM samDesired, const void* /*lpSecurityAttributes*/,
                     HKEY* phkResult, DWORD* lpdwDisposition) {
    if (!phkResult || !lpSubKey) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = 0;
    PathTarget path;
    if (LONG rc = ResolvePath(hKey, lpSubKey, path); rc != ERROR_SUCCESS) {
        return rc;
    }
    KeyId found = 0;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    LONG rc = detail::Transact(path.target.open.file, Mode::Write, [&](Transaction& tx) {
        disposition = REG_OPENED_EXISTING_KEY;
        KeyId key = KeyOf(tx, path.target);
        for (auto part : path.parts) {
            if (auto child = tx.FindChild(key, part)) {
                key = *child;
                continue;
            }
            if (disposition == REG_OPENED_EXISTING_KEY &&
                NeedRight(path.target, KEY_CREATE_SUB_KEY) != ERROR_SUCCESS) {
                return ERROR_ACCESS_DENIED;
            }
            key = tx.AddChild(key, part, NameOf(lpClass));
            disposition = REG_CREATED_NEW_KEY;
        }
        found = key;
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    *phkResult = AddHandle(path.target, found, samDesired);
    if (lpdwDisposition) {
        *lpdwDisposition = disposition;
    }
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    if (detail::RootName(hKey)) {
        return ERROR_SUCCESS;
    }
    return TheHandles().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* /*lpReserved*/, DWORD* lpType,
                      BYTE* lpData, DWORD* lpcbData) {
    auto target = Resolve(hKey);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    if (NeedRight(*target, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return ERROR_ACCESS_DENIED;
    }
    if (lpData && !lpcbData) {
        return ERROR_INVALID_PARAMETER;
    }
    std::optional<detail::StoredValue> value;
    LONG rc = detail::Transact(target->open.file, Mode::Read, [&](Transaction& tx) {
        value = tx.FindValue(KeyOf(tx, *target), NameOf(lpValueName));
        return value ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (lpType) {
        *lpType = value->type;
    }
    return Deliver(value->data, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD /*Reserved*/, DWORD dwType,
                    const BYTE* lpData, DWORD cbData) {
    auto target = Resolve(hKey);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    if (NeedRight(*target, KEY_SET_VALUE) != ERROR_SUCCESS) {
        return ERROR_ACCESS_DENIED;
    }
    if ((!lpData && cbData > 0) || NameOf(lpValueName).size() > kMaxValueNameLength) {
        return ERROR_INVALID_PARAMETER;
    }
    return detail::Transact(target->open.file, Mode::Write, [&](Transaction& tx) {
        tx.PutValue(KeyOf(tx, *target), NameOf(lpValueName), dwType, lpData, cbData);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey) {
    if (!lpSubKey) {
        return ERROR_INVALID_PARAMETER;
    }
    PathTarget path;
    if (LONG rc = ResolvePath(hKey, lpSubKey, path); rc != ERROR_SUCCESS) {
        return rc;
    }
    if (path.parts.empty() && path.target.isRoot) {
        return ERROR_ACCESS_DENIED;
    }
    return detail::Transact(path.target.open.file, Mode::Write, [&](Transaction& tx) {
        const auto key = FindPath(tx, path);
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (tx.HasChildren(*key)) {
            return ERROR_ACCESS_DENIED;
        }
        tx.RemoveKey(*key);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteTreeA(HKEY hKey, const char* lpSubKey) {
    PathTarget path;
    if (LONG rc = ResolvePath(hKey, lpSubKey, path); rc != ERROR_SUCCESS) {
        return rc;
    }
    return detail::Transact(path.target.open.file, Mode::Write, [&](Transaction& tx) {
        const auto key = FindPath(tx, path);
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        tx.RemoveTree(*key, path.parts.empty());
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueA(HKEY hKey, const char* lpValueName) {
    auto target = Resolve(hKey);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    if (NeedRight(*target, KEY_SET_VALUE) != ERROR_SUCCESS) {
        return ERROR_ACCESS_DENIED;
    }
    return detail::Transact(target->open.file, Mode::Write, [&](Transaction& tx) {
        return tx.RemoveValue(KeyOf(tx, *target), NameOf(lpValueName)) ? ERROR_SUCCESS
                                                                       : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD cchName) {
    auto target = Resolve(hKey);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    if (NeedRight(*target, KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS) {
        return ERROR_ACCESS_DENIED;
    }
    if (!lpName) {
        return ERROR_INVALID_PARAMETER;
    }
    std::optional<std::string> name;
    LONG rc = detail::Transact(target->open.file, Mode::Read, [&](Transaction& tx) {
        name = tx.NthChildName(KeyOf(tx, *target), dwIndex);
        return name ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (name->size() + 1 > cchName) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpName, name->c_str(), name->size() + 1);
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                   DWORD* /*lpReserved*/, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    auto target = Resolve(hKey);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    if (NeedRight(*target, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return ERROR_ACCESS_DENIED;
    }
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::optional<detail::StoredValue> value;
    LONG rc = detail::Transact(target->open.file, Mode::Read, [&](Transaction& tx) {
        value = tx.NthValue(KeyOf(tx, *target), dwIndex);
        return value ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (value->name.size() + 1 > *lpcchValueName) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpValueName, value->name.c_str(), value->name.size() + 1);
    *lpcchValueName = static_cast<DWORD>(value->name.size());
    if (lpType) {
        *lpType = value->type;
    }
    return Deliver(value->data, lpData, lpcbData);
}

LONG RegQueryInfoKeyA(HKEY hKey, char* lpClass, DWORD* lpcchClass, DWORD* /*lpReserved*/,
                      DWORD* lpcSubKeys, DWORD* lpcbMaxSubKeyLen, DWORD* lpcbMaxClassLen,
                      DWORD* lpcValues, DWORD* lpcbMaxValueNameLen, DWORD* lpcbMaxValueLen,
                      DWORD* lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
    auto target = Resolve(hKey);
    if (!target) {
        return ERROR_INVALID_HANDLE;
    }
    if (NeedRight(*target, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return ERROR_ACCESS_DENIED;
    }
    if (lpClass && !lpcchClass) {
        return ERROR_INVALID_PARAMETER;
    }
    detail::KeyInfo info;
    LONG rc = detail::Transact(target->open.file, Mode::Read, [&](Transaction& tx) {
        info = tx.Info(KeyOf(tx, *target));
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    const auto classLength = static_cast<DWORD>(info.className.size());
    if (lpClass) {
        if (*lpcchClass < classLength + 1) {
            *lpcchClass = classLength;
            return ERROR_MORE_DATA;
        }
        std::memcpy(lpClass, info.className.c_str(), classLength + 1);
    }
    if (lpcchClass) {
        *lpcchClass = classLength;
    }
    auto put = [](DWORD* p, DWORD v) {
        if (p) {
            *p = v;
        }
    };
    put(lpcSubKeys, info.subKeys);
    put(lpcbMaxSubKeyLen, info.maxSubKeyLength);
    put(lpcbMaxClassLen, info.maxClassLength);
    put(lpcValues, info.values);
    put(lpcbMaxValueNameLen, info.maxValueNameLength);
    put(lpcbMaxValueLen, info.maxValueLength);
    put(lpcbSecurityDescriptor, 0);
    if (lpftLastWriteTime) {
        lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(info.lastWriteTime & 0xFFFFFFFFu);
        lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(info.lastWriteTime >> 32);
    }
    return ERROR_SUCCESS;
}

} // namespace foliant::winreg
