// The Autosave dialog of the real program, worked from outside: opened from the tray menu,
// autosave switched on, the folder chosen in the shell's browser, JPG and a name, Save; the four
// values are in the settings file at once, and the next copied picture is saved there as JPEG.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <commctrl.h>  // after windows.h, which it builds on
// clang-format on

#include <string>
#include <vector>

#include "settings/IniValues.h"
#include "support/DialogAnswerer.h"
#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "support/TrayWindows.h"
#include "ui/Handle.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

constexpr WPARAM kExitCommandId = 116;  // see SettingsEndToEndTest.cpp

using testing_support::FilesIn;

HWND VisibleWindowOfProcess(DWORD processId, const wchar_t* className) {
  for (HWND window : testing_support::ProcessWindows(processId, className)) {
    if (IsWindowVisible(window)) return window;
  }
  return nullptr;
}

BOOL CALLBACK FindTree(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) != WC_TREEVIEWW) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The text of a tree item in another process: the item and its text have to live in that
// process's memory, since the message carries a pointer.
std::wstring RemoteItemText(HANDLE process, HWND tree, HTREEITEM item) {
  constexpr std::size_t kChars = MAX_PATH;
  struct Block {
    TVITEMW item;
    wchar_t text[kChars];
  };
  auto* remote = static_cast<Block*>(VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return {};
  Block local{};
  local.item.mask = TVIF_TEXT;
  local.item.hItem = item;
  local.item.pszText = remote->text;
  local.item.cchTextMax = kChars;
  std::wstring text;
  if (WriteProcessMemory(process, remote, &local, sizeof(local), nullptr) &&
      SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) &&
      ReadProcessMemory(process, remote, &local, sizeof(local), nullptr)) {
    local.text[kChars - 1] = L'\0';
    text = local.text;
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

// A folder on the prefix's own drive, which the browser can expand its tree to (it cannot on
// Wine's Z: drive); removed with what the program saved into it.
class ScratchFolder {
 public:
  ScratchFolder() {
    path_ = L"C:\\Velmo Łódź " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    for (const std::wstring& name : FilesIn(path_)) DeleteFileW((path_ + L"\\" + name).c_str());
    RemoveDirectoryW(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] const std::wstring& Path() const noexcept { return path_; }

 private:
  std::wstring path_;
};

TEST(AutosaveDialogEndToEnd, SavedFromTheTrayMenuTheFourValuesAreWrittenAndTheNextPictureIsAJpegThere) {
  ScratchFolder parent;
  const std::wstring ini = parent.Path() + L"\\VelmoClipboard.ini";
  const std::wstring start = parent.Path() + L"\\Neu";
  ASSERT_TRUE(CreateDirectoryW(start.c_str(), nullptr));
  struct Removed {
    const std::wstring& path;
    ~Removed() { RemoveDirectoryW(path.c_str()); }
  } removed{start};
  // The folder the dialog starts from; the test chooses its parent in the browser.
  testing_support::WriteFileBytes(ini, settings::Utf16LeFileBytes(L"[AutoSave]\r\nDir=" + start + L"\r\n"));

  const auto before = testing_support::TrayIconWindows();
  testing_support::StartedProgram program(parent.Path() + L"\\");
  ASSERT_NE(program.WaitUntilReady(), nullptr);
  HWND icon = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        const auto added = testing_support::NewWindows(before, testing_support::TrayIconWindows());
        icon = added.size() == 1 ? added.front() : nullptr;
        return icon != nullptr;
      },
      10000));
  SetCursorPos(400, 300);
  PostMessageW(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageW(icon, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  ASSERT_TRUE(PumpUntil([&] { return testing_support::VisibleMenuWindow(program.Id()) != nullptr; }, 10000));
  // Shortcuts, Options; Right opens the options on their first item; three further down is
  // "Bilder automatisch speichern".
  HWND menu = testing_support::VisibleMenuWindow(program.Id());
  for (const WPARAM key : {WPARAM{VK_DOWN}, WPARAM{VK_DOWN}, WPARAM{VK_RIGHT}, WPARAM{VK_DOWN}, WPARAM{VK_DOWN},
                           WPARAM{VK_DOWN}, WPARAM{VK_RETURN}}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PumpFor(150);
  }
  HWND dialog = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (dialog = VisibleWindowOfProcess(program.Id(), L"TForm3")) != nullptr; }, 10000))
      << "the Autosave dialog did not open";
  wchar_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  EXPECT_STREQ(caption, L"Autospeichern...");
  HWND directoryEdit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
  HWND nameEdit = FindWindowExW(dialog, directoryEdit, L"Edit", nullptr);
  HWND saveActive = FindWindowExW(dialog, nullptr, L"Button", L"Autospeichern");
  HWND jpg = FindWindowExW(dialog, nullptr, L"Button", L"JPG");
  HWND save = FindWindowExW(dialog, nullptr, L"Button", L"Speichern");
  ASSERT_TRUE(directoryEdit && nameEdit && saveActive && jpg && save);

  // Alt+Down in the folder field opens the shell's browser on the start folder; its parent is chosen.
  PostMessageW(directoryEdit, WM_SYSKEYDOWN, VK_DOWN, (1 << 29) | 1);
  HWND browser = testing_support::WaitForDialog(program.Id(), 10000);
  ASSERT_NE(browser, nullptr) << "no folder browser";
  HWND tree = nullptr;
  HTREEITEM selected = nullptr;
  // The tree fills and expands to the start folder a moment after the browser shows.
  ASSERT_TRUE(PumpUntil(
      [&] {
        EnumChildWindows(browser, &FindTree, reinterpret_cast<LPARAM>(&tree));
        selected = tree ? reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) : nullptr;
        return selected && RemoteItemText(program.Handle(), tree, selected) == L"Neu";
      },
      5000))
      << "the browser did not open on the start folder";
  const auto parentItem =
      reinterpret_cast<LPARAM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(selected)));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, parentItem);
  testing_support::PressButton(browser, IDOK);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(browser) || !IsWindowVisible(browser); }, 5000));

  SendMessageW(saveActive, BM_CLICK, 0, 0);
  SendMessageW(jpg, BM_CLICK, 0, 0);
  const std::wstring name = L"Urlaub ż";
  SendMessageW(nameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PostMessageW(save, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dialog); }, 5000)) << "Save did not close the dialog";

  const auto read = [&](const wchar_t* section, const wchar_t* key) {
    wchar_t value[2048] = {};
    GetPrivateProfileStringW(section, key, L"<fehlt>", value, 2048, ini.c_str());
    return std::wstring(value);
  };
  EXPECT_EQ(read(L"Program", L"AutoSave"), L"1");
  EXPECT_EQ(read(L"AutoSave", L"Dir"), parent.Path());
  EXPECT_EQ(read(L"AutoSave", L"Format"), L"JPG");
  EXPECT_EQ(read(L"AutoSave", L"PicName"), name);
  EXPECT_EQ(read(L"Program", L"Language"), L"<fehlt>") << "only the dialog's four values are written before Exit";

  {
    ui::WindowDc screen(nullptr);
    testing_support::ClipboardFill fill;
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), 40, 30)));
  }
  // The settings file shares the folder; the picture is the other file.
  const auto pictures = [&] {
    std::vector<std::wstring> names = FilesIn(parent.Path());
    std::erase(names, L"VelmoClipboard.ini");
    return names;
  };
  // Found once it is there whole: a JPEG ends with its end-of-image marker.
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(PumpUntil(
      [&] {
        if (pictures().size() != 1) return false;
        bytes = testing_support::ReadFileBytes(parent.Path() + L"\\" + pictures().front());
        return bytes.size() > 4 && bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9;
      },
      5000))
      << "no whole picture was saved";
  const std::wstring saved = pictures().front();
  EXPECT_EQ(saved.rfind(name, 0), 0u) << saved;
  EXPECT_EQ(saved.substr(saved.size() - 4), L".jpg");
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);

  program.Post(WM_COMMAND, kExitCommandId);
  EXPECT_EQ(program.Wait(10000), 0u);
}

}  // namespace
