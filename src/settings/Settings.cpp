#include "settings/Settings.h"

#include "settings/TIniFile.h"

namespace settings {
namespace {

constexpr const wchar_t* kSectionProgram = L"Program";
constexpr const wchar_t* kKeyLanguage = L"Language";
constexpr const wchar_t* kKeyReaktText = L"ReaktText";
constexpr const wchar_t* kKeyReaktBild = L"ReaktBild";
constexpr const wchar_t* kKeyAutoSave = L"AutoSave";
constexpr const wchar_t* kKeyNurFormatiert = L"NurFormatiert";

constexpr const wchar_t* kSectionAutoSave = L"AutoSave";
constexpr const wchar_t* kKeyDir = L"Dir";
constexpr const wchar_t* kKeyFormat = L"Format";
constexpr const wchar_t* kKeyPicName = L"PicName";

// The autosave switch sits in [Program], among the switches of earlier versions; the rest of
// the autosave values have a section of their own and follow it in both saves.
void SaveAutoSaveSection(TIniFile& file, const AutoSaveSettings& values) {
  file.WriteString(kSectionAutoSave, kKeyDir, values.Folder);
  file.WriteString(kSectionAutoSave, kKeyFormat, values.Format);
  file.WriteString(kSectionAutoSave, kKeyPicName, values.PicName);
}

}  // namespace

Settings LoadSettings(const TIniFile& file) {
  const Settings defaults;
  Settings values;
  values.LanguageCode = file.ReadString(kSectionProgram, kKeyLanguage, defaults.LanguageCode);
  values.ReactToText = file.ReadBool(kSectionProgram, kKeyReaktText, defaults.ReactToText);
  values.ReactToPictures = file.ReadBool(kSectionProgram, kKeyReaktBild, defaults.ReactToPictures);
  values.AutoSave.Active = file.ReadBool(kSectionProgram, kKeyAutoSave, defaults.AutoSave.Active);
  values.FormattedOnly = file.ReadBool(kSectionProgram, kKeyNurFormatiert, defaults.FormattedOnly);
  values.AutoSave.Folder = file.ReadString(kSectionAutoSave, kKeyDir, defaults.AutoSave.Folder);
  values.AutoSave.Format = file.ReadString(kSectionAutoSave, kKeyFormat, defaults.AutoSave.Format);
  values.AutoSave.PicName = file.ReadString(kSectionAutoSave, kKeyPicName, defaults.AutoSave.PicName);
  return values;
}

void SaveSettings(TIniFile& file, const Settings& values) {
  file.WriteString(kSectionProgram, kKeyLanguage, values.LanguageCode);
  file.WriteBool(kSectionProgram, kKeyReaktText, values.ReactToText);
  file.WriteBool(kSectionProgram, kKeyReaktBild, values.ReactToPictures);
  file.WriteBool(kSectionProgram, kKeyAutoSave, values.AutoSave.Active);
  file.WriteBool(kSectionProgram, kKeyNurFormatiert, values.FormattedOnly);
  SaveAutoSaveSection(file, values.AutoSave);
}

void SaveSettings(TIniFile& file, const AutoSaveSettings& values) {
  file.WriteBool(kSectionProgram, kKeyAutoSave, values.Active);
  SaveAutoSaveSection(file, values);
}

}  // namespace settings
