#pragma once

// Showing a compiled help file: the help viewer of the desktop runs as a child process, and its
// process id is the help window's handle, which shell::SendMessageA(handle, WM_CLOSE, 0, 0)
// closes.
//
// The viewer is the command in FOLIANT_HELP_VIEWER when that is set (its "%1" or "%f" is the
// file, else the file is added at the end), otherwise this installation's own help viewer
// (foliant-help, see Installation.h), which also opens the file at the topic asked for,
// otherwise the program registered for the file (the registry store's classes, then the
// desktop's default application for its type). Where none is found nothing is shown. None of
// these functions throws.

#include "platform/shell/Shell.h"

#include <cstdint>
#include <string>
#include <vector>

namespace foliant::help {

using HWND = foliant::shell::HWND;
using UINT = foliant::shell::UINT;
using DWORD_PTR = std::uintptr_t;

// Commands.
inline constexpr UINT HH_DISPLAY_TOPIC = 0x0000; // the file's default topic
inline constexpr UINT HH_DISPLAY_TOC = 0x0001;   // the same here: the viewer decides
inline constexpr UINT HH_DISPLAY_INDEX = 0x0002; // the same here: the viewer decides
inline constexpr UINT HH_CLOSE_ALL = 0x0012;     // closes every help window opened here

// The registry key (under HKEY_LOCAL_MACHINE) whose text values, named after help files, hold
// the folders those files are installed in.
inline constexpr const char* kHelpFolderKey = "SOFTWARE\\Microsoft\\Windows\\HTML Help";

// Opens file with a display command and returns the viewer's window handle; 0 when nothing
// was opened (file not found, no viewer, viewer not startable, or another command). file may
// carry a topic after "::" ("Wizards_en.chm::/summaries.htm") or a window after ">"; the
// installation's viewer opens at that topic, any other viewer is given the file alone. A file
// named without a folder that is not in the current directory is looked for in the folder
// registered for it (kHelpFolderKey). HH_CLOSE_ALL closes every window opened here and returns
// 0. owner and data are accepted and unused.
HWND HtmlHelpA(HWND owner, const char* file, UINT command, DWORD_PTR data);

// The text value valueName of keyPath under HKEY_LOCAL_MACHINE: the folder registered for a
// help file (keyPath kHelpFolderKey, valueName the file's name). "" when the key or value is
// missing, is not text, or cannot be read. Opens and closes the key within the call.
std::string RegisteredHelpFolder(const std::string& keyPath, const std::string& valueName);

// The absolute path of the help file that HtmlHelpA would open for file, "" when none exists.
std::string FindHelpFile(const std::string& file);

// The command line HtmlHelpA would start for an existing help file path and a topic of it
// ("/summaries.htm", or "" for the default topic); empty when there is no viewer.
std::vector<std::string> HelpViewerCommand(const std::string& path, const std::string& topic = "");

} // namespace foliant::help
