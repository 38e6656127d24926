// The settings as one value: what a save writes, a load gives back, key for key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/Settings.h"
#include "settings/TIniFile.h"
#include "support/TemporaryFolder.h"

namespace {

TEST(Settings, EveryValueComesBackFromItsOwnKeyAndTheAutosaveSaveWritesOnlyItsFour) {
  const testing_support::TemporaryFolder folder;
  const testing_support::WorkingDirectory inFolder(folder.Path());
  settings::TIniFile file(settings::kSettingsFileName);
  EXPECT_EQ(settings::LoadSettings(file), settings::Settings{});

  // Each value differs from its default, so a value read from another key would show.
  const settings::Settings changed{
      .LanguageCode = L"PL",
      .ReactToText = false,
      .FormattedOnly = true,
      .ReactToPictures = false,
      .AutoSave = {.Active = true, .Folder = L"D:\\Bilder", .Format = L"JPG", .PicName = L"Zdj\u0119cie"}};
  settings::SaveSettings(file, changed);
  EXPECT_EQ(settings::LoadSettings(file), changed);

  const testing_support::TemporaryFolder other;
  const testing_support::WorkingDirectory inOther(other.Path());
  settings::SaveSettings(file, changed.AutoSave);
  EXPECT_EQ(testing_support::ReadTextLines(other.Path() + L"VelmoClipboard.ini"),
            (std::vector<std::wstring>{L"[Program]", L"AutoSave=1", L"[AutoSave]", L"Dir=D:\\Bilder", L"Format=JPG",
                                       L"PicName=Zdj\u0119cie"}));
}

}  // namespace
