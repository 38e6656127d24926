// The main window's reaction to clipboard changes and its text commands.
#include "app/ClipboardReaction.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "ui/Application.h"

namespace app {

void TForm1::ClipboardMonitorChange() {
  if (!ReactionFlag) return;
  auto& clipboard = clipboard::Clipboard();
  const ui::TApplication* application = ui::TApplication::Current();
  // Our own write can arrive late when another viewer heads the chain and passes the
  // notification on after the write is over; the owner tells it apart.
  const bool ownWrite = application && GetClipboardOwner() == application->Handle();
  const ClipboardSituation situation{ReactionFlag,
                                     ownWrite,
                                     AufTextReagieren1->Checked(),
                                     AufBilderReagieren1->Checked(),
                                     Bilderautomatischspeichern1->Checked(),
                                     NurFormatiert1->Checked()};
  switch (ChooseReaction(
      situation, [&] { return clipboard.ContainsFormat(CF_TEXT); },
      [&] { return HoldsFormattedText(clipboard.Formats(), clipboard::PrivacyMarkerFormats()); },
      [&] { return clipboard.ContainsFormat(clipboard::PictureClipboardFormat()); },
      [&] { return clipboard.ExcludedFromMonitoring(); })) {
    case Reaction::TextMenu:
      PopupAtCursor(*PopupMenuText);
      break;
    case Reaction::PictureMenu:
      PopupAtCursor(*PopupMenuBitmap);
      break;
    case Reaction::AutoSave:
      AutoSavePicture();
      break;
    case Reaction::None:
      break;
  }
}

void TForm1::PopupAtCursor(ui::TPopupMenu& menu) {
  SetForegroundWindow(Handle());
  POINT cursor{};
  GetCursorPos(&cursor);
  menu.Popup(cursor.x, cursor.y);
}

void TForm1::Formatierungentfernen1Click() {
  ReactionPause pause(ReactionFlag);
  auto& clipboard = clipboard::Clipboard();
  if (clipboard.ContainsFormat(CF_TEXT)) clipboard.RewriteTextAlone();
}

void TForm1::AufTextReagieren1Click() {
  AufTextReagieren1->SetChecked(!AufTextReagieren1->Checked());
  EnableNurFormatiert();
}

void TForm1::NurFormatiert1Click() { NurFormatiert1->SetChecked(!NurFormatiert1->Checked()); }

void TForm1::EnableNurFormatiert() { NurFormatiert1->SetEnabled(AufTextReagieren1->Checked()); }

void TForm1::AufBilderReagieren1Click() { AufBilderReagieren1->SetChecked(!AufBilderReagieren1->Checked()); }

}  // namespace app
