#include "ui/Window.h"

#include "ui/Errors.h"

namespace ui {

void BindObject(HWND window, void* object) noexcept {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

void RegisterClassIfMissing(const WNDCLASSW& wc) {
  WNDCLASSW existing{};
  if (GetClassInfoW(wc.hInstance, wc.lpszClassName, &existing)) return;
  if (!RegisterClassW(&wc)) RaiseLastOSError(GetLastError());
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void CentreWindow(HWND window, const RECT& area) {
  RECT frame{};
  GetWindowRect(window, &frame);
  SetWindowPos(window, nullptr, (area.left + area.right - (frame.right - frame.left)) / 2,
               (area.top + area.bottom - (frame.bottom - frame.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool WorkArea(RECT& area) { return SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) != FALSE; }

}  // namespace ui
