#pragma once
// Where a shortcut to the program goes and what it is called, as plain rules on paths.
#include <string>

namespace shell {

// A folder as a prefix for file names: a "\" is appended unless it ends in one already; an
// empty folder (one the shell could not find) stays empty, so names land in the working directory.
[[nodiscard]] std::wstring WithTrailingBackslash(const std::wstring& folder);

// The folder part of a path, with its trailing "\" ("C:\Tools\clip.exe" -> "C:\Tools\").
[[nodiscard]] std::wstring FolderOf(const std::wstring& path);

// The shortcut's file name: the program file's name with its extension replaced by ".lnk"
// ("C:\Tools\clip.exe" -> "clip.lnk"; a name without extension gets ".lnk" added).
[[nodiscard]] std::wstring ShortcutFileName(const std::wstring& programPath);

}  // namespace shell
