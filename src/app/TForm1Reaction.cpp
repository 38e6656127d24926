// The main window's reaction to clipboard changes and its text commands.
#include "app/ClipboardReaction.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "ui/Application.h"

namespace app {

void TForm1::ClipboardMonitorChange() {
  // Whatever the switches say, and paused or not: once the plain text is replaced, the kept
  // copy can never go back, and its memory is freed at once.
  if (keptClipboard_.Outdated()) keptClipboard_.Clear();
  if (!reactionFlag_) return;
  auto& clipboard = clipboard_;
  const settings::Settings& s = settings_;
  const ClipboardSituation situation{reactionFlag_, s.ReactToText, s.ReactToPictures, s.AutoSave.Active,
                                     s.FormattedOnly};
  const Reaction reaction = ChooseReaction(
      situation, [&] { return clipboard.ContainsFormat(CF_TEXT); },
      [&] { return HoldsFormattedText(clipboard::RegisteredFormatNames(clipboard.OfferedFormats())); },
      [&] { return clipboard.ContainsFormat(clipboard::PictureClipboardFormat()); },
      [&] { return clipboard.ExcludedFromMonitoring(); });
  // Under Wine the clipboard queries let sent notices in. One copy in a Linux program, after a
  // copy in a Windows one, is two changes a few milliseconds apart (Wine takes the clipboard
  // over once for losing the X selection and once more for its new owner); when the second
  // came during the queries, its report is on its way and answers for the copy.
  if (clipboardMonitor_->Superseded()) return;
  switch (reaction) {
    case Reaction::TextMenu:
      PopupAtCursor(*popupMenuText_);
      break;
    case Reaction::PictureMenu:
      PopupAtCursor(*popupMenuBitmap_);
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
    const clipboard::ReactionPause pause = PauseReactions();
    try {
      command();
    } catch (...) {
      ui::TApplication::HandleCurrentException();
    }
  }
  // What came while paused, the command's own clipboard write above all, gets no reaction
  // when its notice is still on its way, for instance through a viewer that heads the chain
  // and passes notices on late.
  clipboardMonitor_->TakeCurrentAsReported();
  // A change whose notice the pause took as reported drops the copy as a notice would.
  if (keptClipboard_.Outdated()) keptClipboard_.Clear();
}

void TForm1::Formatierungentfernen1Click() {
  WithReactionsPaused([this] {
    if (clipboard_.ContainsFormat(CF_TEXT)) clipboard_.RewriteTextAlone(keptClipboard_);
  });
}

void TForm1::Formatierungwiederherstellen1Click() {
  WithReactionsPaused([this] { clipboard_.Restore(keptClipboard_); });
}

void TForm1::PopupMenuTrayPopup() {
  const bool restorable = keptClipboard_.HoldsOurWrite();
  if (!restorable) keptClipboard_.Clear();
  formatierungwiederherstellen1_->SetVisible(restorable);
  n1_->SetVisible(restorable);
}

void TForm1::AufTextReagieren1Click() {
  settings_.ReactToText = !settings_.ReactToText;
  ShowSettings();
}

void TForm1::NurFormatiert1Click() {
  settings_.FormattedOnly = !settings_.FormattedOnly;
  ShowSettings();
}

void TForm1::AufBilderReagieren1Click() {
  settings_.ReactToPictures = !settings_.ReactToPictures;
  ShowSettings();
}

}  // namespace app
