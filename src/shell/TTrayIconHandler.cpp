#include "shell/TTrayIconHandler.h"

#include <limits>
#include <vector>

#include "shell/TCoolTrayIcon.h"
#include "shell/TrayRules.h"
#include "ui/Errors.h"

namespace shell {

std::uint32_t CommonControlsVersion() {
  const wchar_t* const file = L"comctl32.dll";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
  if (size == 0) return 0;
  std::vector<std::byte> block(size);
  if (!GetFileVersionInfoW(file, 0, size, block.data())) return 0;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO)) return 0;
  return static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileVersionMS;
}

UINT TaskbarCreatedMessage() {
  static const UINT message =
      SupportsTaskbarCreated(CommonControlsVersion()) ? RegisterWindowMessageW(L"TaskbarCreated") : 0;
  return message;
}

TTrayIconHandler::TTrayIconHandler()
    : window_(ui::AllocateHWnd(this, &ui::MessageThunk<TTrayIconHandler, &TTrayIconHandler::WndProc>,
                               L"TTrayIconHandler")) {
  if (!window_) ui::RaiseLastOSError(GetLastError());
}

TTrayIconHandler::~TTrayIconHandler() = default;

std::unique_ptr<TTrayIconHandler>& TTrayIconHandler::Instance() noexcept {
  // Process-wide: one window serves the icons of every window of the program. Left over at
  // the end of the run, it goes when the program's statics are destroyed.
  static std::unique_ptr<TTrayIconHandler> instance;
  return instance;
}

UINT TTrayIconHandler::Attach(TCoolTrayIcon& icon) {
  auto& instance = Instance();
  if (!instance) {
    (void)TaskbarCreatedMessage();  // registered before the first icon is shown
    instance.reset(new TTrayIconHandler());
  }
  const UINT id = instance->nextId_++;
  instance->icons_[id] = &icon;
  return id;
}

void TTrayIconHandler::Detach(UINT id) noexcept {
  auto& instance = Instance();
  if (!instance) return;
  instance->icons_.erase(id);
  if (instance->icons_.empty()) instance.reset();
}

HWND TTrayIconHandler::Window() noexcept {
  const auto& instance = Instance();
  return instance ? instance->window_.get() : nullptr;
}

TCoolTrayIcon* TTrayIconHandler::Find(WPARAM id) noexcept {
  const auto& instance = Instance();
  if (!instance || id > std::numeric_limits<UINT>::max()) return nullptr;
  const auto found = instance->icons_.find(static_cast<UINT>(id));
  return found == instance->icons_.end() ? nullptr : found->second;
}

std::size_t TTrayIconHandler::Count() noexcept {
  const auto& instance = Instance();
  return instance ? instance->icons_.size() : 0;
}

void TTrayIconHandler::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case kTrayCallbackMessage:
      message.Result = 0;
      // The icon's handlers may end the last icon and with it this handler: touch nothing
      // of it afterwards.
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
