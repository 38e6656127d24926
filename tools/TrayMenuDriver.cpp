// Opens and closes the tray menu of a running Velmo Clipboard from outside, for screenshots.
//   TrayMenuDriver open PROGRAM.exe   starts the program, opens its tray menu at the icon and
//                                     prints the screen area "x y width height" that holds
//                                     the menu and the tray
//   TrayMenuDriver exit               chooses Exit in the open tray menu and waits for the end
// Wine shows tray icons without an X tray as "__winex11_tray_icon" windows inside the
// "__winex11_standalone_tray" window; an open popup menu is a visible "#32768" window.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/Handle.h"

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> all;
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND StandaloneTray() { return FindWindowW(L"__winex11_standalone_tray", nullptr); }

HWND FirstTrayIcon() {
  HWND tray = StandaloneTray();
  return tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
}

HWND VisibleMenu(DWORD process) {
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) == L"#32768" && IsWindowVisible(window) && ProcessOf(window) == process) return window;
  }
  return nullptr;
}

// Polls `found` every 20 ms for up to `ms`.
template <typename F>
auto WaitFor(F found, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  auto result = found();
  while (!result && GetTickCount64() < deadline) {
    Sleep(20);
    result = found();
  }
  return result;
}

int Fail(const char* what) {
  std::fprintf(stderr, "TrayMenuDriver: %s\n", what);
  return 1;
}

int Open(const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return Fail("cannot start the program");
  ui::UniqueKernelHandle process(info.hProcess);
  ui::UniqueKernelHandle thread(info.hThread);
  // The icon shows while the main window is still being built; the menu only opens once the
  // program waits for input.
  HWND icon = WaitFor(FirstTrayIcon, 20000);
  if (!icon) return Fail("no tray icon appeared");
  if (WaitForInputIdle(process.get(), 20000) != 0) return Fail("the program never became idle");

  RECT iconRect{};
  GetWindowRect(icon, &iconRect);
  SetCursorPos((iconRect.left + iconRect.right) / 2, (iconRect.top + iconRect.bottom) / 2);
  PostMessageW(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageW(icon, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  HWND menu = WaitFor([&] { return VisibleMenu(info.dwProcessId); }, 10000);
  if (!menu) return Fail("the tray menu did not open");
  Sleep(500);  // let the menu paint

  RECT area{};
  GetWindowRect(menu, &area);
  RECT trayRect{};
  GetWindowRect(StandaloneTray(), &trayRect);
  UnionRect(&area, &area, &trayRect);
  InflateRect(&area, 16, 16);
  area.left = std::max(area.left, 0L);
  area.top = std::max(area.top, 0L);
  area.right = std::min(area.right, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN)));
  area.bottom = std::min(area.bottom, static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN)));
  std::printf("%ld %ld %ld %ld\n", area.left, area.top, area.right - area.left, area.bottom - area.top);
  return 0;
}

int Exit() {
  HWND mainWindow = FindWindowW(L"TForm1", nullptr);
  if (!mainWindow) return Fail("the program is not running");
  const DWORD processId = ProcessOf(mainWindow);
  ui::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  HWND menu = VisibleMenu(processId);
  if (!menu) return Fail("the tray menu is not open");
  // Up from no selection wraps round to the last item, Exit.
  PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  if (!process || WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) return Fail("the program did not end");
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"open" && argc == 3) return Open(argv[2]);
  if (command == L"exit" && argc == 2) return Exit();
  std::fprintf(stderr, "usage: TrayMenuDriver open PROGRAM.exe | TrayMenuDriver exit\n");
  return 2;
}
