#include "ui/Dpi.h"

#include "ui/Handle.h"

namespace ui {

// GetDpiForWindow exists from Windows 10 1607 on; before that every window has the system's.
UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  const WindowDc screen(nullptr);
  return screen ? static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSY)) : kDefaultDpi;
}

HFONT CreateMessageFont(UINT dpi, int height, int weight) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW font{};
  UINT systemDpi = kDefaultDpi;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    font = metrics.lfMessageFont;
    // The metrics are in pixels for the system's density, whatever screen the window is on.
    if (const WindowDc screen(nullptr); screen) systemDpi = static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSY));
  } else {
    font.lfHeight = -11;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
  }
  font.lfHeight = height != 0 ? ScaleForDpi(height, dpi)
                              : MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
  font.lfWidth = 0;
  font.lfWeight = weight;
  return CreateFontIndirectW(&font);
}

SIZE TextExtent(HWND window, HFONT font) {
  const std::wstring text = WindowText(window);
  SIZE size{};
  if (const WindowDc dc(window); dc) {
    const SelectedObject selected(dc.get(), font);
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  }
  return size;
}

void PlaceLabel(HWND label, HFONT font, int left, int top) {
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const SIZE size = TextExtent(label, font);
  SetWindowPos(label, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT TakeSuggestedPlace(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return LOWORD(wParam);
}

}  // namespace ui
