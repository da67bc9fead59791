#include "platform/winreg/WinReg.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace foliant::winreg;

namespace {

using Bytes = std::vector<BYTE>;

Bytes BytesOf(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

HKEY Create(HKEY root, const char* path, REGSAM access = KEY_ALL_ACCESS,
            DWORD* disposition = nullptr) {
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, "", REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                              disposition),
              ERROR_SUCCESS)
        << path;
    return key;
}

void Set(HKEY key, const char* name, DWORD type, const Bytes& data) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

// Type and bytes of a value, read the way callers do: size first, then the bytes.
std::pair<DWORD, Bytes> Get(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << name;
    Bytes data(size);
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
    return {type, data};
}

std::string Message(DWORD code, DWORD flags = 4863) {
    char buffer[512] = {};
    DWORD n = FormatMessageA(flags, nullptr, code, 1024, buffer, sizeof buffer, nullptr);
    return std::string(buffer, n);
}

class WinReg : public ::testing::Test {
protected:
    foliant::testing::TempRegistry registry;
};

TEST_F(WinReg, ValuesKeepTypeAndExactBytesIncludingEmptyAndEmbeddedZeros) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Geodyne\\Test");
    const Bytes embedded = {'a', 0, 'b', 0, 0};
    const Bytes binary = {0, 255, 1, 254};
    Set(key, "multi", REG_MULTI_SZ, embedded);
    Set(key, "bin", REG_BINARY, binary);
    Set(key, "empty", REG_SZ, {});
    Set(key, "odd type", 0x1234, {7});
    Set(key, nullptr, REG_SZ, BytesOf(std::string_view("default\0", 8)));
    EXPECT_EQ(Get(key, "multi"), std::make_pair(REG_MULTI_SZ, embedded));
    EXPECT_EQ(Get(key, "bin"), std::make_pair(REG_BINARY, binary));
    EXPECT_EQ(Get(key, "empty"), std::make_pair(REG_SZ, Bytes{}));
    EXPECT_EQ(Get(key, "odd type"), std::make_pair(DWORD{0x1234}, Bytes{7}));
    // A null name and "" both name the key's default value.
    EXPECT_EQ(Get(key, "").second, BytesOf(std::string_view("default\0", 8)));
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(WinReg, NamesIgnoreCaseAndKeepTheCaseTheyWereCreatedWith) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\MixedCase");
    Set(key, "Window Position", REG_SZ, BytesOf("1"));
    Set(key, "WINDOW POSITION", REG_SZ, BytesOf("22")); // replaces, keeps the first spelling
    RegCloseKey(key);

    HKEY again = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\mixedcase", 0, KEY_READ, &again),
              ERROR_SUCCESS);
    EXPECT_EQ(Get(again, "window position").second, BytesOf("22"));
    char name[64];
    DWORD length = sizeof name;
    ASSERT_EQ(RegEnumValueA(again, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "Window Position");
    EXPECT_EQ(length, 15u);
    length = sizeof name;
    EXPECT_EQ(RegEnumValueA(again, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(again);

    HKEY parent = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, KEY_READ, &parent), ERROR_SUCCESS);
    ASSERT_EQ(RegEnumKeyA(parent, 0, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "MixedCase");
    RegCloseKey(parent);
}

TEST_F(WinReg, CreateReportsWhetherTheKeyIsNewAndOpenFindsOnlyExistingKeys) {
    DWORD disposition = 0;
    RegCloseKey(Create(HKEY_CURRENT_USER, "A\\B\\C", KEY_ALL_ACCESS, &disposition));
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(Create(HKEY_CURRENT_USER, "a\\b\\c\\", KEY_ALL_ACCESS, &disposition));
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\B\\missing", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND)
        << "each root has its own keys";
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\\\B", 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, std::string(256, 'x').c_str(), 0, KEY_READ, &key),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(0, "A", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(0x80000004u, "A", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
}

TEST_F(WinReg, QueryGivesTheSizeAskedForAndMoreDataWhenTheBufferIsShort) {
    HKEY key = Create(HKEY_CURRENT_USER, "Q");
    Set(key, "v", REG_SZ, BytesOf(std::string_view("hello\0", 6)));
    DWORD type = 0;
    DWORD size = 0;
    BYTE none = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, &none, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, REG_SZ);
    BYTE small[3] = {9, 9, 9};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(RegQueryValueExA(key, "nothing", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, small, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, nullptr, &size), ERROR_INVALID_HANDLE)
        << "a closed handle is no longer valid";
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(WinReg, AccessRightsOfAHandleAreEnforced) {
    RegCloseKey(Create(HKEY_CURRENT_USER, "Rights"));
    HKEY readOnly = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Rights", 0, KEY_QUERY_VALUE, &readOnly),
              ERROR_SUCCESS);
    const BYTE one = 1;
    EXPECT_EQ(RegSetValueExA(readOnly, "x", 0, REG_BINARY, &one, 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(readOnly, "x"), ERROR_ACCESS_DENIED);
    char name[16];
    EXPECT_EQ(RegEnumKeyA(readOnly, 0, name, sizeof name), ERROR_ACCESS_DENIED);
    HKEY child = 0;
    EXPECT_EQ(
        RegCreateKeyExA(readOnly, "child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_ACCESS_DENIED);
    RegCloseKey(readOnly);

    HKEY writeOnly = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Rights", 0, KEY_SET_VALUE, &writeOnly),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(writeOnly, "x", 0, REG_BINARY, &one, 1), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(writeOnly, "x", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    RegCloseKey(writeOnly);
}

TEST_F(WinReg, DeletingKeysAndValues) {
    RegCloseKey(Create(HKEY_CURRENT_USER, "Del\\Child"));
    HKEY parent = Create(HKEY_CURRENT_USER, "Del");
    Set(parent, "v", REG_SZ, BytesOf("x"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Del"), ERROR_ACCESS_DENIED)
        << "a key with subkeys stays";
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Del\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Del\\CHILD"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(parent, "V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(parent, "v"), ERROR_FILE_NOT_FOUND);
    Set(parent, "w", REG_SZ, BytesOf("y"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Del"), ERROR_SUCCESS);
    // The handle still exists but its key is gone; a new key of that name is another key.
    RegCloseKey(Create(HKEY_CURRENT_USER, "Del"));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(parent, "w", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
    HKEY fresh = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Del", 0, KEY_READ, &fresh), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(fresh, "w", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND)
        << "values go with their key";
    RegCloseKey(fresh);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
}

TEST_F(WinReg, DeletingATreeTakesEverythingBelowInOneCall) {
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32"));
    HKEY clsid = Create(HKEY_CLASSES_ROOT, "CLSID\\{1}");
    Set(clsid, "", REG_SZ, BytesOf("class"));
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{2}"));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "clsid\\{1}"), ERROR_SUCCESS);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{1}", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(clsid, "", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(clsid);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{1}"), ERROR_FILE_NOT_FOUND);

    // With no subkey the key itself stays, emptied.
    HKEY parent = Create(HKEY_CLASSES_ROOT, "CLSID");
    Set(parent, "v", REG_SZ, BytesOf("x"));
    EXPECT_EQ(RegDeleteTreeA(parent, nullptr), ERROR_SUCCESS);
    DWORD subKeys = 9, values = 9;
    EXPECT_EQ(RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                               &values, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys + values, 0u);
    RegCloseKey(parent);
}

bool Exists(HKEY root, const char* path) {
    HKEY key = 0;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

TEST_F(WinReg, ATransactionKeepsEveryCallInItOrNone) {
    // A body that fails undoes what its calls did before.
    EXPECT_EQ(RegTransact(HKEY_CLASSES_ROOT,
                          [] {
                              RegCloseKey(Create(HKEY_CLASSES_ROOT, "Tools.Saw\\CLSID"));
                              EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, "Tools.Saw\\CLSID"));
                              return ERROR_ACCESS_DENIED;
                          }),
              ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, "Tools.Saw"));

    // A call that fails inside a body that goes on changes nothing by itself; the rest stays.
    EXPECT_EQ(RegTransact(HKEY_CLASSES_ROOT,
                          [] {
                              HKEY key = Create(HKEY_CLASSES_ROOT, "Tools.Saw");
                              Set(key, "", REG_SZ, BytesOf("saw"));
                              RegCloseKey(key);
                              EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Tools.Saw\\None"),
                                        ERROR_FILE_NOT_FOUND);
                              // Nested for the same store: it joins instead of waiting.
                              return RegTransact(HKEY_CLASSES_ROOT, [] {
                                  RegCloseKey(Create(HKEY_CLASSES_ROOT, "Tools.Saw\\CLSID"));
                                  return ERROR_SUCCESS;
                              });
                          }),
              ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, "Tools.Saw\\CLSID"));

    // Calls on the other scope's store go on by themselves meanwhile.
    EXPECT_EQ(RegTransact(HKEY_CLASSES_ROOT,
                          [] {
                              RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software\\Geodyne"));
                              return ERROR_CANTWRITE;
                          }),
              ERROR_CANTWRITE);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "Software\\Geodyne"));
    EXPECT_EQ(RegTransact(12345, [] { return ERROR_SUCCESS; }), ERROR_INVALID_HANDLE);
}

TEST_F(WinReg, EnumerationOrderAndKeyInfo) {
    HKEY key = Create(HKEY_CURRENT_USER, "Enum");
    for (const char* sub : {"beta", "Alpha", "_under", "gamma"}) {
        RegCloseKey(Create(key, sub));
    }
    Set(key, "second", REG_SZ, BytesOf("2"));
    Set(key, "first-longest", REG_BINARY, Bytes(40, 1));
    Set(key, "SECOND", REG_SZ, BytesOf("two")); // an update keeps the value's place

    std::vector<std::string> subKeys;
    char name[260];
    LONG rc = ERROR_SUCCESS;
    for (DWORD i = 0; (rc = RegEnumKeyA(key, i, name, sizeof name)) == ERROR_SUCCESS; ++i) {
        subKeys.emplace_back(name);
    }
    EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
    // Ordered without regard to case, with "_" after the letters as upper case sorts it.
    EXPECT_EQ(subKeys, (std::vector<std::string>{"Alpha", "beta", "gamma", "_under"}));
    EXPECT_EQ(RegEnumKeyA(key, 0, name, 5), ERROR_MORE_DATA) << "Alpha needs six characters";

    std::vector<std::string> values;
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != 0) {
            break;
        }
        values.emplace_back(name);
    }
    EXPECT_EQ(values, (std::vector<std::string>{"second", "first-longest"}));

    DWORD subCount = 0, maxSub = 0, valueCount = 0, maxName = 0, maxData = 0;
    FILETIME written;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subCount, &maxSub, nullptr,
                               &valueCount, &maxName, &maxData, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subCount, 4u);
    EXPECT_EQ(maxSub, 6u);
    EXPECT_EQ(valueCount, 2u);
    EXPECT_EQ(maxName, 13u);
    EXPECT_EQ(maxData, 40u);
    EXPECT_GT(written.dwHighDateTime, 0u);

    // The buffer that RegQueryInfoKeyA's longest name asks for is exactly enough.
    DWORD length = maxName + 1;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    length = maxName;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    RegCloseKey(key);
}

TEST_F(WinReg, ScopesLiveInTheirOwnFilesAndReadingCreatesNothing) {
    const auto user = registry.Folder() / "user-registry.db";
    const auto machine = registry.Folder() / "machine-registry.db";
    EXPECT_EQ(RegistryStoreFile(HKEY_CURRENT_USER), user.string());
    EXPECT_EQ(RegistryStoreFile(HKEY_CLASSES_ROOT), user.string());
    EXPECT_EQ(RegistryStoreFile(HKEY_LOCAL_MACHINE), machine.string());
    EXPECT_EQ(RegistryStoreFile(12345), "");

    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\X", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    DWORD count = 99;
    EXPECT_EQ(RegQueryInfoKeyA(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, &count, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(std::filesystem::exists(machine));

    RegCloseKey(Create(HKEY_CLASSES_ROOT, ".rpt"));
    EXPECT_TRUE(std::filesystem::exists(user));
    EXPECT_FALSE(std::filesystem::exists(machine));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ".rpt", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND)
        << "two roots in one file still hold different keys";
}

TEST_F(WinReg, StoreLocationFollowsTheEnvironment) {
    ::unsetenv("FOLIANT_REGISTRY_DIR");
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    ::setenv("FOLIANT_MACHINE_REGISTRY_DIR", "/somewhere/machine", 1);
    EXPECT_EQ(RegistryStoreFile(HKEY_CURRENT_USER), "/somewhere/config/foliant/user-registry.db");
    EXPECT_EQ(RegistryStoreFile(HKEY_USERS), "/somewhere/machine/machine-registry.db");
    ::unsetenv("XDG_CONFIG_HOME");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(RegistryStoreFile(HKEY_CLASSES_ROOT),
              "/home/someone/.config/foliant/user-registry.db");
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("FOLIANT_MACHINE_REGISTRY_DIR");
    if (oldXdg) {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    }
}

TEST_F(WinReg, AStoreFileThatIsNotAStoreIsReportedCorruptAndLeftAlone) {
    const auto user = registry.Folder() / "user-registry.db";
    {
        std::ofstream garbage(user, std::ios::binary);
        garbage << std::string(4096, 'x');
    }
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_BADDB);
    EXPECT_EQ(Message(ERROR_BADDB), "The configuration registry database is corrupt.");
    EXPECT_EQ(std::filesystem::file_size(user), 4096u);

    // Some other program's database is not taken over either.
    std::filesystem::remove(user);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(user.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE theirs(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_BADDB);
}

TEST_F(WinReg, AStoreFileRemovedWhileInUseIsMadeAgainEmpty) {
    // Enough calls that every kind of statement has been run on the first file.
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\A");
    for (int i = 0; i < 3; ++i) {
        Set(key, "v", REG_SZ, BytesOf("old" + std::to_string(i)));
        EXPECT_EQ(Get(key, "v").second, BytesOf("old" + std::to_string(i)));
    }
    RegCloseKey(key);
    for (const char* name : {"user-registry.db", "user-registry.db-wal", "user-registry.db-shm"}) {
        std::filesystem::remove(registry.Folder() / name);
    }

    key = Create(HKEY_CURRENT_USER, "Software\\A");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    Set(key, "v", REG_BINARY, BytesOf("new"));
    EXPECT_EQ(Get(key, "v"), std::make_pair(DWORD{REG_BINARY}, BytesOf("new")));
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::exists(registry.Folder() / "user-registry.db"));
}

TEST_F(WinReg, AStoreThatCannotBeCreatedFailsAndCreatesNothing) {
    HKEY key = 0;
    auto create = [&] {
        return RegCreateKeyExA(HKEY_CURRENT_USER, "A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                               nullptr);
    };
    // The store's folder would have to be inside a plain file.
    const auto file = registry.Folder() / "plain-file";
    std::ofstream(file) << "x";
    ::setenv("FOLIANT_REGISTRY_DIR", (file / "inner").c_str(), 1);
    EXPECT_EQ(create(), ERROR_BAD_PATHNAME);
    EXPECT_EQ(key, 0u);

    // A folder the user may not write to (root may write anywhere, so only checked for others).
    const auto blocked = registry.Folder() / "blocked";
    std::filesystem::create_directory(blocked);
    std::filesystem::permissions(blocked, std::filesystem::perms::owner_read |
                                              std::filesystem::perms::owner_exec);
    ::setenv("FOLIANT_REGISTRY_DIR", (blocked / "inner").c_str(), 1);
    const LONG rc = create();
    std::filesystem::permissions(blocked, std::filesystem::perms::owner_all);
    if (::geteuid() != 0) {
        EXPECT_EQ(rc, ERROR_ACCESS_DENIED);
        EXPECT_FALSE(std::filesystem::exists(blocked / "inner"));
    }
}

TEST(WinRegMessages, EveryCodeTheStoreReturnsHasItsText) {
    EXPECT_EQ(Message(2), "The system cannot find the file specified.");
    EXPECT_EQ(Message(13), "The data is invalid.");
    EXPECT_EQ(Message(234), "More data is available.");
    EXPECT_EQ(Message(259), "No more data is available.");
    EXPECT_EQ(Message(5), "Access is denied.");
    EXPECT_EQ(Message(6), "The handle is invalid.");
    EXPECT_EQ(Message(87), "The parameter is incorrect.");
    for (LONG code :
         {0, 2, 5, 6, 8, 13, 87, 112, 122, 161, 170, 234, 259, 1009, 1011, 1013, 1016, 1018}) {
        EXPECT_FALSE(Message(static_cast<DWORD>(code)).empty()) << code;
    }
}

TEST(WinRegMessages, FlagsShapeTheTextAndFailuresSetTheLastError) {
    EXPECT_EQ(Message(2, FORMAT_MESSAGE_FROM_SYSTEM),
              "The system cannot find the file specified.\r\n");
    EXPECT_EQ(Message(2, FORMAT_MESSAGE_FROM_SYSTEM | 20),
              "The system cannot\r\nfind the file\r\nspecified.");
    EXPECT_EQ(Message(99999), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    char tiny[8];
    EXPECT_EQ(FormatMessageA(4863, nullptr, 2, 1024, tiny, sizeof tiny, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(Message(2, FORMAT_MESSAGE_FROM_STRING), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(WinRegEnvironment, ExpandsKnownNamesAndKeepsEverythingElse) {
    ::setenv("FOLIANT_TEST_DIR", "/opt/x", 1);
    auto expand = [](const char* text) {
        const DWORD needed = ExpandEnvironmentStringsA(text, nullptr, 0);
        std::string out(needed, '\0');
        EXPECT_EQ(ExpandEnvironmentStringsA(text, out.data(), needed), needed);
        out.resize(needed - 1);
        return out;
    };
    EXPECT_EQ(expand("%FOLIANT_TEST_DIR%\\bin"), "/opt/x\\bin");
    EXPECT_EQ(expand("%foliant_test_dir%"), "/opt/x") << "names match without regard to case";
    EXPECT_EQ(expand("%NO_SUCH_VARIABLE_HERE% stays"), "%NO_SUCH_VARIABLE_HERE% stays");
    EXPECT_EQ(expand("100%"), "100%");
    EXPECT_EQ(expand("%%FOLIANT_TEST_DIR%"), "%/opt/x");
    EXPECT_EQ(expand(""), "");
    char small[4] = {'z', 'z', 'z', 'z'};
    EXPECT_EQ(ExpandEnvironmentStringsA("%FOLIANT_TEST_DIR%", small, sizeof small), 7u)
        << "a short buffer gets the size needed and no partial text";
    EXPECT_EQ(small[0], '\0');
    ::unsetenv("FOLIANT_TEST_DIR");
}

} // namespace
