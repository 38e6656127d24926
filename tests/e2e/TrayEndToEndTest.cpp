// The real program under Wine, worked from outside like a user would: its icon shows in the
// notification area, a right-button press on the icon opens the tray menu, Escape closes it,
// and Exit chosen from the menu ends the program with exit code 0 and takes the icon along.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/StartedProgram.h"
#include "support/TestSupport.h"
#include "support/TrayWindows.h"

namespace {

using testing_support::PumpUntil;
using testing_support::VisibleMenuWindow;

// The top-level window of the given class that belongs to the process, or null.
HWND WindowOfProcess(const wchar_t* className, DWORD processId) {
  for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
       window = FindWindowExW(nullptr, window, className, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Presses the right mouse button over the tray icon window and waits for the menu.
HWND OpenTrayMenu(HWND icon, DWORD processId) {
  PostMessageW(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageW(icon, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  PumpUntil([processId] { return VisibleMenuWindow(processId) != nullptr; }, 10000);
  return VisibleMenuWindow(processId);
}

TEST(TrayEndToEnd, IconOpensTrayMenuAndExitFromTheMenuEndsTheProgramAndRemovesTheIcon) {
  ASSERT_FALSE(testing_support::ExtraArguments().empty()) << "the program to test is missing";
  const auto before = testing_support::TrayIconWindows();
  testing_support::StartedProgram program;
  ASSERT_TRUE(program.Started());

  // Only the icon shows: no window, no taskbar button.
  HWND icon = testing_support::WaitForNewTrayIcon(before, 20000);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(ClassOf(GetAncestor(icon, GA_PARENT)), L"__winex11_standalone_tray");
  // The icon shows while the main window is still being built: a press before the tray menu is
  // attached opens nothing, as on Windows.
  ASSERT_NE(program.WaitUntilReady(), nullptr);
  HWND mainWindow = WindowOfProcess(L"TForm1", program.Id());
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_FALSE(IsWindowVisible(mainWindow));
  HWND application = WindowOfProcess(L"TApplication", program.Id());
  ASSERT_NE(application, nullptr);
  EXPECT_FALSE(IsWindowVisible(application));
  EXPECT_EQ(VisibleMenuWindow(program.Id()), nullptr);

  SetCursorPos(300, 260);
  POINT cursor{};
  GetCursorPos(&cursor);
  HWND menu = OpenTrayMenu(icon, program.Id());
  ASSERT_NE(menu, nullptr) << "the right-button press opened no menu";
  RECT menuRect{};
  GetWindowRect(menu, &menuRect);
  EXPECT_EQ(menuRect.left, cursor.x);  // top-left corner at the cursor
  EXPECT_EQ(menuRect.top, cursor.y);
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(PumpUntil([&] { return VisibleMenuWindow(program.Id()) == nullptr; }, 5000));
  EXPECT_FALSE(IsWindowVisible(mainWindow));

  // Up from the top wraps round to the last item, Exit.
  menu = OpenTrayMenu(icon, program.Id());
  ASSERT_NE(menu, nullptr) << "the menu did not open a second time";
  PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(program.Wait(15000), 0u);
  EXPECT_TRUE(PumpUntil([icon] { return !IsWindow(icon); }, 5000)) << "the icon outlived the program";
}

}  // namespace
