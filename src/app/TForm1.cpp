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

TForm1::TForm1(RunObjects& run)
    : ui::TForm(nullptr, L"Form1", L"TForm1", VELMO_PROGRAM_CAPTION, 327, 114, 526, 496),
      clipboard_(run.Clipboard()),
      application_(run.Application()) {
  image_ = new ui::TImage(this, L"Image", picture_);
  picture_.OnChange = [this] { image_->PictureChanged(); };
  statusBar_ = new ui::TStatusBar(this, L"StatusBar", {150, 50});
  // Joins the viewer chain only once this copy has been accepted (below): a refused copy must
  // not touch the chain at all. Ten copies started at once would otherwise join and leave it
  // all at the same moment, which the chain does not always survive.
  clipboardMonitor_ = new clipboard::TJvClipboardMonitor(this, L"ClipboardMonitor", false);
  CreateImages();
  CreateMenus(run.TrayIconHandler());
  ApplyTrayIconSettings();
  jvAppInstanz_ = new shell::TJvAppInstances(this, run.Registry(), L"JvAppInstanz");
  jvAppInstanz_->OnRejected = [this](shell::TJvAppInstances& sender) { JvAppInstanzRejected(sender); };
  image_->PopupMenu = popupMenuAnzeige_;
  CreateLanguageTables();
  Realign();
  LoadedAll();
  clipboardMonitor_->OnChange = [this](clipboard::TJvClipboardMonitor&) { ClipboardMonitorChange(); };
  // A copy that a crashed viewer swallowed still opens its menu, a moment late, at the mouse.
  clipboardMonitor_->ReportMissedChanges = true;
  FormCreate();
  // Accepted and set up: from now on copies get a reaction (what the clipboard holds already
  // does not).
  clipboardMonitor_->SetEnabled(true);
}

TForm1::~TForm1() { StopWatchingClipboard(); }

void TForm1::StopWatchingClipboard() {
  clipboardMonitor_->OnChange = nullptr;
  clipboardMonitor_->SetEnabled(false);
}

void TForm1::CreateImages() {
  imageList1_ = new ui::TImageList(this, L"ImageList1");
  for (int index :
       {kImageExit, kImageShow, kImageRemoveFormat, kImageShortcut, kImageOptions, kImageKeepFormat, kImageSave,
        kImageAbout, kImageCancel, kImageFlagGerman, kImageFlagPolish, kImageFlagEnglish, kImageHelp}) {
    imageList1_->AddResourceIcon(index, IDI_MENU_BASE + index);
  }
}

void TForm1::CreateMenus(shell::TTrayIconHandler& trayIconHandler) {
  HWND window = Handle();
  popupMenuText_ = new ui::TPopupMenu(this, L"PopupMenuText", window, imageList1_);
  formatierungentfernen1_ =
      &popupMenuText_->Add(L"Formatierungentfernen1", L"Formatierung entfernen", kImageRemoveFormat);
  formatierungbehalten1_ = &popupMenuText_->Add(L"Formatierungbehalten1", L"Formatierung behalten", kImageKeepFormat);

  trayIcon_ = new shell::TCoolTrayIcon(this, application_, trayIconHandler, L"TrayIcon");

  popupMenuTray_ = new ui::TPopupMenu(this, L"PopupMenuTray", window, imageList1_);
  shortcuts1_ = &popupMenuTray_->Add(L"Shortcuts1", L"Verknüpfungen", kImageShortcut);
  autostartverknpfungerstellen1_ =
      &shortcuts1_->Add(L"Autostartverknpfungerstellen1", L"Autostartverknüpfung erstellen", kImageShortcut);
  desktopverknpfungerstellen1_ =
      &shortcuts1_->Add(L"Desktopverknpfungerstellen1", L"Desktopverknüpfung erstellen", kImageShortcut);
  optionen1_ = &popupMenuTray_->Add(L"Optionen1", L"Optionen", kImageOptions);
  aufTextReagieren1_ = &optionen1_->Add(L"AufTextReagieren1", L"Auf Text reagieren", kNoImage);
  nurFormatiert1_ = &optionen1_->Add(L"NurFormatiert1", L"Nur formatierten Text", kNoImage);
  aufBilderReagieren1_ = &optionen1_->Add(L"AufBilderReagieren1", L"Auf Bilder reagieren", kNoImage);
  bilderautomatischspeichern1_ =
      &optionen1_->Add(L"Bilderautomatischspeichern1", L"Bilder automatisch speichern", kNoImage);
  sprache1_ = &popupMenuTray_->Add(L"Sprache1", L"Sprache", kNoImage);
  deutsch1_ = &sprache1_->Add(L"Deutsch1", L"Deutsch", kImageFlagGerman);
  english1_ = &sprache1_->Add(L"English1", L"English", kImageFlagEnglish);
  polski1_ = &sprache1_->Add(L"Polski1", L"Polski", kImageFlagPolish);
  deutsch1_->OnClick = [this] { Deutsch1Click(); };
  english1_->OnClick = [this] { English1Click(); };
  polski1_->OnClick = [this] { Polski1Click(); };
  ueber1_ = &popupMenuTray_->Add(L"Ueber1", L"Über...", kImageAbout);
  hilfe1_ = &popupMenuTray_->Add(L"Hilfe1", L"Hilfe", kImageHelp);
  beenden1_ = &popupMenuTray_->Add(L"Beenden1", L"Beenden", kImageExit);
  beenden1_->OnClick = [this] { Beenden1Click(); };
  autostartverknpfungerstellen1_->OnClick = [this] { MitWindowsstarten1Click(); };
  desktopverknpfungerstellen1_->OnClick = [this] { Desktopverknpfungerstellen1Click(); };
  ueber1_->OnClick = [this] { Ueber1Click(); };
  hilfe1_->OnClick = [this] { Hilfe1Click(); };
  formatierungentfernen1_->OnClick = [this] { Formatierungentfernen1Click(); };
  aufTextReagieren1_->OnClick = [this] { AufTextReagieren1Click(); };
  nurFormatiert1_->OnClick = [this] { NurFormatiert1Click(); };
  aufBilderReagieren1_->OnClick = [this] { AufBilderReagieren1Click(); };
  bilderautomatischspeichern1_->OnClick = [this] { Bilderautomatischspeichern1Click(); };
  ShowSettings();

  popupMenuBitmap_ = new ui::TPopupMenu(this, L"PopupMenuBitmap", window, imageList1_);
  bitmapspeichernunter1_ = &popupMenuBitmap_->Add(L"Bitmapspeichernunter1", L"Bild speichern unter...", kImageSave);
  bitmapanzeigen1_ = &popupMenuBitmap_->Add(L"Bitmapanzeigen1", L"Bild anzeigen", kImageShow);
  abbrechen1_ = &popupMenuBitmap_->Add(L"Abbrechen1", L"Abbrechen", kImageCancel);

  bitmapspeichernunter1_->OnClick = [this] { Bitmapspeichernunter1Click(); };
  bitmapanzeigen1_->OnClick = [this] { Bitmapanzeigen1Click(); };
  abbrechen1_->OnClick = [this] { Abbrechen1Click(); };

  CreateSaveDialog();

  popupMenuAnzeige_ = new ui::TPopupMenu(this, L"PopupMenuAnzeige", window, imageList1_);
  bitmapSpeichernunter2_ = &popupMenuAnzeige_->Add(L"BitmapSpeichernunter2", L"Bild speichern unter...", kImageSave);
  bitmapSpeichernunter2_->OnClick = [this] { BitmapSpeichernunter2Click(); };

  // Made last, so every other item keeps the command id it has always had; shown first, so the
  // command is at hand, and only while a removal has something to give back.
  formatierungwiederherstellen1_ =
      &popupMenuTray_->Insert(0, L"Formatierungwiederherstellen1", L"Formatierung wiederherstellen", kImageKeepFormat);
  n1_ = &popupMenuTray_->Insert(1, L"N1", L"-", kNoImage);
  formatierungwiederherstellen1_->SetVisible(false);
  n1_->SetVisible(false);
  formatierungwiederherstellen1_->OnClick = [this] { Formatierungwiederherstellen1Click(); };
  popupMenuTray_->OnPopup = [this] { PopupMenuTrayPopup(); };
}

void TForm1::CreateLanguageTables() {
  multiString_ = new settings::TJvMultiStringHolder(this, L"MultiString");
  for (const settings::LanguageList& list : settings::LanguageLists()) {
    multiString_->Add(std::wstring(list.name), std::vector<std::wstring>(list.texts.begin(), list.texts.end()));
  }
}

void TForm1::FormCreate() {
  iniFile_ = std::make_unique<settings::TIniFile>(settings::kSettingsFileName);
  settings::Settings read = settings::LoadSettings(*iniFile_);
  // Applied even when the code is unknown or empty: the table's texts replace the designed ones.
  ApplyLanguage(read.LanguageCode);
  read.LanguageCode = LanguageCode();
  SetSettings(read);
  trayIcon_->SetHint(Caption());
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
  aufTextReagieren1_->SetChecked(settings_.ReactToText);
  nurFormatiert1_->SetChecked(settings_.FormattedOnly);
  // Formatted text only can be switched only while the text switch is on.
  nurFormatiert1_->SetEnabled(settings_.ReactToText);
  aufBilderReagieren1_->SetChecked(settings_.ReactToPictures);
  bilderautomatischspeichern1_->SetChecked(settings_.AutoSave.Active);
}

// The tray icon's settings as the window keeps them, in their stored order.
void TForm1::ApplyTrayIconSettings() {
  ui::TIcon programIcon;
  programIcon.LoadFromResource(IDI_PROGRAM, GetSystemMetrics(SM_CXSMICON));
  trayIcon_->SetIcon(programIcon);
  trayIcon_->SetIconVisible(true);
  trayIcon_->SetIconIndex(0);
  trayIcon_->SetPopupMenu(popupMenuTray_);
  trayIcon_->SetMinimizeToTray(true);
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
    const ui::TMenuItem* const languageItems[kLanguageCount] = {deutsch1_, english1_, polski1_};
    sprache1_->SetImageIndex(languageItems[languageIndex_]->ImageIndex());
  }
  formatierungentfernen1_->SetCaption(LanguageString(kTextRemoveFormat));
  formatierungbehalten1_->SetCaption(LanguageString(kTextKeepFormat));
  formatierungwiederherstellen1_->SetCaption(LanguageString(kTextRestoreFormat));
  bitmapspeichernunter1_->SetCaption(LanguageString(kTextSavePictureAs));
  bitmapSpeichernunter2_->SetCaption(LanguageString(kTextSavePictureAs));
  saveDialog_->Title = LanguageString(kTextSavePictureAs);
  bitmapanzeigen1_->SetCaption(LanguageString(kTextShowPicture));
  abbrechen1_->SetCaption(LanguageString(kTextCancel));
  beenden1_->SetCaption(LanguageString(kTextExit));
  shortcuts1_->SetCaption(LanguageString(kTextShortcuts));
  ueber1_->SetCaption(LanguageString(kTextAbout));
  desktopverknpfungerstellen1_->SetCaption(LanguageString(kTextDesktopShortcut));
  autostartverknpfungerstellen1_->SetCaption(LanguageString(kTextAutostartShortcut));
  dimensionsPrefix_ = LanguageString(kTextDimensionsPrefix);
  sizePrefix_ = LanguageString(kTextSizePrefix);
  sprache1_->SetCaption(LanguageString(kTextLanguage));
  optionen1_->SetCaption(LanguageString(kTextOptions));
  aufTextReagieren1_->SetCaption(LanguageString(kTextReactToText));
  nurFormatiert1_->SetCaption(LanguageString(kTextFormattedOnly));
  aufBilderReagieren1_->SetCaption(LanguageString(kTextReactToPictures));
  bilderautomatischspeichern1_->SetCaption(LanguageString(kTextAutosavePictures));
  emptyFolderMessage_ = LanguageString(kTextEmptyFolderMessage);
  hilfe1_->SetCaption(LanguageString(kTextHelp));
  clipboard_.SetHolderText(LanguageString(kTextClipboardHolder));
}

const std::wstring& TForm1::LanguageString(std::size_t index) const { return LanguageStrings().at(index); }

const std::vector<std::wstring>& TForm1::LanguageStrings() const { return multiString_->List(languageIndex_).Strings; }

void TForm1::JvAppInstanzRejected(shell::TJvAppInstances&) {
  // The same text in every interface language.
  MessageBoxW(application_.Handle(), L"Action aborted...\r\nThis Program is allready started.",
              application_.Title().c_str(), MB_OK);
}

bool TForm1::CloseQuery() {
  if (exitFlag_) {
    // The program ends now. Clipboard changes arriving from here on get no menu, and a copy
    // started in this moment is told this one is no longer active, so it runs.
    StopWatchingClipboard();
    jvAppInstanz_->SetActive(false);
    return true;
  }
  trayIcon_->HideMainWindow();
  return false;
}

void TForm1::SessionEnding() {
  // Windows is ending the session: leave exactly as Exit does, so nothing is lost.
  Beenden1Click();
}

}  // namespace app
