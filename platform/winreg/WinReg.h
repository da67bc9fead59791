#pragma once

// The registry functions the component calls, with the platform's names, argument order,
// result codes and message texts, over a persistent store of our own.
//
// Keys live under four predefined roots given by their standard handle values. Key and value
// names compare without regard to case and keep the case they were created with. A value keeps
// its type and its raw bytes exactly as written.
//
// The store is one SQLite database per scope: the user's (HKEY_CURRENT_USER, HKEY_CLASSES_ROOT)
// and the machine's (HKEY_LOCAL_MACHINE, HKEY_USERS); see RegistryStoreFile for where they are.
// Every call is one transaction: it happens whole or not at all, several processes may call at
// once without losing each other's writes, and a process killed in the middle of a call leaves
// the store with the old values whole.
//
// Every function is safe to call from several threads. None throws: failures come back as the
// platform's result codes (ERROR_SUCCESS is 0).

#include <cstdint>
#include <functional>
#include <string>

namespace foliant::winreg {

using LONG = std::int32_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using REGSAM = DWORD;
// A key handle: one of the predefined roots below, or a handle returned by RegOpenKeyExA or
// RegCreateKeyExA and valid until RegCloseKey.
using HKEY = std::uint32_t;

struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};

// Predefined roots.
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

// Result codes.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_INVALID_DATA = 13;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_BUSY = 170;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_MR_MID_NOT_FOUND = 317;
inline constexpr LONG ERROR_BADDB = 1009;
inline constexpr LONG ERROR_CANTOPEN = 1011;
inline constexpr LONG ERROR_CANTWRITE = 1013;
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Access rights of an opened key.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_EXECUTE = KEY_READ;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;

// RegCreateKeyExA options and dispositions. Volatile keys are kept like any other.
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_OPTION_VOLATILE = 1;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// FormatMessageA flags. Only messages from the system are available.
inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x0100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x0400;
inline constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x0800;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
inline constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x2000;
inline constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x00FF;

// Limits of names.
inline constexpr DWORD kMaxKeyNameLength = 255;     // one part of a key path
inline constexpr DWORD kMaxValueNameLength = 16383; // a value name

// Opens an existing key: lpSubKey (parts separated by "\", null or "" for hKey itself) under
// hKey, with the access samDesired. 2 when a part does not exist.
LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   HKEY* phkResult);

// Opens lpSubKey under hKey, creating every missing part. *lpdwDisposition (when given) tells
// whether the last part was created or already existed. lpClass (may be null) is kept as the
// class of created keys.
LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD Reserved, const char* lpClass,
                     DWORD dwOptions, REGSAM samDesired, const void* lpSecurityAttributes,
                     HKEY* phkResult, DWORD* lpdwDisposition);

// Releases a handle. Closing a predefined root succeeds and does nothing.
LONG RegCloseKey(HKEY hKey);

// Type, size and bytes of the value lpValueName (null or "" names the key's default value).
// With lpData null only *lpType and *lpcbData are filled; when *lpcbData is smaller than the
// value, *lpcbData receives the size needed and the result is 234.
LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                      BYTE* lpData, DWORD* lpcbData);

// Writes the value lpValueName with the type dwType and the cbData bytes at lpData, replacing
// any value of that name. Needs KEY_SET_VALUE.
LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType,
                    const BYTE* lpData, DWORD cbData);

// Deletes lpSubKey under hKey with its values. A key that still has subkeys is not deleted (5);
// lpSubKey "" deletes hKey itself; a predefined root cannot be deleted.
LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey);

// Deletes lpSubKey under hKey with all its subkeys and values, in one transaction. With
// lpSubKey null or "" the key hKey stays and loses its subkeys and values.
LONG RegDeleteTreeA(HKEY hKey, const char* lpSubKey);

// Deletes one value of the key. Needs KEY_SET_VALUE.
LONG RegDeleteValueA(HKEY hKey, const char* lpValueName);

// The name of the dwIndex-th direct subkey (0-based, ordered by name without regard to case)
// into lpName of cchName characters with its terminating zero. 259 past the last subkey, 234
// when the buffer is too small. Needs KEY_ENUMERATE_SUB_KEYS.
LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD cchName);

// The dwIndex-th value of the key (0-based, in the order the values were first written): its
// name into lpValueName (*lpcchValueName characters with the zero in, the name's length out),
// and like RegQueryValueExA its type and bytes. 259 past the last value.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                   DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData);

// Facts about a key; every pointer may be null. Lengths of names are in characters without the
// terminating zero, the longest value in bytes.
LONG RegQueryInfoKeyA(HKEY hKey, char* lpClass, DWORD* lpcchClass, DWORD* lpReserved,
                      DWORD* lpcSubKeys, DWORD* lpcbMaxSubKeyLen, DWORD* lpcbMaxClassLen,
                      DWORD* lpcValues, DWORD* lpcbMaxValueNameLen, DWORD* lpcbMaxValueLen,
                      DWORD* lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime);

// Replaces each %name% of lpSrc by the environment variable name (an exact match first, then
// one that differs only in case); unknown names stay as they are. Returns the number of
// characters the result needs with its terminating zero, and writes it to lpDst only when
// nSize is at least that. 0 on failure (GetLastError tells why).
DWORD ExpandEnvironmentStringsA(const char* lpSrc, char* lpDst, DWORD nSize);

// The system's message text for dwMessageId into lpBuffer (nSize characters). Needs
// FORMAT_MESSAGE_FROM_SYSTEM. Without a width in FORMAT_MESSAGE_MAX_WIDTH_MASK the text ends
// with "\r\n"; with 0xFF it has no line breaks; a smaller width breaks lines at that width.
// Returns the number of characters written without the zero, or 0 (GetLastError: 317 for an
// unknown code, 122 for a short buffer, 87 for unsupported flags). Every code the registry
// functions return has a text. Arguments is accepted for the platform's signature and unused.
DWORD FormatMessageA(DWORD dwFlags, const void* lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     char* lpBuffer, DWORD nSize, void* Arguments);

// The calling thread's last error, set by ExpandEnvironmentStringsA and FormatMessageA.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// The database file that holds a root's keys, as the next call would use it:
// FOLIANT_REGISTRY_DIR when set holds both stores ("user-registry.db", "machine-registry.db").
// Otherwise the user's store is $XDG_CONFIG_HOME/foliant/user-registry.db (falling back to
// ~/.config/foliant/), and the machine's is machine-registry.db in
// FOLIANT_MACHINE_REGISTRY_DIR, else in the folder chosen when the product was built.
// "" for a handle that is not a predefined root.
std::string RegistryStoreFile(HKEY root);

// Runs body as one transaction of the store that holds root: every registry call body makes
// on this thread to that store joins it, and all of them are kept only when body returns
// ERROR_SUCCESS. Any other result, or an exception (which passes on), undoes all of them, and
// a process killed in the middle leaves none of them. Other writers of the store, in this
// process or another, wait until the transaction ends. When the store stays busy, body is run
// again from the start (it must keep no state between runs) until about fifteen seconds have
// passed; then the result is ERROR_BUSY. Handles opened in body should be closed in it. A
// nested call for the same store joins the outer transaction.
LONG RegTransact(HKEY root, const std::function<LONG()>& body);

} // namespace foliant::winreg
