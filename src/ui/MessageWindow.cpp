#include "ui/MessageWindow.h"

#include "ui/Application.h"

namespace ui {
namespace {

constexpr int kHandlerSlot = 0;
constexpr int kObjectSlot = static_cast<int>(sizeof(LONG_PTR));

LRESULT CALLBACK ForwardingWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto handler = reinterpret_cast<MessageHandler>(GetWindowLongPtrW(window, kHandlerSlot));
  if (!handler) return DefWindowProcW(window, msg, wParam, lParam);
  void* object = reinterpret_cast<void*>(GetWindowLongPtrW(window, kObjectSlot));
  TMessage message{window, msg, wParam, lParam, 0};
  try {
    handler(object, message);
  } catch (...) {
    TApplication::HandleCurrentException();
  }
  return message.Result;
}

// The class keeps DefWindowProc as its procedure; a class of that name registered with
// another procedure (left behind by someone else in this module) is registered anew.
void EnsureClass(HINSTANCE instance, const wchar_t* className) {
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, className, &existing)) {
    if (existing.lpfnWndProc == &DefWindowProcW) return;
    UnregisterClassW(className, instance);
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.cbWndExtra = 2 * static_cast<int>(sizeof(LONG_PTR));
  wc.hInstance = instance;
  wc.lpszClassName = className;
  RegisterClassW(&wc);
}

}  // namespace

UniqueWindow AllocateHWnd(void* object, MessageHandler handler, const wchar_t* className) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  EnsureClass(instance, className);
  UniqueWindow window(
      CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
  if (window && handler) {
    SetWindowLongPtrW(window.get(), kHandlerSlot, reinterpret_cast<LONG_PTR>(handler));
    SetWindowLongPtrW(window.get(), kObjectSlot, reinterpret_cast<LONG_PTR>(object));
    SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardingWindowProc));
  }
  return window;
}

}  // namespace ui
