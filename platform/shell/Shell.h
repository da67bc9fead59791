#pragma once

// The shell functions the component calls: the current directory, file tests and paths, which
// program opens a document, starting programs, and closing the windows of programs it started.
//
// Paths use "/". A folder typed by a person may end in "/" or "\"; both complete the same way
// (JoinPath).
//
// Programs registered for a document's extension are read from the registry store
// (HKEY_CLASSES_ROOT: ".ext" -> class -> "shell\open\command"), and when nothing is registered
// there, from the desktop's default application for the document's type. None of these
// functions throws.

#include <cstdint>
#include <string>
#include <vector>

namespace foliant::shell {

using HWND = std::intptr_t;
using HINSTANCE = std::intptr_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Results of FindExecutableA and ShellExecuteA: above 32 is success, otherwise one of these.
inline constexpr HINSTANCE kShellSuccess = 42;
inline constexpr HINSTANCE SE_ERR_FNF = 2;          // the file was not found
inline constexpr HINSTANCE SE_ERR_PNF = 3;          // the path (folder) was not found
inline constexpr HINSTANCE SE_ERR_ACCESSDENIED = 5; // the program could not be run
inline constexpr HINSTANCE ERROR_BAD_FORMAT = 11;   // the program is not a runnable file
inline constexpr HINSTANCE SE_ERR_NOASSOC = 31;     // no program is associated with the file
inline constexpr HINSTANCE SE_ERR_OOM = 8;          // out of resources, or a result too long

// Show modes (accepted; a started program decides how it shows itself).
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;

// Messages.
inline constexpr UINT WM_CLOSE = 0x0010;

// The size of the result buffer FindExecutableA assumes when none is given: the caller's
// 255 characters, the terminating zero included.
inline constexpr std::size_t kFindExecutableBuffer = 255;

// ---- Current directory, files and paths ----

// The process's current directory, without a trailing "/" (except for "/" itself).
// "" when it cannot be read (removed, or too long).
std::string CurrentDirectory();

// Makes path the current directory; false (and nothing changes) when it is not a folder or
// cannot be entered.
bool SetCurrentDirectory(const std::string& path);

// True when path names an existing file that is not a folder (links are followed).
bool FileExists(const std::string& path);

// True when path names an existing folder.
bool FolderExists(const std::string& path);

// True when text ends in a path separator ("/" or "\"): a folder typed by a person.
bool IsFolderPath(const std::string& text);

// folder + "/" + name. A trailing "/" or "\" of folder is the separator (so "a/" and "a\" both
// give "a/name"); an empty folder gives name alone.
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder part of path (everything before its last "/"), "" when there is none.
std::string FolderOf(const std::string& path);

// The path of the executable file or shared library that holds the given address (for a
// component that looks for files beside itself); "" when unknown.
std::string ModuleFileName(const void* addressInModule);

// ---- Associations ----

// Finds the program that opens file: its full path goes to result (at most resultSize
// characters with the terminating zero). file is taken relative to directory when directory is
// neither null nor "" and file is relative, else relative to the current directory. The program
// is, in this order: the one registered for the file's extension, the file itself when it is
// an executable program, the desktop's default application for the file's type (asked of
// xdg-mime when it is installed, and resolved to its desktop entry's Exec program).
// Returns kShellSuccess, or SE_ERR_FNF (file missing, or the registered program missing),
// SE_ERR_PNF (directory missing), SE_ERR_NOASSOC (nothing registered), SE_ERR_OOM (the path does
// not fit). On failure result holds "".
HINSTANCE FindExecutableA(const char* file, const char* directory, char* result,
                          std::size_t resultSize = kFindExecutableBuffer);

// The command line (program path first) that opens the existing document path with verb
// ("open" when empty): the registered command with "%1"/"%L"/"%V" replaced by the path (the
// path is added at the end when the command names no place for it; REG_EXPAND_SZ commands have
// their %NAME% references expanded first), or the desktop default's Exec line with its field
// codes filled.
// Empty when nothing is associated or the program cannot be found.
std::vector<std::string> DocumentCommand(const std::string& path, const std::string& verb = "");

// Splits a command line into arguments the platform's way: white space separates, double
// quotes group (a doubled quote inside quotes is one quote), backslashes are literal except
// before a quote (2n backslashes + quote: n backslashes and a grouping quote; 2n+1: n
// backslashes and a literal quote).
std::vector<std::string> SplitCommandLine(const std::string& line);

// Looks a bare program name up in PATH (a name with "/" is taken as it stands). The full path
// of an executable file, or "" when none is found.
std::string FindProgram(const std::string& name);

// ---- Starting programs ----

// Starts file: a program (run with parameters split by SplitCommandLine) or a document (run
// through DocumentCommand with verb; parameters then go where the command says "%*", or are
// ignored). The program runs detached in its own session with directory (when not empty) as
// its current directory; it is never waited for and leaves no zombie behind.
// Returns kShellSuccess, or SE_ERR_FNF, SE_ERR_PNF, SE_ERR_NOASSOC (document with nothing
// registered, or a verb the document has no command for), SE_ERR_ACCESSDENIED or
// ERROR_BAD_FORMAT (the program could not be run), SE_ERR_OOM.
// hwnd and show are accepted and unused.
HINSTANCE ShellExecuteA(HWND hwnd, const char* verb, const char* file, const char* parameters,
                        const char* directory, int show);

// ---- Windows of started programs ----

// Starts argv (argv[0] looked up with FindProgram) as a child process in its own process group
// and returns its window handle (the process id), or 0 when it could not be started. The
// handle stays valid until SendMessageA(WM_CLOSE) ends it.
HWND StartWindowProcess(const std::vector<std::string>& argv, const std::string& directory = "");

// True while the handle is one StartWindowProcess returned and its process still runs.
bool IsWindow(HWND hwnd);

// WM_CLOSE to a handle from StartWindowProcess asks its process group to end (SIGTERM), waits
// for the process up to two seconds (then ends it for good), and reaps it; the handle is then
// no longer valid. Any other message or handle does nothing. Always returns 0.
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Blocks the calling thread for ms milliseconds.
void Sleep(DWORD ms);

} // namespace foliant::shell
