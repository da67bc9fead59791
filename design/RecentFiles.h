#pragma once

// The report files the design window opened lately, most recent first, kept for the person in
// the registry (the user's scope) so every window and every run of the program shares them.

#include <string>
#include <vector>

namespace foliant::design {

inline constexpr int kRecentFileCount = 8;
inline constexpr const char* kRecentFilesKey = "Software\\Foliant\\Design\\Recent Files";

// The list as stored; files that no longer exist are left out. Empty when nothing is stored
// or the registry cannot be read.
std::vector<std::string> RecentFiles();
// Puts the file (made absolute) at the top of the list, once, and keeps at most
// kRecentFileCount. Returns the new list. A registry that cannot be written loses nothing
// but the list.
std::vector<std::string> AddRecentFile(const std::string& path);

} // namespace foliant::design
