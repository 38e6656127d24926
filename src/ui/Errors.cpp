#include "ui/Errors.h"

#include <windows.h>

namespace ui {

std::wstring FormatMessageText(const std::wstring& pattern, const std::wstring& argument) {
  for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] == L'%' && (pattern[i + 1] == L's' || pattern[i + 1] == L'd')) {
      return pattern.substr(0, i) + argument + pattern.substr(i + 2);
    }
  }
  return pattern;
}

std::wstring DisplayText(const std::wstring& message) {
  if (!message.empty() && message.back() > L'.') return message + L".";
  return message;
}

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

void RaiseLastOSError(unsigned long errorCode) {
  std::wstring text;
  if (errorCode != 0) text = SystemErrorText(errorCode);
  if (text.empty()) text = L"Systemressourcen erschöpft.";
  throw EOutOfResources(text);
}

}  // namespace ui
