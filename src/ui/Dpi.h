#pragma once
// Laying out windows for the screen's density: positions and sizes are given for 96 dots per
// inch and scaled to the window's own density (the program declares itself per-monitor aware).
#include <windows.h>

#include <string>

#include "ui/Window.h"

namespace ui {

inline constexpr UINT kDefaultDpi = 96;

// The density of the screen the window is on.
UINT WindowDpi(HWND window);
// A length given at 96 dots per inch, at `dpi`.
[[nodiscard]] inline int ScaleForDpi(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}
// Moved onto a screen of another density (WM_DPICHANGED): keeps the place Windows suggests and
// answers the new density, for the caller to lay the window out again.
UINT TakeSuggestedPlace(HWND window, WPARAM wParam, LPARAM lParam);
// The program's one font: the system's message font (Segoe UI on current Windows, Tahoma under
// Wine) for `dpi`, at its own point size or at `height` pixels given for 96 dots per inch, in
// `weight`. The caller owns it.
HFONT CreateMessageFont(UINT dpi, int height = 0, int weight = FW_NORMAL);
// The size of a window's text in `font`.
SIZE TextExtent(HWND window, HFONT font);
// Gives a label its font and, as an auto-sized label, exactly the size of its text.
void PlaceLabel(HWND label, HFONT font, int left, int top);

}  // namespace ui
