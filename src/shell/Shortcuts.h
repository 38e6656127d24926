#pragma once
// Shortcuts (".lnk" files) to the program in the shell's special folders: the user's Startup
// folder, so Windows starts the program at logon, and the desktop.
#include <functional>
#include <string>

namespace shell {

struct ShortcutContents {
  std::wstring target;
  std::wstring arguments;
  std::wstring workingDirectory;
  int showCommand;
  std::wstring iconPath;
  int iconIndex;
};

// The path of a shell special folder (CSIDL_STARTUP, CSIDL_DESKTOP, ...) with a trailing "\",
// or empty when the shell does not know it.
[[nodiscard]] std::wstring SpecialFolderPath(int folderId);
using FolderLookup = std::function<std::wstring(int folderId)>;

// The full path of the running program file.
[[nodiscard]] std::wstring ProgramFilePath();

// Writes a shell link through IShellLinkW, so paths outside the ANSI code page stay intact.
// EOleSysError when the link object cannot be made or refuses a value; EFCreateError when the
// file cannot be written.
void CreateShortcut(const std::wstring& linkPath, const ShortcutContents& contents);

// The shortcut commands: a shortcut to `programPath` named after it, in the folder `folderPath`
// finds for `folderId`, started in the program's folder. An existing file of that name is left
// as it is, wherever it points.
void CreateProgramShortcut(int folderId, const std::wstring& programPath,
                           const FolderLookup& folderPath = SpecialFolderPath);

}  // namespace shell
