#pragma once
// Errors of the instance registry and its lock. The message is the failure's text, a line
// break and "Win32: <system text> (<code>)" for the system error that caused it.
#include <string>

#include "ui/Errors.h"

namespace shell {

class EJclWin32Error : public ui::Exception {
 public:
  EJclWin32Error(const std::wstring& text, unsigned long errorCode);
  [[nodiscard]] unsigned long ErrorCode() const noexcept { return errorCode_; }

 private:
  unsigned long errorCode_;
};

// A named file mapping could not be created (or not as the table it has to be).
class EJclFileMappingError : public EJclWin32Error {
 public:
  explicit EJclFileMappingError(unsigned long errorCode);
};
class EJclFileMappingViewError : public EJclWin32Error {
 public:
  explicit EJclFileMappingViewError(unsigned long errorCode);
};
class EJclEventError : public EJclWin32Error {
 public:
  explicit EJclEventError(unsigned long errorCode);
};
// The registry's lock could not be had in time.
class EJclLockError : public EJclWin32Error {
 public:
  explicit EJclLockError(unsigned long errorCode);
};

}  // namespace shell
