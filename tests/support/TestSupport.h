#pragma once
// What the Windows-side tests share: the application object every test program runs with,
// the errors its default handler would have shown, and message pumping with time limits so
// a missing notification fails a test instead of hanging it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Handle.h"

namespace app {
class RunObjects;
}
namespace clipboard {
class TClipboard;
}

namespace testing_support {

// The run's objects, built by the test program's main as the program's entry builds them.
// GoogleTest hands fixtures nothing, so they find them here.
app::RunObjects& Run();
// Its clipboard object.
clipboard::TClipboard& Clipboard();

// Texts the default error handler would have shown since the last call to ClearShownErrors.
const std::vector<std::wstring>& ShownErrors();
void ClearShownErrors();
// Runs `action` while the next error is being shown, as the modal loop of a real error box
// would let other messages in.
void WhileNextErrorShows(std::function<void()> action);

// Dispatches messages until `done` answers true or `timeoutMs` passes; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Dispatches messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// Fills the clipboard as another program copies: opened with a hidden window of its own, emptied,
// and closed at scope end. Windows refuses SetClipboardData after OpenClipboard(nullptr), so
// the window is needed to own the data. An open or a put the system refuses fails the test,
// so a test that expects no reaction cannot pass because nothing was copied. The monitor's
// report of the change, which comes from the message loop, has run when the scope ends.
class ClipboardFill {
 public:
  ClipboardFill();
  ~ClipboardFill();
  ClipboardFill(const ClipboardFill&) = delete;
  ClipboardFill& operator=(const ClipboardFill&) = delete;

  // A copy of the bytes, in a block of global memory the clipboard takes over.
  void PutBlock(UINT format, const void* data, std::size_t size);
  // A bitmap, metafile or other object the clipboard takes over; freed when refused.
  template <typename Traits>
  void Put(UINT format, ui::UniqueHandle<Traits> data) {
    if (Hand(format, static_cast<HANDLE>(data.get()))) static_cast<void>(data.release());
  }

 private:
  bool Hand(UINT format, HANDLE data);

  ui::UniqueWindow window_;
  bool open_ = false;
};
// Puts Unicode text alone on the clipboard.
void SetClipboardUnicodeText(const std::wstring& text);
// Opens the clipboard, waiting up to a second while another program holds it.
bool OpenClipboardPatiently(HWND owner);
// Every format now on the clipboard, in the clipboard's order.
std::vector<UINT> ClipboardFormats();

// Command-line arguments left after GoogleTest took its own.
const std::vector<std::wstring>& ExtraArguments();

// A child process that is ended (if still running) and waited for when the object goes.
class ScopedProcess {
 public:
  explicit ScopedProcess(HANDLE process) noexcept : process_(process) {}
  ~ScopedProcess();
  ScopedProcess(ScopedProcess&& other) noexcept : process_(other.process_) { other.process_ = nullptr; }
  ScopedProcess(const ScopedProcess&) = delete;
  ScopedProcess& operator=(const ScopedProcess&) = delete;
  ScopedProcess& operator=(ScopedProcess&&) = delete;
  [[nodiscard]] HANDLE get() const noexcept { return process_; }
  // Hands the handle over; the process is then no longer ended by this object.
  [[nodiscard]] HANDLE release() noexcept {
    HANDLE process = process_;
    process_ = nullptr;
    return process;
  }
  [[nodiscard]] DWORD Id() const noexcept { return process_ ? GetProcessId(process_) : 0; }
  // The exit code, or STILL_ACTIVE when the process has not ended within the time.
  [[nodiscard]] DWORD Wait(DWORD timeoutMs) const;

 private:
  HANDLE process_;
};

// Another process that holds the clipboard open for `ms` milliseconds; returns once it holds it.
// Opened without a window, it cannot be told who it is; opened `withWindow`, the system names
// that window as the clipboard's holder.
ScopedProcess HoldClipboardInOtherProcess(DWORD ms, bool withWindow = false);

// Another program's viewer that joins the clipboard chain, passes notices on for a moment and
// ends without leaving the chain, as crashing programs do; returns once it has ended.
bool RunCarelessViewer();

// Runs a command line as a child process, in `workingDirectory` when one is given.
ScopedProcess StartProcess(const std::wstring& commandLine, const std::wstring& workingDirectory = {});
// The top-level windows of a process, of one class or (with an empty name) of any class.
std::vector<HWND> ProcessWindows(DWORD processId, const std::wstring& className = {});
// Waits for a top-level window of that class in that process; null when none came in time.
HWND WaitForProcessWindow(DWORD processId, const std::wstring& className, DWORD timeoutMs = 10000);

// A Unix path as Wine sees it (Z: drive); a Windows path is returned as it is.
std::wstring WinePath(const std::wstring& path);
// The path of this test program's folder, with a trailing backslash.
std::wstring ProgramFolder();

}  // namespace testing_support
