#include "ui/WinControl.h"

#include <utility>

#include "ui/Application.h"
#include "ui/Errors.h"
#include "ui/Window.h"

namespace ui {
namespace {

POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

// Alt from the key message itself (its context bit), which a key sent by another program
// carries too; Ctrl and Shift as the keyboard holds them.
TShiftState ShiftOf(LPARAM keyData) {
  return {(keyData & (1 << 29)) != 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0};
}

// Ends a painting however the handler ends.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintScope() {
    if (dc_) EndPaint(window_, &paint_);
  }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  [[nodiscard]] HDC Dc() const noexcept { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace

TWinControl::TWinControl(TForm* form, std::wstring name, TAlign align) : TControl(form, std::move(name), align) {}

TWinControl::~TWinControl() {
  HWND window = Handle();
  if (!window) return;
  if (inherited_) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(inherited_));
  BindObject(window, nullptr);
}

void TWinControl::CreateOwnWindow(const wchar_t* className, HWND parent, DWORD style) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &TWinControl::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  RegisterClassIfMissing(wc);
  if (!CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, parent, nullptr, instance, this))
    RaiseLastOSError(GetLastError());
}

void TWinControl::TakeOver(HWND control) {
  SetWindow(control);
  BindObject(control, this);
  inherited_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::WindowProc)));
  if (!inherited_) RaiseLastOSError(GetLastError());
}

LRESULT CALLBACK TWinControl::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = BindOnCreate<TWinControl>(window, msg, lParam);
  if (!self) return DefWindowProcW(window, msg, wParam, lParam);
  if (msg == WM_NCCREATE) self->SetWindow(window);
  if (msg == WM_NCDESTROY) {
    // Destroyed with its parent, before the object: the object lives on without a window.
    BindObject(window, nullptr);
    self->ForgetWindow();
    const WNDPROC inherited = std::exchange(self->inherited_, nullptr);
    return inherited ? CallWindowProcW(inherited, window, msg, wParam, lParam)
                     : DefWindowProcW(window, msg, wParam, lParam);
  }
  try {
    return self->Dispatch(msg, wParam, lParam);
  } catch (...) {
    TApplication::HandleCurrentException();
    return 0;
  }
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (MouseDown(PointOf(lParam))) return 0;
      break;
    case WM_MOUSEMOVE:
      if (MouseMove(PointOf(lParam))) return 0;
      break;
    case WM_LBUTTONUP:
      if (MouseUp(PointOf(lParam))) return 0;
      break;
    case WM_CAPTURECHANGED:
      if (CaptureLost()) return 0;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (KeyDown(static_cast<UINT>(wParam), ShiftOf(lParam))) return 0;
      break;
    case WM_DROPFILES:
      if (FilesDropped(reinterpret_cast<HDROP>(wParam))) return 0;
      break;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      if (!AcceptsEditing()) return 0;
      break;
    case WM_GETDLGCODE:
      return DialogCode(Inherited(msg, wParam, lParam));
    case WM_SETTEXT:
      if (lParam) {
        const std::wstring text = TextToSet(reinterpret_cast<const wchar_t*>(lParam));
        return Inherited(msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
      }
      break;
    case WM_SIZE: {
      const LRESULT result = Inherited(msg, wParam, lParam);
      Resized();
      return result;
    }
    case WM_PAINT:
      if (inherited_) break;  // a system control paints itself
      PaintWindow();
      return 0;
    default:
      break;
  }
  return Inherited(msg, wParam, lParam);
}

LRESULT TWinControl::Inherited(UINT msg, WPARAM wParam, LPARAM lParam) {
  return inherited_ ? CallWindowProcW(inherited_, Handle(), msg, wParam, lParam)
                    : DefWindowProcW(Handle(), msg, wParam, lParam);
}

void TWinControl::PaintWindow() {
  const PaintScope scope(Handle());
  if (!scope.Dc()) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  Paint(scope.Dc(), client);
}

}  // namespace ui
