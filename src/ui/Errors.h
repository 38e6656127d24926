#pragma once
// The program's error classes. Each carries its message text; the application's default
// error handler shows it. The German texts are the program's own and are not translated.
#include <exception>
#include <string>

namespace ui {

class Exception : public std::exception {
 public:
  explicit Exception(std::wstring message) : message_(std::move(message)) {}
  [[nodiscard]] const std::wstring& Message() const noexcept { return message_; }
  [[nodiscard]] const char* what() const noexcept override { return "Velmo Clipboard error"; }

 private:
  std::wstring message_;
};

// Picture content that cannot be loaded from the clipboard.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};
// A stream (file or memory) could not be created, written or expanded.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// The system could not give a GDI object, device context or section.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

// Replaces the first %s or %d in a message pattern by an argument.
std::wstring FormatMessageText(const std::wstring& pattern, const std::wstring& argument);

// The text the default error handler shows: the message with "." added when its last
// character sorts after ".", so a message that already ends in "." gets none.
std::wstring DisplayText(const std::wstring& message);

// The system's text for an error code (or HRESULT), without its line break; empty when the
// system has none.
std::wstring SystemErrorText(unsigned long errorCode);

// EOutOfResources with the system's text for an error code ("Systemressourcen erschöpft."
// when there is no code or no text).
[[noreturn]] void RaiseLastOSError(unsigned long errorCode);

}  // namespace ui
