#include "ui/DisabledThreadWindows.h"

#include <algorithm>

namespace ui {
namespace {

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

}  // namespace

DisabledThreadWindows::DisabledThreadWindows(HWND keep) {
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow, reinterpret_cast<LPARAM>(&windows_));
  std::erase(windows_, keep);
  for (HWND window : windows_) EnableWindow(window, FALSE);
}

DisabledThreadWindows::~DisabledThreadWindows() {
  for (HWND window : windows_) EnableWindow(window, TRUE);
}

}  // namespace ui
