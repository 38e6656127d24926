#include <gtest/gtest.h>

#include "shell/ShortcutRules.h"

namespace {

TEST(ShortcutRules, NameFromTheProgramFileAndFoldersWithOneTrailingBackslash) {
  EXPECT_EQ(shell::ShortcutFileName(L"C:\\Tools\\clip.exe"), L"clip.lnk");
  EXPECT_EQ(shell::ShortcutFileName(L"C:\\my.tools\\clip.v2.exe"), L"clip.v2.lnk");
  EXPECT_EQ(shell::ShortcutFileName(L"C:\\my.tools\\clip"), L"clip.lnk");
  EXPECT_EQ(shell::ShortcutFileName(L"C:clip.exe"), L"clip.lnk");
  EXPECT_EQ(shell::FolderOf(L"C:\\Tools\\clip.exe"), L"C:\\Tools\\");
  EXPECT_EQ(shell::FolderOf(L"clip.exe"), L"");
  EXPECT_EQ(shell::WithTrailingBackslash(L"C:\\Users\\a\\Desktop"), L"C:\\Users\\a\\Desktop\\");
  EXPECT_EQ(shell::WithTrailingBackslash(L"D:\\"), L"D:\\");
  EXPECT_EQ(shell::WithTrailingBackslash(L""), L"");
}

}  // namespace
