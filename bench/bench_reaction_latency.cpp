// Reaction latency: from the copying process's CloseClipboard to the program's text menu
// being visible, next to two floors measured in the same run: the time a bare clipboard viewer
// in another process needs to receive WM_DRAWCLIPBOARD, and the time a bare viewer needs to
// show a two-item menu at the cursor from its message loop, as the program does, found by the
// same polling as the program's. The second is what any menu costs here; the program's time
// above it is its own.
// With several programs (two builds, before and after a change) each gets its row, measured in
// the same rounds.
//   bench_reaction_latency.exe <path of VelmoClipboard.exe> [<path of another build's>...]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "ui/Handle.h"

namespace {

constexpr int kRounds = 3;
constexpr int kCopiesPerRound = 20;
constexpr const wchar_t* kViewerEvent = L"VelmoBenchViewerNotified";

using bench::Median;
double Now() { return bench::Milliseconds(); }

// The bare viewer: signals an event for every change notification after its registration,
// or, as the bare menu, passes the notice on and then opens its menu from the message loop.
constexpr UINT kOpenMenu = WM_APP + 1;
HWND nextViewer = nullptr;
HANDLE notified = nullptr;
HMENU bareMenu = nullptr;
bool registered = false;
bool menuPosted = false;

LRESULT CALLBACK ViewerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DRAWCLIPBOARD) {
    if (registered && notified) SetEvent(notified);
    if (nextViewer) SendMessageW(nextViewer, msg, wParam, lParam);
    if (registered && bareMenu && !menuPosted) menuPosted = PostMessageW(window, kOpenMenu, 0, 0) != FALSE;
    return 0;
  }
  if (msg == kOpenMenu) {
    menuPosted = false;
    SetForegroundWindow(window);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(bareMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    return 0;
  }
  if (msg == WM_CHANGECBCHAIN) {
    if (reinterpret_cast<HWND>(wParam) == nextViewer) {
      nextViewer = reinterpret_cast<HWND>(lParam);
    } else if (nextViewer) {
      SendMessageW(nextViewer, msg, wParam, lParam);
    }
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

int RunBareViewer(bool withMenu) {
  if (withMenu) {
    bareMenu = CreatePopupMenu();
    AppendMenuW(bareMenu, MF_STRING, 1, L"Formatierung entfernen");
    AppendMenuW(bareMenu, MF_STRING, 2, L"Formatierung behalten");
  } else {
    notified = OpenEventW(EVENT_MODIFY_STATE, FALSE, kViewerEvent);
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = &ViewerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelmoBenchViewer";
  RegisterClassW(&wc);
  HWND window =
      CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  nextViewer = SetClipboardViewer(window);
  registered = true;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

// Copies text as `owner`; returns the moment just before CloseClipboard, or nothing when the
// clipboard refused the text (Windows does so for a clipboard opened without a window).
std::optional<double> Copy(HWND owner, int n) {
  while (!OpenClipboard(owner)) Sleep(1);
  EmptyClipboard();
  const std::wstring text = L"latency sample " + std::to_wstring(n);
  ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
  void* target = block ? GlobalLock(block.get()) : nullptr;
  if (target) {
    std::memcpy(target, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block.get());
  }
  const bool taken = target && SetClipboardData(CF_UNICODETEXT, block.get());
  if (taken) static_cast<void>(block.release());
  const double start = Now();
  CloseClipboard();
  if (!taken) {
    std::fprintf(stderr, "the clipboard refused sample %d\n", n);
    return std::nullopt;
  }
  return start;
}

// Popup menus are top-level windows of class "#32768"; walking only those keeps the polling
// light on the wineserver that the program under test needs too.
HWND VisibleMenu(DWORD processId) {
  for (HWND window = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); window;
       window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

PROCESS_INFORMATION Start(std::wstring commandLine, const wchar_t* folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info);
  return info;
}

void Stop(const PROCESS_INFORMATION& info) {
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 5000);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

void MeasureFloor(HWND owner, std::vector<double>& samples) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, kViewerEvent);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const PROCESS_INFORMATION viewer = Start(L"\"" + std::wstring(self) + L"\" --bare-viewer", nullptr);
  Sleep(1500);
  for (int n = 0; n < kCopiesPerRound; ++n) {
    ResetEvent(event);
    const auto start = Copy(owner, n);
    if (start && WaitForSingleObject(event, 5000) == WAIT_OBJECT_0) samples.push_back(Now() - *start);
    Sleep(20);
  }
  Stop(viewer);
  CloseHandle(event);
}

// Copies and waits for the menu of the process started with `commandLine` each time.
void MeasureMenus(HWND owner, const std::wstring& commandLine, const wchar_t* folder, std::vector<double>& samples) {
  const PROCESS_INFORMATION process = Start(commandLine, folder);
  Sleep(2000);
  for (int n = 0; n < kCopiesPerRound; ++n) {
    const auto start = Copy(owner, n);
    if (!start) continue;
    HWND menu = nullptr;
    const double deadline = *start + 5000;
    while (!(menu = VisibleMenu(process.dwProcessId)) && Now() < deadline) Sleep(1);
    if (!menu) continue;
    samples.push_back(Now() - *start);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    while (VisibleMenu(process.dwProcessId) && Now() < deadline + 5000) Sleep(1);
    Sleep(50);
  }
  Stop(process);
}

void MeasureBareMenu(HWND owner, std::vector<double>& samples) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  MeasureMenus(owner, L"\"" + std::wstring(self) + L"\" --bare-menu", nullptr, samples);
}

void MeasureProgram(HWND owner, const std::wstring& program, std::vector<double>& samples) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);  // a folder without settings: text reactions on
  std::wstring workFolder = std::wstring(folder) + L"velmo-bench";
  CreateDirectoryW(workFolder.c_str(), nullptr);
  DeleteFileW((workFolder + L"\\VelmoClipboard.ini").c_str());
  MeasureMenus(owner, L"\"" + program + L"\"", workFolder.c_str(), samples);
}

std::wstring WinePath(const char* path) {
  std::wstring result;
  for (const char* c = path; *c; ++c) result.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
  if (!result.empty() && result[0] == L'/') {
    result = L"Z:" + result;
    std::replace(result.begin(), result.end(), L'/', L'\\');
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--bare-viewer") == 0) return RunBareViewer(false);
  if (argc == 2 && std::strcmp(argv[1], "--bare-menu") == 0) return RunBareViewer(true);
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_reaction_latency <VelmoClipboard.exe> [<another VelmoClipboard.exe>...]\n");
    return 2;
  }
  // The copies need a window of their own to own the text.
  const ui::UniqueWindow owner(
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
  const std::vector<std::string> programs(argv + 1, argv + argc);
  std::vector<double> floor;
  std::vector<double> bareMenus;
  std::vector<std::vector<double>> ours(programs.size());
  // In rounds, so that a machine busy for a while slows every row alike.
  for (int round = 0; round < kRounds; ++round) {
    MeasureFloor(owner.get(), floor);
    MeasureBareMenu(owner.get(), bareMenus);
    for (std::size_t i = 0; i < programs.size(); ++i)
      MeasureProgram(owner.get(), WinePath(programs[i].c_str()), ours[i]);
  }
  if (floor.empty() || bareMenus.empty() ||
      std::any_of(ours.begin(), ours.end(), [](const std::vector<double>& samples) { return samples.empty(); })) {
    std::printf("no samples\n");
    return 1;
  }
  const double floorMedian = Median(floor);
  const double menuMedian = Median(bareMenus);
  std::printf("%-36s %8s %12s\n", "", "samples", "median ms");
  std::printf("%-36s %8zu %12.2f\n", "floor: bare viewer notified", floor.size(), floorMedian);
  std::printf("%-36s %8zu %12.2f\n", "floor: bare viewer's menu visible", bareMenus.size(), menuMedian);
  std::printf("bare menu - viewer notified %.2f ms\n", menuMedian - floorMedian);
  for (std::size_t i = 0; i < programs.size(); ++i) {
    const double ourMedian = Median(ours[i]);
    std::printf("program %zu: text menu visible %15zu %12.2f   (%s)\n", i + 1, ours[i].size(), ourMedian,
                programs[i].c_str());
    std::printf("  - viewer notified %.2f ms (goal: at most 3 ms), ratio %.2f; - bare menu %.2f ms, ratio %.2f\n",
                ourMedian - floorMedian, ourMedian / floorMedian, ourMedian - menuMedian, ourMedian / menuMedian);
    if (i > 0) std::printf("  ratio to program 1: %.2f\n", ourMedian / Median(ours[0]));
  }
  return 0;
}
