// The picture side driven from outside: copy a picture, answer the picture menu and the save
// dialog of the real program, and look at the files and the shown window.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <commctrl.h>  // after windows.h, which it builds on
// clang-format on

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/DialogAnswerer.h"
#include "support/PngDecoding.h"
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

  // A picture of the screen's kind, as a screenshot arrives: its left half kLeft, the rest kRight.
  static constexpr COLORREF kLeft = RGB(200, 30, 10);
  static constexpr COLORREF kRight = RGB(20, 90, 220);
  static void CopyPicture(int width, int height) {
    ui::WindowDc screen(nullptr);
    ui::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    {
      ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
      ui::SelectedObject selected(dc.get(), bitmap.get());
      for (const auto& [colour, area] :
           {std::pair{kLeft, RECT{0, 0, width / 2, height}}, std::pair{kRight, RECT{width / 2, 0, width, height}}}) {
        ui::UniqueGdiObject brush(CreateSolidBrush(colour));
        FillRect(dc.get(), &area, static_cast<HBRUSH>(brush.get()));
      }
    }
    testing_support::ClipboardFill fill;
    fill.Put(CF_BITMAP, std::move(bitmap));
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
    // The name is there as soon as the file is created; its bytes follow.
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(PumpUntil([&] { return !(bytes = testing_support::ReadFileBytes(out + L"\\" + name)).empty(); }, 5000));
    EXPECT_EQ(bytes.empty() ? 0 : bytes[0], 'B');
  }
  PumpFor(300);
  for (HWND menu : ProcessWindows(process_->Id(), L"#32768"))
    EXPECT_FALSE(IsWindowVisible(menu)) << "autosave opened the picture menu";
}

TEST_F(PictureMenuTest, AutosaveInPngWritesTheCopiedPictureAsAPngFile) {
  const std::wstring out = folder_.Path() + L"out";
  ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
  const std::string dir(out.begin(), out.end());
  StartProgram("[Program]\r\nAutoSave=1\r\n[AutoSave]\r\nDir=" + dir + "\r\nFormat=PNG\r\nPicName=Shot\r\n");
  CopyPicture(40, 30);
  // Found once it is there whole: a PNG ends with its IEND chunk and that chunk's check sum.
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(PumpUntil(
      [&] {
        const auto names = FilesIn(out);
        if (names.size() != 1) return false;
        bytes = testing_support::ReadFileBytes(out + L"\\" + names.front());
        return bytes.size() > 33 && std::string(bytes.end() - 8, bytes.end() - 4) == "IEND";
      },
      5000))
      << "no whole picture was saved";
  const std::wstring name = FilesIn(out).front();
  EXPECT_EQ(name.rfind(L"Shot", 0), 0u) << name;
  EXPECT_EQ(name.substr(name.size() - 4), L".png");
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 16), std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16));
  const auto bigEndian = [&](std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
           bytes[at + 3];
  };
  EXPECT_EQ(bigEndian(16), 40u);
  EXPECT_EQ(bigEndian(20), 30u);
  const imaging_test::DecodedPng png = imaging_test::DecodePng(bytes);
  ASSERT_TRUE(png.ok) << png.error;
  EXPECT_EQ(png.colorType, 2) << "a screen picture has no transparency to keep";
  const auto rgb = [](COLORREF colour) {
    return static_cast<std::uint32_t>(GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
  };
  for (const auto& [x, y, colour] :
       {std::tuple{0, 0, kLeft}, std::tuple{19, 29, kLeft}, std::tuple{20, 0, kRight}, std::tuple{39, 29, kRight}}) {
    EXPECT_EQ(png.At(x, y), rgb(colour)) << x << "," << y;
  }
}

}  // namespace
