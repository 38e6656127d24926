// The folder picker field in a window of its own: the keyboard leaves the text alone, Alt+Down
// and the button browse, the browse's start folder, error mode and result, and drops.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/TJvDirectoryEdit.h"
#include "support/ModalForms.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "ui/Handle.h"

namespace {

std::wstring WithoutBackslash(std::wstring path) {
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

// A drop of these names as the shell makes it: a DROPFILES block with wide, double-ended names.
HDROP MakeDrop(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) list += name + L'\0';
  list += L'\0';
  const std::size_t size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<unsigned char*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!testing_support::OpenClipboardPatiently(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const ui::GlobalLockGuard lock(data);
    if (lock.data()) text = static_cast<const wchar_t*>(lock.data());
  }
  CloseClipboard();
  return text;
}

class DirectoryEditTest : public testing::Test {
 protected:
  void SetUp() override {
    testing_support::ClearShownErrors();
    form_.Show();
    edit_->Layout(8, 8, 185, 21, 96);
    edit_->Browser = [this](HWND owner, const std::wstring& start, const std::wstring&) {
      owners_.push_back(owner);
      starts_.push_back(start);
      errorModes_.push_back(GetErrorMode());
      return answer_;
    };
  }

  void Key(UINT msg, WPARAM key, LPARAM flags = 0) { SendMessageW(edit_->Handle(), msg, key, flags | 1); }

  ui::TForm form_{nullptr, L"FieldHost", L"TDirectoryEditHost", L"Host", 100, 100, 260, 80};
  dialogs::TJvDirectoryEdit* edit_ = new dialogs::TJvDirectoryEdit(&form_, L"DirectoryEdit");
  std::optional<std::wstring> answer_;
  std::vector<HWND> owners_;
  std::vector<std::wstring> starts_;
  std::vector<UINT> errorModes_;
  testing_support::TemporaryFolder folder_;
};

TEST_F(DirectoryEditTest, KeysCutPasteAndDeleteLeaveTheTextWhileCtrlCCopiesTheSelection) {
  edit_->SetText(L"C:\\Bilder");
  SetFocus(edit_->Handle());
  SendMessageW(edit_->Handle(), EM_SETSEL, 0, 9);
  testing_support::SetClipboardUnicodeText(L"D:\\pasted");
  Key(WM_CHAR, L'x');
  Key(WM_KEYDOWN, VK_BACK);
  Key(WM_CHAR, VK_BACK);
  Key(WM_KEYDOWN, VK_DELETE);
  Key(WM_CHAR, L'\t');
  Key(WM_CHAR, L'\n');
  Key(WM_CHAR, 0x16);  // Ctrl+V
  Key(WM_CHAR, 0x18);  // Ctrl+X
  for (const UINT msg : {UINT{WM_PASTE}, UINT{WM_CUT}, UINT{WM_CLEAR}}) SendMessageW(edit_->Handle(), msg, 0, 0);
  EXPECT_EQ(edit_->Text(), L"C:\\Bilder");
  EXPECT_EQ(ClipboardText(), L"D:\\pasted");  // the cuts put nothing there either
  SendMessageW(edit_->Handle(), EM_SETSEL, 0, 2);
  Key(WM_CHAR, 0x03);  // Ctrl+C
  EXPECT_EQ(ClipboardText(), L"C:");
  // The dialog manager selects all of a field it tabs into only when the field asks for it.
  EXPECT_EQ(SendMessageW(edit_->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL, 0);
  EXPECT_TRUE(starts_.empty());
}

TEST_F(DirectoryEditTest, AltDownAndAButtonClickBrowseButF4AndAReadOnlyFieldDoNot) {
  constexpr LPARAM kAlt = 1 << 29;
  Key(WM_KEYDOWN, VK_F4);
  Key(WM_SYSKEYDOWN, VK_F4, kAlt);
  Key(WM_KEYDOWN, VK_DOWN);
  EXPECT_TRUE(starts_.empty());
  Key(WM_SYSKEYDOWN, VK_DOWN, kAlt);
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(owners_.front(), form_.Handle());

  SetFocus(form_.Handle());
  testing_support::Click(edit_->Button(), 3, 3);
  testing_support::PumpFor(100);
  EXPECT_EQ(starts_.size(), 2u);
  EXPECT_EQ(GetFocus(), edit_->Handle()) << "the button hands the focus to the field";
  RECT button{};
  GetClientRect(edit_->Button(), &button);
  EXPECT_EQ(button.right, 21);
  EXPECT_EQ(button.bottom, 17);

  edit_->ReadOnly = true;
  Key(WM_SYSKEYDOWN, VK_DOWN, kAlt);
  testing_support::Click(edit_->Button(), 3, 3);
  testing_support::PumpFor(100);
  EXPECT_EQ(starts_.size(), 2u);
}

TEST_F(DirectoryEditTest, ABrowseStartsWhereTheRulesSayWithQuietErrorsAndAChoiceBecomesTextAndNextStart) {
  const std::wstring chosen = WithoutBackslash(folder_.Path());
  const UINT modeBefore = SetErrorMode(0);
  edit_->SetText(L"C:\\Weg\\gibt es nicht");
  edit_->DoClick();  // a stale folder: the browser starts at the root; Cancel keeps the text
  EXPECT_EQ(edit_->Text(), L"C:\\Weg\\gibt es nicht");
  answer_ = chosen;
  edit_->DoClick();
  EXPECT_EQ(edit_->Text(), chosen);
  EXPECT_EQ(edit_->InitialDir, chosen);
  EXPECT_EQ(GetFocus(), edit_->Handle());
  edit_->SetText(L"");
  answer_ = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  edit_->DoClick();  // from an empty text the last chosen folder; a non-folder is not kept as start
  EXPECT_EQ(edit_->Text(), *answer_);
  edit_->SetText(L"");
  answer_.reset();
  edit_->DoClick();
  EXPECT_EQ(starts_, (std::vector<std::wstring>{L"\\", L"\\", chosen, chosen}));
  EXPECT_EQ(errorModes_, std::vector<UINT>(4, SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
  EXPECT_EQ(GetErrorMode(), 0u);
  SetErrorMode(modeBefore);
}

TEST_F(DirectoryEditTest, DropsGiveAFilesFolderOrAFolderReadInFullUsingTheFirstOfSeveral) {
  const std::wstring file = folder_.Path() + L"Zdjęcie ąę.bmp";
  testing_support::WriteFileBytes(file, {'B', 'M'});
  const std::wstring longName = L"C:\\" + std::wstring(300, L'y');
  const struct {
    std::vector<std::wstring> names;
    std::wstring text;
  } drops[] = {{{file}, folder_.Path()},
               {{WithoutBackslash(folder_.Path()), file}, WithoutBackslash(folder_.Path())},
               {{longName}, longName}};
  for (const auto& drop : drops) {
    SendMessageW(edit_->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(drop.names)), 0);
    EXPECT_EQ(edit_->Text(), drop.text);
  }
  EXPECT_TRUE(edit_->InitialDir.empty());
  EXPECT_TRUE(starts_.empty());
}

TEST_F(DirectoryEditTest, TextWithALineBreakKeepsThePartBeforeIt) {
  edit_->SetText(L"C:\\Bilder\nC:\\Andere");
  EXPECT_EQ(edit_->Text(), L"C:\\Bilder");
}

}  // namespace
