// The picture side driven from outside: copy a picture, answer the picture menu and the save
// dialog of the real program, and look at the files and the shown window.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <commctrl.h>  // after windows.h, which it builds on
// clang-format on

#include <memory>
#include <string>
#include <vector>

#include "support/DialogAnswerer.h"
#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Handle.h"

namespace {

using testing_support::FilesIn;
using testing_support::ProcessWindows;
using testing_support::PumpFor;
using testing_support::PumpUntil;

int ScreenBits() {
  ui::WindowDc screen(nullptr);
  return GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
}

// A status bar panel's text in another process: the text has to be fetched into that
// process's memory first, since the message carries a pointer.
std::wstring RemotePanelText(HANDLE process, HWND bar, int panel) {
  constexpr std::size_t kChars = 256;
  void* remote = VirtualAllocEx(process, nullptr, kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return {};
  SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(remote));
  wchar_t text[kChars]{};
  ReadProcessMemory(process, remote, text, sizeof(text) - sizeof(wchar_t), nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

class PictureMenuTest : public ::testing::Test {
 protected:
  void StartProgram(const std::string& ini = {}) {
    if (!ini.empty()) testing_support::WriteFileBytes(folder_.Path() + L"VelmoClipboard.ini", {ini.begin(), ini.end()});
    process_ = std::make_unique<testing_support::StartedProgram>(folder_.Path());
    ASSERT_NE(process_->WaitUntilReady(), nullptr) << "the program never got to its message loop";
    SetCursorPos(300, 200);
  }
  void TearDown() override { process_.reset(); }

  static void CopyPicture(int width, int height) {
    ui::WindowDc screen(nullptr);
    testing_support::ClipboardFill fill;
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), width, height)));
  }
  // Waits for the picture menu and chooses its item number `item` (1 = save as, 2 = show).
  void ChooseFromMenu(int item) const {
    HWND menu = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
          for (HWND window : ProcessWindows(process_->Id(), L"#32768"))
            if (IsWindowVisible(window)) menu = window;
          return menu != nullptr;
        },
        5000))
        << "no picture menu opened";
    for (int i = 0; i < item; ++i) {
      PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
      PumpFor(30);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  }

  testing_support::TemporaryFolder folder_;
  std::unique_ptr<testing_support::StartedProgram> process_;
};

TEST_F(PictureMenuTest, SaveAsAnsweredWithAFullNameWritesABmpOfTheRightSize) {
  StartProgram();
  CopyPicture(64, 48);
  ChooseFromMenu(1);
  HWND dialog = testing_support::WaitForDialog(process_->Id(), 10000);
  ASSERT_NE(dialog, nullptr) << "no save dialog";
  PumpFor(200);
  const std::wstring path = folder_.Path() + L"shot.bmp";
  testing_support::SaveUnderName(dialog, path);
  const std::size_t expected = 54u + 64u * 48u * static_cast<unsigned>(ScreenBits()) / 8u;
  EXPECT_TRUE(PumpUntil([&] { return testing_support::ReadFileBytes(path).size() == expected; }, 5000))
      << "file of " << testing_support::ReadFileBytes(path).size() << " bytes, expected " << expected;
  EXPECT_EQ(testing_support::ReadFileBytes(path).at(0), 'B');
}

TEST_F(PictureMenuTest, ShowPictureShowsTheMainWindowWithBothStatusTexts) {
  StartProgram();
  ASSERT_FALSE(IsWindowVisible(process_->Window()));
  CopyPicture(640, 480);
  ChooseFromMenu(2);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(process_->Window()) != FALSE; }, 5000)) << "window not shown";
  HWND bar = FindWindowExW(process_->Window(), nullptr, L"msctls_statusbar32", nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(RemotePanelText(process_->Handle(), bar, 0), L"Abmessungen: 640x480");
  EXPECT_EQ(RemotePanelText(process_->Handle(), bar, 1),
            L"Größe im Speicher: " + std::to_wstring((54 + 640 * 480 * ScreenBits() / 8) / 1024) + L" KB");
}

TEST_F(PictureMenuTest, AutosaveWritesEveryCopiedPictureIntoTheFolder) {
  const std::wstring out = folder_.Path() + L"out";
  ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
  const std::string dir(out.begin(), out.end());
  StartProgram("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + dir + "\r\nFormat=BMP\r\nPicName=Shot\r\n");
  CopyPicture(32, 32);
  ASSERT_TRUE(PumpUntil([&] { return FilesIn(out).size() == 1; }, 5000));
  CopyPicture(33, 32);
  ASSERT_TRUE(PumpUntil([&] { return FilesIn(out).size() == 2; }, 5000)) << "the second picture replaced the first";
  for (const std::wstring& name : FilesIn(out)) {
    EXPECT_EQ(name.rfind(L"Shot", 0), 0u) << name;
    EXPECT_EQ(testing_support::ReadFileBytes(out + L"\\" + name).at(0), 'B');
  }
  PumpFor(300);
  for (HWND menu : ProcessWindows(process_->Id(), L"#32768"))
    EXPECT_FALSE(IsWindowVisible(menu)) << "autosave opened the picture menu";
}

}  // namespace
