// System message texts, the thread's last error and the expansion of environment variables.

#include "platform/winreg/WinReg.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern char** environ;

namespace foliant::winreg {

namespace {

thread_local DWORD lastError = 0;

struct Message {
    DWORD id;
    const char* text;
};

// Every code the registry functions and the store return, and the common neighbours a caller
// may pass on. Texts are the platform's own.
constexpr Message kMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {14, "Not enough memory resources are available to complete this operation."},
    {32, "The process cannot access the file because it is being used by another process."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {161, "The specified path is invalid."},
    {170, "The requested resource is in use."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {317, "The system cannot find message text for message number 0x%1 in the message file for "
          "%2."},
    {1009, "The configuration registry database is corrupt."},
    {1010, "The configuration registry key is invalid."},
    {1011, "The configuration registry key could not be opened."},
    {1012, "The configuration registry key could not be read."},
    {1013, "The configuration registry key could not be written."},
    {1015, "The registry is corrupted. The structure of one of the files containing registry "
           "data is corrupted, or the system's memory image of the file is corrupted, or the "
           "file could not be recovered because the alternate copy or log was absent or "
           "corrupted."},
    {1016, "An I/O operation initiated by the registry failed unrecoverably. The registry could "
           "not read in, or write out, or flush, one of the files that contain the system's "
           "image of the registry."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
};

const char* FindMessage(DWORD id) {
    for (const auto& m : kMessages) {
        if (m.id == id) {
            return m.text;
        }
    }
    return nullptr;
}

// Breaks text into lines of at most width characters at spaces (a longer word stays whole).
std::string BreakLines(std::string_view text, std::size_t width) {
    std::string out;
    std::size_t lineLength = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view word = text.substr(pos, end - pos);
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            out += "\r\n";
            lineLength = 0;
        } else if (lineLength > 0) {
            out += ' ';
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
        pos = end + 1;
    }
    return out;
}

char FoldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

const char* LookUpEnvironment(const std::string& name) {
    if (const char* exact = std::getenv(name.c_str())) {
        return exact;
    }
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        if (!eq || static_cast<std::size_t>(eq - *entry) != name.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = FoldCase((*entry)[i]) == FoldCase(name[i]);
        }
        if (same) {
            return eq + 1;
        }
    }
    return nullptr;
}

std::string Expand(std::string_view src) {
    std::string out;
    std::size_t pos = 0;
    while (pos < src.size()) {
        std::size_t open = src.find('%', pos);
        if (open == std::string_view::npos) {
            out += src.substr(pos);
            break;
        }
        out += src.substr(pos, open - pos);
        std::size_t close = src.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += src.substr(open);
            break;
        }
        if (close == open + 1) {
            // "%%" names nothing: keep the first sign and look again from the second.
            out += '%';
            pos = close;
            continue;
        }
        std::string name(src.substr(open + 1, close - open - 1));
        if (const char* value = LookUpEnvironment(name)) {
            out += value;
        } else {
            out += src.substr(open, close - open + 1);
        }
        pos = close + 1;
    }
    return out;
}

} // namespace

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD dwErrCode) {
    lastError = dwErrCode;
}

DWORD FormatMessageA(DWORD dwFlags, const void* /*lpSource*/, DWORD dwMessageId,
                     DWORD /*dwLanguageId*/, char* lpBuffer, DWORD nSize, void* /*Arguments*/) {
    constexpr DWORD unsupported =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE;
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || (dwFlags & unsupported) || !lpBuffer) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        return 0;
    }
    const char* found = FindMessage(dwMessageId);
    if (!found) {
        SetLastError(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
        return 0;
    }
    std::string text;
    const DWORD width = dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if (width == 0) {
        text = std::string(found) + "\r\n";
    } else if (width == FORMAT_MESSAGE_MAX_WIDTH_MASK) {
        text = found;
    } else {
        text = BreakLines(found, width);
    }
    if (text.size() + 1 > nSize) {
        SetLastError(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        return 0;
    }
    std::memcpy(lpBuffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

DWORD ExpandEnvironmentStringsA(const char* lpSrc, char* lpDst, DWORD nSize) {
    if (!lpSrc || (!lpDst && nSize > 0)) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        return 0;
    }
    const std::string expanded = Expand(lpSrc);
    const DWORD needed = static_cast<DWORD>(expanded.size() + 1);
    if (lpDst && nSize >= needed) {
        std::memcpy(lpDst, expanded.c_str(), needed);
    } else if (lpDst && nSize > 0) {
        lpDst[0] = '\0';
    }
    return needed;
}

} // namespace foliant::winreg
