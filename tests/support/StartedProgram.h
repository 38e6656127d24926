#pragma once
// The real VelmoClipboard.exe started by an end-to-end test. Whatever the test does, the
// process does not outlive the object: one that has not ended by itself is terminated.
#include <windows.h>

#include <string>

#include "support/TestSupport.h"

namespace testing_support {

// The program under test as Wine sees it (ctest passes its build path as the first extra argument).
std::wstring ProgramUnderTest();

class StartedProgram {
 public:
  // Starts the program in `folder` (the test's own working directory when empty).
  explicit StartedProgram(const std::wstring& folder = {}, const std::wstring& arguments = {});

  [[nodiscard]] bool Started() const noexcept { return process_.get() != nullptr; }
  [[nodiscard]] DWORD Id() const noexcept { return process_.Id(); }
  [[nodiscard]] HANDLE Handle() const noexcept { return process_.get(); }
  // The main window once the program waits for input in its message loop; null when it never
  // gets there. A window seen earlier may belong to a program still being built.
  HWND WaitUntilReady(DWORD timeoutMs = 20000);
  [[nodiscard]] HWND Window() const noexcept { return window_; }
  [[nodiscard]] bool Running() const { return process_.Wait(0) == STILL_ACTIVE; }
  void Post(UINT msg, WPARAM wParam, LPARAM lParam = 0) const { PostMessageW(window_, msg, wParam, lParam); }
  // The exit code, or STILL_ACTIVE when the program has not ended within the time.
  [[nodiscard]] DWORD Wait(DWORD timeoutMs) const { return process_.Wait(timeoutMs); }
  void Kill() const;

 private:
  ScopedProcess process_;
  HWND window_ = nullptr;
};

}  // namespace testing_support
