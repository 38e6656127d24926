#include "shell/TJclOptex.h"

#include "shell/EJclWin32Error.h"

namespace shell {
namespace {

DWORD ProcessorCount() noexcept {
  static const DWORD count = [] {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
  }();
  return count;
}

// How long a waiter that found the lock handed to it just as it gave up waits for the signal.
constexpr DWORD kHandOverGraceMs = 1000;

LONG CurrentThread() noexcept { return static_cast<LONG>(GetCurrentThreadId()); }

}  // namespace

TJclOptex::TJclOptex(const std::wstring& name, int spinCount)
    : name_(name),
      event_(false, false, L"Optex_Event_" + name),
      mapping_(L"Optex_MMF_" + name, PAGE_READWRITE, sizeof(LockBlock)),
      view_(mapping_, FILE_MAP_WRITE, sizeof(LockBlock)),
      block_(static_cast<LockBlock*>(view_.Memory())) {
  if (spinCount < 0) spinCount = kDefaultSpinCount;
  // Spinning only pays when the holder can run on another processor meanwhile.
  if (ProcessorCount() > 1) InterlockedExchange(&block_->SpinCount, spinCount);
}

bool TJclOptex::TryAcquire() noexcept {
  const LONG thread = CurrentThread();
  LONG attempts = block_->SpinCount;
  do {
    if (InterlockedCompareExchange(&block_->LockCount, 1, 0) == 0) {
      block_->OwnerThread = thread;
      block_->RecursionCount = 1;
      return true;
    }
    if (block_->OwnerThread == thread) {
      InterlockedIncrement(&block_->LockCount);
      block_->RecursionCount = block_->RecursionCount + 1;
      return true;
    }
    YieldProcessor();
  } while (--attempts > 0);
  return false;
}

void TJclOptex::Acquire() {
  if (TryAcquire()) return;
  const LONG thread = CurrentThread();
  if (InterlockedIncrement(&block_->LockCount) == 1) {
    block_->OwnerThread = thread;
    block_->RecursionCount = 1;
    return;
  }
  if (block_->OwnerThread == thread) {
    block_->RecursionCount = block_->RecursionCount + 1;
    return;
  }
  if (!WaitForHandOver()) throw EJclLockError(WAIT_TIMEOUT);
  block_->OwnerThread = thread;
  block_->RecursionCount = 1;
}

bool TJclOptex::WaitForHandOver() noexcept {
  if (event_.WaitFor(kAcquireTimeoutMs) == WAIT_OBJECT_0) return true;
  // Count out again, but only while someone else is still counted in. A count of just this
  // thread means the holder let go after the wait ended and its SetEvent, meant for this
  // thread, is under way; taking the count back then would leave that signal to let the next
  // waiter in beside whoever takes the free lock.
  for (LONG count = block_->LockCount; count > 1;) {
    const LONG seen = InterlockedCompareExchange(&block_->LockCount, count - 1, count);
    if (seen == count) return false;
    count = seen;
  }
  if (event_.WaitFor(kHandOverGraceMs) == WAIT_OBJECT_0) return true;
  InterlockedDecrement(&block_->LockCount);  // the holder died between letting go and signalling
  return false;
}

void TJclOptex::Release() noexcept {
  block_->RecursionCount = block_->RecursionCount - 1;
  if (block_->RecursionCount > 0) {
    InterlockedDecrement(&block_->LockCount);
    return;
  }
  block_->OwnerThread = 0;
  // Someone counted in while we held it: exactly one waiter goes through.
  if (InterlockedDecrement(&block_->LockCount) > 0) event_.SetEvent();
}

}  // namespace shell
