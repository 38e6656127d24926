#pragma once
// Hidden message-only style windows for non-visual components. The window is bound to its
// object like every window of the program and keeps the handler function in its one extra
// slot; the class's forwarding window procedure hands every message to that handler.
#include <windows.h>

#include "ui/Handle.h"

namespace ui {

struct TMessage {
  HWND Window;
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using MessageHandler = void (*)(void* object, TMessage& message);

inline constexpr const wchar_t* kDefaultUtilWindowClass = L"TPUtilWindowEx";

// Creates the hidden window (class registered on demand, WS_EX_TOOLWINDOW, WS_POPUP, 0 x 0)
// and attaches handler and object. An exception escaping the handler goes to the
// application's default error handler; it never unwinds through Windows.
UniqueWindow AllocateHWnd(void* object, MessageHandler handler, const wchar_t* className = kDefaultUtilWindowClass);

// Binds a member function as a MessageHandler: AllocateHWnd(this, &MessageThunk<T, &T::WndProc>).
template <typename T, void (T::*Method)(TMessage&)>
void MessageThunk(void* object, TMessage& message) {
  (static_cast<T*>(object)->*Method)(message);
}

}  // namespace ui
