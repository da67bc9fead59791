// Starting programs: detached (ShellExecuteA), as windows this process may close later
// (StartWindowProcess, SendMessageA), and briefly to read their output.

#include "platform/shell/Internal.h"
#include "platform/shell/Shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>

namespace foliant::shell {

namespace detail {

namespace {

// argv as the exec functions want it; the strings must outlive the result.
std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (const auto& argument : argv) {
        pointers.push_back(const_cast<char*>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// In a freshly forked child: signals back to their defaults and unblocked, so that the
// program starts as if from a clean shell.
void ResetSignals() {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGQUIT}) {
        sigaction(s, &standard, nullptr);
    }
}

// In a freshly forked child: every descriptor above the standard three closes on exec, so a
// started program holds none of this process's files, sockets or databases open.
void CloseInheritedOnExec() {
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
}

void StdinFromNull() {
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) {
        ::dup2(null, 0);
        if (null != 0) {
            ::close(null);
        }
    }
}

// In a child: report errno through the status pipe and end.
[[noreturn]] void FailChild(int statusPipe) {
    const int error = errno;
    [[maybe_unused]] const auto written = ::write(statusPipe, &error, sizeof error);
    ::_exit(127);
}

// Reads the errno a child reported, 0 when the pipe closed without one (exec succeeded).
int ReadChildStatus(int statusPipe) {
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(statusPipe, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

pid_t WaitFor(pid_t pid, int* status, int options) {
    pid_t result = 0;
    do {
        result = ::waitpid(pid, status, options);
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

int SpawnDetached(const std::vector<std::string>& argv, const std::string& directory) {
    if (argv.empty()) {
        return ENOENT;
    }
    auto pointers = ArgvOf(argv);
    int statusPipe[2];
    if (::pipe2(statusPipe, O_CLOEXEC) != 0) {
        return errno;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(statusPipe[0]);
        ::close(statusPipe[1]);
        return error;
    }
    if (child == 0) {
        ::close(statusPipe[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            FailChild(statusPipe[1]);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
        // The program itself: its parent is gone at once, so nobody here has to reap it.
        ResetSignals();
        CloseInheritedOnExec();
        StdinFromNull();
        if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
            FailChild(statusPipe[1]);
        }
        ::execv(pointers[0], pointers.data());
        FailChild(statusPipe[1]);
    }
    ::close(statusPipe[1]);
    int status = 0;
    WaitFor(child, &status, 0);
    const int error = ReadChildStatus(statusPipe[0]);
    ::close(statusPipe[0]);
    return error;
}

bool RunAndRead(const std::vector<std::string>& argv, int timeoutMs, std::string& output) {
    output.clear();
    const std::string program = argv.empty() ? std::string() : FindProgram(argv.front());
    if (program.empty()) {
        return false;
    }
    std::vector<std::string> resolved = argv;
    resolved.front() = program;
    auto pointers = ArgvOf(resolved);
    int outPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return false;
    }
    if (child == 0) {
        ResetSignals();
        CloseInheritedOnExec();
        StdinFromNull();
        ::dup2(outPipe[1], 1);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool timedOut = false;
    char buffer[4096];
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd wait{outPipe[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        const ssize_t got = ::read(outPipe[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        if (output.size() < (1u << 16)) {
            output.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(outPipe[0]);
    if (timedOut) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    WaitFor(child, &status, 0);
    return !timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace detail

namespace {

HINSTANCE ShellResultOf(int error) {
    switch (error) {
    case 0:
        return kShellSuccess;
    case ENOENT:
        return SE_ERR_FNF;
    case ENOTDIR:
        return SE_ERR_PNF;
    case EACCES:
    case EPERM:
        return SE_ERR_ACCESSDENIED;
    case ENOEXEC:
        return ERROR_BAD_FORMAT;
    default:
        return SE_ERR_OOM;
    }
}

} // namespace

HINSTANCE ShellExecuteA(HWND /*hwnd*/, const char* verb, const char* file, const char* parameters,
                        const char* directory, int /*show*/) {
    const std::string action = verb ? verb : "";
    const std::string arguments = parameters ? parameters : "";
    const std::string folder = directory ? directory : "";
    if (!file || !*file) {
        return SE_ERR_FNF;
    }
    if (!folder.empty() && !FolderExists(folder)) {
        return SE_ERR_PNF;
    }
    std::string path = file;
    if (path.front() != '/' && !folder.empty()) {
        path = JoinPath(folder, path);
    }
    std::vector<std::string> command;
    const bool openVerb = action.empty() || action == "open";
    if (FileExists(path)) {
        if (openVerb && detail::IsExecutableFile(path)) {
            command.push_back(detail::Absolute(path));
            for (auto& argument : SplitCommandLine(arguments)) {
                command.push_back(std::move(argument));
            }
        } else {
            auto found = detail::Associate(detail::Absolute(path), action, arguments, folder);
            if (found.status == detail::Lookup::ProgramMissing) {
                return SE_ERR_FNF;
            }
            if (found.status != detail::Lookup::Found) {
                return SE_ERR_NOASSOC;
            }
            command = std::move(found.command);
        }
    } else if (std::string(file).find('/') == std::string::npos && openVerb &&
               !FindProgram(file).empty()) {
        command.push_back(FindProgram(file));
        for (auto& argument : SplitCommandLine(arguments)) {
            command.push_back(std::move(argument));
        }
    } else {
        const std::string parent = FolderOf(path);
        return !parent.empty() && !FolderExists(parent) ? SE_ERR_PNF : SE_ERR_FNF;
    }
    return ShellResultOf(detail::SpawnDetached(command, folder));
}

// ---- Windows of started programs ----

namespace {

struct WindowProcess {
    bool exited = false; // reaped already; its group may still run
};

std::mutex windowsMutex;
std::map<HWND, WindowProcess> windows;

// Reaps the started processes that have ended on their own, so that none stays a zombie.
void ReapEndedLocked() {
    for (auto& [hwnd, process] : windows) {
        int status = 0;
        if (!process.exited && detail::WaitFor(static_cast<pid_t>(hwnd), &status, WNOHANG) != 0) {
            process.exited = true;
        }
    }
}

} // namespace

HWND StartWindowProcess(const std::vector<std::string>& argv, const std::string& directory) {
    if (argv.empty()) {
        return 0;
    }
    const std::string program = FindProgram(argv.front());
    if (program.empty() || (!directory.empty() && !FolderExists(directory))) {
        return 0;
    }
    std::vector<std::string> resolved = argv;
    resolved.front() = program;
    auto pointers = detail::ArgvOf(resolved);
    int statusPipe[2];
    if (::pipe2(statusPipe, O_CLOEXEC) != 0) {
        return 0;
    }
    std::lock_guard lock(windowsMutex);
    ReapEndedLocked();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(statusPipe[0]);
        ::close(statusPipe[1]);
        return 0;
    }
    if (child == 0) {
        ::close(statusPipe[0]);
        ::setpgid(0, 0);
        detail::ResetSignals();
        detail::CloseInheritedOnExec();
        detail::StdinFromNull();
        if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
            detail::FailChild(statusPipe[1]);
        }
        ::execv(pointers[0], pointers.data());
        detail::FailChild(statusPipe[1]);
    }
    // Both sides set the group, so it is in place whichever runs first.
    ::setpgid(child, child);
    ::close(statusPipe[1]);
    const int error = detail::ReadChildStatus(statusPipe[0]);
    ::close(statusPipe[0]);
    if (error != 0) {
        int status = 0;
        detail::WaitFor(child, &status, 0);
        return 0;
    }
    windows[static_cast<HWND>(child)] = WindowProcess{};
    return static_cast<HWND>(child);
}

bool IsWindow(HWND hwnd) {
    std::lock_guard lock(windowsMutex);
    ReapEndedLocked();
    const auto found = windows.find(hwnd);
    return found != windows.end() && !found->second.exited;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    if (msg != WM_CLOSE) {
        return 0;
    }
    std::lock_guard lock(windowsMutex);
    const auto found = windows.find(hwnd);
    if (found == windows.end()) {
        return 0;
    }
    const pid_t pid = static_cast<pid_t>(hwnd);
    // The whole group: a viewer started through a script or launcher ends with its helpers.
    // While any member lives the id cannot be reused, so this never reaches a stranger.
    ::kill(-pid, SIGTERM);
    if (!found->second.exited) {
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        bool ended = false;
        while (!ended && std::chrono::steady_clock::now() < deadline) {
            if (detail::WaitFor(pid, &status, WNOHANG) != 0) {
                ended = true;
            } else {
                Sleep(10);
            }
        }
        if (!ended) {
            ::kill(-pid, SIGKILL);
            detail::WaitFor(pid, &status, 0);
        }
    }
    windows.erase(found);
    return 0;
}

} // namespace foliant::shell
