#include "dialogs/DirectoryRules.h"

namespace dialogs {
namespace {

constexpr std::uint32_t kShell5 = 0x00050000;

}  // namespace

std::wstring BrowseStartFolder(const std::wstring& text, const std::wstring& initialDir, const PathTest& isFolder) {
  std::wstring start = text;
  if (start.empty()) start = initialDir.empty() ? L"\\" : initialDir;
  if (!isFolder(start)) start = L"\\";
  return start;
}

BrowseOutcome ApplyBrowseResult(const BrowseOutcome& before, const std::optional<std::wstring>& chosen,
                                const PathTest& isFolder) {
  if (!chosen) return before;
  return {*chosen, isFolder(*chosen) ? *chosen : before.initialDir};
}

std::wstring DroppedNameText(const std::wstring& name, const PathTest& isFile) {
  if (!isFile(name)) return name;
  const std::size_t end = name.find_last_of(L"\\:");
  return end == std::wstring::npos ? std::wstring() : name.substr(0, end + 1);
}

std::wstring CutAtLineBreak(const std::wstring& text) {
  std::size_t cut = text.find(L'\n');
  if (cut == std::wstring::npos) cut = text.find(L'\r');
  return cut == std::wstring::npos ? text : text.substr(0, cut);
}

std::uint32_t BrowseFlags(std::uint32_t shellVersion) {
  std::uint32_t flags = kBifStatusText | kBifNewDialogStyle | kBifReturnOnlyFsDirs;
  if (shellVersion < kShell5) flags &= ~kBifNewDialogStyle;
  return flags;
}

}  // namespace dialogs
