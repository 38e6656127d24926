#include "ui/Application.h"

#include <algorithm>

#include "ui/Errors.h"
#include "ui/Form.h"
#include "ui/Window.h"

namespace ui {
namespace {

constexpr const wchar_t* kApplicationClass = L"TApplication";

std::wstring Widen(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring result(static_cast<std::size_t>(length - 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, result.data(), length);
  return result;
}

}  // namespace

TApplication* TApplication::current_ = nullptr;

TApplication::TApplication() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &TApplication::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kApplicationClass;
  RegisterClassIfMissing(wc);
  // A zero-size window in the middle of the screen: it shows nothing but the taskbar button.
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  window_.reset(CreateWindowExW(0, kApplicationClass, L"",
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                                nullptr, nullptr, instance, this));
  if (!window_) RaiseLastOSError(GetLastError());
  current_ = this;
}

TApplication::~TApplication() {
  window_.reset();
  if (current_ == this) current_ = nullptr;
}

HWND TApplication::FocusWindow() const {
  if (!IsIconic(window_.get()) && mainForm_ && mainForm_->Visible()) return mainForm_->Handle();
  return window_.get();
}

void TApplication::SetTitle(const std::wstring& title) {
  title_ = title;
  SetWindowTextW(window_.get(), title_.c_str());
}

void TApplication::FormCreated(TForm* form) {
  if (!mainForm_) mainForm_ = form;
}

void TApplication::FormDestroyed(TForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
}

int TApplication::Run() {
  if (showMainForm_ && mainForm_) mainForm_->Show();
  MSG msg{};
  while (!terminated_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::size_t TApplication::AddHook(Hook hook) {
  hooks_.push_back({nextHookId_, std::move(hook)});
  return nextHookId_++;
}

void TApplication::RemoveHook(std::size_t id) {
  std::erase_if(hooks_, [id](const HookEntry& entry) { return entry.id == id; });
}

void TApplication::HandleException() noexcept {
  if (GetCapture()) ReleaseCapture();
  try {
    std::wstring message;
    try {
      throw;
    } catch (const Exception& e) {
      message = e.Message();
    } catch (const std::exception& e) {
      message = Widen(e.what());
    } catch (...) {
      message = L"Unbekannter Fehler";
    }
    ShowError(message);
  } catch (...) {  // out of memory while reporting: nothing left to show it with
  }
}

void TApplication::HandleCurrentException() noexcept {
  if (current_) current_->HandleException();  // without an application there is nothing to show it with
}

void TApplication::ShowError(const std::wstring& message) {
  const std::wstring text = DisplayText(message);
  if (showingError_) {
    // The box's modal loop let another error in: the same one is not shown twice, another
    // one waits its turn.
    if (text != shownError_ && std::find(waitingErrors_.begin(), waitingErrors_.end(), text) == waitingErrors_.end())
      waitingErrors_.push_back(text);
    return;
  }
  struct Showing {
    TApplication& application;
    ~Showing() {
      application.showingError_ = false;
      application.shownError_.clear();
      application.waitingErrors_.clear();
    }
  } showing{*this};
  showingError_ = true;
  Present(text);
  while (!waitingErrors_.empty()) {
    const std::wstring next = waitingErrors_.front();
    waitingErrors_.erase(waitingErrors_.begin());
    Present(next);
  }
}

void TApplication::Present(const std::wstring& text) {
  shownError_ = text;
  if (presenter_) {
    presenter_(text, title_);
    return;
  }
  MessageBoxW(window_.get(), text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

void TApplication::Minimize() { ShowWindow(window_.get(), SW_MINIMIZE); }

void TApplication::Restore() { ShowWindow(window_.get(), SW_RESTORE); }

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = BindOnCreate<TApplication>(window, msg, lParam);
  if (!self || self->window_.get() != window) return DefWindowProcW(window, msg, wParam, lParam);
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    self->HandleException();
    return 0;
  }
}

LRESULT TApplication::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const std::vector<HookEntry> hooks = hooks_;  // a hook may remove itself
  for (const HookEntry& entry : hooks) {
    LRESULT result = 0;
    if (entry.hook(msg, wParam, lParam, result)) return result;
  }
  HWND self = window_.get();
  switch (msg) {
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return 0;
        case SC_RESTORE:
          Restore();
          return 0;
        case SC_CLOSE:
          if (mainForm_) mainForm_->Close();
          return 0;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return 0;
    case WM_SETFOCUS:
      // The application window never keeps the focus: it hands it to the main form when
      // that is showing, which brings the main form to the front.
      if (HWND focus = FocusWindow(); focus != self) {
        SetFocus(focus);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(self, msg, wParam, lParam);
}

}  // namespace ui
