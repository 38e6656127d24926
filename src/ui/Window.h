#pragma once
// Small window helpers every window of the program needs: one object bound to each window,
// its window class registered once, its text, and its place on the screen.
#include <windows.h>

#include <string>

namespace ui {

// Binds `object` to `window` (or, with null, unbinds it): the one slot where a window finds
// the object it belongs to. The window class must leave GWLP_USERDATA to the program, which
// every class of ours and every system control does.
void BindObject(HWND window, void* object) noexcept;
template <typename T>
[[nodiscard]] T* BoundObject(HWND window) noexcept {
  return static_cast<T*>(reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
}
// For the WM_NCCREATE of a window created with the object as its creation parameter: binds
// it, so the object sees every later message, WM_NCCREATE included.
template <typename T>
T* BindOnCreate(HWND window, UINT msg, LPARAM lParam) noexcept {
  if (msg == WM_NCCREATE) BindObject(window, reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
  return BoundObject<T>(window);
}

// Registers the class `wc` describes in this module unless a class of its name is there
// already, which then stays as it is; raises EOutOfResources when Windows refuses it.
void RegisterClassIfMissing(const WNDCLASSW& wc);

// A window's text.
std::wstring WindowText(HWND window);

// Moves a window, keeping its size, so that its middle is the middle of `area` (screen
// coordinates).
void CentreWindow(HWND window, const RECT& area);
// The work area of the primary screen (the screen less the taskbar); false when Windows does
// not say.
bool WorkArea(RECT& area);

}  // namespace ui
