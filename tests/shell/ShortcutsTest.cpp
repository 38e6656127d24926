// Shortcuts written into a scratch folder that stands in for the shell's special folders, and
// read back through the shell.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <string>
#include <vector>

#include "shell/Shortcuts.h"
#include "support/ModalForms.h"
#include "support/TemporaryFolder.h"
#include "ui/Errors.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadShellLink;

class ShortcutTest : public testing::Test {
 protected:
  // A program file of that name in the folder `programs` (created as needed), and its path.
  std::wstring Program(const std::wstring& programs, const std::wstring& name) {
    const std::wstring folder = programs_.Path() + programs + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    testing_support::WriteFileBytes(folder + name, {'M', 'Z'});
    return folder + name;
  }
  // The lookup stands in for the shell: every folder id is the scratch folder.
  std::wstring Lookup(int folderId) {
    asked_.push_back(folderId);
    return special_.Path();
  }
  void Create(int folderId, const std::wstring& program) {
    shell::CreateProgramShortcut(folderId, program, [this](int id) { return Lookup(id); });
  }

  testing_support::TemporaryFolder programs_;
  testing_support::TemporaryFolder special_;
  std::vector<int> asked_;
};

TEST_F(ShortcutTest, FirstCommandWritesTheLinkAndASecondLeavesAnExistingFileAlone) {
  const std::wstring program = Program(L"Tools", L"clip.exe");
  Create(CSIDL_DESKTOP, program);
  EXPECT_EQ(asked_, std::vector<int>{CSIDL_DESKTOP});
  const std::wstring link = special_.Path() + L"clip.lnk";
  const auto contents = ReadShellLink(link);
  EXPECT_EQ(contents.target, program);
  EXPECT_EQ(contents.arguments, L"");
  EXPECT_EQ(contents.workingDirectory, programs_.Path() + L"Tools\\");
  EXPECT_EQ(contents.showCommand, SW_SHOWNORMAL);
  EXPECT_EQ(contents.iconPath, program);
  EXPECT_EQ(contents.iconIndex, 0);

  const std::wstring elsewhere = Program(L"Other", L"other.exe");
  shell::CreateShortcut(link, {elsewhere, L"", L"", SW_SHOWNORMAL, elsewhere, 0});
  Create(CSIDL_STARTUP, program);
  EXPECT_EQ(ReadShellLink(link).target, elsewhere);
}

TEST_F(ShortcutTest, ARenamedProgramGetsASecondShortcut) {
  Create(CSIDL_STARTUP, Program(L"Tools", L"clip.exe"));
  const std::wstring renamed = Program(L"Tools", L"clipboard.exe");
  Create(CSIDL_STARTUP, renamed);
  EXPECT_TRUE(FileExists(special_.Path() + L"clip.lnk"));
  EXPECT_EQ(ReadShellLink(special_.Path() + L"clipboard.lnk").target, renamed);
}

TEST_F(ShortcutTest, PolishLettersInThePathSurvive) {
  const std::wstring program = Program(L"Zażółć gęślą", L"jaźń.exe");
  Create(CSIDL_DESKTOP, program);
  const auto contents = ReadShellLink(special_.Path() + L"jaźń.lnk");
  EXPECT_EQ(contents.target, program);
  EXPECT_EQ(contents.workingDirectory, programs_.Path() + L"Zażółć gęślą\\");
  EXPECT_EQ(contents.iconPath, program);
}

TEST_F(ShortcutTest, AnUnknownSpecialFolderPutsTheShortcutIntoTheWorkingDirectory) {
  const std::wstring program = Program(L"Tools", L"clip.exe");
  testing_support::TemporaryFolder working;
  const testing_support::WorkingDirectory inside(working.Path());
  shell::CreateProgramShortcut(CSIDL_DESKTOP, program, [](int) { return std::wstring(); });
  EXPECT_EQ(ReadShellLink(working.Path() + L"clip.lnk").target, program);
}

TEST_F(ShortcutTest, ALinkThatCannotBeSavedIsAnError) {
  const std::wstring program = Program(L"Tools", L"clip.exe");
  const std::wstring missing = special_.Path() + L"gone\\";
  EXPECT_THROW(shell::CreateProgramShortcut(CSIDL_DESKTOP, program, [&](int) { return missing; }), ui::EFCreateError);
  EXPECT_FALSE(FileExists(missing + L"clip.lnk"));
}

}  // namespace
