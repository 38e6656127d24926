// The main window's reaction to clipboard changes and its text commands.
#include "app/ClipboardReaction.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "ui/Application.h"

namespace app {

void TForm1::ClipboardMonitorChange() {
  const unsigned change = ++changesReported_;
  if (!reactionFlag_) return;
  auto& clipboard = clipboard::Clipboard();
  const ui::TApplication* application = ui::TApplication::Current();
  // Our own write can arrive late when another viewer heads the chain and passes the
  // notification on after the write is over; the owner tells it apart.
  const bool ownWrite = application && GetClipboardOwner() == application->Handle();
  const settings::Settings& s = settings_;
  const ClipboardSituation situation{reactionFlag_,     ownWrite,          s.ReactToText,
                                     s.ReactToPictures, s.AutoSave.Active, s.FormattedOnly};
  const Reaction reaction = ChooseReaction(
      situation, [&] { return clipboard.ContainsFormat(CF_TEXT); },
      [&] { return HoldsFormattedText(clipboard::RegisteredFormatNames(clipboard.Formats())); },
      [&] { return clipboard.ContainsFormat(clipboard::PictureClipboardFormat()); },
      [&] { return clipboard.ExcludedFromMonitoring(); });
  // Under Wine the clipboard queries let sent messages in, so the next change can be handled in
  // full inside this one's queries. One copy in a Linux program, after a copy in a Windows one,
  // is two changes a few milliseconds apart (Wine takes the clipboard over once for losing the
  // X selection and once more for its new owner): the newer one has answered with its own menu
  // already, and a second menu for the same copy must not follow.
  if (change != changesReported_) return;
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
  const clipboard::ReactionPause pause = PauseReactions();
  try {
    command();
  } catch (...) {
    ui::TApplication::HandleCurrentException();
  }
}

void TForm1::Formatierungentfernen1Click() {
  WithReactionsPaused([] {
    auto& clipboard = clipboard::Clipboard();
    if (clipboard.ContainsFormat(CF_TEXT)) clipboard.RewriteTextAlone();
  });
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
