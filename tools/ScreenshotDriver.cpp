// Works a running Velmo Clipboard from outside, for the README's screenshots. Each command
// that opens a menu prints the screen area "x y width height" worth taking.
//   ScreenshotDriver start PROGRAM.exe  starts the program and waits until it is idle
//   ScreenshotDriver textmenu           opens Notepad with some text, copies formatted text
//                                       with the mouse over it, waits for the text menu
//   ScreenshotDriver firstitem          chooses the first item of the open menu (remove
//                                       formatting, restore formatting) and waits until the
//                                       clipboard has changed
//   ScreenshotDriver traymenu           closes any open menu, opens the tray menu at the icon
//   ScreenshotDriver options            opens the tray menu and its Options submenu
//   ScreenshotDriver picturemenu        closes any open menu, copies a picture, waits for the
//                                       picture menu
//   ScreenshotDriver picturewindow      chooses "show picture" in the open picture menu and
//                                       waits for the main window
//   ScreenshotDriver about              opens the tray menu, chooses About, waits for the window
//   ScreenshotDriver closeabout         closes the About window with a click on its free area
//   ScreenshotDriver autosave           opens the tray menu, chooses Options > Autosave, waits
//                                       for the Autosave dialog
//   ScreenshotDriver closeautosave      closes the Autosave dialog by its close box
//   ScreenshotDriver english            opens the tray menu and chooses Language > English
//   ScreenshotDriver exit               chooses Exit in the open tray menu and waits for the end
// Wine shows tray icons without an X tray as "__winex11_tray_icon" windows inside the
// "__winex11_standalone_tray" window; an open popup menu is a visible "#32768" window.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
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
  std::fprintf(stderr, "ScreenshotDriver: %s\n", what);
  return 1;
}

// Keeps the area inside the screen and prints it.
int PrintArea(RECT area) {
  InflateRect(&area, 16, 16);
  area.left = std::max(area.left, 0L);
  area.top = std::max(area.top, 0L);
  area.right = std::min(area.right, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN)));
  area.bottom = std::min(area.bottom, static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN)));
  std::printf("%ld %ld %ld %ld\n", area.left, area.top, area.right - area.left, area.bottom - area.top);
  return 0;
}

DWORD ProgramProcess() {
  HWND mainWindow = FindWindowW(L"TForm1", nullptr);
  return mainWindow ? ProcessOf(mainWindow) : 0;
}

int Start(const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return Fail("cannot start the program");
  ui::UniqueKernelHandle process(info.hProcess);
  ui::UniqueKernelHandle thread(info.hThread);
  // The icon shows while the main window is still being built; menus only open once the
  // program waits for input.
  if (!WaitFor(FirstTrayIcon, 20000)) return Fail("no tray icon appeared");
  if (WaitForInputIdle(process.get(), 20000) != 0) return Fail("the program never became idle");
  return 0;
}

// Answers false when the clipboard refused the data.
bool PutOnClipboard(UINT format, const void* data, std::size_t size) {
  ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
  void* target = block ? GlobalLock(block.get()) : nullptr;
  if (!target) return false;
  std::memcpy(target, data, size);
  GlobalUnlock(block.get());
  if (!SetClipboardData(format, block.get())) return false;
  static_cast<void>(block.release());
  return true;
}

int TextMenu() {
  const DWORD processId = ProgramProcess();
  if (!processId) return Fail("the program is not running");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring notepad = L"notepad.exe";
  if (!CreateProcessW(nullptr, notepad.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return Fail("cannot start Notepad");
  ui::UniqueKernelHandle process(info.hProcess);
  ui::UniqueKernelHandle thread(info.hThread);
  HWND editor = WaitFor([] { return FindWindowW(L"Notepad", nullptr); }, 20000);
  if (!editor) return Fail("Notepad did not open");
  MoveWindow(editor, 60, 60, 560, 300, TRUE);
  const std::wstring text =
      L"Meeting notes\r\n\r\nThe quarterly figures (see the attached table) are final.\r\n"
      L"Zażółć gęślą jaźń. Grüße aus Köln.";
  SendMessageW(FindWindowExW(editor, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  Sleep(500);
  SetCursorPos(260, 190);

  const std::wstring copied = L"The quarterly figures (see the attached table) are final.";
  const std::string rtf = "{\\rtf1 The quarterly figures {\\b (see the attached table)} are final.}";
  const std::string html =
      "Version:0.9\r\n<html><body>The quarterly figures <b>(see the attached table)</b></body></html>";
  // Windows refuses SetClipboardData on a clipboard opened without a window.
  const ui::UniqueWindow owner(
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!owner || !OpenClipboard(owner.get())) return Fail("cannot open the clipboard");
  EmptyClipboard();
  const bool copiedAll = PutOnClipboard(RegisterClipboardFormatW(L"Rich Text Format"), rtf.c_str(), rtf.size() + 1) &&
                         PutOnClipboard(RegisterClipboardFormatW(L"HTML Format"), html.c_str(), html.size() + 1) &&
                         PutOnClipboard(CF_UNICODETEXT, copied.c_str(), (copied.size() + 1) * sizeof(wchar_t));
  if (!CloseClipboard() || !copiedAll) return Fail("the clipboard refused the copied text");

  HWND menu = WaitFor([&] { return VisibleMenu(processId); }, 10000);
  if (!menu) return Fail("the text menu did not open");
  Sleep(500);  // let the menu paint
  RECT area{};
  GetWindowRect(menu, &area);
  RECT editorRect{};
  GetWindowRect(editor, &editorRect);
  UnionRect(&area, &area, &editorRect);
  return PrintArea(area);
}

int FirstItem() {
  const DWORD processId = ProgramProcess();
  HWND menu = processId ? VisibleMenu(processId) : nullptr;
  if (!menu) return Fail("no menu is open");
  const DWORD before = GetClipboardSequenceNumber();
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  Sleep(150);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  if (!WaitFor([&] { return GetClipboardSequenceNumber() != before; }, 10000)) return Fail("the clipboard stayed");
  Sleep(300);  // time for a menu that must not open for the program's own write
  return VisibleMenu(processId) ? Fail("a menu opened for the program's own write") : 0;
}

void CloseOpenMenu(DWORD processId) {
  // Escape closes the deepest open submenu first, its parent on the next press.
  for (int press = 0; press < 3; ++press) {
    HWND open = VisibleMenu(processId);
    if (!open) return;
    PostMessageW(open, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitFor([&] { return !VisibleMenu(processId); }, 1500);
  }
}

// Closes any open menu and opens the tray menu at the icon; null when it does not open.
HWND OpenTrayMenu(DWORD processId) {
  CloseOpenMenu(processId);
  HWND icon = FirstTrayIcon();
  if (!icon) return nullptr;
  RECT iconRect{};
  GetWindowRect(icon, &iconRect);
  SetCursorPos((iconRect.left + iconRect.right) / 2, (iconRect.top + iconRect.bottom) / 2);
  PostMessageW(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageW(icon, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  return WaitFor([&] { return VisibleMenu(processId); }, 10000);
}

int TrayMenu() {
  const DWORD processId = ProgramProcess();
  if (!processId) return Fail("the program is not running");
  HWND menu = OpenTrayMenu(processId);
  if (!menu) return Fail("the tray menu did not open");
  Sleep(500);  // let the menu paint

  RECT area{};
  GetWindowRect(menu, &area);
  RECT trayRect{};
  GetWindowRect(StandaloneTray(), &trayRect);
  UnionRect(&area, &area, &trayRect);
  return PrintArea(area);
}

// The tray menu with its Options submenu open, where the switches are.
int Options() {
  const DWORD processId = ProgramProcess();
  if (!processId) return Fail("the program is not running");
  HWND menu = OpenTrayMenu(processId);
  if (!menu) return Fail("the tray menu did not open");
  // Shortcuts, Options; Right opens the submenu.
  for (const WPARAM key : {WPARAM{VK_DOWN}, WPARAM{VK_DOWN}, WPARAM{VK_RIGHT}}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    Sleep(150);
  }
  Sleep(500);  // let both menus paint
  RECT area{};
  GetWindowRect(StandaloneTray(), &area);
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) != L"#32768" || !IsWindowVisible(window) || ProcessOf(window) != processId) continue;
    RECT menuRect{};
    GetWindowRect(window, &menuRect);
    UnionRect(&area, &area, &menuRect);
  }
  return PrintArea(area);
}

// A 640 x 480 picture of the screen's kind, as a screenshot arrives on the clipboard: a sky
// gradient over green hills and a sun.
HBITMAP DrawPicture() {
  constexpr int kWidth = 640;
  constexpr int kHeight = 480;
  ui::WindowDc screen(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), kWidth, kHeight);
  ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  ui::SelectedObject selected(dc.get(), bitmap);
  for (int y = 0; y < kHeight; y += 4) {
    ui::UniqueGdiObject sky(CreateSolidBrush(RGB(60 + y / 6, 120 + y / 5, 230)));
    const RECT band{0, y, kWidth, y + 4};
    FillRect(dc.get(), &band, static_cast<HBRUSH>(sky.get()));
  }
  ui::UniqueGdiObject sun(CreateSolidBrush(RGB(255, 210, 60)));
  ui::SelectedObject pen(dc.get(), GetStockObject(NULL_PEN));
  {
    ui::SelectedObject brush(dc.get(), sun.get());
    Ellipse(dc.get(), 460, 60, 560, 160);
  }
  ui::UniqueGdiObject hill(CreateSolidBrush(RGB(70, 150, 70)));
  ui::SelectedObject brush(dc.get(), hill.get());
  Ellipse(dc.get(), -200, 300, 420, 760);
  Ellipse(dc.get(), 250, 330, 900, 800);
  return bitmap;
}

int PictureMenu() {
  const DWORD processId = ProgramProcess();
  if (!processId) return Fail("the program is not running");
  CloseOpenMenu(processId);
  SetCursorPos(200, 160);
  const ui::UniqueWindow owner(
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!owner || !OpenClipboard(owner.get())) return Fail("cannot open the clipboard");
  EmptyClipboard();
  HBITMAP picture = DrawPicture();
  const bool placed = SetClipboardData(CF_BITMAP, picture) != nullptr;
  if (!placed) DeleteObject(picture);
  if (!CloseClipboard() || !placed) return Fail("the clipboard refused the picture");
  HWND menu = WaitFor([&] { return VisibleMenu(processId); }, 10000);
  if (!menu) return Fail("the picture menu did not open");
  Sleep(500);  // let the menu paint
  RECT area{};
  GetWindowRect(menu, &area);
  area.left -= 100;
  area.top -= 60;
  return PrintArea(area);
}

int PictureWindow() {
  HWND mainWindow = FindWindowW(L"TForm1", nullptr);
  if (!mainWindow) return Fail("the program is not running");
  HWND menu = VisibleMenu(ProcessOf(mainWindow));
  if (!menu) return Fail("the picture menu is not open");
  for (const int key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
    PostMessageW(menu, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    Sleep(50);
  }
  if (!WaitFor([&] { return IsWindowVisible(mainWindow); }, 10000)) return Fail("the main window did not show");
  Sleep(700);  // let it paint
  RECT area{};
  GetWindowRect(mainWindow, &area);
  return PrintArea(area);
}

int About() {
  const DWORD processId = ProgramProcess();
  if (!processId) return Fail("the program is not running");
  HWND menu = OpenTrayMenu(processId);
  if (!menu) return Fail("the tray menu did not open");
  // Up from no selection wraps round to Exit; two more are Help and then About.
  for (const WPARAM key : {WPARAM{VK_UP}, WPARAM{VK_UP}, WPARAM{VK_UP}, WPARAM{VK_RETURN}}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    Sleep(50);
  }
  HWND about = WaitFor(
      [] {
        HWND window = FindWindowW(L"TForm2", nullptr);
        return window && IsWindowVisible(window) ? window : nullptr;
      },
      10000);
  if (!about) return Fail("the About window did not open");
  Sleep(500);  // let it paint
  RECT area{};
  GetWindowRect(about, &area);
  return PrintArea(area);
}

int CloseAbout() {
  HWND about = FindWindowW(L"TForm2", nullptr);
  if (!about || !IsWindowVisible(about)) return Fail("the About window is not open");
  PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  return WaitFor([about] { return !IsWindowVisible(about); }, 5000) ? 0 : Fail("the About window stayed open");
}

// Opens the tray menu and walks it with these keys; false when it does not open.
bool ChooseInTrayMenu(DWORD processId, std::initializer_list<WPARAM> keys) {
  HWND menu = OpenTrayMenu(processId);
  if (!menu) return false;
  for (const WPARAM key : keys) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    Sleep(150);
  }
  return true;
}

HWND VisibleAutosaveDialog() {
  HWND dialog = FindWindowW(L"TForm3", nullptr);
  return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

int Autosave() {
  const DWORD processId = ProgramProcess();
  if (!processId) return Fail("the program is not running");
  // Shortcuts, Options; Right opens the options on their first item; three further down is Autosave.
  if (!ChooseInTrayMenu(processId, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}))
    return Fail("the tray menu did not open");
  HWND dialog = WaitFor(VisibleAutosaveDialog, 10000);
  if (!dialog) return Fail("the Autosave dialog did not open");
  Sleep(500);  // let it paint
  RECT area{};
  GetWindowRect(dialog, &area);
  return PrintArea(area);
}

int CloseAutosave() {
  HWND dialog = VisibleAutosaveDialog();
  if (!dialog) return Fail("the Autosave dialog is not open");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  return WaitFor([dialog] { return !IsWindowVisible(dialog); }, 5000) ? 0 : Fail("the Autosave dialog stayed open");
}

int English() {
  const DWORD processId = ProgramProcess();
  if (!processId) return Fail("the program is not running");
  // Shortcuts, Options, Language; Right opens it on Deutsch, the next is English.
  if (!ChooseInTrayMenu(processId, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}))
    return Fail("the tray menu did not open");
  return WaitFor([processId] { return !VisibleMenu(processId); }, 5000) ? 0 : Fail("the tray menu stayed open");
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
  if (command == L"start" && argc == 3) return Start(argv[2]);
  if (command == L"textmenu" && argc == 2) return TextMenu();
  if (command == L"firstitem" && argc == 2) return FirstItem();
  if (command == L"traymenu" && argc == 2) return TrayMenu();
  if (command == L"options" && argc == 2) return Options();
  if (command == L"picturemenu" && argc == 2) return PictureMenu();
  if (command == L"picturewindow" && argc == 2) return PictureWindow();
  if (command == L"about" && argc == 2) return About();
  if (command == L"closeabout" && argc == 2) return CloseAbout();
  if (command == L"autosave" && argc == 2) return Autosave();
  if (command == L"closeautosave" && argc == 2) return CloseAutosave();
  if (command == L"english" && argc == 2) return English();
  if (command == L"exit" && argc == 2) return Exit();
  std::fprintf(stderr,
               "usage: ScreenshotDriver start PROGRAM.exe | textmenu | firstitem | traymenu | options | picturemenu | "
               "picturewindow | about | "
               "closeabout | autosave | closeautosave | english | exit\n");
  return 2;
}
