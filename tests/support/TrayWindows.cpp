#include "support/TrayWindows.h"

#include <algorithm>
#include <string>

#include "support/TestSupport.h"

namespace testing_support {
namespace {

constexpr const wchar_t* kTrayIconClass = L"__winex11_tray_icon";
constexpr const wchar_t* kStandaloneTrayClass = L"__winex11_standalone_tray";
constexpr const wchar_t* kMenuClass = L"#32768";

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t buffer[64] = {};
  GetClassNameW(window, buffer, 64);
  return std::wstring(buffer) == name;
}

BOOL CALLBACK CollectTrayIcon(HWND window, LPARAM found) {
  if (HasClass(window, kTrayIconClass)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM found) {
  CollectTrayIcon(window, found);
  if (HasClass(window, kStandaloneTrayClass)) EnumChildWindows(window, &CollectTrayIcon, found);
  return TRUE;
}

struct MenuSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMenu(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<MenuSearch*>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (HasClass(window, kMenuClass) && IsWindowVisible(window) && (s->processId == 0 || owner == s->processId)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> TrayIconWindows() {
  std::vector<HWND> found;
  EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> NewWindows(const std::vector<HWND>& before, const std::vector<HWND>& now) {
  std::vector<HWND> added;
  for (HWND window : now) {
    if (std::find(before.begin(), before.end(), window) == before.end()) added.push_back(window);
  }
  return added;
}

HWND VisibleMenuWindow(DWORD processId) {
  MenuSearch search{processId, nullptr};
  EnumWindows(&FindMenu, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForNewTrayIcon(const std::vector<HWND>& before, DWORD timeoutMs) {
  HWND icon = nullptr;
  PumpUntil(
      [&] {
        const auto added = NewWindows(before, TrayIconWindows());
        icon = added.size() == 1 ? added.front() : nullptr;
        return icon != nullptr;
      },
      timeoutMs);
  return icon;
}

}  // namespace testing_support
