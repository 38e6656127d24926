#include "dialogs/TJvBrowseForFolderDialog.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "dialogs/DirectoryRules.h"
#include "ui/Com.h"
#include "ui/DisabledThreadWindows.h"
#include "ui/Module.h"
#include "ui/Window.h"

namespace dialogs {
namespace {

constexpr UINT_PTR kCentreSubclass = 1;
constexpr UINT kStatusTextLength = 48;  // characters the old-style status line shows

void CentreInWorkArea(HWND window) {
  if (RECT area{}; ui::WorkArea(area)) ui::CentreWindow(window, area);
}

// The new-style browser lays itself out after BFFM_INITIALIZED, so it is centred only when it
// first shows. The start folder is selected again then: Wine's browser at times rebuilds its
// tree after BFFM_INITIALIZED and loses the first selection.
LRESULT CALLBACK CentreWhenShown(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR startFolder) {
  if ((msg == WM_SHOWWINDOW && wParam) || msg == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &CentreWhenShown, id);
    if (msg == WM_SHOWWINDOW) {
      CentreInWorkArea(window);
      const auto* start = reinterpret_cast<const std::wstring*>(startFolder);
      if (!start->empty()) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->c_str()));
    }
  }
  return DefSubclassProc(window, msg, wParam, lParam);
}

void SetStatusText(HWND window, const std::wstring& path) {
  wchar_t shortened[kStatusTextLength + 1] = {};
  if (!PathCompactPathExW(shortened, path.c_str(), kStatusTextLength + 1, 0)) shortened[0] = L'\0';
  SendMessageW(window, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(shortened));
}

// The item's parsing name as the desktop folder gives it: the full path of a file-system folder.
std::wstring ParsingName(PCIDLIST_ABSOLUTE items) {
  IShellFolder* desktop = nullptr;
  ui::OleCheck(SHGetDesktopFolder(&desktop));
  const ui::ComPtr<IShellFolder> owned(desktop);
  STRRET name{};
  ui::OleCheck(desktop->GetDisplayNameOf(items, SHGDN_FORPARSING, &name));
  wchar_t* text = nullptr;
  ui::OleCheck(StrRetToStrW(&name, items, &text));
  const ui::UniqueCoTaskMem ownedText(text);
  return text;
}

}  // namespace

std::uint32_t ShellVersion() {
  static const std::uint32_t version = ui::FileVersion(L"shell32.dll");
  return version;
}

bool TJvBrowseForFolderDialog::Execute(HWND owner) {
  const std::uint32_t version = ShellVersion();
  if (version < kMinimumShellVersion) throw EJVCLException(L"Shell not compatible with BrowseForFolder");
  try {
    return Run(owner, BrowseFlags(version));
  } catch (...) {
    return false;
  }
}

bool TJvBrowseForFolderDialog::Run(HWND owner, std::uint32_t flags) {
  newDialogStyle_ = (flags & kBifNewDialogStyle) != 0;
  // The new-style browser hosts shell views, which need COM on this thread.
  std::optional<ui::ComApartment> com;
  if (newDialogStyle_) com.emplace();
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = Title.empty() ? nullptr : Title.c_str();
  info.ulFlags = flags;
  info.lpfn = &TJvBrowseForFolderDialog::Callback;
  info.lParam = reinterpret_cast<LPARAM>(this);
  const HWND previouslyActive = GetActiveWindow();
  PIDLIST_ABSOLUTE items = nullptr;
  {
    const ui::DisabledThreadWindows disabled(nullptr);
    items = SHBrowseForFolderW(&info);
  }
  if (previouslyActive && IsWindow(previouslyActive)) SetActiveWindow(previouslyActive);
  if (!items) return false;
  const ui::UniqueCoTaskMem ownedItems(items);
  DisplayName = displayName;
  Directory = ParsingName(items);
  return true;
}

int CALLBACK TJvBrowseForFolderDialog::Callback(HWND window, UINT msg, LPARAM lParam, LPARAM data) noexcept {
  try {
    reinterpret_cast<TJvBrowseForFolderDialog*>(data)->Notify(window, msg, lParam);
  } catch (...) {
    // The browser goes on without the selection or the status text.
  }
  return 0;
}

void TJvBrowseForFolderDialog::Notify(HWND window, UINT msg, LPARAM lParam) {
  if (msg == BFFM_INITIALIZED) {
    if (newDialogStyle_) {
      SetWindowSubclass(window, &CentreWhenShown, kCentreSubclass, reinterpret_cast<DWORD_PTR>(&Directory));
    } else {
      CentreInWorkArea(window);
    }
    if (!Directory.empty()) {
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(Directory.c_str()));
      if (!newDialogStyle_) SetStatusText(window, Directory);
    }
  } else if (msg == BFFM_SELCHANGED && !newDialogStyle_) {
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path)) path[0] = L'\0';
    SetStatusText(window, path);
  }
}

std::optional<std::wstring> BrowseForFolder(HWND owner, const std::wstring& start, const std::wstring& title) {
  TJvBrowseForFolderDialog dialog;
  dialog.Directory = start;
  dialog.Title = title;
  if (!dialog.Execute(owner)) return std::nullopt;
  return dialog.Directory;
}

}  // namespace dialogs
