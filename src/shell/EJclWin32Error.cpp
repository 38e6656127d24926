#include "shell/EJclWin32Error.h"

#include <windows.h>

namespace shell {

std::wstring SystemErrorText(unsigned long errorCode) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length != 0 && buffer) text.assign(buffer, length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

EJclWin32Error::EJclWin32Error(const std::wstring& text, unsigned long errorCode)
    : ui::Exception(text + L"\r\nWin32: " + SystemErrorText(errorCode) + L" (" + std::to_wstring(errorCode) + L")"),
      errorCode_(errorCode) {}

EJclFileMappingError::EJclFileMappingError(unsigned long errorCode)
    : EJclWin32Error(L"Failed to create FileMapping", errorCode) {}

EJclFileMappingViewError::EJclFileMappingViewError(unsigned long errorCode)
    : EJclWin32Error(L"Failed to create FileMappingView", errorCode) {}

EJclEventError::EJclEventError(unsigned long errorCode) : EJclWin32Error(L"Failed to create event", errorCode) {}

EJclLockError::EJclLockError(unsigned long errorCode) : EJclWin32Error(L"Failed to acquire lock", errorCode) {}

}  // namespace shell
