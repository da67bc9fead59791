// The store shared by several processes: concurrent writers lose nothing, and a writer killed
// in the middle of its work leaves a store that opens with every value whole.

#include "platform/winreg/WinReg.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace foliant::winreg;

namespace {

constexpr const char* kKey = "Software\\Geodyne\\Shared";

std::string TextFor(int writer, int i) {
    return "writer " + std::to_string(writer) + " value " + std::to_string(i);
}

// Runs child in a forked process and returns its pid; the child's return value is its exit code.
template <typename F> pid_t Spawn(F child) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = child();
        } catch (...) {
        }
        ::_exit(code);
    }
    return pid;
}

int ExitCodeOf(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One value written as the component does it: create or open the key, write, close.
LONG WriteOne(const std::string& name, const void* data, DWORD size, DWORD type) {
    HKEY key = 0;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, "", REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    rc = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return rc;
}

std::string ReadText(HKEY key, const std::string& name) {
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    std::string text(size, '\0');
    RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                     &size);
    return text;
}

std::string NameFor(int writer, int i) {
    return "w" + std::to_string(writer) + "-" + std::to_string(i);
}

// Writes count values as writer; 0 when every write succeeded.
int WriteMany(int writer, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string text = TextFor(writer, i);
        if (WriteOne(NameFor(writer, i), text.c_str(), static_cast<DWORD>(text.size() + 1),
                     REG_SZ) != ERROR_SUCCESS) {
            return 1;
        }
    }
    return 0;
}

// How many of the values written by writers 0 .. writers-1 are missing or different.
int WrongValues(int writers, int count) {
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return writers * count;
    }
    int wrong = 0;
    for (int writer = 0; writer < writers; ++writer) {
        for (int i = 0; i < count; ++i) {
            wrong += ReadText(key, NameFor(writer, i)) != TextFor(writer, i) + '\0';
        }
    }
    RegCloseKey(key);
    return wrong;
}

TEST(RegistryStoreProcesses, TwoProcessesWritingAtOnceLoseNothing) {
    foliant::testing::TempRegistry registry;
    // Both writers start together: each waits for one byte on the pipe.
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> writers;
    for (int writer = 0; writer < 2; ++writer) {
        writers.push_back(Spawn([&, writer] {
            ::close(go[1]);
            char start = 0;
            if (::read(go[0], &start, 1) != 1) {
                return 2;
            }
            return WriteMany(writer, 1000);
        }));
    }
    ::close(go[0]);
    const char start[2] = {'g', 'g'};
    ASSERT_EQ(::write(go[1], start, 2), 2);
    ::close(go[1]);
    for (pid_t pid : writers) {
        EXPECT_EQ(ExitCodeOf(pid), 0) << "every write of a writer succeeds";
    }

    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2000u);
    RegCloseKey(key);
    EXPECT_EQ(WrongValues(2, 1000), 0);
}

TEST(RegistryStoreProcesses, AProcessForkedWhileTheStoreIsOpenWritesAlongsideItsParent) {
    foliant::testing::TempRegistry registry;
    ASSERT_EQ(WriteMany(0, 1), 0) << "the parent has the store open when it forks";
    const pid_t child = Spawn([] { return WriteMany(1, 500); });
    EXPECT_EQ(WriteMany(0, 500), 0);
    EXPECT_EQ(ExitCodeOf(child), 0);
    EXPECT_EQ(WrongValues(2, 500), 0);
}

// Each value is 16 KiB of one byte, so a torn write would show as mixed bytes or a short value.
constexpr DWORD kBlock = 16 * 1024;

TEST(RegistryStoreProcesses, KillInTheMiddleOfWritingLeavesEveryValueWhole) {
    foliant::testing::TempRegistry registry;
    const pid_t writer = Spawn([] {
        std::vector<BYTE> block(kBlock);
        for (std::uint32_t i = 0;; ++i) {
            std::fill(block.begin(), block.end(), static_cast<BYTE>(i));
            if (WriteOne("block " + std::to_string(i % 40), block.data(), kBlock, REG_BINARY) !=
                    ERROR_SUCCESS ||
                WriteOne("count", &i, sizeof i, REG_DWORD) != ERROR_SUCCESS) {
                return 1;
            }
        }
    });

    // Let it write a good while, then kill it without warning.
    std::uint32_t count = 0;
    for (int wait = 0; wait < 2000 && count < 3000; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        HKEY key = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD size = sizeof count;
            RegQueryValueExA(key, "count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count),
                             &size);
            RegCloseKey(key);
        }
    }
    ASSERT_GE(count, 3000u) << "the writer did not get going";
    ASSERT_EQ(::kill(writer, SIGKILL), 0);
    int status = 0;
    ::waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    // The file itself is sound.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(RegistryStoreFile(HKEY_CURRENT_USER).c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    // Every value there is whole, and the store takes new writes.
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    int blocks = 0;
    for (DWORD index = 0;; ++index) {
        char name[64];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        std::vector<BYTE> data(kBlock + 16);
        DWORD size = static_cast<DWORD>(data.size());
        const LONG rc =
            RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data.data(), &size);
        if (rc == ERROR_NO_MORE_ITEMS) {
            break;
        }
        ASSERT_EQ(rc, ERROR_SUCCESS);
        if (type == REG_DWORD) {
            EXPECT_EQ(size, 4u);
            continue;
        }
        ++blocks;
        ASSERT_EQ(size, kBlock) << name;
        const BYTE first = data[0];
        EXPECT_EQ(std::count(data.begin(), data.begin() + kBlock, first),
                  static_cast<std::ptrdiff_t>(kBlock))
            << name << " holds bytes of two different writes";
    }
    EXPECT_EQ(blocks, 40);
    RegCloseKey(key);
    const std::uint32_t after = 7;
    EXPECT_EQ(WriteOne("after", &after, sizeof after, REG_DWORD), ERROR_SUCCESS);
}

} // namespace
