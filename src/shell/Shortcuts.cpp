#include "shell/Shortcuts.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "shell/ShortcutRules.h"
#include "ui/Com.h"
#include "ui/Module.h"

namespace shell {
namespace {

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::wstring SpecialFolderPath(int folderId) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items))) return {};
  const ui::UniqueCoTaskMem owned(items);
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(items, path)) return {};
  return WithTrailingBackslash(path);
}

std::wstring ProgramFilePath() { return ui::ModuleFileName(); }

void CreateShortcut(const std::wstring& linkPath, const ShortcutContents& contents) {
  void* object = nullptr;
  ui::OleCheck(
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown, &object));
  const ui::ComPtr<IUnknown> link(static_cast<IUnknown*>(object));
  const auto shellLink = ui::QueryInterface<IShellLinkW>(link.get(), IID_IShellLinkW);
  const auto file = ui::QueryInterface<IPersistFile>(link.get(), IID_IPersistFile);
  ui::OleCheck(shellLink.get()->SetPath(contents.target.c_str()));
  ui::OleCheck(shellLink.get()->SetArguments(contents.arguments.c_str()));
  ui::OleCheck(shellLink.get()->SetWorkingDirectory(contents.workingDirectory.c_str()));
  ui::OleCheck(shellLink.get()->SetShowCmd(contents.showCommand));
  ui::OleCheck(shellLink.get()->SetIconLocation(contents.iconPath.c_str(), contents.iconIndex));
  // Reported, not ignored: otherwise the command seems to work and no shortcut is there.
  if (FAILED(file.get()->Save(linkPath.c_str(), FALSE)))
    throw ui::EFCreateError(ui::FormatMessageText(L"Datei %s kann nicht erstellt werden", linkPath));
}

void CreateProgramShortcut(int folderId, const std::wstring& programPath, const FolderLookup& folderPath) {
  const std::wstring linkPath = folderPath(folderId) + ShortcutFileName(programPath);
  if (FileExists(linkPath)) return;
  CreateShortcut(linkPath, {programPath, L"", FolderOf(programPath), SW_SHOWNORMAL, programPath, 0});
}

}  // namespace shell
