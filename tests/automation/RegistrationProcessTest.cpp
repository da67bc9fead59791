// A component registered and unregistered by several processes at once, and killed while it
// registers: the registry always ends with the whole registration or none of it.

#include "platform/automation/foliant_automation.h"
#include "platform/winreg/WinReg.h"
#include "tests/winreg/TempRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace wr = foliant::winreg;

namespace {

// The test component's registration exports, loaded as a registration tool loads them.
class Exports {
public:
    Exports() : library_(::dlopen(AUTOMATION_TESTSERVER_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (library_ != nullptr) {
            registerServer_ = Find("DllRegisterServer");
            unregisterServer_ = Find("DllUnregisterServer");
        }
    }
    ~Exports() {
        if (library_ != nullptr) {
            ::dlclose(library_);
        }
    }
    Exports(const Exports&) = delete;
    Exports& operator=(const Exports&) = delete;

    bool Loaded() const { return registerServer_ != nullptr && unregisterServer_ != nullptr; }
    HRESULT Register() const { return registerServer_(); }
    HRESULT Unregister() const { return unregisterServer_(); }

private:
    LPFNREGISTERSERVER Find(const char* name) {
        void* symbol = ::dlsym(library_, name);
        LPFNREGISTERSERVER f = nullptr;
        std::memcpy(&f, &symbol, sizeof symbol);
        return f;
    }
    void* library_;
    LPFNREGISTERSERVER registerServer_ = nullptr;
    LPFNREGISTERSERVER unregisterServer_ = nullptr;
};

// Every key below key with its values, one line each, in the store's order.
void Describe(wr::HKEY key, const std::string& path, std::string& out) {
    for (wr::DWORD i = 0;; ++i) {
        char name[1024];
        wr::DWORD nameLength = sizeof name;
        wr::BYTE data[4096];
        wr::DWORD size = sizeof data;
        wr::DWORD type = 0;
        if (wr::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) !=
            wr::ERROR_SUCCESS) {
            break;
        }
        out += path + " [" + name +
               "] = " + std::string(reinterpret_cast<const char*>(data), size) + "\n";
    }
    for (wr::DWORD i = 0;; ++i) {
        char name[256];
        if (wr::RegEnumKeyA(key, i, name, sizeof name) != wr::ERROR_SUCCESS) {
            break;
        }
        out += path + "\\" + name + "\n";
        wr::HKEY child = 0;
        if (wr::RegOpenKeyExA(key, name, 0, wr::KEY_READ, &child) == wr::ERROR_SUCCESS) {
            Describe(child, path + "\\" + name, out);
            wr::RegCloseKey(child);
        }
    }
}

std::string Snapshot() {
    std::string out;
    Describe(wr::HKEY_CLASSES_ROOT, "HKCR", out);
    return out;
}

// A child process that runs one export each time it is told to and answers with the result.
class Worker {
public:
    Worker(const Exports& exports, bool registers) {
        int go[2];
        int done[2];
        if (::pipe(go) != 0 || ::pipe(done) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(go[1]);
            ::close(done[0]);
            char command = 0;
            while (::read(go[0], &command, 1) == 1 && command == 'g') {
                const HRESULT hr = registers ? exports.Register() : exports.Unregister();
                if (::write(done[1], &hr, sizeof hr) != sizeof hr) {
                    break;
                }
            }
            ::_exit(0);
        }
        ::close(go[0]);
        ::close(done[1]);
        go_ = go[1];
        done_ = done[0];
    }
    ~Worker() {
        ::close(go_);
        ::close(done_);
        if (pid_ > 0) {
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    bool Start() const { return ::write(go_, "g", 1) == 1; }
    HRESULT Result() const {
        HRESULT hr = E_UNEXPECTED;
        return ::read(done_, &hr, sizeof hr) == sizeof hr ? hr : E_UNEXPECTED;
    }

private:
    pid_t pid_ = -1;
    int go_ = -1;
    int done_ = -1;
};

class RegistrationProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(exports.Loaded()) << ::dlerror();
        ASSERT_EQ(exports.Register(), S_OK);
        registered = Snapshot();
        ASSERT_EQ(exports.Unregister(), S_OK);
        unregistered = Snapshot();
        ASSERT_NE(registered, unregistered);
    }

    bool Whole(const std::string& state) const {
        return state == registered || state == unregistered;
    }

    foliant::testing::TempRegistry registry;
    Exports exports;
    std::string registered;
    std::string unregistered;
};

TEST_F(RegistrationProcesses, RegisterAndUnregisterStartedTogetherBothSucceedAndLeaveOneWhole) {
    Worker registering(exports, true);
    Worker unregistering(exports, false);
    int half = 0;
    int failed = 0;
    for (int pair = 0; pair < 500; ++pair) {
        ASSERT_TRUE(registering.Start() && unregistering.Start());
        failed += registering.Result() != S_OK;
        failed += unregistering.Result() != S_OK;
        half += !Whole(Snapshot());
    }
    EXPECT_EQ(failed, 0) << "calls that failed while the other process wrote";
    EXPECT_EQ(half, 0) << "pairs that left half a registration";
}

TEST_F(RegistrationProcesses, AProcessKilledWhileItRegistersLeavesAllOrNothing) {
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 40; ++trial) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (bool on = true;; on = !on) {
                (void)(on ? exports.Register() : exports.Unregister());
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 20000));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        ::waitpid(child, nullptr, 0);
        const std::string state = Snapshot();
        ASSERT_TRUE(Whole(state)) << "trial " << trial << " left:\n" << state;
    }
}

} // namespace
