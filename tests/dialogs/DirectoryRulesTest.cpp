// The folder picker's rules without windows: the browser's start folder, what a choice does,
// what a dropped name becomes, the line-break cut and the browser flags per shell version.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dialogs/DirectoryRules.h"

namespace {

using namespace dialogs;

const std::set<std::wstring> kFolders = {L"\\", L"C:\\Bilder", L"D:\\", L"D:\\Fotos"};
bool IsFolder(const std::wstring& path) { return kFolders.contains(path); }
bool IsFile(const std::wstring& path) { return path == L"C:\\Bilder\\a.bmp" || path == L"a.bmp"; }

TEST(DirectoryRules, TheBrowserStartsAtTheTextThenTheLastChoiceThenTheRootAndStaleFoldersGoToTheRoot) {
  EXPECT_EQ(BrowseStartFolder(L"", L"", &IsFolder), L"\\");
  EXPECT_EQ(BrowseStartFolder(L"C:\\Bilder", L"D:\\Fotos", &IsFolder), L"C:\\Bilder");
  EXPECT_EQ(BrowseStartFolder(L"", L"D:\\Fotos", &IsFolder), L"D:\\Fotos");
  EXPECT_EQ(BrowseStartFolder(L"C:\\Weg", L"D:\\Fotos", &IsFolder), L"\\");
  EXPECT_EQ(BrowseStartFolder(L"", L"C:\\Weg", &IsFolder), L"\\");
}

TEST(DirectoryRules, AChoiceReplacesTheTextAsGivenAndOnlyAnExistingFolderBecomesTheNextStart) {
  const BrowseOutcome before{L"C:\\Weg", L"C:\\Bilder"};
  const BrowseOutcome cancelled = ApplyBrowseResult(before, std::nullopt, &IsFolder);
  EXPECT_EQ(cancelled.text, L"C:\\Weg");  // a stale folder survives Cancel
  EXPECT_EQ(cancelled.initialDir, L"C:\\Bilder");
  const BrowseOutcome root = ApplyBrowseResult(before, L"D:\\", &IsFolder);
  EXPECT_EQ(root.text, L"D:\\");  // the drive root keeps its backslash
  EXPECT_EQ(root.initialDir, L"D:\\");
  const BrowseOutcome outside = ApplyBrowseResult(before, L"::{20D04FE0}", &IsFolder);
  EXPECT_EQ(outside.text, L"::{20D04FE0}");
  EXPECT_EQ(outside.initialDir, L"C:\\Bilder");
}

TEST(DirectoryRules, ADroppedFileGivesItsFolderWithTheBackslashAndAnythingElseStaysAsItIs) {
  EXPECT_EQ(DroppedNameText(L"C:\\Bilder\\a.bmp", &IsFile), L"C:\\Bilder\\");
  EXPECT_EQ(DroppedNameText(L"C:\\Bilder", &IsFile), L"C:\\Bilder");
  EXPECT_EQ(DroppedNameText(L"a.bmp", &IsFile), L"");
  const std::wstring longName = L"C:\\" + std::wstring(300, L'x');
  EXPECT_EQ(DroppedNameText(longName, &IsFile), longName);
}

TEST(DirectoryRules, TextIsCutBeforeTheFirstLineFeedOrElseBeforeTheFirstCarriageReturn) {
  EXPECT_EQ(CutAtLineBreak(L"C:\\Bilder"), L"C:\\Bilder");
  EXPECT_EQ(CutAtLineBreak(L"C:\\a\r\nC:\\b"), L"C:\\a\r");
  EXPECT_EQ(CutAtLineBreak(L"C:\\a\rb\nc"), L"C:\\a\rb");
  EXPECT_EQ(CutAtLineBreak(L"C:\\a\rb"), L"C:\\a");
  EXPECT_EQ(CutAtLineBreak(L"\nC:\\a"), L"");
}

TEST(DirectoryRules, TheBrowserReturnsFileSystemFoldersOnlyAndDropsTheNewStyleBeforeShellFive) {
  EXPECT_EQ(BrowseFlags(0x00060001), 0x45u);
  EXPECT_EQ(BrowseFlags(0x00050000), 0x45u);
  EXPECT_EQ(BrowseFlags(0x00040047), 0x05u);
  EXPECT_EQ(BrowseFlags(0x00040000), 0x05u);
}

}  // namespace
