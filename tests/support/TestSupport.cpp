#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "app/RunObjects.h"
#include "clipboard/TJvClipboardMonitor.h"
#include "ui/Application.h"

namespace testing_support {
namespace {
std::vector<std::wstring> shownErrors;
std::function<void()> whileErrorShows;
std::vector<std::wstring> extraArguments;
app::RunObjects* run = nullptr;
}  // namespace

app::RunObjects& Run() { return *run; }
clipboard::TClipboard& Clipboard() { return run->Clipboard(); }

const std::vector<std::wstring>& ExtraArguments() { return extraArguments; }

const std::vector<std::wstring>& ShownErrors() { return shownErrors; }
void ClearShownErrors() { shownErrors.clear(); }
void WhileNextErrorShows(std::function<void()> action) { whileErrorShows = std::move(action); }

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= deadline) return done();
    MSG msg{};
    // Looked at after every message: a flood of notifications must not keep it from noticing.
    while (!done() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  PumpUntil([deadline] { return GetTickCount64() >= deadline; }, ms + 1000);
}

ClipboardFill::ClipboardFill()
    : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              nullptr)) {
  if (!window_) {
    ADD_FAILURE() << "no window to own the clipboard data, error " << GetLastError();
    return;
  }
  open_ = OpenClipboardPatiently(window_.get());
  if (!open_) {
    ADD_FAILURE() << "the clipboard stayed open in another program";
    return;
  }
  if (!EmptyClipboard()) ADD_FAILURE() << "the clipboard could not be emptied, error " << GetLastError();
}

ClipboardFill::~ClipboardFill() {
  if (open_ && !CloseClipboard()) ADD_FAILURE() << "the clipboard could not be closed, error " << GetLastError();
  // The monitor reports the change from the message loop; the test looks at the reaction next,
  // as if its own loop had run. Only those reports: other posted messages keep their pace.
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, clipboard::TJvClipboardMonitor::kChangeMessage,
                      clipboard::TJvClipboardMonitor::kChangeMessage, PM_REMOVE))
    DispatchMessageW(&msg);
}

void ClipboardFill::PutBlock(UINT format, const void* data, std::size_t size) {
  ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) {
    ADD_FAILURE() << "no memory for " << size << " bytes of clipboard data";
    return;
  }
  {
    const ui::GlobalLockGuard lock(block.get());
    if (!lock.data()) {
      ADD_FAILURE() << "the clipboard data could not be locked";
      return;
    }
    std::memcpy(lock.data(), data, size);
  }
  if (Hand(format, block.get())) static_cast<void>(block.release());
}

bool ClipboardFill::Hand(UINT format, HANDLE data) {
  if (open_ && SetClipboardData(format, data)) return true;
  ADD_FAILURE() << "the clipboard refused format " << format << ", error " << GetLastError();
  return false;
}

void SetClipboardUnicodeText(const std::wstring& text) {
  ClipboardFill fill;
  fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool OpenClipboardPatiently(HWND owner) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

std::vector<UINT> ClipboardFormats() {
  std::vector<UINT> formats;
  if (!OpenClipboardPatiently(nullptr)) {
    ADD_FAILURE() << "the clipboard stayed open in another program";
    return formats;
  }
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  CloseClipboard();
  return formats;
}

ScopedProcess HoldClipboardInOtherProcess(DWORD ms, bool withWindow) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return ScopedProcess(nullptr);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine =
      L"\"" + std::wstring(self) + L"\" --hold-clipboard " + std::to_wstring(ms) + (withWindow ? L" window" : L"");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info{};
  const BOOL started =
      CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(writeEnd);
  if (started) {
    CloseHandle(info.hThread);
    char buffer[8] = {};
    DWORD got = 0;
    ReadFile(readEnd, buffer, sizeof(buffer) - 1, &got, nullptr);  // "held": the clipboard is open
  }
  CloseHandle(readEnd);
  return ScopedProcess(started ? info.hProcess : nullptr);
}

bool RunCarelessViewer() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const ScopedProcess viewer = StartProcess(L"\"" + std::wstring(self) + L"\" --careless-viewer");
  return viewer.Wait(10000) == 0;
}

ScopedProcess::~ScopedProcess() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

DWORD ScopedProcess::Wait(DWORD timeoutMs) const {
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

ScopedProcess StartProcess(const std::wstring& commandLine, const std::wstring& workingDirectory) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring mutableLine = commandLine;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &info))
    return ScopedProcess(nullptr);
  CloseHandle(info.hThread);
  return ScopedProcess(info.hProcess);
}

namespace {

struct WindowSearch {
  DWORD processId;
  const std::wstring* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  if (search->className->empty() || *search->className == name) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> ProcessWindows(DWORD processId, const std::wstring& className) {
  WindowSearch search{processId, &className, {}};
  EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForProcessWindow(DWORD processId, const std::wstring& className, DWORD timeoutMs) {
  HWND found = nullptr;
  PumpUntil(
      [&] {
        const auto windows = ProcessWindows(processId, className);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

std::wstring WinePath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  std::wstring result = L"Z:" + path;
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  return result;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace testing_support

namespace {

// Helper mode of every test program: `--hold-clipboard MS [window]` opens the clipboard (for a
// hidden window of its own with "window"), says so on standard output, keeps it open for MS
// milliseconds and ends. Tests use it as "another program".
int HoldClipboard(DWORD ms, bool withWindow) {
  const ui::UniqueWindow window(withWindow ? CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                             GetModuleHandleW(nullptr), nullptr)
                                           : nullptr);
  if (withWindow && !window) return 1;
  if (!OpenClipboard(window.get())) return 1;
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  Sleep(ms);
  CloseClipboard();
  return 0;
}

// Helper mode `--careless-viewer`: a viewer of the kind crashing programs leave behind. It joins
// the chain at its head, passes notices on for a moment, then ends without leaving the chain.
HWND carelessNext = nullptr;

LRESULT CALLBACK CarelessViewerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DRAWCLIPBOARD && carelessNext) SendMessageW(carelessNext, msg, wParam, lParam);
  if (msg == WM_CHANGECBCHAIN) {
    if (reinterpret_cast<HWND>(wParam) == carelessNext) {
      carelessNext = reinterpret_cast<HWND>(lParam);
    } else if (carelessNext) {
      SendMessageW(carelessNext, msg, wParam, lParam);
    }
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

int CarelessViewer() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &CarelessViewerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"CarelessViewer";
  RegisterClassW(&wc);
  HWND window =
      CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return 1;
  carelessNext = SetClipboardViewer(window);
  testing_support::PumpFor(300);
  ExitProcess(0);  // no ChangeClipboardChain: the chain's head now names a dead window
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 3 || (argc == 4 && std::strcmp(argv[3], "window") == 0)) &&
      std::strcmp(argv[1], "--hold-clipboard") == 0)
    return HoldClipboard(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)), argc == 4);
  if (argc == 2 && std::strcmp(argv[1], "--careless-viewer") == 0) return CarelessViewer();
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const int length = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0);
    std::wstring argument(static_cast<std::size_t>(length > 0 ? length - 1 : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[i], -1, argument.data(), length);
    testing_support::extraArguments.push_back(argument);
  }
  // The objects the program's entry builds, in the same order.
  app::RunObjects objects;
  objects.Start();
  testing_support::run = &objects;
  objects.Application().SetErrorPresenter([](const std::wstring& text, const std::wstring&) {
    if (const std::function<void()> action = std::exchange(testing_support::whileErrorShows, nullptr)) action();
    testing_support::shownErrors.push_back(text);
  });
  return RUN_ALL_TESTS();
}
