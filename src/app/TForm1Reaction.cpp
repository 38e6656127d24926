// The main window's reaction to clipboard changes and its text commands.
#include "app/ClipboardReaction.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "ui/Application.h"

namespace app {

void TForm1::ClipboardMonitorChange() {
  if (!ReactionFlag) return;
  auto& clipboard = clipboard::Clipboard();
  const ClipboardSituation situation{ReactionFlag, AufTextReagieren1->Checked(), AufBilderReagieren1->Checked(),
                                     Bilderautomatischspeichern1->Checked(), NurFormatiert1->Checked()};
  const Reaction reaction = ChooseReaction(
      situation, [&] { return clipboard.ContainsFormat(CF_TEXT); },
      [&] { return HoldsFormattedText(clipboard::RegisteredFormatNames(clipboard.Formats())); },
      [&] { return clipboard.ContainsFormat(clipboard::PictureClipboardFormat()); },
      [&] { return clipboard.ExcludedFromMonitoring(); });
  // Under Wine the clipboard queries let sent notices in. One copy in a Linux program, after a
  // copy in a Windows one, is two changes a few milliseconds apart (Wine takes the clipboard
  // over once for losing the X selection and once more for its new owner); when the second
  // came during the queries, its report is on its way and answers for the copy.
  if (ClipboardMonitor->Superseded()) return;
  switch (reaction) {
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

void TForm1::WithReactionsPaused(const std::function<void()>& command) {
  {
    ReactionPause pause(ReactionFlag);
    try {
      command();
    } catch (...) {
      ui::TApplication::HandleCurrentException();
    }
  }
  // What came while paused, the command's own clipboard write above all, gets no reaction
  // when its notice is still on its way, for instance through a viewer that heads the chain
  // and passes notices on late.
  ClipboardMonitor->TakeCurrentAsReported();
}

void TForm1::Formatierungentfernen1Click() {
  WithReactionsPaused([] {
    auto& clipboard = clipboard::Clipboard();
    if (clipboard.ContainsFormat(CF_TEXT)) clipboard.RewriteTextAlone();
  });
}

void TForm1::AufTextReagieren1Click() {
  AufTextReagieren1->SetChecked(!AufTextReagieren1->Checked());
  EnableNurFormatiert();
}

void TForm1::NurFormatiert1Click() { NurFormatiert1->SetChecked(!NurFormatiert1->Checked()); }

void TForm1::EnableNurFormatiert() { NurFormatiert1->SetEnabled(AufTextReagieren1->Checked()); }

void TForm1::AufBilderReagieren1Click() { AufBilderReagieren1->SetChecked(!AufBilderReagieren1->Checked()); }

}  // namespace app
