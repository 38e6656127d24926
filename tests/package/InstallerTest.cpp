// The installer and its uninstaller, run silently as a script or an administrator's tool
// runs them: where the files, the Start-menu entry and the entry among the installed programs
// land, that the installed program starts from its entry and reacts to a copy, and that the
// uninstaller takes away everything but the settings file and shortcuts to other
// installations. Arguments: the installer and the version it must register.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/Shortcuts.h"
#include "support/DialogAnswerer.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "ui/Com.h"

namespace {

using testing_support::FileExists;
using testing_support::PumpUntil;

// Menu command ids count from 100 in the order the main window creates its items: the text
// menu's two, Shortcuts1 with its autostart and desktop commands, ... Beenden1 last.
constexpr WPARAM kAutostartCommand = 103;
constexpr WPARAM kDesktopCommand = 104;
constexpr WPARAM kBeenden1Command = 116;
constexpr DWORD kTimeoutMs = 20000;
const wchar_t* const kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoClipboard";

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  EXPECT_EQ(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
  return std::wstring(path) + L"\\";
}

std::wstring InstallFolder() { return Folder(CSIDL_LOCAL_APPDATA) + L"Programs\\Velmo Clipboard\\"; }
std::wstring StartMenuLink() { return Folder(CSIDL_PROGRAMS) + L"Velmo Clipboard.lnk"; }
std::wstring ProgramLink(int csidl) { return Folder(csidl) + L"VelmoClipboard.lnk"; }

// A string value of the uninstall entry; nothing when the entry or the value is missing.
std::optional<std::wstring> UninstallValue(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return value;
}
DWORD UninstallNumber(const wchar_t* name) {
  DWORD value = 0xFFFFFFFF;
  DWORD size = sizeof(value);
  RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

struct Link {
  std::wstring target, workingDirectory, iconPath;
  int iconIndex = -1;
};
Link ReadLink(const std::wstring& path) {
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &object), S_OK);
  const ui::ComPtr<IShellLinkW> link(static_cast<IShellLinkW*>(object));
  const auto file = ui::QueryInterface<IPersistFile>(link.get(), IID_IPersistFile);
  Link read;
  if (FAILED(file.get()->Load(path.c_str(), STGM_READ))) return read;
  wchar_t text[MAX_PATH] = {};
  link.get()->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  read.target = text;
  link.get()->GetWorkingDirectory(text, MAX_PATH);
  read.workingDirectory = text;
  link.get()->GetIconLocation(text, MAX_PATH, &read.iconIndex);
  read.iconPath = text;
  return read;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// The folders the uninstaller copies itself into, "~nsu<n>.tmp" in the temporary folder.
std::vector<std::wstring> UninstallerCopies() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::vector<std::wstring> folders;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((std::wstring(temp) + L"~nsu*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return folders;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      folders.push_back(std::wstring(temp) + found.cFileName + L"\\");
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return folders;
}

// The id of a running process started from `program`, or 0.
DWORD ProcessOf(const std::wstring& program) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  DWORD found = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more && found == 0; more = Process32NextW(snapshot, &entry)) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process) continue;
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, path, &size) && lstrcmpiW(path, program.c_str()) == 0)
      found = entry.th32ProcessID;
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return found;
}

// Removes a folder with its files; false while one of them is in use. A file deleted while
// still open goes only when it is closed, and with it the folder, so success is a folder gone.
bool RemoveFolder(const std::wstring& folder) {
  for (const std::wstring& file : testing_support::FilesIn(folder)) DeleteFileW((folder + file).c_str());
  RemoveDirectoryW(folder.c_str());
  return !FileExists(folder);
}

// Runs a command line to its end; its exit code, or STILL_ACTIVE after the time.
DWORD RunToEnd(const std::wstring& commandLine) { return testing_support::StartProcess(commandLine).Wait(kTimeoutMs); }

class InstallerTest : public testing::Test {
 protected:
  void SetUp() override {
    // The user's own shortcuts of these names wait outside until the test is over.
    for (const int csidl : {CSIDL_STARTUP, CSIDL_DESKTOP}) {
      const std::wstring link = ProgramLink(csidl);
      const std::wstring aside = aside_.Path() + std::to_wstring(csidl) + L".lnk";
      if (FileExists(link) && MoveFileW(link.c_str(), aside.c_str())) setAside_.push_back({link, aside});
    }
    ASSERT_FALSE(FileExists(InstallFolder())) << "an installation is in the way";
  }

  void TearDown() override {
    // Whatever a failure left behind.
    for (const std::wstring& file : testing_support::FilesIn(InstallFolder()))
      DeleteFileW((InstallFolder() + file).c_str());
    RemoveDirectoryW(InstallFolder().c_str());
    RemoveDirectoryW(otherFolder_.c_str());
    DeleteFileW(StartMenuLink().c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    for (const int csidl : {CSIDL_STARTUP, CSIDL_DESKTOP}) DeleteFileW(ProgramLink(csidl).c_str());
    for (const auto& [link, aside] : setAside_) MoveFileW(aside.c_str(), link.c_str());
  }

  // Installs, starts the installed program from its Start-menu entry, copies formatted text
  // and makes the program's own shortcut in `ours`; a shortcut of the same name to another
  // installation lies in `others`. Then uninstalls.
  void InstallUseAndUninstall(int ours, int others) {
    const std::wstring folder = InstallFolder();
    const std::wstring program = folder + L"VelmoClipboard.exe";
    ASSERT_EQ(RunToEnd(L"\"" + testing_support::WinePath(testing_support::ExtraArguments().at(0)) + L"\" /S"), 0u);
    for (const wchar_t* file : {L"VelmoClipboard.exe", L"Help.chm", L"LICENSE", L"README.txt", L"Uninstall.exe"})
      EXPECT_TRUE(FileExists(folder + file)) << file;

    const Link entry = ReadLink(StartMenuLink());
    EXPECT_EQ(entry.target, program);
    EXPECT_EQ(WithoutTrailingBackslash(entry.workingDirectory), WithoutTrailingBackslash(folder));
    EXPECT_EQ(entry.iconPath, program);
    EXPECT_EQ(entry.iconIndex, 0);

    const std::wstring uninstaller = L"\"" + folder + L"Uninstall.exe\"";
    const struct {
      const wchar_t* name;
      std::wstring value;
    } values[] = {{L"DisplayName", L"Velmo Clipboard"},
                  {L"DisplayVersion", testing_support::ExtraArguments().at(1)},
                  {L"Publisher", L"Velmo-Team"},
                  {L"DisplayIcon", program + L",0"},
                  {L"InstallLocation", WithoutTrailingBackslash(folder)},
                  {L"UninstallString", uninstaller},
                  {L"QuietUninstallString", uninstaller + L" /S"}};
    for (const auto& value : values) EXPECT_EQ(UninstallValue(value.name), value.value) << value.name;
    EXPECT_EQ(UninstallNumber(L"NoModify"), 1u);
    EXPECT_EQ(UninstallNumber(L"NoRepair"), 1u);
    // In KiB: the program, the help and the texts, a little over the stripped program's size.
    EXPECT_GT(UninstallNumber(L"EstimatedSize"), 500u);
    EXPECT_LT(UninstallNumber(L"EstimatedSize"), 4000u);

    // The other installation's name begins like ours: only the whole path may count.
    const std::wstring otherProgram = otherFolder_ + L"\\VelmoClipboard.exe";
    shell::CreateShortcut(ProgramLink(others),
                          {otherProgram, L"", otherFolder_ + L"\\", SW_SHOWNORMAL, otherProgram, 0});

    {
      const testing_support::ScopedProcess started =
          testing_support::StartProcess(L"\"" + entry.target + L"\"", entry.workingDirectory);
      const HWND window = testing_support::WaitForProcessWindow(started.Id(), L"TForm1", kTimeoutMs);
      ASSERT_NE(window, nullptr) << "the installed program did not start";
      ASSERT_EQ(WaitForInputIdle(started.get(), kTimeoutMs), 0u);
      {
        testing_support::ClipboardFill fill;
        const std::string html = "Version:0.9\r\n<html><body><b>formatted</b></body></html>";
        const std::wstring text = L"formatted";
        fill.PutBlock(RegisterClipboardFormatW(L"HTML Format"), html.c_str(), html.size() + 1);
        fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      }
      HWND menu = nullptr;
      EXPECT_TRUE(PumpUntil(
          [&] {
            for (HWND candidate : testing_support::ProcessWindows(started.Id(), L"#32768"))
              if (IsWindowVisible(candidate)) menu = candidate;
            return menu != nullptr;
          },
          5000))
          << "no text menu after a copy";
      if (menu) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageW(window, WM_COMMAND, ours == CSIDL_DESKTOP ? kDesktopCommand : kAutostartCommand, 0);
      EXPECT_TRUE(PumpUntil([&] { return FileExists(ProgramLink(ours)); }, 5000)) << "no shortcut made";
      // While the program runs, its file cannot go: the uninstaller must leave everything.
      if (ours == CSIDL_DESKTOP) {
        Uninstall(*UninstallValue(L"QuietUninstallString"));
        EXPECT_TRUE(FileExists(folder + L"Uninstall.exe"));
        EXPECT_TRUE(FileExists(StartMenuLink()));
        EXPECT_TRUE(FileExists(ProgramLink(ours)));
        EXPECT_TRUE(UninstallValue(L"DisplayName"));
      }
      PostMessageW(window, WM_COMMAND, kBeenden1Command, 0);
      EXPECT_EQ(started.Wait(kTimeoutMs), 0u);
    }
    EXPECT_EQ(ReadLink(ProgramLink(ours)).target, program);
    ASSERT_TRUE(FileExists(folder + L"VelmoClipboard.ini")) << "the settings are not in the installation folder";

    Uninstall(*UninstallValue(L"QuietUninstallString"));
    EXPECT_FALSE(FileExists(folder + L"Uninstall.exe"));
    EXPECT_FALSE(UninstallValue(L"DisplayName"));
    EXPECT_EQ(testing_support::FilesIn(folder), std::vector<std::wstring>{L"VelmoClipboard.ini"});
    EXPECT_FALSE(FileExists(StartMenuLink()));
    EXPECT_FALSE(FileExists(ProgramLink(ours)));
    EXPECT_EQ(ReadLink(ProgramLink(others)).target, otherProgram) << "a shortcut to another installation went";
    DeleteFileW(ProgramLink(others).c_str());
  }

  // Runs an uninstall command line. The uninstaller runs a copy of itself from the temporary
  // folder and returns at once; `whileRunning`, when given, gets the copy's process id, and the copy is
  // removed once it has ended.
  static void Uninstall(const std::wstring& commandLine, const std::function<void(DWORD)>& whileRunning = nullptr) {
    const std::vector<std::wstring> copiesBefore = UninstallerCopies();
    EXPECT_EQ(RunToEnd(commandLine), 0u);
    std::vector<std::wstring> copies = UninstallerCopies();
    std::erase_if(copies, [&](const std::wstring& copy) { return std::ranges::count(copiesBefore, copy) != 0; });
    ASSERT_EQ(copies.size(), 1u);
    if (whileRunning) {
      DWORD copy = 0;
      PumpUntil([&] { return (copy = ProcessOf(copies[0] + L"Un.exe")) != 0; }, kTimeoutMs);
      whileRunning(copy);
    }
    EXPECT_TRUE(PumpUntil([&] { return std::ranges::all_of(copies, RemoveFolder); }, kTimeoutMs))
        << "the uninstaller did not end";
  }

  testing_support::TemporaryFolder aside_;
  std::vector<std::pair<std::wstring, std::wstring>> setAside_;
  const std::wstring otherFolder_ = Folder(CSIDL_LOCAL_APPDATA) + L"Programs\\Velmo Clipboard 2";
};

TEST_F(InstallerTest, InstallsForTheUserAndUninstallsAllButTheSettingsAndOtherInstallationsShortcuts) {
  {
    SCOPED_TRACE("own shortcut on the desktop");
    InstallUseAndUninstall(CSIDL_DESKTOP, CSIDL_STARTUP);
  }
  // Installed again over the settings file the first round left.
  SCOPED_TRACE("own shortcut in the Startup folder");
  InstallUseAndUninstall(CSIDL_STARTUP, CSIDL_DESKTOP);
}

// Interactively, the uninstaller asks before it removes the settings; agreed, nothing is left.
TEST_F(InstallerTest, UninstallingRemovesTheSettingsWhenTheUserAgrees) {
  const std::wstring folder = InstallFolder();
  ASSERT_EQ(RunToEnd(L"\"" + testing_support::WinePath(testing_support::ExtraArguments().at(0)) + L"\" /S"), 0u);
  testing_support::WriteFileBytes(folder + L"VelmoClipboard.ini", {'[', 'P', ']'});
  Uninstall(*UninstallValue(L"UninstallString"), [&](DWORD copy) {
    using testing_support::PressButton;
    const HWND page = testing_support::WaitForDialog(copy, kTimeoutMs);
    ASSERT_NE(page, nullptr);
    PressButton(page, IDOK);  // "Uninstall" on the confirmation page
    const HWND question = testing_support::WaitForDialog(copy, kTimeoutMs, {page});
    ASSERT_NE(question, nullptr);
    EXPECT_NE(testing_support::StaticTexts(question).find(folder + L"VelmoClipboard.ini"), std::wstring::npos)
        << testing_support::StaticTexts(question);
    PressButton(question, IDYES);
    // The last page's button turns from "Next" into "Close" when the work is done.
    EXPECT_TRUE(PumpUntil([&] { return !FileExists(folder) && IsWindowEnabled(GetDlgItem(page, IDOK)); }, kTimeoutMs));
    PressButton(page, IDOK);
  });
  EXPECT_FALSE(FileExists(folder));
  EXPECT_FALSE(UninstallValue(L"DisplayName"));
}

}  // namespace
