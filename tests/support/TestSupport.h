#pragma once
// What the Windows-side tests share: the application object every test program runs with,
// the errors its default handler would have shown, and message pumping with time limits so
// a missing notification fails a test instead of hanging it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Texts the default error handler would have shown since the last call to ClearShownErrors.
const std::vector<std::wstring>& ShownErrors();
void ClearShownErrors();

// Dispatches messages until `done` answers true or `timeoutMs` passes; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Dispatches messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// Puts one block of data on the clipboard, owned by `owner` (which may be null).
void SetClipboardBlock(HWND owner, UINT format, const void* data, std::size_t size);
// Puts Unicode text alone on the clipboard.
void SetClipboardUnicodeText(HWND owner, const std::wstring& text);
// Every format now on the clipboard, in the clipboard's order.
std::vector<UINT> ClipboardFormats();

// Command-line arguments left after GoogleTest took its own.
const std::vector<std::wstring>& ExtraArguments();

// Runs a command line as a child process and hands back its process handle.
HANDLE StartProcess(const std::wstring& commandLine);
// The path of this test program's folder, with a trailing backslash.
std::wstring ProgramFolder();

}  // namespace testing_support
