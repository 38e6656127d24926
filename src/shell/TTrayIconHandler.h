#pragma once
// The one hidden window of the process that receives the shell's mouse callbacks for every
// tray icon. The shell hands the icon's 32-bit uID back with each callback; an object address
// does not fit into it on 64-bit Windows, so the handler numbers its icons and finds each one
// by its number.
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "ui/Handle.h"
#include "ui/MessageWindow.h"
#include "ui/ScopedReplacement.h"

namespace shell {

class TCoolTrayIcon;

// The message the shell sends to the handler window for mouse input on an icon.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 0x400;

// File version of comctl32.dll as major * 65536 + minor; 0 when it cannot be read.
[[nodiscard]] std::uint32_t CommonControlsVersion();
// The registered "TaskbarCreated" message; 0 when the common controls are too old for the
// taskbar to announce a restart.
[[nodiscard]] UINT TaskbarCreatedMessage();

// One handler serves the process from before its first tray icon to after its last; the
// run's objects (app/RunObjects.h) own it and hand it to each icon.
class TTrayIconHandler {
 public:
  // Stands in for Shell_NotifyIconW, so tests can see every call with its record.
  using ShellFunction = std::function<bool(DWORD message, const NOTIFYICONDATAW& data)>;

  TTrayIconHandler();
  ~TTrayIconHandler();
  TTrayIconHandler(const TTrayIconHandler&) = delete;
  TTrayIconHandler& operator=(const TTrayIconHandler&) = delete;

  // Takes `icon` in and answers the uID the shell will know it by.
  [[nodiscard]] UINT Attach(TCoolTrayIcon& icon);
  // Lets the icon go.
  void Detach(UINT id) noexcept;

  // The window the shell sends the callbacks to.
  [[nodiscard]] HWND Window() const noexcept { return window_.get(); }
  // The icon known under `id`, or null.
  [[nodiscard]] TCoolTrayIcon* Find(WPARAM id) const noexcept;
  // The number of live tray icons.
  [[nodiscard]] std::size_t Count() const noexcept { return icons_.size(); }

  // Shell_NotifyIconW for every icon of this handler; the answer is the caller's to look at.
  bool CallShell(DWORD message, NOTIFYICONDATAW& data) const;
  // The icons' shell calls go to `function` instead while the answer lives.
  [[nodiscard]] ui::ScopedReplacement<ShellFunction> ReplaceShellFunction(ShellFunction function) {
    return {shellFunction_, std::move(function)};
  }

 private:
  void WndProc(ui::TMessage& message);

  ui::UniqueWindow window_;
  std::map<UINT, TCoolTrayIcon*> icons_;
  UINT nextId_ = 1;
  ShellFunction shellFunction_;
};

}  // namespace shell
