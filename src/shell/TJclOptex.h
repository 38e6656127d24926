#pragma once
// A lock shared by processes under a name, recursive for the thread that holds it. It spins
// briefly on a counter in shared memory before it sleeps on a named event, so an uncontended
// acquisition costs no kernel call.
#include <windows.h>

#include <string>

#include "shell/TJclEvent.h"
#include "shell/TJclSwapFileMapping.h"

namespace shell {

class TJclOptex {
 public:
  static constexpr int kDefaultSpinCount = 4000;
  // How long Acquire waits for a lock held by someone else. Its holder may be a copy that
  // died holding it; nothing would ever let the lock go then.
  static constexpr DWORD kAcquireTimeoutMs = 5000;

  // Opens or creates the lock's event ("Optex_Event_" + name) and its 16-byte block
  // ("Optex_MMF_" + name). Raises EJclEventError, EJclFileMappingError or
  // EJclFileMappingViewError when one of them cannot be had; no lock object exists then.
  explicit TJclOptex(const std::wstring& name, int spinCount = kDefaultSpinCount);

  [[nodiscard]] const std::wstring& Name() const noexcept { return name_; }
  // Whether another process had created the lock's event before.
  [[nodiscard]] bool Existed() const noexcept { return event_.Existed(); }

  // Takes the lock if it is free or already this thread's; never waits.
  bool TryAcquire() noexcept;
  // Takes the lock, waiting while another thread holds it; raises EJclLockError when that
  // lasts longer than kAcquireTimeoutMs. This thread is then no longer counted in.
  void Acquire();
  // Gives up one acquisition; the last one lets one waiting thread in.
  void Release() noexcept;

 private:
  // The layout every process sees in the shared block.
  struct LockBlock {
    volatile LONG SpinCount;
    volatile LONG LockCount;  // holders and waiters, changed only atomically
    volatile LONG OwnerThread;
    volatile LONG RecursionCount;
  };
  static_assert(sizeof(LockBlock) == 16);

  // Waits for the holder to hand the lock over; false when this thread gave up and counted
  // itself out again.
  bool WaitForHandOver() noexcept;

  std::wstring name_;
  TJclEvent event_;
  TJclSwapFileMapping mapping_;
  TJclFileMappingView view_;
  LockBlock* block_;
};

// Holds a TJclOptex for the lifetime of the object.
class OptexLock {
 public:
  // Raises EJclLockError when the lock cannot be had in time.
  explicit OptexLock(TJclOptex& optex) : optex_(optex) { optex_.Acquire(); }
  ~OptexLock() { optex_.Release(); }
  OptexLock(const OptexLock&) = delete;
  OptexLock& operator=(const OptexLock&) = delete;

 private:
  TJclOptex& optex_;
};

}  // namespace shell
