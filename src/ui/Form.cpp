#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/DisabledThreadWindows.h"
#include "ui/Dpi.h"
#include "ui/Errors.h"
#include "ui/PopupMenu.h"
#include "ui/Window.h"

namespace ui {

TControl::TControl(TForm* form, std::wstring name, TAlign align) : TComponent(form, std::move(name)), align_(align) {}

int TControl::Height() const {
  RECT rect{};
  GetWindowRect(window_.get(), &rect);
  return rect.bottom - rect.top;
}

void TControl::Notification(TComponent* component) {
  if (component == PopupMenu) PopupMenu = nullptr;
}

TForm::TForm(TComponent* owner, std::wstring name, const wchar_t* className, const std::wstring& caption, int left,
             int top, int width, int height, DWORD style)
    : TComponent(owner, std::move(name)), width_(width), height_(height) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &TForm::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  RegisterClassIfMissing(wc);
  font_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
  TApplication* app = TApplication::Current();
  // Owned by the application window, so the form never gets a taskbar button of its own.
  HWND ownerWindow = app ? app->Handle() : nullptr;
  // The place is given for 96 dots per inch, like every place in the program.
  const UINT dpi = WindowDpi(nullptr);
  if (!CreateWindowExW(0, className, caption.c_str(), style, ScaleForDpi(left, dpi), ScaleForDpi(top, dpi),
                       ScaleForDpi(width, dpi), ScaleForDpi(height, dpi), ownerWindow, nullptr, instance, this)) {
    RaiseLastOSError(GetLastError());
  }
  // On a screen of another density than the system's, the window's own.
  if (const UINT own = WindowDpi(window_.get()); own != dpi) ScaleSize(own);
  if (app) app->FormCreated(this);
}

TForm::~TForm() {
  DestroyComponents();
  if (TApplication* app = TApplication::Current()) app->FormDestroyed(this);
  window_.reset();
}

std::wstring TForm::Caption() const { return WindowText(window_.get()); }

void TForm::SetCaption(const std::wstring& caption) { SetWindowTextW(window_.get(), caption.c_str()); }

bool TForm::Visible() const { return IsWindowVisible(window_.get()) != FALSE; }

void TForm::Show() {
  TApplication* app = TApplication::Current();
  // Showing the main form brings the application's taskbar button with it.
  if (app && app->MainForm() == this && !IsWindowVisible(app->Handle())) ShowWindow(app->Handle(), SW_SHOWNA);
  ShowWindow(window_.get(), SW_SHOW);
}

void TForm::Hide() { ShowWindow(window_.get(), SW_HIDE); }

void TForm::ShowModal() {
  if (modal_) {
    SetForegroundWindow(window_.get());
    return;
  }
  const HWND previouslyActive = GetActiveWindow();
  {
    const DisabledThreadWindows disabled(window_.get());
    modal_ = true;
    modalEnded_ = false;
    ShowWindow(window_.get(), SW_SHOW);
    SetForegroundWindow(window_.get());
    MSG msg{};
    while (!modalEnded_) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // the program is ending: leave it for the main loop
        break;
      }
      if (PreTranslateMessage(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    modal_ = false;
  }
  // Hidden only once the others are enabled again, or Windows activates some other program.
  Hide();
  if (previouslyActive && IsWindow(previouslyActive)) SetActiveWindow(previouslyActive);
}

void TForm::Close() {
  if (!CloseQuery()) return;
  Closed();
  if (modal_) {
    modalEnded_ = true;
    return;
  }
  TApplication* app = TApplication::Current();
  if (app && app->MainForm() == this) {
    app->Terminate();
  } else {
    Hide();
  }
}

void TForm::Realign() {
  RECT area{};
  GetClientRect(window_.get(), &area);
  for (TComponent* component : Components()) {
    auto* control = dynamic_cast<TControl*>(component);
    if (!control || control->Align() != TAlign::Bottom) continue;
    // The status bar sizes itself to its font; it only needs to be told to.
    SendMessageW(control->Handle(), WM_SIZE, 0, 0);
    area.bottom -= control->Height();
  }
  for (TComponent* component : Components()) {
    auto* control = dynamic_cast<TControl*>(component);
    if (!control || control->Align() != TAlign::Client) continue;
    MoveWindow(control->Handle(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  }
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = BindOnCreate<TForm>(window, msg, lParam);
  if (!self) return DefWindowProcW(window, msg, wParam, lParam);
  if (msg == WM_NCCREATE) self->window_.reset(window);
  if (msg == WM_NCDESTROY) {
    BindObject(window, nullptr);
    (void)self->window_.release();  // Windows is destroying it already
    return DefWindowProcW(window, msg, wParam, lParam);
  }
  try {
    return self->WndProc(msg, wParam, lParam);
  } catch (...) {
    TApplication::HandleCurrentException();
    return 0;
  }
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultHandler(msg, wParam, lParam); }

LRESULT TForm::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND self = window_.get();
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        TApplication* app = TApplication::Current();
        if (app && app->MainForm() == this) {
          // The application minimises as a whole, which hides the windows it owns.
          app->Minimize();
          return 0;
        }
      }
      break;
    case WM_QUERYENDSESSION:
      return TRUE;  // a tray utility never stands in the way of a logoff or shutdown
    case WM_ENDSESSION:
      if (wParam) SessionEnding();
      return 0;
    case WM_SIZE:
      Realign();
      Resized();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && lParam == 0 && DispatchMenuCommand(LOWORD(wParam))) return 0;
      if (lParam != 0 && ControlCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam))) return 0;
      break;
    case WM_CONTEXTMENU:
      if (ShowContextMenu(reinterpret_cast<HWND>(wParam), lParam)) return 0;
      break;
    case WM_LBUTTONDOWN:
      if (OnClick) {
        OnClick();
        return 0;
      }
      break;
    case WM_SHOWWINDOW:
      if (wParam == TRUE && lParam == 0 && OnShow) OnShow();
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (HBRUSH brush = ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_SETCURSOR:
      if (const TControl* control = FindControl(reinterpret_cast<HWND>(wParam)); control && control->Cursor()) {
        SetCursor(control->Cursor());
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && Activated()) return 0;
      break;
    case WM_DPICHANGED:
      DpiChanged(TakeSuggestedPlace(self, wParam, lParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(self, msg, wParam, lParam);
}

bool TForm::ControlCommand(HWND control, WORD code) {
  TControl* object = FindControl(control);
  return object && object->Command(code);
}

HBRUSH TForm::ControlColor(HDC dc, HWND control) {
  TControl* object = FindControl(control);
  return object ? object->Color(dc) : nullptr;
}

void TForm::DpiChanged(UINT dpi) { ScaleSize(dpi); }

void TForm::ScaleSize(UINT dpi) {
  if (width_ == 0 && height_ == 0) return;
  SetWindowPos(window_.get(), nullptr, 0, 0, ScaleForDpi(width_, dpi), ScaleForDpi(height_, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TControl* TForm::FindControl(HWND window) const {
  if (!window) return nullptr;
  for (TComponent* component : Components()) {
    if (auto* control = dynamic_cast<TControl*>(component); control && control->Handle() == window) return control;
  }
  return nullptr;
}

bool TForm::DispatchMenuCommand(UINT id) {
  for (TComponent* component : Components()) {
    if (auto* menu = dynamic_cast<TPopupMenu*>(component); menu && menu->DispatchCommand(id)) return true;
  }
  return false;
}

bool TForm::ShowContextMenu(HWND child, LPARAM lParam) {
  for (TComponent* component : Components()) {
    auto* control = dynamic_cast<TControl*>(component);
    if (!control || control->Handle() != child || !control->PopupMenu) continue;
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) GetCursorPos(&at);  // opened from the keyboard
    control->PopupMenu->Popup(at.x, at.y);
    return true;
  }
  return false;
}

}  // namespace ui
