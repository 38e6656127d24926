#pragma once
// The one hidden window of the process that receives the shell's mouse callbacks for every
// tray icon. The shell hands the icon's 32-bit uID back with each callback; an object address
// does not fit into it on 64-bit Windows, so the handler numbers its icons and finds each one
// by its number.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>

#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace shell {

class TCoolTrayIcon;

// The message the shell sends to the handler window for mouse input on an icon.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 0x400;

// File version of comctl32.dll as major * 65536 + minor; 0 when it cannot be read.
[[nodiscard]] std::uint32_t CommonControlsVersion();
// The registered "TaskbarCreated" message; 0 when the common controls are too old for the
// taskbar to announce a restart.
[[nodiscard]] UINT TaskbarCreatedMessage();

// The program's entry (and a test program's main) owns the one handler of the process, from
// before the first tray icon to after the last.
class TTrayIconHandler {
 public:
  // Creates the window and becomes the process's handler when there is none yet.
  TTrayIconHandler();
  ~TTrayIconHandler();
  TTrayIconHandler(const TTrayIconHandler&) = delete;
  TTrayIconHandler& operator=(const TTrayIconHandler&) = delete;

  // Takes `icon` in and answers the uID the shell will know it by.
  [[nodiscard]] static UINT Attach(TCoolTrayIcon& icon);
  // Lets the icon go.
  static void Detach(UINT id) noexcept;

  // The window the shell sends the callbacks to; null while there is no handler.
  [[nodiscard]] static HWND Window() noexcept;
  // The icon known under `id`, or null.
  [[nodiscard]] static TCoolTrayIcon* Find(WPARAM id) noexcept;
  // The number of live tray icons.
  [[nodiscard]] static std::size_t Count() noexcept;

 private:
  void WndProc(ui::TMessage& message);

  static TTrayIconHandler* current_;
  ui::UniqueWindow window_;
  std::map<UINT, TCoolTrayIcon*> icons_;
  UINT nextId_ = 1;
};

}  // namespace shell
