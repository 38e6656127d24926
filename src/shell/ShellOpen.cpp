#include "shell/ShellOpen.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace shell {
namespace {

ShellOpenFunction& Replacement() {
  static ShellOpenFunction function;
  return function;
}

}  // namespace

void ShellOpen(const std::wstring& target) {
  if (const ShellOpenFunction& replacement = Replacement()) {
    replacement(target);
    return;
  }
  // Values up to 32 are the failure codes of the old 16-bit interface.
  const auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) throw EShellOpenError(ui::FormatMessageText(L"%s kann nicht geöffnet werden", target));
}

ui::ScopedReplacement<ShellOpenFunction> ReplaceShellOpenFunction(ShellOpenFunction function) {
  return {Replacement(), std::move(function)};
}

void OpenHelpFile() {
  const DWORD attributes = GetFileAttributesW(kHelpFileName);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  // Handed over as a full path: the viewer is a process of its own and need not start in our
  // working directory.
  const DWORD length = GetFullPathNameW(kHelpFileName, 0, nullptr, nullptr);
  std::wstring path(length, L'\0');
  const DWORD written = GetFullPathNameW(kHelpFileName, length, path.data(), nullptr);
  if (written == 0 || written >= length) ui::RaiseLastOSError(GetLastError());
  path.resize(written);
  ShellOpen(path);
}

}  // namespace shell
