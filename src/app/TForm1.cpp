#include "app/TForm1.h"

#include "app/MainWindowVisibility.h"
#include "ui/Application.h"
#include "resource.h"

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

TForm1::TForm1() : ui::TForm(nullptr, L"Form1", L"TForm1", L"Velmo Clipboard V0.2", 327, 114, 526, 496) {
  Image = new ui::TImage(this, L"Image");
  StatusBar = new ui::TStatusBar(this, L"StatusBar", {150, 50});
  ClipboardMonitor = new clipboard::TJvClipboardMonitor(this, L"ClipboardMonitor");
  CreateImages();
  CreateMenus();
  JvAppInstanz = new shell::TJvAppInstances(this, L"JvAppInstanz");
  JvAppInstanz->OnRejected = [this](shell::TJvAppInstances& sender) { JvAppInstanzRejected(sender); };
  Image->PopupMenu = PopupMenuAnzeige;
  Realign();
  LoadedAll();
}

void TForm1::CreateImages() {
  ImageList1 = new ui::TImageList(this, L"ImageList1");
  for (int index : {kImageExit, kImageShow, kImageRemoveFormat, kImageShortcut, kImageOptions, kImageKeepFormat,
                    kImageSave, kImageAbout, kImageCancel, kImageFlagGerman, kImageFlagPolish, kImageFlagEnglish,
                    kImageHelp}) {
    ImageList1->AddResourceIcon(index, IDI_MENU_BASE + index);
  }
}

void TForm1::CreateMenus() {
  HWND window = Handle();
  PopupMenuText = new ui::TPopupMenu(this, L"PopupMenuText", window, ImageList1);
  Formatierungentfernen1 = &PopupMenuText->Add(L"Formatierungentfernen1", L"Formatierung entfernen", kImageRemoveFormat);
  Formatierungbehalten1 = &PopupMenuText->Add(L"Formatierungbehalten1", L"Formatierung behalten", kImageKeepFormat);

  PopupMenuTray = new ui::TPopupMenu(this, L"PopupMenuTray", window, ImageList1);
  Shortcuts1 = &PopupMenuTray->Add(L"Shortcuts1", L"Verknüpfungen", kImageShortcut);
  Autostartverknpfungerstellen1 =
      &Shortcuts1->Add(L"Autostartverknpfungerstellen1", L"Autostartverknüpfung erstellen", kImageShortcut);
  Desktopverknpfungerstellen1 =
      &Shortcuts1->Add(L"Desktopverknpfungerstellen1", L"Desktopverknüpfung erstellen", kImageShortcut);
  Optionen1 = &PopupMenuTray->Add(L"Optionen1", L"Optionen", kImageOptions);
  AufTextReagieren1 = &Optionen1->Add(L"AufTextReagieren1", L"Auf Text reagieren", kNoImage);
  AufBilderReagieren1 = &Optionen1->Add(L"AufBilderReagieren1", L"Auf Bilder reagieren", kNoImage);
  Bilderautomatischspeichern1 =
      &Optionen1->Add(L"Bilderautomatischspeichern1", L"Bilder automatisch speichern", kNoImage);
  Sprache1 = &PopupMenuTray->Add(L"Sprache1", L"Sprache", kNoImage);
  Deutsch1 = &Sprache1->Add(L"Deutsch1", L"Deutsch", kImageFlagGerman);
  English1 = &Sprache1->Add(L"English1", L"English", kImageFlagEnglish);
  Polski1 = &Sprache1->Add(L"Polski1", L"Polski", kImageFlagPolish);
  Ueber1 = &PopupMenuTray->Add(L"Ueber1", L"Über...", kImageAbout);
  Hilfe1 = &PopupMenuTray->Add(L"Hilfe1", L"Hilfe", kImageHelp);
  Beenden1 = &PopupMenuTray->Add(L"Beenden1", L"Beenden", kImageExit);
  Beenden1->OnClick = [this] { Beenden1Click(); };
  // Before the settings are read: text off, pictures on, autosave off.
  AufBilderReagieren1->SetChecked(true);

  PopupMenuBitmap = new ui::TPopupMenu(this, L"PopupMenuBitmap", window, ImageList1);
  Bitmapspeichernunter1 = &PopupMenuBitmap->Add(L"Bitmapspeichernunter1", L"Bild speichern unter...", kImageSave);
  Bitmapanzeigen1 = &PopupMenuBitmap->Add(L"Bitmapanzeigen1", L"Bild anzeigen", kImageShow);
  Abbrechen1 = &PopupMenuBitmap->Add(L"Abbrechen1", L"Abbrechen", kImageCancel);

  PopupMenuAnzeige = new ui::TPopupMenu(this, L"PopupMenuAnzeige", window, ImageList1);
  BitmapSpeichernunter2 = &PopupMenuAnzeige->Add(L"BitmapSpeichernunter2", L"Bild speichern unter...", kImageSave);
}

void TForm1::Beenden1Click() {
  ExitFlag = true;
  Close();
}

void TForm1::JvAppInstanzRejected(shell::TJvAppInstances&) {
  // The same text in every interface language.
  MessageBoxW(ui::TApplication::Current()->Handle(), L"Action aborted...\r\nThis Program is allready started.",
              ui::TApplication::Current()->Title().c_str(), MB_OK);
}

bool TForm1::CloseQuery() {
  if (ExitFlag) return true;
  HideMainWindow(*this);
  return false;
}

void TForm1::SessionEnding() {
  // Windows is ending the session: leave exactly as Exit does, so nothing is lost.
  Beenden1Click();
}

}  // namespace app
