#include <gtest/gtest.h>

#include "MainFormFixture.h"
#include "settings/Settings.h"
#include "settings/TIniFile.h"
#include "ui/Handle.h"

namespace {

using testing_support::ShownErrors;

const std::wstring kWriteError = L"nach .\\VelmoClipboard.ini kann nicht geschrieben werden.";

class TForm1Settings : public app_test::MainFormFixture {
 protected:
  // Holds the settings file open without sharing, as another program might.
  [[nodiscard]] ui::UniqueFile LockIni() const {
    return ui::UniqueFile(
        CreateFileW(IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
};

TEST_F(TForm1Settings, FirstStartWithoutFileUsesTheDefaultsAndWritesNothing) {
  app::TForm1& form = StartForm();
  EXPECT_EQ(form.LanguageCode(), L"DE");
  EXPECT_EQ(form.Beenden1().Caption(), L"Beenden");
  EXPECT_TRUE(form.AufTextReagieren1().Checked());
  EXPECT_TRUE(form.AufBilderReagieren1().Checked());
  EXPECT_FALSE(form.Bilderautomatischspeichern1().Checked());
  EXPECT_FALSE(form.NurFormatiert1().Checked());
  EXPECT_TRUE(form.NurFormatiert1().Enabled());
  EXPECT_EQ(form.Settings().AutoSave.Folder, L"");
  EXPECT_EQ(form.Settings().AutoSave.Format, L"BMP");
  EXPECT_EQ(form.Settings().AutoSave.PicName, L"Pic");
  EXPECT_FALSE(testing_support::FileExists(IniPath()));
  EXPECT_TRUE(ShownErrors().empty());
}

TEST_F(TForm1Settings, StartReadsEverySettingIntoItsPlace) {
  WriteIni(
      "[Program]\r\nLanguage=EN\r\nReaktText=0\r\nReaktBild=0x0\r\nAutoSave=2\r\nNurFormatiert=0x1\r\n"
      "[AutoSave]\r\nDir=D:\\Bilder\r\nFormat=JPG\r\nPicName=Shot\r\n");
  app::TForm1& form = StartForm();
  EXPECT_EQ(form.LanguageCode(), L"EN");
  EXPECT_FALSE(form.AufTextReagieren1().Checked());
  EXPECT_FALSE(form.AufBilderReagieren1().Checked());
  EXPECT_TRUE(form.Bilderautomatischspeichern1().Checked());
  EXPECT_TRUE(form.NurFormatiert1().Checked());
  EXPECT_FALSE(form.NurFormatiert1().Enabled()) << "grayed while the text switch is off";
  EXPECT_EQ(form.Settings().AutoSave.Folder, L"D:\\Bilder");
  EXPECT_EQ(form.Settings().AutoSave.Format, L"JPG");
  EXPECT_EQ(form.Settings().AutoSave.PicName, L"Shot");
}

TEST_F(TForm1Settings, ExitWritesAllEightSettingsInOrderThenEndsTheProgram) {
  app::TForm1& form = StartForm();
  ChangeSettings([](settings::Settings& s) {
    s.ReactToText = false;
    s.AutoSave.Active = true;
    s.FormattedOnly = true;
    s.AutoSave.Folder = L"E:\\Ablage";
    s.AutoSave.Format = L"JPG";
    s.AutoSave.PicName = L"Bild";
  });

  Choose(&form.Beenden1());

  EXPECT_TRUE(ShownErrors().empty());
  EXPECT_TRUE(form.ExitFlag());
  EXPECT_EQ(form.IniFile(), nullptr);
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_EQ(IniLines(), (std::vector<std::wstring>{L"[Program]", L"Language=DE", L"ReaktText=0", L"ReaktBild=1",
                                                   L"AutoSave=1", L"NurFormatiert=1", L"[AutoSave]", L"Dir=E:\\Ablage",
                                                   L"Format=JPG", L"PicName=Bild"}));

  // The settings are written once: a later Exit only closes.
  const std::vector<unsigned char> written = testing_support::ReadFileBytes(IniPath());
  ChangeSettings([](settings::Settings& s) { s.AutoSave.PicName = L"Anders"; });
  form.Beenden1Click();
  EXPECT_EQ(testing_support::ReadFileBytes(IniPath()), written);
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(TForm1Settings, ExitUpdatesAnExistingFileAndKeepsWhatElseItHolds) {
  WriteIni("; von Hand\r\n[AutoSave]\r\nPicName=Alt\r\nDir=C:\\Alt\r\n[Program]\r\nLanguage=PL\r\n[Fremd]\r\nx=1\r\n");
  app::TForm1& form = StartForm();
  ChangeSettings([](settings::Settings& s) { s.AutoSave.PicName = L"Neu"; });
  Choose(&form.Beenden1());
  EXPECT_EQ(IniLines(),
            (std::vector<std::wstring>{L"; von Hand", L"[AutoSave]", L"PicName=Neu", L"Dir=C:\\Alt", L"Format=BMP",
                                       L"[Program]", L"Language=PL", L"ReaktText=1", L"ReaktBild=1", L"AutoSave=0",
                                       L"NurFormatiert=0", L"[Fremd]", L"x=1"}));
}

TEST_F(TForm1Settings, FailedWriteShowsTheErrorKeepsRunningAndEachExitTriesAgain) {
  WriteIni("[Program]\r\nLanguage=EN\r\n");
  app::TForm1& form = StartForm();
  ChangeSettings([](settings::Settings& s) { s.AutoSave.PicName = L"Neu"; });
  {
    const ui::UniqueFile lock = LockIni();
    ASSERT_TRUE(lock);
    Choose(&form.Beenden1());
    EXPECT_EQ(ShownErrors(), std::vector<std::wstring>{kWriteError});
    EXPECT_TRUE(form.ExitFlag());
    EXPECT_NE(form.IniFile(), nullptr);
    EXPECT_FALSE(TakeQuitMessage());

    Choose(&form.Beenden1());
    EXPECT_EQ(ShownErrors(), (std::vector<std::wstring>{kWriteError, kWriteError}));
    EXPECT_FALSE(TakeQuitMessage());
  }
  Choose(&form.Beenden1());
  EXPECT_EQ(ShownErrors().size(), 2u);
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_EQ(settings::TIniFile(settings::kSettingsFileName).ReadString(L"AutoSave", L"PicName", L""), L"Neu");
}

TEST_F(TForm1Settings, AfterAFailedExitClosingTheWindowEndsWithoutSaving) {
  WriteIni("[Program]\r\nLanguage=EN\r\n");
  app::TForm1& form = StartForm();
  const std::vector<unsigned char> before = testing_support::ReadFileBytes(IniPath());
  {
    const ui::UniqueFile lock = LockIni();
    ASSERT_TRUE(lock);
    Choose(&form.Beenden1());
  }
  ASSERT_EQ(ShownErrors().size(), 1u);
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_EQ(testing_support::ReadFileBytes(IniPath()), before);
}

TEST_F(TForm1Settings, EndOfTheSessionSavesExactlyAsExitDoes) {
  app::TForm1& form = StartForm();
  ChangeSettings([](settings::Settings& s) { s.ReactToPictures = false; });
  SendMessageW(form.Handle(), WM_ENDSESSION, FALSE, 0);  // the session goes on after all
  EXPECT_FALSE(testing_support::FileExists(IniPath()));
  EXPECT_FALSE(form.ExitFlag());

  SendMessageW(form.Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(form.ExitFlag());
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_EQ(IniLines(),
            (std::vector<std::wstring>{L"[Program]", L"Language=DE", L"ReaktText=1", L"ReaktBild=0", L"AutoSave=0",
                                       L"NurFormatiert=0", L"[AutoSave]", L"Dir=", L"Format=BMP", L"PicName=Pic"}));
}

TEST_F(TForm1Settings, FolderAndNameOutsideTheAnsiCodePageSurviveARun) {
  const std::wstring folder = L"C:\\\u041f\u0430\u043f\u043a\u0430\\\u6587\u4ef6\u5939";
  const std::wstring name = L"Zdj\u0119cie \u017c\u00f3\u0142w\u0107";
  {
    settings::TIniFile ini(settings::kSettingsFileName);
    ini.WriteString(L"AutoSave", L"Dir", folder);
    ini.WriteString(L"AutoSave", L"PicName", name);
  }
  app::TForm1& form = StartForm();
  EXPECT_EQ(form.Settings().AutoSave.Folder, folder);
  EXPECT_EQ(form.Settings().AutoSave.PicName, name);
  Choose(&form.Beenden1());
  const settings::TIniFile after(settings::kSettingsFileName);
  EXPECT_EQ(after.ReadString(L"AutoSave", L"Dir", L""), folder);
  EXPECT_EQ(after.ReadString(L"AutoSave", L"PicName", L""), name);
}

TEST_F(TForm1Settings, AnotherWorkingDirectoryGetsItsOwnSettingsFile) {
  WriteIni("[Program]\r\nLanguage=EN\r\n");
  const std::vector<unsigned char> here = testing_support::ReadFileBytes(IniPath());
  testing_support::TemporaryFolder elsewhere;
  testing_support::WorkingDirectory inElsewhere(elsewhere.Path());
  app::TForm1& form = StartForm();
  EXPECT_EQ(form.LanguageCode(), L"DE");
  Choose(&form.Beenden1());
  EXPECT_TRUE(testing_support::FileExists(elsewhere.Path() + L"VelmoClipboard.ini"));
  EXPECT_EQ(testing_support::ReadFileBytes(IniPath()), here);
}

}  // namespace
