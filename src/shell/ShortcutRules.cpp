#include "shell/ShortcutRules.h"

namespace shell {
namespace {

// Where the file name starts: after the last "\" or, for "C:clip.exe", after the drive's ":".
std::size_t NameStart(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\:");
  return separator == std::wstring::npos ? 0 : separator + 1;
}

}  // namespace

std::wstring WithTrailingBackslash(const std::wstring& folder) {
  if (folder.empty() || folder.back() == L'\\') return folder;
  return folder + L'\\';
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, NameStart(path)); }

std::wstring ShortcutFileName(const std::wstring& programPath) {
  std::wstring name = programPath.substr(NameStart(programPath));
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name + L".lnk";
}

}  // namespace shell
