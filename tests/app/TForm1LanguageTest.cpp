#include <gtest/gtest.h>

#include <map>

#include "MainFormFixture.h"
#include "settings/LanguageTable.h"

namespace {

// What every menu item and text of the main window reads in one language. Polish is written
// with escapes so a source read in the wrong encoding cannot make both sides agree.
struct LanguageView {
  std::map<std::wstring, std::wstring> captions;  // by component name
  std::wstring dimensionsPrefix;
  std::wstring sizePrefix;
  std::wstring emptyFolderMessage;
  int flagImage;
};

std::map<std::wstring, std::wstring> WithLanguageItems(std::map<std::wstring, std::wstring> captions) {
  // The language items keep their own names in every language.
  captions[L"Deutsch1"] = L"Deutsch";
  captions[L"English1"] = L"English";
  captions[L"Polski1"] = L"Polski";
  captions[L"N1"] = L"-";
  return captions;
}

const LanguageView kGerman{WithLanguageItems({
                               {L"Formatierungentfernen1", L"Formatierung entfernen"},
                               {L"Formatierungbehalten1", L"Formatireung behalten"},
                               {L"Formatierungwiederherstellen1", L"Formatierung wiederherstellen"},
                               {L"Bitmapspeichernunter1", L"Bild speichern unter..."},
                               {L"Bitmapanzeigen1", L"Bild anzeigen"},
                               {L"Abbrechen1", L"Abbrechen"},
                               {L"BitmapSpeichernunter2", L"Bild speichern unter..."},
                               {L"Shortcuts1", L"Verkn\u00fcpfungen"},
                               {L"Autostartverknpfungerstellen1", L"Autostartverkn\u00fcpfung erstellen"},
                               {L"Desktopverknpfungerstellen1", L"Desktopverkn\u00fcpfung erstellen"},
                               {L"Optionen1", L"Optionen"},
                               {L"AufTextReagieren1", L"Auf Text reagieren"},
                               {L"NurFormatiert1", L"Nur formatierten Text"},
                               {L"AufBilderReagieren1", L"Auf Bilder reagieren"},
                               {L"Bilderautomatischspeichern1", L"Bilder automatisch speichern"},
                               {L"Sprache1", L"Sprache"},
                               {L"Ueber1", L"\u00dcber..."},
                               {L"Hilfe1", L"Hilfe"},
                               {L"Beenden1", L"Beenden"},
                           }),
                           L"Abmessungen: ", L"Gr\u00f6\u00dfe im Speicher: ",
                           L"Es wurde kein Verzeichnis f\u00fcr die Autospeicherung angegeben", 13};

const LanguageView kEnglish{WithLanguageItems({
                                {L"Formatierungentfernen1", L"Remove textformat"},
                                {L"Formatierungbehalten1", L"Keep textformat"},
                                {L"Formatierungwiederherstellen1", L"Restore formatting"},
                                {L"Bitmapspeichernunter1", L"Save picture as..."},
                                {L"Bitmapanzeigen1", L"Show picture"},
                                {L"Abbrechen1", L"Cancel"},
                                {L"BitmapSpeichernunter2", L"Save picture as..."},
                                {L"Shortcuts1", L"Shortcuts"},
                                {L"Autostartverknpfungerstellen1", L"Create autostart shortcut"},
                                {L"Desktopverknpfungerstellen1", L"Create desktop shortcut"},
                                {L"Optionen1", L"Properties"},
                                {L"AufTextReagieren1", L"Text highlighting"},
                                {L"NurFormatiert1", L"Formatted text only"},
                                {L"AufBilderReagieren1", L"Picture highlighting"},
                                {L"Bilderautomatischspeichern1", L"Autosave for pictures"},
                                {L"Sprache1", L"Language"},
                                {L"Ueber1", L"Info..."},
                                {L"Hilfe1", L"Help"},
                                {L"Beenden1", L"Exit"},
                            }),
                            L"Dimensions: ", L"Size in memory: ", L"Directory for autosave is empty", 15};

const LanguageView kPolish{WithLanguageItems({
                               {L"Formatierungentfernen1", L"Usu\u0144 format tekstu"},
                               {L"Formatierungbehalten1", L"Zachowaj format tekstu"},
                               {L"Formatierungwiederherstellen1", L"Przywr\u00f3\u0107 formatowanie"},
                               {L"Bitmapspeichernunter1", L"Zapisz obraz jako..."},
                               {L"Bitmapanzeigen1", L"Poka\u017c obraz"},
                               {L"Abbrechen1", L"Anuluj"},
                               {L"BitmapSpeichernunter2", L"Zapisz obraz jako..."},
                               {L"Shortcuts1", L"Skruty"},
                               {L"Autostartverknpfungerstellen1", L"Za\u0142\u00f3\u017c skrut w folderze Autostart"},
                               {L"Desktopverknpfungerstellen1", L"Za\u0142\u00f3\u017c skrut na pulpicie"},
                               {L"Optionen1", L"Opcje"},
                               {L"AufTextReagieren1", L"Reaguj na tekst"},
                               {L"NurFormatiert1", L"Tylko sformatowany tekst"},
                               {L"AufBilderReagieren1", L"Reaguj na obrazy"},
                               {L"Bilderautomatischspeichern1", L"Automatyczny zapis obraz\u00f3w"},
                               {L"Sprache1", L"J\u0119zyk"},
                               {L"Ueber1", L"Info..."},
                               {L"Hilfe1", L"Pomoc"},
                               {L"Beenden1", L"Zako\u0144cz"},
                           }),
                           L"Rozmiar: ", L"Wielko\u015b\u0107 w pami\u0119ci: ",
                           L"Katalog dla automatycznego zapisu nie jest zdefinjowany", 14};

// The text the menu itself holds for an item, which is what the user sees.
std::wstring MenuText(HMENU menu, const ui::TMenuItem& item) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, item.Command(), text, 256, MF_BYCOMMAND);
  return text;
}

void ExpectItems(HMENU menu, const std::vector<std::unique_ptr<ui::TMenuItem>>& items, const LanguageView& view,
                 std::size_t& seen) {
  for (const auto& item : items) {
    const auto expected = view.captions.find(item->Name());
    if (expected == view.captions.end()) {
      ADD_FAILURE() << "no caption expected for a menu item";
      continue;
    }
    ++seen;
    EXPECT_EQ(item->Caption(), expected->second);
    // A hidden item is not in the menu at all.
    EXPECT_EQ(MenuText(menu, *item), item->Visible() ? expected->second : L"");
    ExpectItems(menu, item->Items(), view, seen);
  }
}

void ExpectLanguage(const app::TForm1& form, const LanguageView& view) {
  std::size_t seen = 0;
  for (const ui::TPopupMenu* menu :
       {&form.PopupMenuText(), &form.PopupMenuTray(), &form.PopupMenuBitmap(), &form.PopupMenuAnzeige()})
    ExpectItems(menu->Handle(), menu->Items(), view, seen);
  EXPECT_EQ(seen, view.captions.size());
  EXPECT_EQ(form.DimensionsPrefix(), view.dimensionsPrefix);
  EXPECT_EQ(form.SizePrefix(), view.sizePrefix);
  EXPECT_EQ(form.EmptyFolderMessage(), view.emptyFolderMessage);
  EXPECT_EQ(form.Sprache1().ImageIndex(), view.flagImage);
  for (const ui::TMenuItem* item : {&form.Deutsch1(), &form.English1(), &form.Polski1()}) EXPECT_FALSE(item->Checked());
}

class TForm1Language : public app_test::MainFormFixture {};

TEST_F(TForm1Language, StartsInTheLanguageOfTheSettingsFile) {
  WriteIni("[Program]\r\nLanguage=EN\r\n");
  {
    app::TForm1& form = StartForm();
    EXPECT_EQ(form.LanguageCode(), L"EN");
    EXPECT_EQ(form.LanguageIndex(), settings::kLanguageEnglish);
    ExpectLanguage(form, kEnglish);
  }
  WriteIni("[Program]\r\nLanguage=PL\r\n");
  {
    app::TForm1& form = StartForm();
    EXPECT_EQ(form.LanguageCode(), L"PL");
    ExpectLanguage(form, kPolish);
  }
}

TEST_F(TForm1Language, GermanTextMenuSecondItemReadsTheTableTextAfterStart) {
  app::TForm1& form = StartForm();
  EXPECT_EQ(form.Formatierungbehalten1().Caption(), L"Formatireung behalten");
  ExpectLanguage(form, kGerman);
}

TEST_F(TForm1Language, UnknownEmptyOrLowerCaseCodeStartsGermanAndExitWritesAnEmptyCode) {
  for (const char* code : {"FR", "", "en"}) {
    SCOPED_TRACE(code);
    WriteIni(std::string("[Program]\r\nLanguage=") + code + "\r\n");
    app::TForm1& form = StartForm();
    EXPECT_EQ(form.LanguageCode(), L"");
    EXPECT_EQ(form.LanguageIndex(), settings::kLanguageGerman);
    LanguageView german = kGerman;
    german.flagImage = ui::TMenuItem::kNoImage;  // no language was chosen, so no flag
    ExpectLanguage(form, german);
    Choose(&form.Beenden1());
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_EQ(IniLines().at(1), L"Language=");
  }
}

TEST_F(TForm1Language, EachLanguageCommandSwitchesEveryMenuAtOnceThenTellsTheDialog) {
  app::TForm1& form = StartForm();
  std::vector<std::wstring> exitCaptionsSeenByDialog;
  form.OnLanguageApplied = [&] {
    exitCaptionsSeenByDialog.push_back(form.Beenden1().Caption());
    EXPECT_EQ(form.LanguageString(settings::kTextAutosaveDialogCaption),
              settings::LanguageLists()[form.LanguageIndex()].texts[settings::kTextAutosaveDialogCaption]);
  };

  Choose(&form.English1());
  ExpectLanguage(form, kEnglish);
  EXPECT_EQ(form.LanguageCode(), L"EN");
  EXPECT_EQ(form.LanguageString(settings::kTextSaveButton), L"Save");

  Choose(&form.Polski1());
  ExpectLanguage(form, kPolish);
  EXPECT_EQ(form.LanguageCode(), L"PL");
  EXPECT_EQ(form.LanguageString(settings::kTextAutosaveActive), L"Automatyczny zapis");

  Choose(&form.Deutsch1());
  ExpectLanguage(form, kGerman);
  EXPECT_EQ(form.LanguageCode(), L"DE");
  EXPECT_EQ(form.LanguageString(settings::kTextFolderLabel), L"Verzeichnis:");

  EXPECT_EQ(exitCaptionsSeenByDialog, (std::vector<std::wstring>{L"Exit", L"Zako\u0144cz", L"Beenden"}));
}

TEST_F(TForm1Language, ChoosingPolskiThenExitWritesPl) {
  WriteIni("[Program]\r\nLanguage=EN\r\n");
  app::TForm1& form = StartForm();
  Choose(&form.Polski1());
  Choose(&form.Beenden1());
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_EQ(IniLines().at(1), L"Language=PL");
}

TEST_F(TForm1Language, MultiStringHoldsTheThreeNamedListsOf29Strings) {
  const app::TForm1& form = StartForm();
  const auto& lists = form.MultiString().Lists();
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(lists[0].Name, L"Deutsch");
  EXPECT_EQ(lists[1].Name, L"Englisch");
  EXPECT_EQ(lists[2].Name, L"Polnisch");
  for (const auto& list : lists) EXPECT_EQ(list.Strings.size(), 29u);
  EXPECT_EQ(lists[2].Strings[24], L"Katalog dla automatycznego zapisu nie jest zdefinjowany");
}

}  // namespace
