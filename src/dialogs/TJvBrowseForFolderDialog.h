#pragma once
// The shell's folder browser, one object per browse: it opens centred in the work area with
// the start folder selected, lets the user make new folders, and hands back the chosen
// file-system folder.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "ui/Errors.h"

namespace dialogs {

// The shell has no folder browser (older than 4.0).
class EJVCLException : public ui::Exception {
 public:
  using Exception::Exception;
};

// The version of shell32.dll from its version resource, major in the high 16 bits and minor
// in the low; read once for the process.
std::uint32_t ShellVersion();

class TJvBrowseForFolderDialog {
 public:
  std::wstring Directory;    // the start folder going in, the chosen folder coming out
  std::wstring Title;        // shown above the tree; none when empty
  std::wstring DisplayName;  // the chosen item's display name

  // Runs the browser owned by `owner`, with the program's other windows disabled meanwhile.
  // True on OK. EJVCLException when the shell has no browser; any later failure counts as
  // Cancel, so a choice that cannot be read never becomes the folder.
  bool Execute(HWND owner);

 private:
  static int CALLBACK Callback(HWND window, UINT msg, LPARAM lParam, LPARAM data) noexcept;
  void Notify(HWND window, UINT msg, LPARAM lParam);
  bool Run(HWND owner, std::uint32_t flags);

  bool newDialogStyle_ = false;
};

// One browse from `start`: the chosen folder, or nothing on Cancel.
std::optional<std::wstring> BrowseForFolder(HWND owner, const std::wstring& start, const std::wstring& title);

}  // namespace dialogs
