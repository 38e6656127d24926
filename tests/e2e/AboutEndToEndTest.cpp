// The About window of the real program, opened from the tray menu: copying text while it is
// open opens no menu, and once a click on its free area has closed it, the next copy does.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "support/TrayWindows.h"
#include "ui/Application.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::VisibleMenuWindow;

HWND VisibleWindowOf(DWORD processId, const wchar_t* className) {
  for (HWND window : testing_support::ProcessWindows(processId, className)) {
    if (IsWindowVisible(window)) return window;
  }
  return nullptr;
}

void CopyText(const std::wstring& text) { testing_support::SetClipboardUnicodeText(text); }

TEST(AboutEndToEnd, NoMenuWhileAboutIsOpenAndTheNextCopyAfterClosingItOpensOne) {
  testing_support::TemporaryFolder folder;
  const auto before = testing_support::TrayIconWindows();
  testing_support::StartedProgram program(folder.Path());
  ASSERT_NE(program.WaitUntilReady(), nullptr);
  HWND icon = testing_support::WaitForNewTrayIcon(before, 10000);
  ASSERT_NE(icon, nullptr);
  SetCursorPos(400, 300);

  PostMessageW(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageW(icon, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  ASSERT_TRUE(PumpUntil([&] { return VisibleMenuWindow(program.Id()) != nullptr; }, 10000)) << "no tray menu";
  // Up from no selection wraps round to Exit; two more are Help and then About.
  HWND menu = VisibleMenuWindow(program.Id());
  for (const WPARAM key : {WPARAM{VK_UP}, WPARAM{VK_UP}, WPARAM{VK_UP}, WPARAM{VK_RETURN}}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PumpFor(30);
  }
  HWND about = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (about = VisibleWindowOf(program.Id(), L"TForm2")) != nullptr; }, 10000))
      << "the About window did not open";
  wchar_t caption[32] = {};
  GetWindowTextW(about, caption, 32);
  EXPECT_STREQ(caption, L"Info");

  CopyText(L"copied while About is open");
  PumpFor(1000);
  EXPECT_EQ(VisibleMenuWindow(program.Id()), nullptr) << "a menu opened while About was open";

  RECT client{};
  GetClientRect(about, &client);
  PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 4, client.bottom - 4));
  PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(client.right - 4, client.bottom - 4));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(about); }, 5000)) << "a click on the free area did not close it";

  CopyText(L"copied after About closed");
  ASSERT_TRUE(PumpUntil([&] { return VisibleMenuWindow(program.Id()) != nullptr; }, 5000)) << "no text menu";
  PostMessageW(VisibleMenuWindow(program.Id()), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(program.Running());
}

}  // namespace
