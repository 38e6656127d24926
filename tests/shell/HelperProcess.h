#pragma once
// Other processes for the registry and lock tests: this test program started again with
// "--shell-helper <mode> ...", which runs the mode instead of the tests. Started from the
// same file, a helper shares this program's instance registry, as a second copy would.
#include <windows.h>

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

// A name no other test or test run uses.
std::wstring UniqueName(const std::wstring& stem);

}  // namespace shell_test
