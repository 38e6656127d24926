#pragma once
// The interface texts in German, English and Polish: 29 strings per language, addressed by
// the same index in every language, and the two-letter codes the settings file stores.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace settings {

// What each string of a language list is for.
enum LanguageText : std::size_t {
  kTextRemoveFormat,           // Formatierungentfernen1
  kTextKeepFormat,             // Formatierungbehalten1
  kTextSavePictureAs,          // Bitmapspeichernunter1, BitmapSpeichernunter2, save dialog title
  kTextShowPicture,            // Bitmapanzeigen1
  kTextCancel,                 // Abbrechen1
  kTextExit,                   // Beenden1
  kTextShortcuts,              // Shortcuts1
  kTextAbout,                  // Ueber1
  kTextDesktopShortcut,        // Desktopverknpfungerstellen1
  kTextAutostartShortcut,      // Autostartverknpfungerstellen1
  kTextDimensionsPrefix,       // status bar, panel 0
  kTextSizePrefix,             // status bar, panel 1
  kTextLanguage,               // Sprache1
  kTextOptions,                // Optionen1
  kTextReactToText,            // AufTextReagieren1
  kTextReactToPictures,        // AufBilderReagieren1
  kTextAutosavePictures,       // Bilderautomatischspeichern1
  kTextAutosaveActive,         // Autosave dialog: CheckBoxSaveActive
  kTextFolderLabel,            // Autosave dialog: LabelFolder
  kTextFormatLabel,            // Autosave dialog: LabelFormat
  kTextPicNameLabel,           // Autosave dialog: LabelPicName
  kTextSaveButton,             // Autosave dialog: ButtonSave
  kTextCancelButton,           // Autosave dialog: ButtonCancel
  kTextAutosaveDialogCaption,  // Autosave dialog caption
  kTextEmptyFolderMessage,     // autosave without a folder
  kTextHelp,                   // Hilfe1
  kTextFormattedOnly,          // NurFormatiert1
  kTextClipboardHolder,        // second line of a failed clipboard open: who holds it, "%s" its file
  kTextRestoreFormat,          // Formatierungwiederherstellen1
  kLanguageTextCount
};

inline constexpr std::size_t kLanguageCount = 3;
inline constexpr std::size_t kLanguageGerman = 0;
inline constexpr std::size_t kLanguageEnglish = 1;
inline constexpr std::size_t kLanguagePolish = 2;

struct LanguageList {
  std::wstring_view name;
  std::wstring_view code;
  std::array<std::wstring_view, kLanguageTextCount> texts;
};

// German, English, Polish, in this order.
const std::array<LanguageList, kLanguageCount>& LanguageLists();

// The index of the language with exactly this code ("DE", "EN", "PL"; case matters).
std::optional<std::size_t> LanguageIndexOfCode(std::wstring_view code);

}  // namespace settings
