#include "support/StartedProgram.h"

namespace testing_support {

std::wstring ProgramUnderTest() { return WinePath(ExtraArguments().at(0)); }

StartedProgram::StartedProgram(const std::wstring& folder, const std::wstring& arguments)
    : process_(
          StartProcess(L"\"" + ProgramUnderTest() + L"\"" + (arguments.empty() ? L"" : L" " + arguments), folder)) {}

HWND StartedProgram::WaitUntilReady(DWORD timeoutMs) {
  if (!Started()) return nullptr;
  window_ = WaitForProcessWindow(Id(), L"TForm1", timeoutMs);
  if (window_ && WaitForInputIdle(process_.get(), timeoutMs) != 0) window_ = nullptr;
  return window_;
}

void StartedProgram::Kill() const {
  TerminateProcess(process_.get(), 1);
  (void)process_.Wait(10000);
}

}  // namespace testing_support
