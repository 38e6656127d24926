#include "shell/TCoolTrayIcon.h"

#include <cstddef>
#include <span>

#include "shell/TTrayIconHandler.h"
#include "shell/TrayRules.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/PopupMenu.h"

namespace shell {
namespace {

// Shift, Alt and Ctrl as held right now.
TShiftState KeyShiftState() {
  const auto down = [](int key) { return (static_cast<unsigned short>(GetAsyncKeyState(key)) & 0x8000u) != 0; };
  TShiftState state = 0;
  if (down(VK_SHIFT)) state |= kShiftKey;
  if (down(VK_MENU)) state |= kAltKey;
  if (down(VK_CONTROL)) state |= kCtrlKey;
  return state;
}

// Shows the taskbar button's window no more: the application window.
void HideTaskbarButton(const ui::TApplication& application) {
  if (IsWindowVisible(application.Handle())) ShowWindow(application.Handle(), SW_HIDE);
}

}  // namespace

TCoolTrayIcon::HandlerLink::HandlerLink(TTrayIconHandler& handler, TCoolTrayIcon& icon)
    : handler_(handler), id_(handler.Attach(icon)) {}

TCoolTrayIcon::HandlerLink::~HandlerLink() { handler_.Detach(id_); }

TCoolTrayIcon::OwnerFormLink::OwnerFormLink(TCoolTrayIcon& icon, ui::TForm* form) {
  if (!form || form->OnShow) return;
  form->OnShow = [&icon] { icon.OwnerWindowHook(); };
  form_ = form;
}

TCoolTrayIcon::OwnerFormLink::~OwnerFormLink() {
  if (form_) form_->OnShow = nullptr;
}

TCoolTrayIcon::ApplicationLink::ApplicationLink(ui::TApplication& application, TCoolTrayIcon& icon)
    : application_(application) {
  id_ = application_.AddHook([&icon](UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    icon.ApplicationHook(msg, wParam);
    return false;  // the application handles every message as usual
  });
}

TCoolTrayIcon::ApplicationLink::~ApplicationLink() { application_.RemoveHook(id_); }

TCoolTrayIcon::TCoolTrayIcon(ui::TComponent* owner, ui::TApplication& application, TTrayIconHandler& handler,
                             std::wstring name)
    : ui::TComponent(owner, std::move(name)),
      handler_(handler, *this),
      ownerForm_(*this, OwnerForm()),
      application_(application, *this) {
  AttachIconChange();
  data_.cbSize = static_cast<DWORD>(offsetof(NOTIFYICONDATAW, guidItem));  // the Windows 2000 layout
  data_.hWnd = handler.Window();
  data_.uID = handler_.Id();
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayCallbackMessage;
}

TCoolTrayIcon::~TCoolTrayIcon() {
  icon_.OnChange = nullptr;
  RemoveTrayIcon();
}

void TCoolTrayIcon::AttachIconChange() {
  icon_.OnChange = [this] { UpdateTrayIcon(); };
}

void TCoolTrayIcon::SetIcon(const ui::TIcon& icon) {
  icon_.OnChange = nullptr;  // one shell update for the whole copy
  try {
    icon_.Assign(icon);
  } catch (...) {
    AttachIconChange();
    throw;
  }
  AttachIconChange();
  UpdateTrayIcon();
}

void TCoolTrayIcon::SetIconVisible(bool value) {
  if (value) {
    AddTrayIcon();
  } else {
    RemoveTrayIcon();
  }
}

void TCoolTrayIcon::SetHint(const std::wstring& value) {
  hint_ = value;
  UpdateTrayIcon();
}

void TCoolTrayIcon::SetShowHint(bool value) {
  showHint_ = value;
  UpdateTrayIcon();
}

void TCoolTrayIcon::SetIconIndex(int value) {
  (void)value;  // without an icon list every index means the one icon
  UpdateTrayIcon();
}

bool TCoolTrayIcon::AddTrayIcon() {
  iconVisible_ = true;
  return Notify(NIM_ADD);
}

bool TCoolTrayIcon::RemoveTrayIcon() {
  iconVisible_ = false;
  return Notify(NIM_DELETE);
}

bool TCoolTrayIcon::UpdateTrayIcon() { return Notify(NIM_MODIFY); }

void TCoolTrayIcon::FillNotifyData() {
  data_.hIcon = icon_.Handle();
  FillTip(std::span<wchar_t, kTipCapacity>(data_.szTip), hint_, showHint_);
}

bool TCoolTrayIcon::Notify(DWORD message) {
  FillNotifyData();
  return CallShell(message);
}

bool TCoolTrayIcon::CallShell(DWORD message) {
  // The answer is the caller's to look at; a refused call changes nothing here.
  return handler_.Handler().CallShell(message, data_);
}

void TCoolTrayIcon::Loaded() {
  ui::TComponent::Loaded();
  UpdateTrayIcon();
  SetIconVisible(iconVisible_);
  // The classic callback set: the shell sends the plain mouse message with the uID.
  data_.uVersion = 0;
  CallShell(NIM_SETVERSION);
}

void TCoolTrayIcon::Notification(ui::TComponent* component) {
  ui::TComponent::Notification(component);
  if (component == popupMenu_) popupMenu_ = nullptr;
}

ui::TForm* TCoolTrayIcon::OwnerForm() const noexcept { return dynamic_cast<ui::TForm*>(Owner()); }

void TCoolTrayIcon::Click() {
  if (OnClick) OnClick(*this);
}

void TCoolTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

void TCoolTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TCoolTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TCoolTrayIcon::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TCoolTrayIcon::FireBalloonEvent(const NotifyEvent& event) {
  if (event) event(*this);
}

void TCoolTrayIcon::HandleTrayMessage(LPARAM what) {
  // In the classic callback set lParam is the mouse message itself.
  const UINT event = what >= 0 && what <= 0xFFFF ? static_cast<UINT>(what) : 0;
  switch (event) {
    case NIN_BALLOONSHOW:
      FireBalloonEvent(OnBalloonHintShow);
      return;
    case NIN_BALLOONHIDE:
      FireBalloonEvent(OnBalloonHintHide);
      return;
    case NIN_BALLOONTIMEOUT:
      FireBalloonEvent(OnBalloonHintTimeout);
      return;
    case NIN_BALLOONUSERCLICK:
      FireBalloonEvent(OnBalloonHintClick);
      return;
    default:
      break;
  }
  if (!enabled_) return;
  POINT at{};
  GetCursorPos(&at);
  const TShiftState keys = KeyShiftState();
  switch (event) {
    case WM_MOUSEMOVE:
      MouseMove(keys, at.x, at.y);
      break;
    case WM_LBUTTONDOWN:
      MouseDown(TMouseButton::Left, keys | kLeftButton, at.x, at.y);
      clickStarted_ = true;
      if (leftPopup_) ShowTrayMenu();
      break;
    case WM_LBUTTONUP:
      if (clickStarted_) {
        clickStarted_ = false;
        Click();
      }
      MouseUp(TMouseButton::Left, keys | kLeftButton, at.x, at.y);
      break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      break;
    case WM_RBUTTONDOWN:
      MouseDown(TMouseButton::Right, keys | kRightButton, at.x, at.y);
      ShowTrayMenu();
      break;
    case WM_RBUTTONUP:
      MouseUp(TMouseButton::Right, keys | kRightButton, at.x, at.y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(TMouseButton::Middle, keys | kMiddleButton, at.x, at.y);
      break;
    case WM_MBUTTONUP:
      MouseUp(TMouseButton::Middle, keys | kMiddleButton, at.x, at.y);
      break;
    default:  // WM_CONTEXTMENU, NIN_SELECT, NIN_KEYSELECT belong to the newer callback sets
      break;
  }
}

void TCoolTrayIcon::ShowTrayMenu() {
  if (!popupMenu_ || !popupMenu_->AutoPopup) return;
  POINT at{};
  if (!GetCursorPos(&at)) return;
  // The menu only closes on a click elsewhere when the program is in the foreground. Straight
  // to the window the application window would hand the focus on to: under Wine each step of
  // that detour comes back from the X server as focus events, often once the menu is open,
  // and the stale one for the application window takes the focus from the menu and closes it.
  ui::TApplication& application = application_.Application();
  SetForegroundWindow(application.FocusWindow());
  application.ProcessMessages();
  if (!popupMenu_) return;  // a message just handled destroyed the menu
  popupMenu_->Popup(at.x, at.y);
  // Without a message after the menu, it may fail to open again the next time.
  if (ui::TForm* owner = OwnerForm()) PostMessageW(owner->Handle(), WM_NULL, 0, 0);
}

void TCoolTrayIcon::HideMainWindow() {
  ui::TApplication& application = application_.Application();
  if (!OwnerForm() || !application.MainForm()) return;
  application.MainForm()->Hide();
  HideTaskbarButton(application);
}

void TCoolTrayIcon::ShowMainWindow() {
  ui::TApplication& application = application_.Application();
  if (!OwnerForm() || !application.MainForm()) return;
  ui::TForm& mainForm = *application.MainForm();
  if (IsIconic(application.Handle())) application.Restore();
  if (IsIconic(mainForm.Handle())) ShowWindow(mainForm.Handle(), SW_RESTORE);
  mainForm.Show();
  // The application window hands the focus on to the main window, so the main window comes
  // to the front also when it was showing already.
  SetForegroundWindow(application.Handle());
}

void TCoolTrayIcon::HideToTray() {
  HideMainWindow();
  AddTrayIcon();
}

void TCoolTrayIcon::ApplicationHook(UINT msg, WPARAM wParam) {
  if (msg == WM_SIZE && wParam == SIZE_MINIMIZED && minimizeToTray_) HideToTray();
  if (msg == WM_SYSCOMMAND && wParam == SC_RESTORE) {
    if (ui::TForm* mainForm = application_.Application().MainForm()) mainForm->Show();
  }
  const UINT taskbarCreated = TaskbarCreatedMessage();
  if (taskbarCreated != 0 && msg == taskbarCreated && iconVisible_) AddTrayIcon();
}

void TCoolTrayIcon::OwnerWindowHook() {
  // Shown by a direct call (not with its owner): bring it to the front with the application.
  SetForegroundWindow(application_.Application().Handle());
  if (ui::TForm* owner = OwnerForm()) SetForegroundWindow(owner->Handle());
}

}  // namespace shell
