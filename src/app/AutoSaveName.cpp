#include "app/AutoSaveName.h"

namespace app {

std::wstring DateTimeText(std::wstring_view date, std::wstring_view time, bool midnight) {
  std::wstring text(date);
  if (!midnight) {
    text += L' ';
    text += time;
  }
  return text;
}

std::wstring FileNameSafe(std::wstring_view text) {
  constexpr std::wstring_view kForbidden = L"\\/:*?\"<>|";
  std::wstring safe(text);
  for (wchar_t& c : safe) {
    if (c < L' ' || kForbidden.find(c) != std::wstring_view::npos) c = L'-';
  }
  return safe;
}

std::wstring AutoSaveFileName(std::wstring_view folder, std::wstring_view baseName, std::wstring_view dateTime,
                              std::wstring_view extension, int number) {
  std::wstring name(baseName);
  name += dateTime;
  std::wstring path(folder);
  path += L'\\';
  path += FileNameSafe(name);
  if (number > 1) path += L" (" + std::to_wstring(number) + L")";
  path += extension;
  return path;
}

std::wstring FreeAutoSaveFileName(std::wstring_view folder, std::wstring_view baseName, std::wstring_view dateTime,
                                  std::wstring_view extension, const std::function<bool(const std::wstring&)>& taken) {
  for (int number = 1;; ++number) {
    std::wstring path = AutoSaveFileName(folder, baseName, dateTime, extension, number);
    if (!taken(path)) return path;
  }
}

}  // namespace app
