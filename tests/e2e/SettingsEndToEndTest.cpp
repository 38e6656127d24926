// Runs the real program in a folder of its own and looks at the settings file it leaves.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "settings/IniValues.h"
#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"

namespace {

// Menu command ids count from 100 in the order the main window creates its menu items:
// the text menu's two items, then the tray menu's Shortcuts1 (two children), Optionen1
// (four), Sprache1, Deutsch1, English1, Polski1, Ueber1, Hilfe1, Beenden1.
constexpr WPARAM kPolski1Command = 113;
constexpr WPARAM kBeenden1Command = 116;

constexpr DWORD kStartTimeoutMs = 20000;  // the first Wine start in a fresh prefix is slow
constexpr DWORD kExitTimeoutMs = 10000;

const std::wstring kCyrillicChineseFolder = L"C:\\\u041f\u0430\u043f\u043a\u0430\\\u6587\u4ef6\u5939";
const std::wstring kPolishName = L"Zdj\u0119cie \u017c\u00f3\u0142w\u0107";

using RunningProgram = testing_support::StartedProgram;

class SettingsEndToEnd : public testing::Test {
 protected:
  [[nodiscard]] std::wstring IniPath() const { return folder_.Path() + L"VelmoClipboard.ini"; }
  void WriteAnsiIni(const std::string& text) const {
    testing_support::WriteFileBytes(IniPath(), std::vector<unsigned char>(text.begin(), text.end()));
  }
  void WriteUnicodeIni(const std::wstring& text) const {
    testing_support::WriteFileBytes(IniPath(), settings::Utf16LeFileBytes(text));
  }
  [[nodiscard]] std::wstring ReadIni(const wchar_t* section, const wchar_t* key) const {
    wchar_t value[2048] = {};
    GetPrivateProfileStringW(section, key, L"<fehlt>", value, 2048, IniPath().c_str());
    return value;
  }
  // Runs the program until the test's action ends it; fails when it does not end cleanly.
  template <typename Action>
  void RunAndEnd(Action action) {
    RunningProgram program(folder_.Path());
    ASSERT_NE(program.WaitUntilReady(kStartTimeoutMs), nullptr) << "the main window did not appear";
    action(program);
    EXPECT_EQ(program.Wait(kExitTimeoutMs), 0u) << "the program did not end by itself";
  }

  testing_support::TemporaryFolder folder_;
};

TEST_F(SettingsEndToEnd, ExitWritesTheEightSettingsInTheirOrder) {
  WriteAnsiIni("[Program]\r\nLanguage=EN\r\n");
  RunAndEnd([](RunningProgram& program) { program.Post(WM_COMMAND, kBeenden1Command); });
  EXPECT_EQ(testing_support::ReadTextLines(IniPath()),
            (std::vector<std::wstring>{L"[Program]", L"Language=EN", L"ReaktText=1", L"ReaktBild=1", L"AutoSave=0",
                                       L"NurFormatiert=0", L"[AutoSave]", L"Dir=", L"Format=BMP", L"PicName=Pic"}));
}

TEST_F(SettingsEndToEnd, ChoosingPolskiThenExitWritesPlIntoANewUnicodeFile) {
  RunAndEnd([](RunningProgram& program) {
    program.Post(WM_COMMAND, kPolski1Command);
    program.Post(WM_COMMAND, kBeenden1Command);
  });
  const std::vector<unsigned char> bytes = testing_support::ReadFileBytes(IniPath());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(settings::DetectIniFileEncoding(bytes), settings::IniFileEncoding::Utf16LittleEndian);
  EXPECT_EQ(testing_support::ReadTextLines(IniPath()),
            (std::vector<std::wstring>{L"[Program]", L"Language=PL", L"ReaktText=1", L"ReaktBild=1", L"AutoSave=0",
                                       L"NurFormatiert=0", L"[AutoSave]", L"Dir=", L"Format=BMP", L"PicName=Pic"}));
}

TEST_F(SettingsEndToEnd, EndOfTheSessionSavesAsExitDoes) {
  WriteAnsiIni("[Program]\r\nLanguage=PL\r\nReaktText=0\r\n");
  RunAndEnd([](RunningProgram& program) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(program.Window(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, kExitTimeoutMs, &result);
  });
  EXPECT_EQ(ReadIni(L"Program", L"Language"), L"PL");
  EXPECT_EQ(ReadIni(L"Program", L"ReaktText"), L"0");
  EXPECT_EQ(ReadIni(L"Program", L"AutoSave"), L"0");
  EXPECT_EQ(ReadIni(L"AutoSave", L"PicName"), L"Pic");
}

TEST_F(SettingsEndToEnd, KilledProgramWritesNothing) {
  {
    RunningProgram program(folder_.Path());
    ASSERT_NE(program.WaitUntilReady(kStartTimeoutMs), nullptr);
    ASSERT_TRUE(program.Running());
    program.Kill();
  }
  EXPECT_FALSE(testing_support::FileExists(IniPath()));

  WriteAnsiIni("[Program]\r\nLanguage=EN\r\n");
  const std::vector<unsigned char> before = testing_support::ReadFileBytes(IniPath());
  {
    RunningProgram program(folder_.Path());
    ASSERT_NE(program.WaitUntilReady(kStartTimeoutMs), nullptr);
    program.Post(WM_COMMAND, kPolski1Command);
    program.Kill();
  }
  EXPECT_EQ(testing_support::ReadFileBytes(IniPath()), before);
}

TEST_F(SettingsEndToEnd, FolderAndNameOutsideTheAnsiCodePageSurviveARun) {
  WriteUnicodeIni(L"[Program]\r\nLanguage=EN\r\n[AutoSave]\r\nDir=" + kCyrillicChineseFolder + L"\r\nPicName=" +
                  kPolishName + L"\r\nFormat=JPG\r\n");
  RunAndEnd([](RunningProgram& program) { program.Post(WM_COMMAND, kBeenden1Command); });
  EXPECT_EQ(ReadIni(L"AutoSave", L"Dir"), kCyrillicChineseFolder);
  EXPECT_EQ(ReadIni(L"AutoSave", L"PicName"), kPolishName);
  EXPECT_EQ(ReadIni(L"AutoSave", L"Format"), L"JPG");
  EXPECT_EQ(ReadIni(L"Program", L"Language"), L"EN");
}

}  // namespace
