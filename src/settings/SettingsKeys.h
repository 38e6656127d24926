#pragma once
// Where the program keeps its settings: the file, its sections and keys, and the value a key
// has while it is missing from the file.

namespace settings {

// Relative on purpose: the file lives in whatever the working directory is at each access,
// which the program's shortcuts set to the program's own folder.
inline constexpr const wchar_t* kSettingsFileName = L".\\VelmoClipboard.ini";

inline constexpr const wchar_t* kSectionProgram = L"Program";
inline constexpr const wchar_t* kKeyLanguage = L"Language";
inline constexpr const wchar_t* kKeyReaktText = L"ReaktText";
inline constexpr const wchar_t* kKeyReaktBild = L"ReaktBild";
inline constexpr const wchar_t* kKeyAutoSave = L"AutoSave";
inline constexpr const wchar_t* kKeyNurFormatiert = L"NurFormatiert";

inline constexpr const wchar_t* kSectionAutoSave = L"AutoSave";
inline constexpr const wchar_t* kKeyDir = L"Dir";
inline constexpr const wchar_t* kKeyFormat = L"Format";
inline constexpr const wchar_t* kKeyPicName = L"PicName";

inline constexpr const wchar_t* kDefaultLanguage = L"DE";
inline constexpr bool kDefaultReaktText = true;
inline constexpr bool kDefaultReaktBild = true;
inline constexpr bool kDefaultAutoSave = false;
inline constexpr bool kDefaultNurFormatiert = false;
inline constexpr const wchar_t* kDefaultDir = L"";
inline constexpr const wchar_t* kDefaultFormat = L"BMP";
inline constexpr const wchar_t* kDefaultPicName = L"Pic";

}  // namespace settings
