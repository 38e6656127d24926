#include "shell/EJclWin32Error.h"

#include <windows.h>

namespace shell {

EJclWin32Error::EJclWin32Error(const std::wstring& text, unsigned long errorCode)
    : ui::Exception(text + L"\r\nWin32: " + ui::SystemErrorText(errorCode) + L" (" + std::to_wstring(errorCode) + L")"),
      errorCode_(errorCode) {}

EJclFileMappingError::EJclFileMappingError(unsigned long errorCode)
    : EJclWin32Error(L"Failed to create FileMapping", errorCode) {}

EJclFileMappingViewError::EJclFileMappingViewError(unsigned long errorCode)
    : EJclWin32Error(L"Failed to create FileMappingView", errorCode) {}

EJclEventError::EJclEventError(unsigned long errorCode) : EJclWin32Error(L"Failed to create event", errorCode) {}

EJclLockError::EJclLockError(unsigned long errorCode) : EJclWin32Error(L"Failed to acquire lock", errorCode) {}

}  // namespace shell
