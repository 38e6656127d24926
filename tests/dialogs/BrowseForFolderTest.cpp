// The shell's own folder browser under Wine, answered from another thread as a user would:
// it opens centred in the work area with the start folder selected and the owner disabled,
// OK gives the folder's path and Cancel gives nothing.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <mutex>
#include <optional>
#include <string>

#include "dialogs/DirectoryRules.h"
#include "dialogs/TJvBrowseForFolderDialog.h"
#include "support/DialogAnswerer.h"
#include "support/TestSupport.h"
#include "ui/Form.h"

namespace {

BOOL CALLBACK FindTree(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) != WC_TREEVIEWW) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The text of the tree's selected item, once the browser has expanded the tree to it.
std::wstring SelectedItemText(HWND dialog) {
  HWND tree = nullptr;
  EnumChildWindows(dialog, &FindTree, reinterpret_cast<LPARAM>(&tree));
  if (!tree) return L"(no tree)";
  wchar_t text[MAX_PATH] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return L"(none)";
  return text;
}

struct Seen {
  std::mutex lock;
  std::wstring selected;
  bool ownerEnabled = true;
  POINT centre{};
};

TEST(BrowseForFolder, OpensOnTheStartFolderCentredWithTheOwnerDisabledAndOkGivesThePathCancelNothing) {
  testing_support::ClearShownErrors();
  // Right below the prefix's own drive: Wine's browser does not always expand its tree all the
  // way down to a deeper folder (on its Z: drive, whose volume it cannot read, it never does).
  const std::wstring start = L"C:\\Zdjęcia Łódź " + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(start.c_str(), nullptr));
  const std::wstring name = start.substr(start.find_last_of(L'\\') + 1);
  struct Removed {
    const std::wstring& path;
    ~Removed() { RemoveDirectoryW(path.c_str()); }
  } removed{start};
  ui::TForm owner(nullptr, L"BrowseOwner", L"TBrowseOwner", L"Owner", 50, 50, 300, 200);
  owner.Show();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

  for (const int button : {IDOK, IDCANCEL}) {
    Seen seen;
    std::optional<std::wstring> result;
    {
      const testing_support::DialogAnswerer answerer(GetCurrentProcessId(), [&](HWND dialog) {
        // The tree fills and expands to the start folder a moment after the window shows.
        const ULONGLONG deadline = GetTickCount64() + 5000;
        std::wstring selected = SelectedItemText(dialog);
        while (selected != name && GetTickCount64() < deadline) {
          Sleep(50);
          selected = SelectedItemText(dialog);
        }
        RECT frame{};
        GetWindowRect(dialog, &frame);
        const std::lock_guard guard(seen.lock);
        seen.selected = selected;
        seen.ownerEnabled = IsWindowEnabled(owner.Handle()) != FALSE;
        seen.centre = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
        testing_support::PressButton(dialog, button);
      });
      result = dialogs::BrowseForFolder(owner.Handle(), start, L"");
      EXPECT_EQ(answerer.Answered(), 1);
    }
    const std::lock_guard guard(seen.lock);
    EXPECT_EQ(seen.selected, name);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_NEAR(seen.centre.x, (work.left + work.right) / 2, 1);
    EXPECT_NEAR(seen.centre.y, (work.top + work.bottom) / 2, 1);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    if (button == IDOK) {
      EXPECT_EQ(result, start);
    } else {
      EXPECT_EQ(result, std::nullopt);
    }
  }
  EXPECT_GE(dialogs::ShellVersion(), dialogs::kMinimumShellVersion);
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

}  // namespace
