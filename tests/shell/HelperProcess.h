#pragma once
// Other processes for the registry and lock tests: this test program started again with
// "--shell-helper <mode> ...", which runs the mode instead of the tests. Started from the
// same file, a helper shares this program's instance registry, as a second copy would.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "ui/Handle.h"

namespace shell_test {

// How a helper copy treats the activity query of a starting copy.
enum class CopyBehaviour { Active, Inactive, Hung };

// A helper that joins the registry with a guard of its own and then runs until the test
// ends it: answering as an active or inactive copy, or hung (not taking any messages).
class HelperCopy {
 public:
  explicit HelperCopy(CopyBehaviour behaviour);
  ~HelperCopy();
  HelperCopy(const HelperCopy&) = delete;
  HelperCopy& operator=(const HelperCopy&) = delete;

  // Whether it has joined and is ready.
  [[nodiscard]] bool Ready() const noexcept { return ready_; }
  [[nodiscard]] DWORD Id() const;

 private:
  ui::UniqueKernelHandle readyEvent_;
  ui::UniqueKernelHandle quitEvent_;
  ui::UniqueKernelHandle process_;
  bool ready_ = false;
};

// Starts a helper that takes the lock `lockName` `rounds` times, each time adding one to the
// 32-bit counter in the shared memory `counterName` by a plain read and write.
ui::UniqueKernelHandle StartLockHammer(const std::wstring& lockName, const std::wstring& counterName, int rounds);

// A process of this test program that has ended already; the handle keeps its id from being
// given to another process.
ui::UniqueKernelHandle StartEndedProcess();

// The 16-byte block of the lock `lockName` as a copy that died holding it leaves it: counted
// in once, owned by thread 0x4242, which does not exist. The block is created if no one has
// it yet and then lasts as long as this object.
class DeadOwnerLock {
 public:
  explicit DeadOwnerLock(const std::wstring& lockName);
  [[nodiscard]] LONG LockCount() const;
  [[nodiscard]] LONG OwnerThread() const;

 private:
  ui::UniqueKernelHandle mapping_;
  ui::UniqueMappedView view_;
};

// What `attempt`, run on a thread of its own as a start stuck behind the lock `lockName`
// would be, came to.
struct LockWait {
  bool cameBack = false;  // within the limit
  ULONGLONG tookMs = 0;
  std::optional<std::wstring> lockError;  // the message of the lock error it raised
};
// A thread still waiting after `limitMs` is let go through the lock's event, so that the test
// fails instead of hanging. Any error but the lock error fails the test.
LockWait RunAgainstLock(const std::wstring& lockName, const std::function<void()>& attempt, DWORD limitMs);

// A name no other test or test run uses.
std::wstring UniqueName(const std::wstring& stem);

}  // namespace shell_test
