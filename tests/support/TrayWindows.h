#pragma once
// Looking at the notification area and popup menus from outside, as Wine shows them on an X
// display without a system tray: the icons are windows of class "__winex11_tray_icon" inside
// the "__winex11_standalone_tray" window (or top-level where an X tray exists), and an open
// popup menu is a visible window of class "#32768".
#include <windows.h>

#include <vector>

namespace testing_support {

// Every tray icon window now shown, of every program.
std::vector<HWND> TrayIconWindows();
// The tray icon windows in `now` that are not in `before`.
std::vector<HWND> NewWindows(const std::vector<HWND>& before, const std::vector<HWND>& now);
// Waits for the one tray icon window that is not in `before`; null when none came in time.
HWND WaitForNewTrayIcon(const std::vector<HWND>& before, DWORD timeoutMs);
// A visible popup menu window of the given process (0: of any process), or null.
HWND VisibleMenuWindow(DWORD processId = 0);

}  // namespace testing_support
