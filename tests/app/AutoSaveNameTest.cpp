#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/AutoSaveName.h"

namespace {

using app::AutoSaveFileName;
using app::DateTimeText;

TEST(AutoSaveName, JoinsFolderBaseNameDateTimeAndExtensionWithUnsafeCharactersReplaced) {
  const std::wstring afternoon = DateTimeText(L"07.12.2026", L"14:05:09", false);
  EXPECT_EQ(AutoSaveFileName(L"C:\\Bilder", L"Pic", afternoon, L".bmp", 1), L"C:\\Bilder\\Pic07.12.2026 14-05-09.bmp");
  EXPECT_EQ(AutoSaveFileName(L"C:\\Bilder", L"Pic", DateTimeText(L"08.12.2026", L"00:00:00", true), L".bmp", 1),
            L"C:\\Bilder\\Pic08.12.2026.bmp");
  EXPECT_EQ(AutoSaveFileName(L"C:\\Bilder", L"", afternoon, L".jpg", 1), L"C:\\Bilder\\07.12.2026 14-05-09.jpg");
  // A drive root keeps its own backslash and colon.
  EXPECT_EQ(AutoSaveFileName(L"D:\\", L"Pic", afternoon, L".bmp", 1), L"D:\\\\Pic07.12.2026 14-05-09.bmp");
  // "/" from a regional date format, and whatever else a file name cannot hold in the base
  // name; the folder is left as it is.
  EXPECT_EQ(
      AutoSaveFileName(L"C:\\a b", L"x<y>*?\"|\\\t", DateTimeText(L"12/7/2026", L"2:05:09 PM", false), L".bmp", 1),
      L"C:\\a b\\x-y-------12-7-2026 2-05-09 PM.bmp");
}

TEST(AutoSaveName, ATakenNameGetsTheFirstFreeCounterBeforeTheExtension) {
  std::set<std::wstring> taken;
  const auto free = [&] {
    return app::FreeAutoSaveFileName(L"C:\\B", L"Pic", L"1.1.2026 1:02:03", L".bmp",
                                     [&](const std::wstring& path) { return taken.count(path) != 0; });
  };
  EXPECT_EQ(free(), L"C:\\B\\Pic1.1.2026 1-02-03.bmp");
  taken.insert(free());
  EXPECT_EQ(free(), L"C:\\B\\Pic1.1.2026 1-02-03 (2).bmp");
  taken.insert(free());
  EXPECT_EQ(free(), L"C:\\B\\Pic1.1.2026 1-02-03 (3).bmp");
}

}  // namespace
