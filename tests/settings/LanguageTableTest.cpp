#include <gtest/gtest.h>

#include "settings/LanguageTable.h"

namespace {

using settings::LanguageLists;

TEST(LanguageTable, HoldsGermanEnglishAndPolishUnderTheirNamesAndCodes) {
  const auto& lists = LanguageLists();
  EXPECT_EQ(lists[settings::kLanguageGerman].name, L"Deutsch");
  EXPECT_EQ(lists[settings::kLanguageEnglish].name, L"Englisch");
  EXPECT_EQ(lists[settings::kLanguagePolish].name, L"Polnisch");
  for (const auto& list : lists) {
    for (std::wstring_view text : list.texts)
      EXPECT_FALSE(text.empty()) << "an empty text in " << testing::PrintToString(std::wstring(list.code));
  }
}

TEST(LanguageTable, CodesMatchOnlyExactlyAndCaseSensitively) {
  EXPECT_EQ(settings::LanguageIndexOfCode(L"DE"), settings::kLanguageGerman);
  EXPECT_EQ(settings::LanguageIndexOfCode(L"EN"), settings::kLanguageEnglish);
  EXPECT_EQ(settings::LanguageIndexOfCode(L"PL"), settings::kLanguagePolish);
  for (const wchar_t* code : {L"en", L"De", L"pl", L"FR", L"", L"DE ", L"ENG", L"D"}) {
    EXPECT_EQ(settings::LanguageIndexOfCode(code), std::nullopt) << testing::PrintToString(std::wstring(code));
  }
}

// Spelled with escapes on purpose: this fails if the table's source is read in any encoding
// but UTF-8, or if a text lost its Polish or German letters.
TEST(LanguageTable, NonLatinLettersAreUnicodeCharacters) {
  const auto& german = LanguageLists()[settings::kLanguageGerman].texts;
  const auto& polish = LanguageLists()[settings::kLanguagePolish].texts;
  EXPECT_EQ(german[settings::kTextSizePrefix], L"Gr\u00f6\u00dfe im Speicher: ");
  EXPECT_EQ(german[settings::kTextAbout], L"\u00dcber...");
  EXPECT_EQ(german[settings::kTextEmptyFolderMessage],
            L"Es wurde kein Verzeichnis f\u00fcr die Autospeicherung angegeben");
  EXPECT_EQ(polish[settings::kTextRemoveFormat], L"Usu\u0144 format tekstu");
  EXPECT_EQ(polish[settings::kTextExit], L"Zako\u0144cz");
  EXPECT_EQ(polish[settings::kTextDesktopShortcut], L"Za\u0142\u00f3\u017c skrut na pulpicie");
  EXPECT_EQ(polish[settings::kTextSizePrefix], L"Wielko\u015b\u0107 w pami\u0119ci: ");
  EXPECT_EQ(polish[settings::kTextLanguage], L"J\u0119zyk");
  EXPECT_EQ(polish[settings::kTextAutosavePictures], L"Automatyczny zapis obraz\u00f3w");
}

}  // namespace
