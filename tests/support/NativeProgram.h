#pragma once
// Linux programs started from a Windows test. Wine runs them on its own X display (it passes
// DISPLAY on), so what they put on the X clipboard is what the program under test sees, and
// the other way round. Outside Wine there are none: tests skip.
#include <string>

namespace testing_support {

// The Unix path Wine maps a Windows path to; empty outside Wine.
[[nodiscard]] std::wstring UnixPath(const std::wstring& windowsPath);
// Whether a Linux program is installed at that Unix path.
[[nodiscard]] bool NativeProgramExists(const std::wstring& unixPath);
// Starts a Linux program with arguments (Unix paths as they are) through Wine's "start /unix",
// and answers whether start handed it over. It returns at once: whatever the program does
// happens while the test goes on, so the test waits for the effect it expects.
bool StartNativeProgram(const std::wstring& unixPath, const std::wstring& arguments);

}  // namespace testing_support
