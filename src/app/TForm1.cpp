#include "app/TForm1.h"

#include <optional>
#include <vector>

#include "ProgramVersion.h"
#include "clipboard/Clipboard.h"
#include "resource.h"
#include "settings/LanguageTable.h"
#include "ui/Application.h"
#include "ui/Icon.h"

namespace app {
namespace {

// Image list indexes of the menu icons.
enum MenuImage : int {
  kImageExit = 0,
  kImageShow = 1,
  kImageRemoveFormat = 6,
  kImageShortcut = 7,
  kImageOptions = 8,
  kImageKeepFormat = 9,
  kImageSave = 10,
  kImageAbout = 11,
  kImageCancel = 12,
  kImageFlagGerman = 13,
  kImageFlagPolish = 14,
  kImageFlagEnglish = 15,
  kImageHelp = 17,
};
constexpr int kNoImage = ui::TMenuItem::kNoImage;

}  // namespace

TForm1::TForm1() : ui::TForm(nullptr, L"Form1", L"TForm1", VELMO_PROGRAM_CAPTION, 327, 114, 526, 496) {
  Image = new ui::TImage(this, L"Image", Picture);
  Picture.OnChange = [this] { Image->PictureChanged(); };
  StatusBar = new ui::TStatusBar(this, L"StatusBar", {150, 50});
  // Joins the viewer chain only once this copy has been accepted (below): a refused copy must
  // not touch the chain at all. Ten copies started at once would otherwise join and leave it
  // all at the same moment, which the chain does not always survive.
  ClipboardMonitor = new clipboard::TJvClipboardMonitor(this, L"ClipboardMonitor", false);
  CreateImages();
  CreateMenus();
  ApplyTrayIconSettings();
  JvAppInstanz = new shell::TJvAppInstances(this, L"JvAppInstanz");
  JvAppInstanz->OnRejected = [this](shell::TJvAppInstances& sender) { JvAppInstanzRejected(sender); };
  Image->PopupMenu = PopupMenuAnzeige;
  CreateLanguageTables();
  Realign();
  LoadedAll();
  ClipboardMonitor->OnChange = [this](clipboard::TJvClipboardMonitor&) { ClipboardMonitorChange(); };
  // A copy that a crashed viewer swallowed still opens its menu, a moment late, at the mouse.
  ClipboardMonitor->ReportMissedChanges = true;
  FormCreate();
  // Accepted and set up: from now on copies get a reaction (what the clipboard holds already
  // does not).
  ClipboardMonitor->SetEnabled(true);
}

TForm1::~TForm1() { StopWatchingClipboard(); }

void TForm1::StopWatchingClipboard() {
  ClipboardMonitor->OnChange = nullptr;
  ClipboardMonitor->SetEnabled(false);
}

void TForm1::CreateImages() {
  ImageList1 = new ui::TImageList(this, L"ImageList1");
  for (int index :
       {kImageExit, kImageShow, kImageRemoveFormat, kImageShortcut, kImageOptions, kImageKeepFormat, kImageSave,
        kImageAbout, kImageCancel, kImageFlagGerman, kImageFlagPolish, kImageFlagEnglish, kImageHelp}) {
    ImageList1->AddResourceIcon(index, IDI_MENU_BASE + index);
  }
}

void TForm1::CreateMenus() {
  HWND window = Handle();
  PopupMenuText = new ui::TPopupMenu(this, L"PopupMenuText", window, ImageList1);
  Formatierungentfernen1 =
      &PopupMenuText->Add(L"Formatierungentfernen1", L"Formatierung entfernen", kImageRemoveFormat);
  Formatierungbehalten1 = &PopupMenuText->Add(L"Formatierungbehalten1", L"Formatierung behalten", kImageKeepFormat);

  TrayIcon = new shell::TCoolTrayIcon(this, L"TrayIcon");

  PopupMenuTray = new ui::TPopupMenu(this, L"PopupMenuTray", window, ImageList1);
  Shortcuts1 = &PopupMenuTray->Add(L"Shortcuts1", L"Verknüpfungen", kImageShortcut);
  Autostartverknpfungerstellen1 =
      &Shortcuts1->Add(L"Autostartverknpfungerstellen1", L"Autostartverknüpfung erstellen", kImageShortcut);
  Desktopverknpfungerstellen1 =
      &Shortcuts1->Add(L"Desktopverknpfungerstellen1", L"Desktopverknüpfung erstellen", kImageShortcut);
  Optionen1 = &PopupMenuTray->Add(L"Optionen1", L"Optionen", kImageOptions);
  AufTextReagieren1 = &Optionen1->Add(L"AufTextReagieren1", L"Auf Text reagieren", kNoImage);
  NurFormatiert1 = &Optionen1->Add(L"NurFormatiert1", L"Nur formatierten Text", kNoImage);
  AufBilderReagieren1 = &Optionen1->Add(L"AufBilderReagieren1", L"Auf Bilder reagieren", kNoImage);
  Bilderautomatischspeichern1 =
      &Optionen1->Add(L"Bilderautomatischspeichern1", L"Bilder automatisch speichern", kNoImage);
  Sprache1 = &PopupMenuTray->Add(L"Sprache1", L"Sprache", kNoImage);
  Deutsch1 = &Sprache1->Add(L"Deutsch1", L"Deutsch", kImageFlagGerman);
  English1 = &Sprache1->Add(L"English1", L"English", kImageFlagEnglish);
  Polski1 = &Sprache1->Add(L"Polski1", L"Polski", kImageFlagPolish);
  Deutsch1->OnClick = [this] { Deutsch1Click(); };
  English1->OnClick = [this] { English1Click(); };
  Polski1->OnClick = [this] { Polski1Click(); };
  Ueber1 = &PopupMenuTray->Add(L"Ueber1", L"Über...", kImageAbout);
  Hilfe1 = &PopupMenuTray->Add(L"Hilfe1", L"Hilfe", kImageHelp);
  Beenden1 = &PopupMenuTray->Add(L"Beenden1", L"Beenden", kImageExit);
  Beenden1->OnClick = [this] { Beenden1Click(); };
  Autostartverknpfungerstellen1->OnClick = [this] { MitWindowsstarten1Click(); };
  Desktopverknpfungerstellen1->OnClick = [this] { Desktopverknpfungerstellen1Click(); };
  Ueber1->OnClick = [this] { Ueber1Click(); };
  Hilfe1->OnClick = [this] { Hilfe1Click(); };
  Formatierungentfernen1->OnClick = [this] { Formatierungentfernen1Click(); };
  AufTextReagieren1->OnClick = [this] { AufTextReagieren1Click(); };
  NurFormatiert1->OnClick = [this] { NurFormatiert1Click(); };
  AufBilderReagieren1->OnClick = [this] { AufBilderReagieren1Click(); };
  Bilderautomatischspeichern1->OnClick = [this] { Bilderautomatischspeichern1Click(); };
  ShowSettings();

  PopupMenuBitmap = new ui::TPopupMenu(this, L"PopupMenuBitmap", window, ImageList1);
  Bitmapspeichernunter1 = &PopupMenuBitmap->Add(L"Bitmapspeichernunter1", L"Bild speichern unter...", kImageSave);
  Bitmapanzeigen1 = &PopupMenuBitmap->Add(L"Bitmapanzeigen1", L"Bild anzeigen", kImageShow);
  Abbrechen1 = &PopupMenuBitmap->Add(L"Abbrechen1", L"Abbrechen", kImageCancel);

  Bitmapspeichernunter1->OnClick = [this] { Bitmapspeichernunter1Click(); };
  Bitmapanzeigen1->OnClick = [this] { Bitmapanzeigen1Click(); };
  Abbrechen1->OnClick = [this] { Abbrechen1Click(); };

  CreateSaveDialog();

  PopupMenuAnzeige = new ui::TPopupMenu(this, L"PopupMenuAnzeige", window, ImageList1);
  BitmapSpeichernunter2 = &PopupMenuAnzeige->Add(L"BitmapSpeichernunter2", L"Bild speichern unter...", kImageSave);
  BitmapSpeichernunter2->OnClick = [this] { BitmapSpeichernunter2Click(); };

  // Made last, so every other item keeps the command id it has always had; shown first, so the
  // command is at hand, and only while a removal has something to give back.
  Formatierungwiederherstellen1 =
      &PopupMenuTray->Insert(0, L"Formatierungwiederherstellen1", L"Formatierung wiederherstellen", kImageKeepFormat);
  N1 = &PopupMenuTray->Insert(1, L"N1", L"-", kNoImage);
  Formatierungwiederherstellen1->SetVisible(false);
  N1->SetVisible(false);
  Formatierungwiederherstellen1->OnClick = [this] { Formatierungwiederherstellen1Click(); };
  PopupMenuTray->OnPopup = [this] { PopupMenuTrayPopup(); };
}

void TForm1::CreateLanguageTables() {
  MultiString = new settings::TJvMultiStringHolder(this, L"MultiString");
  for (const settings::LanguageList& list : settings::LanguageLists()) {
    MultiString->Add(std::wstring(list.name), std::vector<std::wstring>(list.texts.begin(), list.texts.end()));
  }
}

void TForm1::FormCreate() {
  iniFile_ = std::make_unique<settings::TIniFile>(settings::kSettingsFileName);
  settings::Settings read = settings::LoadSettings(*iniFile_);
  // Applied even when the code is unknown or empty: the table's texts replace the designed ones.
  ApplyLanguage(read.LanguageCode);
  read.LanguageCode = LanguageCode();
  SetSettings(read);
  TrayIcon->SetHint(Caption());
}

void TForm1::SetSettings(const settings::Settings& values) {
  if (values.LanguageCode != LanguageCode()) ChooseLanguage(values.LanguageCode);
  // An unknown code is not put in force.
  const std::wstring languageCode = LanguageCode();
  settings_ = values;
  settings_.LanguageCode = languageCode;
  ShowSettings();
}

void TForm1::ShowSettings() {
  AufTextReagieren1->SetChecked(settings_.ReactToText);
  NurFormatiert1->SetChecked(settings_.FormattedOnly);
  // Formatted text only can be switched only while the text switch is on.
  NurFormatiert1->SetEnabled(settings_.ReactToText);
  AufBilderReagieren1->SetChecked(settings_.ReactToPictures);
  Bilderautomatischspeichern1->SetChecked(settings_.AutoSave.Active);
}

// The tray icon's settings as the window keeps them, in their stored order.
void TForm1::ApplyTrayIconSettings() {
  ui::TIcon programIcon;
  programIcon.LoadFromResource(IDI_PROGRAM, GetSystemMetrics(SM_CXSMICON));
  TrayIcon->SetIcon(programIcon);
  TrayIcon->SetIconVisible(true);
  TrayIcon->SetIconIndex(0);
  TrayIcon->SetPopupMenu(PopupMenuTray);
  TrayIcon->SetMinimizeToTray(true);
}

void TForm1::Beenden1Click() {
  exitFlag_ = true;
  keptClipboard_.Clear();
  // Once written, the settings object is gone; an Exit after that only closes.
  if (iniFile_) {
    settings::SaveSettings(*iniFile_, settings_);
    iniFile_.reset();
  }
  Close();
}

void TForm1::Deutsch1Click() { ChooseLanguage(L"DE"); }

void TForm1::English1Click() { ChooseLanguage(L"EN"); }

void TForm1::Polski1Click() { ChooseLanguage(L"PL"); }

void TForm1::ChooseLanguage(const std::wstring& code) {
  ApplyLanguage(code);
  if (OnLanguageApplied) OnLanguageApplied();
}

void TForm1::ApplyLanguage(const std::wstring& code) {
  using namespace settings;
  if (const std::optional<std::size_t> index = LanguageIndexOfCode(code)) {
    languageIndex_ = *index;
    settings_.LanguageCode = code;
    const ui::TMenuItem* const languageItems[kLanguageCount] = {Deutsch1, English1, Polski1};
    Sprache1->SetImageIndex(languageItems[languageIndex_]->ImageIndex());
  }
  Formatierungentfernen1->SetCaption(LanguageString(kTextRemoveFormat));
  Formatierungbehalten1->SetCaption(LanguageString(kTextKeepFormat));
  Formatierungwiederherstellen1->SetCaption(LanguageString(kTextRestoreFormat));
  Bitmapspeichernunter1->SetCaption(LanguageString(kTextSavePictureAs));
  BitmapSpeichernunter2->SetCaption(LanguageString(kTextSavePictureAs));
  SaveDialog->Title = LanguageString(kTextSavePictureAs);
  Bitmapanzeigen1->SetCaption(LanguageString(kTextShowPicture));
  Abbrechen1->SetCaption(LanguageString(kTextCancel));
  Beenden1->SetCaption(LanguageString(kTextExit));
  Shortcuts1->SetCaption(LanguageString(kTextShortcuts));
  Ueber1->SetCaption(LanguageString(kTextAbout));
  Desktopverknpfungerstellen1->SetCaption(LanguageString(kTextDesktopShortcut));
  Autostartverknpfungerstellen1->SetCaption(LanguageString(kTextAutostartShortcut));
  dimensionsPrefix_ = LanguageString(kTextDimensionsPrefix);
  sizePrefix_ = LanguageString(kTextSizePrefix);
  Sprache1->SetCaption(LanguageString(kTextLanguage));
  Optionen1->SetCaption(LanguageString(kTextOptions));
  AufTextReagieren1->SetCaption(LanguageString(kTextReactToText));
  NurFormatiert1->SetCaption(LanguageString(kTextFormattedOnly));
  AufBilderReagieren1->SetCaption(LanguageString(kTextReactToPictures));
  Bilderautomatischspeichern1->SetCaption(LanguageString(kTextAutosavePictures));
  emptyFolderMessage_ = LanguageString(kTextEmptyFolderMessage);
  Hilfe1->SetCaption(LanguageString(kTextHelp));
  clipboard::Clipboard().SetHolderText(LanguageString(kTextClipboardHolder));
}

const std::wstring& TForm1::LanguageString(std::size_t index) const { return LanguageStrings().at(index); }

const std::vector<std::wstring>& TForm1::LanguageStrings() const { return MultiString->List(languageIndex_).Strings; }

void TForm1::JvAppInstanzRejected(shell::TJvAppInstances&) {
  // The same text in every interface language.
  MessageBoxW(ui::TApplication::Current()->Handle(), L"Action aborted...\r\nThis Program is allready started.",
              ui::TApplication::Current()->Title().c_str(), MB_OK);
}

bool TForm1::CloseQuery() {
  if (exitFlag_) {
    // The program ends now. Clipboard changes arriving from here on get no menu, and a copy
    // started in this moment is told this one is no longer active, so it runs.
    StopWatchingClipboard();
    JvAppInstanz->SetActive(false);
    return true;
  }
  TrayIcon->HideMainWindow();
  return false;
}

void TForm1::SessionEnding() {
  // Windows is ending the session: leave exactly as Exit does, so nothing is lost.
  Beenden1Click();
}

}  // namespace app
