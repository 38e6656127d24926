#include "ui/MessageWindow.h"

#include "ui/Application.h"
#include "ui/Window.h"

namespace ui {
namespace {

constexpr int kHandlerSlot = 0;

LRESULT CALLBACK ForwardingWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto handler = reinterpret_cast<MessageHandler>(GetWindowLongPtrW(window, kHandlerSlot));
  if (!handler) return DefWindowProcW(window, msg, wParam, lParam);
  void* object = BoundObject<void>(window);
  TMessage message{window, msg, wParam, lParam, 0};
  try {
    handler(object, message);
  } catch (...) {
    TApplication::HandleCurrentException();
  }
  return message.Result;
}

// A class of that name registered with another procedure (left behind by someone else in this
// module) is registered anew.
void EnsureClass(HINSTANCE instance, const wchar_t* className) {
  if (WNDCLASSW existing{};
      GetClassInfoW(instance, className, &existing) && existing.lpfnWndProc != &ForwardingWindowProc) {
    UnregisterClassW(className, instance);
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = &ForwardingWindowProc;
  wc.cbWndExtra = static_cast<int>(sizeof(LONG_PTR));
  wc.hInstance = instance;
  wc.lpszClassName = className;
  RegisterClassIfMissing(wc);
}

}  // namespace

UniqueWindow AllocateHWnd(void* object, MessageHandler handler, const wchar_t* className) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  EnsureClass(instance, className);
  UniqueWindow window(
      CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
  if (window && handler) {
    BindObject(window.get(), object);
    SetWindowLongPtrW(window.get(), kHandlerSlot, reinterpret_cast<LONG_PTR>(handler));
  }
  return window;
}

}  // namespace ui
