#pragma once
// A moment written as the user's regional settings write it, for autosave names.
#include <windows.h>

#include <string>

namespace app {

// Short date, a blank and long time, in the locale's own formats (the time is left out at
// exactly 00:00:00). Null stands for the user's regional settings.
[[nodiscard]] std::wstring LocalDateTimeText(const SYSTEMTIME& time, const wchar_t* localeName = nullptr);

}  // namespace app
