#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/IniValues.h"
#include "settings/Settings.h"
#include "settings/TIniFile.h"
#include "support/TemporaryFolder.h"
#include "ui/Handle.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const std::wstring kCyrillicChineseFolder = L"C:\\\u041f\u0430\u043f\u043a\u0430\\\u6587\u4ef6\u5939";
const std::wstring kPolishName = L"Zdj\u0119cie \u017c\u00f3\u0142w\u0107 \u0144";

std::vector<unsigned char> AsciiBytes(const std::string& text) { return {text.begin(), text.end()}; }

// `text` in the system's ANSI code page, or nothing when the code page lacks a character.
std::optional<std::vector<unsigned char>> AnsiBytes(const std::wstring& text) {
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<char*>(bytes.data()),
                      length, nullptr, nullptr);
  return bytes;
}

bool StartsWithUnicodeMark(const std::vector<unsigned char>& bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
}

class TIniFileTest : public testing::Test {
 protected:
  testing_support::TemporaryFolder folder_;
  testing_support::WorkingDirectory workingDirectory_{folder_.Path()};
  std::wstring path_ = folder_.Path() + L"VelmoClipboard.ini";
  settings::TIniFile ini_{settings::kSettingsFileName};
};

TEST_F(TIniFileTest, MissingFileGivesTheDefaultsAndReadingCreatesNothing) {
  EXPECT_EQ(ini_.ReadString(L"Program", L"Language", L"DE"), L"DE");
  EXPECT_EQ(ini_.ReadString(L"AutoSave", L"Dir", L""), L"");
  EXPECT_TRUE(ini_.ReadBool(L"Program", L"ReaktText", true));
  EXPECT_FALSE(ini_.ReadBool(L"Program", L"AutoSave", false));
  EXPECT_EQ(ini_.ReadInteger(L"Program", L"Count", 42), 42);
  EXPECT_FALSE(testing_support::FileExists(path_));
}

TEST_F(TIniFileTest, SwitchesReadAsNumbersWithHexPrefixAndFallBackToTheDefault) {
  WriteFileBytes(path_, AsciiBytes("[Program]\r\nReaktText=0x0\r\nReaktBild=2\r\nAutoSave=yes\r\n"
                                   "Hex=0X1F\r\nBare=0x\r\nEmpty=\r\nNegative=-3\r\n"));
  EXPECT_FALSE(ini_.ReadBool(L"Program", L"ReaktText", true));
  EXPECT_TRUE(ini_.ReadBool(L"Program", L"ReaktBild", false));
  EXPECT_TRUE(ini_.ReadBool(L"Program", L"AutoSave", true));
  EXPECT_FALSE(ini_.ReadBool(L"Program", L"AutoSave", false));
  EXPECT_EQ(ini_.ReadInteger(L"Program", L"Hex", 0), 31);
  EXPECT_EQ(ini_.ReadInteger(L"Program", L"Bare", 5), 5);
  EXPECT_EQ(ini_.ReadInteger(L"Program", L"Empty", 5), 5);
  EXPECT_TRUE(ini_.ReadBool(L"Program", L"Negative", false));
}

TEST_F(TIniFileTest, KeyWithEmptyValueReadsAsEmptyNotAsDefault) {
  WriteFileBytes(path_, AsciiBytes("[Program]\r\nLanguage=\r\n"));
  EXPECT_EQ(ini_.ReadString(L"Program", L"Language", L"DE"), L"");
  EXPECT_EQ(ini_.ReadString(L"Program", L"Other", L"DE"), L"DE");
  EXPECT_EQ(ini_.ReadString(L"Elsewhere", L"Language", L"DE"), L"DE");
}

TEST_F(TIniFileTest, SwitchesAreWrittenAsOneAndZero) {
  ini_.WriteBool(L"Program", L"ReaktText", true);
  ini_.WriteBool(L"Program", L"AutoSave", false);
  EXPECT_EQ(testing_support::ReadTextLines(path_),
            (std::vector<std::wstring>{L"[Program]", L"ReaktText=1", L"AutoSave=0"}));
}

TEST_F(TIniFileTest, LongValueIsWrittenWholeAndReadBackCutTo2047Characters) {
  std::wstring longFolder = L"C:\\";
  while (longFolder.size() < 3000) longFolder += L"Ordner" + std::to_wstring(longFolder.size()) + L"\\";
  longFolder.resize(3000);
  ini_.WriteString(L"AutoSave", L"Dir", longFolder);
  EXPECT_EQ(ini_.ReadString(L"AutoSave", L"Dir", L""), longFolder.substr(0, 2047));
  EXPECT_NE(testing_support::ReadTextFile(path_).find(longFolder), std::wstring::npos);
}

TEST_F(TIniFileTest, EveryAccessUsesTheWorkingDirectoryOfThatMoment) {
  ini_.WriteString(L"Program", L"Language", L"EN");
  testing_support::TemporaryFolder other;
  {
    testing_support::WorkingDirectory inOther(other.Path());
    EXPECT_EQ(ini_.ReadString(L"Program", L"Language", L"DE"), L"DE");
    ini_.WriteString(L"Program", L"Language", L"PL");
    EXPECT_TRUE(testing_support::FileExists(other.Path() + L"VelmoClipboard.ini"));
  }
  EXPECT_EQ(ini_.ReadString(L"Program", L"Language", L"DE"), L"EN");
}

TEST_F(TIniFileTest, NewFileIsUnicodeSoFolderAndNameOutsideTheAnsiCodePageSurvive) {
  ini_.WriteString(L"AutoSave", L"Dir", kCyrillicChineseFolder);
  ini_.WriteString(L"AutoSave", L"PicName", kPolishName);
  EXPECT_TRUE(StartsWithUnicodeMark(ReadFileBytes(path_)));
  const settings::TIniFile later(settings::kSettingsFileName);
  EXPECT_EQ(later.ReadString(L"AutoSave", L"Dir", L""), kCyrillicChineseFolder);
  EXPECT_EQ(later.ReadString(L"AutoSave", L"PicName", L""), kPolishName);
}

TEST_F(TIniFileTest, AnsiFileOfAnEarlierVersionIsReadAndStaysAnsiWhileValuesFit) {
  const std::wstring folder = L"C:\\Bilder\\Gr\u00f6\u00dfe";
  const auto folderBytes = AnsiBytes(folder);
  if (!folderBytes) GTEST_SKIP() << "the ANSI code page has no umlauts";
  std::vector<unsigned char> file = AsciiBytes("[Program]\r\nLanguage=EN\r\n[AutoSave]\r\nDir=");
  file.insert(file.end(), folderBytes->begin(), folderBytes->end());
  file.insert(file.end(), {'\r', '\n'});
  WriteFileBytes(path_, file);

  EXPECT_EQ(ini_.ReadString(L"AutoSave", L"Dir", L""), folder);
  ini_.WriteString(L"AutoSave", L"PicName", L"Pic");
  EXPECT_FALSE(StartsWithUnicodeMark(ReadFileBytes(path_)));
  EXPECT_EQ(ini_.ReadString(L"AutoSave", L"Dir", L""), folder);
  EXPECT_EQ(ini_.ReadString(L"Program", L"Language", L""), L"EN");
}

TEST_F(TIniFileTest, AnsiFileTurnsUnicodeWhenAValueNeedsItAndKeepsItsOldValues) {
  const std::wstring folder = L"C:\\Bilder\\Gr\u00f6\u00dfe";
  const auto folderBytes = AnsiBytes(folder);
  if (!folderBytes) GTEST_SKIP() << "the ANSI code page has no umlauts";
  std::vector<unsigned char> file = AsciiBytes("; kept\r\n[Program]\r\nLanguage=PL\r\n[AutoSave]\r\nDir=");
  file.insert(file.end(), folderBytes->begin(), folderBytes->end());
  WriteFileBytes(path_, file);

  ini_.WriteString(L"AutoSave", L"PicName", kPolishName);
  ini_.WriteString(L"AutoSave", L"Format", L"JPG");

  EXPECT_TRUE(StartsWithUnicodeMark(ReadFileBytes(path_)));
  EXPECT_EQ(ini_.ReadString(L"AutoSave", L"PicName", L""), kPolishName);
  EXPECT_EQ(ini_.ReadString(L"AutoSave", L"Dir", L""), folder);
  EXPECT_EQ(ini_.ReadString(L"AutoSave", L"Format", L""), L"JPG");
  EXPECT_EQ(ini_.ReadString(L"Program", L"Language", L""), L"PL");
  EXPECT_EQ(testing_support::ReadTextLines(path_).front(), L"; kept");
  EXPECT_FALSE(testing_support::FileExists(path_ + L".new"));
}

TEST_F(TIniFileTest, FileHeldOpenByAnotherProgramRaisesTheWriteErrorWithTheFileName) {
  WriteFileBytes(path_, AsciiBytes("[Program]\r\nLanguage=EN\r\n"));
  {
    ui::UniqueFile lock(
        CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    // A value that needs Unicode as well: the conversion must fail the same way.
    for (const std::wstring& value : {std::wstring(L"DE"), kPolishName}) {
      try {
        ini_.WriteString(L"Program", L"Language", value);
        ADD_FAILURE() << "the write was reported as done";
      } catch (const settings::EIniFileError& e) {
        EXPECT_EQ(e.Message(), L"nach .\\VelmoClipboard.ini kann nicht geschrieben werden");
      }
    }
  }
  EXPECT_EQ(ini_.ReadString(L"Program", L"Language", L""), L"EN");
}

// A new file and an ANSI file that must turn Unicode are written as a copy first. Another
// program holds that copy so that it can be written but not read: the byte order mark and the
// converted text go in, and the private-profile write, which must read the copy, fails.
TEST_F(TIniFileTest, WriteThatFailsLeavesANewOrAnsiFileAsItWas) {
  const auto readCopy = [this] {
    return ui::UniqueFile(CreateFileW((path_ + L".new").c_str(), GENERIC_READ, FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  {
    const ui::UniqueFile reader = readCopy();
    ASSERT_TRUE(reader);
    EXPECT_THROW(ini_.WriteString(L"Program", L"Language", L"EN"), settings::EIniFileError);
  }
  EXPECT_FALSE(testing_support::FileExists(path_)) << "a file holding only a byte order mark was left";

  const std::vector<unsigned char> ansi = AsciiBytes("[Program]\r\nLanguage=EN\r\n");
  WriteFileBytes(path_, ansi);
  {
    const ui::UniqueFile reader = readCopy();
    ASSERT_TRUE(reader);
    EXPECT_THROW(ini_.WriteString(L"AutoSave", L"PicName", kPolishName), settings::EIniFileError);
  }
  EXPECT_EQ(ReadFileBytes(path_), ansi);
  EXPECT_FALSE(testing_support::FileExists(path_ + L".new"));
}

TEST_F(TIniFileTest, FolderThatDoesNotExistRaisesTheWriteError) {
  settings::TIniFile missing(L".\\gibt-es-nicht\\VelmoClipboard.ini");
  EXPECT_THROW(missing.WriteBool(L"Program", L"AutoSave", true), settings::EIniFileError);
}

}  // namespace
