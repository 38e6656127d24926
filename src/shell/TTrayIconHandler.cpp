#include "shell/TTrayIconHandler.h"

#include <limits>
#include <vector>

#include "shell/TCoolTrayIcon.h"
#include "shell/TrayRules.h"
#include "ui/Errors.h"
#include "ui/Module.h"

namespace shell {

std::uint32_t CommonControlsVersion() { return ui::FileVersion(L"comctl32.dll"); }

UINT TaskbarCreatedMessage() {
  static const UINT message =
      SupportsTaskbarCreated(CommonControlsVersion()) ? RegisterWindowMessageW(L"TaskbarCreated") : 0;
  return message;
}

TTrayIconHandler::TTrayIconHandler()
    : window_(ui::AllocateHWnd(this, &ui::MessageThunk<TTrayIconHandler, &TTrayIconHandler::WndProc>,
                               L"TTrayIconHandler")) {
  if (!window_) ui::RaiseLastOSError(GetLastError());
  (void)TaskbarCreatedMessage();  // registered before the first icon is shown
}

TTrayIconHandler::~TTrayIconHandler() = default;

UINT TTrayIconHandler::Attach(TCoolTrayIcon& icon) {
  const UINT id = nextId_++;
  icons_[id] = &icon;
  return id;
}

void TTrayIconHandler::Detach(UINT id) noexcept { icons_.erase(id); }

TCoolTrayIcon* TTrayIconHandler::Find(WPARAM id) const noexcept {
  if (id > std::numeric_limits<UINT>::max()) return nullptr;
  const auto found = icons_.find(static_cast<UINT>(id));
  return found == icons_.end() ? nullptr : found->second;
}

bool TTrayIconHandler::CallShell(DWORD message, NOTIFYICONDATAW& data) const {
  if (shellFunction_) return shellFunction_(message, data);
  return Shell_NotifyIconW(message, &data) != FALSE;
}

void TTrayIconHandler::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case kTrayCallbackMessage:
      message.Result = 0;
      // The icon's handlers may end the icon: touch nothing of it afterwards.
      if (TCoolTrayIcon* icon = Find(message.WParam)) icon->HandleTrayMessage(message.LParam);
      break;
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      // Nobody but the handler itself closes this window.
      message.Result = 1;
      break;
    default:
      message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
      break;
  }
}

}  // namespace shell
