#pragma once
// The registry of running copies of one program file: a shared table of their process ids
// (see InstanceTable.h) under a cross-process lock, and a window message registered under a
// name made from the program file's path. Copies started from the same path, in any letter
// case, share one registry; a copy of the file elsewhere has its own.
//
// Everything that waits on another copy waits a few seconds at most, so a hung copy cannot
// hang the others; a copy that does not answer in time is treated as busy, not as gone.
// Creating the registry and every operation on the table raise EJclLockError when the lock
// cannot be had in time.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/InstanceTable.h"
#include "shell/TJclOptex.h"
#include "shell/TJclSwapFileMapping.h"

namespace shell {

// Thrown by TerminateSelf. The program's entry catches it and returns the exit code, so the
// stack unwinds through every owner on the way and the end-of-run clean-up still runs. It
// must not be raised inside a window procedure, which would stop it (as any exception) and
// report it as an error.
struct EndOfRun {
  int ExitCode = 0;
};

// Kinds of notice carried in wParam of the registry message.
enum RegistryNotice : WPARAM {
  kInstanceCreated = 1,
  kInstanceDestroyed = 2,
  kUserNotify = 3,
  kActivityQuery = 4,
  kActivityAnswer = 5,
};

// dwData of WM_COPYDATA that carries a command line.
inline constexpr ULONG_PTR kCommandLineData = 1;

// How long a message to another copy may take before that copy counts as not answering,
// and how it is sent (without waiting at all for a thread the system already sees as hung).
inline constexpr UINT kCrossProcessTimeoutMs = 3000;
inline constexpr UINT kCrossProcessSendFlags = SMTO_NORMAL | SMTO_ABORTIFHUNG;
// How long a notice is offered to a thread whose queue refuses it.
inline constexpr DWORD kNoticeRetryLimitMs = 1000;

class TJclAppInstances {
 public:
  // The registry of this program file (the running module).
  TJclAppInstances();
  // The registry that copies started from `programPath` share.
  explicit TJclAppInstances(const std::wstring& programPath);
  // Leaves the table, then closes the table and the lock. When the lock cannot be had, the
  // entry stays where it is.
  ~TJclAppInstances();
  TJclAppInstances(const TJclAppInstances&) = delete;
  TJclAppInstances& operator=(const TJclAppInstances&) = delete;

  // "JCL" + the path in upper case, backslashes turned into underscores: the stem of the
  // names of the shared objects.
  static std::wstring BaseNameFor(const std::wstring& programPath);

  [[nodiscard]] const std::wstring& BaseName() const noexcept { return baseName_; }
  [[nodiscard]] UINT MessageId() const noexcept { return messageId_; }
  [[nodiscard]] DWORD ProcessId() const noexcept { return processId_; }

  // Drops the entries of copies that are gone, then adds this process as the youngest entry
  // and, when the table was below its limit, notifies every copy. A table full of running
  // copies takes no further entry and answers false.
  bool JoinRegistry(std::uint16_t limit);
  // Removes this process's first entry and notifies every copy still in the table.
  void LeaveRegistry();
  std::size_t CountInstances();
  DWORD ProcessIdAt(std::size_t index);
  std::optional<std::size_t> IndexOf(DWORD processId);
  // The table's process ids, oldest first, without those of processes that are not running:
  // an entry stays when its copy is killed while others keep the table open.
  std::vector<DWORD> RunningInstances();
  static bool ProcessIsRunning(DWORD processId);

  // The "TApplication" window of that process, or null.
  static HWND ApplicationWindowOf(DWORD processId);
  HWND ApplicationWindowAt(std::size_t index);

  // Posts the registry message to the GUI thread of every copy and sends it to each of that
  // thread's top-level windows without waiting.
  void BroadcastNotice(WPARAM kind, LPARAM value);
  // Restores the application window of the copy at `index` and brings it to the front.
  bool ActivateInstance(std::size_t index);
  static bool PushToForeground(HWND window);

  // Sends the arguments of `commandLine` (by default this process's), each followed by CR LF,
  // as WM_COPYDATA of kind 1 to every window of `className` in a copy of the table.
  bool SendCommandLine(const wchar_t* className, HWND originator);
  bool SendCommandLine(const wchar_t* className, HWND originator, const std::wstring& commandLine);
  bool SendCopyData(const wchar_t* className, ULONG_PTR kind, const void* data, std::size_t size, HWND originator);

  // Ends the run with exit code 0 through the normal end of the program; see EndOfRun.
  [[noreturn]] static void TerminateSelf();

 private:
  instance_table::Block Table() const noexcept;

  DWORD processId_;
  std::wstring baseName_;
  TJclOptex optex_;
  std::optional<TJclSwapFileMapping> mapping_;
  std::optional<TJclFileMappingView> view_;
  UINT messageId_ = 0;
};

// The top-level windows of the desktop, or of one thread, in the system's order.
std::vector<HWND> TopLevelWindows();
std::vector<HWND> ThreadWindows(DWORD thread);

// Where the process keeps its registry. The run's objects (app/RunObjects.h) own one, so the
// registry is left at a point of their choosing, first in the clean-up, rather than whenever
// the statics of the run happen to go.
class InstanceRegistryOwner {
 public:
  InstanceRegistryOwner() noexcept = default;
  ~InstanceRegistryOwner() = default;
  InstanceRegistryOwner(const InstanceRegistryOwner&) = delete;
  InstanceRegistryOwner& operator=(const InstanceRegistryOwner&) = delete;

  // The process's registry, created on the first call.
  [[nodiscard]] TJclAppInstances& Registry();
  // Leaves the table and closes the registry now.
  void Reset() noexcept { registry_.reset(); }
  // Answers true once, to the first guard of the process: only that one enters the process
  // in the registry.
  [[nodiscard]] bool TakeFirstJoin() noexcept { return std::exchange(firstJoin_, false); }

 private:
  std::unique_ptr<TJclAppInstances> registry_;
  bool firstJoin_ = true;
};

// Offers a notice with `post` (which answers 0 or the system error) until it goes through,
// the receiving thread is gone (ERROR_INVALID_THREAD_ID) or `limitMs` have passed. Answers
// whether it went through.
bool PostWithRetry(const std::function<DWORD()>& post, DWORD limitMs);

}  // namespace shell
