// The texts are kept exactly as the program has always shown them, spelling included.
// This file is UTF-8; the compiler turns the wide literals into UTF-16.
#include "settings/LanguageTable.h"

namespace settings {

const std::array<LanguageList, kLanguageCount>& LanguageLists() {
  static constexpr std::array<LanguageList, kLanguageCount> lists{{
      {L"Deutsch",
       L"DE",
       {L"Formatierung entfernen",
        L"Formatireung behalten",
        L"Bild speichern unter...",
        L"Bild anzeigen",
        L"Abbrechen",
        L"Beenden",
        L"Verknüpfungen",
        L"Über...",
        L"Desktopverknüpfung erstellen",
        L"Autostartverknüpfung erstellen",
        L"Abmessungen: ",
        L"Größe im Speicher: ",
        L"Sprache",
        L"Optionen",
        L"Auf Text reagieren",
        L"Auf Bilder reagieren",
        L"Bilder automatisch speichern",
        L"Autospeichern",
        L"Verzeichnis:",
        L"Format:",
        L"Name:",
        L"Speichern",
        L"Abbrechen",
        L"Autospeichern...",
        L"Es wurde kein Verzeichnis für die Autospeicherung angegeben",
        L"Hilfe",
        L"Nur formatierten Text"}},
      {L"Englisch",
       L"EN",
       {L"Remove textformat",
        L"Keep textformat",
        L"Save picture as...",
        L"Show picture",
        L"Cancel",
        L"Exit",
        L"Shortcuts",
        L"Info...",
        L"Create desktop shortcut",
        L"Create autostart shortcut",
        L"Dimensions: ",
        L"Size in memory: ",
        L"Language",
        L"Properties",
        L"Text highlighting",
        L"Picture highlighting",
        L"Autosave for pictures",
        L"Autosave",
        L"Directory:",
        L"Format:",
        L"Name:",
        L"Save",
        L"Cancel",
        L"Autosave...",
        L"Directory for autosave is empty",
        L"Help",
        L"Formatted text only"}},
      {L"Polnisch",
       L"PL",
       {L"Usuń format tekstu",
        L"Zachowaj format tekstu",
        L"Zapisz obraz jako...",
        L"Pokaż obraz",
        L"Anuluj",
        L"Zakończ",
        L"Skruty",
        L"Info...",
        L"Załóż skrut na pulpicie",
        L"Załóż skrut w folderze Autostart",
        L"Rozmiar: ",
        L"Wielkość w pamięci: ",
        L"Język",
        L"Opcje",
        L"Reaguj na tekst",
        L"Reaguj na obrazy",
        L"Automatyczny zapis obrazów",
        L"Automatyczny zapis",
        L"Katalog:",
        L"Format:",
        L"Nazwa:",
        L"Zapisz",
        L"Anuluj",
        L"Automatyczny zapis...",
        L"Katalog dla automatycznego zapisu nie jest zdefinjowany",
        L"Pomoc",
        L"Tylko sformatowany tekst"}},
  }};
  return lists;
}

std::optional<std::size_t> LanguageIndexOfCode(std::wstring_view code) {
  const auto& lists = LanguageLists();
  for (std::size_t index = 0; index < lists.size(); ++index) {
    if (lists[index].code == code) return index;
  }
  return std::nullopt;
}

}  // namespace settings
