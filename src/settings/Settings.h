#pragma once
// What the program keeps between runs, as one value: the three reaction switches, formatted
// text only, the interface language and the autosave values. LoadSettings and SaveSettings are
// the only code that knows how the settings file stores them.
#include <string>

namespace settings {

class TIniFile;

// Relative on purpose: the file lives in whatever the working directory is at each access,
// which the program's shortcuts set to the program's own folder.
inline constexpr const wchar_t* kSettingsFileName = L".\\VelmoClipboard.ini";

// What the Autosave dialog edits.
struct AutoSaveSettings {
  bool Active = false;
  std::wstring Folder;            // as the folder picker returns it
  std::wstring Format = L"BMP";   // "BMP", "JPG" or "PNG"; any other value writes nothing
  std::wstring PicName = L"Pic";  // base name of the saved pictures

  bool operator==(const AutoSaveSettings&) const = default;
};

// A default value is what a first start without a settings file has.
struct Settings {
  std::wstring LanguageCode = L"DE";  // "DE", "EN" or "PL"; empty until a known code has been applied
  bool ReactToText = true;
  bool FormattedOnly = false;  // plain text gets no text menu
  bool ReactToPictures = true;
  AutoSaveSettings AutoSave{};

  bool operator==(const Settings&) const = default;
};

// Each value as the file has it; a missing file, section or key gives the default value.
[[nodiscard]] Settings LoadSettings(const TIniFile& file);
// All of them, as Exit leaves them. A failed write raises the file's error and ends the save
// there; what was written before stays written.
void SaveSettings(TIniFile& file, const Settings& values);
// The autosave values alone, as the Autosave dialog puts them in force; the rest waits for Exit.
void SaveSettings(TIniFile& file, const AutoSaveSettings& values);

}  // namespace settings
