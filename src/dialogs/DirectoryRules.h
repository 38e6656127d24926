#pragma once
// The folder picker field's rules that need no window: where the folder browser starts, what a
// choice does to the field, what a dropped name becomes, where a text with a line break is cut,
// and which browser flags a shell version can take.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dialogs {

// Answers whether a path names an existing folder (or, for drops, an existing file).
using PathTest = std::function<bool(const std::wstring& path)>;

// The browser starts at the field's text; an empty text falls back to the last chosen folder,
// then to the root of the current drive, and so does a folder that no longer exists.
std::wstring BrowseStartFolder(const std::wstring& text, const std::wstring& initialDir, const PathTest& isFolder);

struct BrowseOutcome {
  std::wstring text;
  std::wstring initialDir;
};
// A choice replaces the text exactly as the browser gave it; only a choice that is an existing
// folder becomes the start for later browses from an empty text. No choice changes nothing.
BrowseOutcome ApplyBrowseResult(const BrowseOutcome& before, const std::optional<std::wstring>& chosen,
                                const PathTest& isFolder);

// A dropped file gives its folder with the trailing backslash; anything else (a folder) is
// taken as it is.
std::wstring DroppedNameText(const std::wstring& name, const PathTest& isFile);

// The text up to the first line feed or, when there is none, up to the first carriage return.
std::wstring CutAtLineBreak(const std::wstring& text);

// Folder browser flags: status line, new dialog style and file-system folders only, less what
// a shell of this version (major in the high 16 bits, minor in the low) cannot do. Shells
// before 4.0 have no folder browser at all.
inline constexpr std::uint32_t kBifReturnOnlyFsDirs = 0x1;
inline constexpr std::uint32_t kBifStatusText = 0x4;
inline constexpr std::uint32_t kBifNewDialogStyle = 0x40;
inline constexpr std::uint32_t kMinimumShellVersion = 0x00040000;
std::uint32_t BrowseFlags(std::uint32_t shellVersion);

}  // namespace dialogs
