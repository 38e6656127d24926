#include "support/DialogAnswerer.h"

#include "support/TestSupport.h"

namespace testing_support {
namespace {

// The file name field: a combo box in newer dialogs, an edit field in older ones.
constexpr int kFileNameCombo = 0x47C;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1

bool Contains(const std::vector<HWND>& windows, HWND window) {
  for (HWND w : windows) {
    if (w == window) return true;
  }
  return false;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64]{};
  GetClassNameW(window, name, 64);
  return name;
}

}  // namespace

std::vector<HWND> VisibleDialogs(DWORD processId, const std::vector<HWND>& except) {
  std::vector<HWND> dialogs;
  for (HWND window : ProcessWindows(processId, L"#32770")) {
    if (IsWindowVisible(window) && !Contains(except, window)) dialogs.push_back(window);
  }
  return dialogs;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs, const std::vector<HWND>& except) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    const auto dialogs = VisibleDialogs(processId, except);
    if (!dialogs.empty()) return dialogs.front();
    Sleep(20);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

std::wstring WindowText(HWND window) {
  wchar_t text[1024]{};
  GetWindowTextW(window, text, 1024);
  return text;
}

std::wstring StaticTexts(HWND dialog) {
  std::wstring texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) texts += WindowText(child);
  }
  return texts;
}

bool HasIcon(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    // The box's template always has the icon field; without an icon it stays empty or hidden.
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && IsWindowVisible(child) &&
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0) != 0)
      return true;
  }
  return false;
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SaveUnderName(HWND dialog, const std::wstring& path) {
  HWND field = GetDlgItem(dialog, kFileNameCombo);
  if (!field) field = GetDlgItem(dialog, kFileNameEdit);
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PressButton(dialog, IDOK);
}

DialogAnswerer::DialogAnswerer(DWORD processId, std::function<void(HWND dialog)> answer, int count, DWORD timeoutMs)
    : thread_([this, processId, answer = std::move(answer), count, timeoutMs] {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        std::vector<HWND> seen;
        while (!stop_ && answered_ < count && GetTickCount64() < deadline) {
          const auto dialogs = VisibleDialogs(processId, seen);
          if (dialogs.empty()) {
            Sleep(20);
            continue;
          }
          // Let the dialog finish laying itself out before it is worked.
          Sleep(100);
          seen.push_back(dialogs.front());
          answer(dialogs.front());
          ++answered_;
        }
      }) {}

DialogAnswerer::~DialogAnswerer() {
  stop_ = true;
  thread_.join();
}

}  // namespace testing_support
