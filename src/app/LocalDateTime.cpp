#include "app/LocalDateTime.h"

#include "app/AutoSaveName.h"
#include "ui/Errors.h"

namespace app {
namespace {

// Both calls answer the length with the terminator; 0 means the locale or format was refused.
template <typename Format>
std::wstring Formatted(Format format) {
  const int length = format(nullptr, 0);
  if (length <= 0) ui::RaiseLastOSError(GetLastError());
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  if (format(text.data(), length) <= 0) ui::RaiseLastOSError(GetLastError());
  text.resize(static_cast<std::size_t>(length - 1));
  return text;
}

}  // namespace

std::wstring LocalDateTimeText(const SYSTEMTIME& time, const wchar_t* localeName) {
  const std::wstring date = Formatted([&](wchar_t* buffer, int size) {
    return GetDateFormatEx(localeName, DATE_SHORTDATE, &time, nullptr, buffer, size, nullptr);
  });
  const bool midnight = time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0;
  if (midnight) return DateTimeText(date, {}, true);
  const std::wstring clock = Formatted(
      [&](wchar_t* buffer, int size) { return GetTimeFormatEx(localeName, 0, &time, nullptr, buffer, size); });
  return DateTimeText(date, clock, false);
}

}  // namespace app
