#pragma once
// What the program does about a clipboard change, as a rule without Windows in it.
namespace app {

enum class Reaction { None, TextMenu, PictureMenu, AutoSave };

struct ClipboardSituation {
  bool reactionFlag;  // cleared while the program works on the clipboard itself
  bool ownWrite;      // the program's own application window owns the new content
  bool textSwitch;
  bool pictureSwitch;
  bool autoSaveSwitch;
};

// Text wins over a picture. The queries are asked only when their answer matters, and in
// this order: each may have to open the clipboard, which fails while another program holds
// it, and a change the user asked to ignore must not end in an error box. Whether the source
// asked watchers to leave the content alone is asked last, once a reaction has been chosen.
template <typename HasText, typename HasPicture, typename Excluded>
Reaction ChooseReaction(const ClipboardSituation& s, HasText hasText, HasPicture hasPicture, Excluded excluded) {
  if (!s.reactionFlag || s.ownWrite) return Reaction::None;
  Reaction reaction = Reaction::None;
  if (s.textSwitch && hasText()) {
    reaction = Reaction::TextMenu;
  } else if (s.pictureSwitch && hasPicture()) {
    reaction = s.autoSaveSwitch ? Reaction::AutoSave : Reaction::PictureMenu;
  }
  if (reaction != Reaction::None && excluded()) return Reaction::None;
  return reaction;
}

// Clears the reaction flag for the life of a command and gives it back the value it had
// however the command ends: one failed clipboard write cannot silence every later reaction,
// and a command that ends while the flag is held clear by someone else (the About window)
// does not turn reactions back on behind that one's back.
class ReactionPause {
 public:
  explicit ReactionPause(bool& flag) noexcept : flag_(flag), previous_(flag) { flag_ = false; }
  ~ReactionPause() { flag_ = previous_; }
  ReactionPause(const ReactionPause&) = delete;
  ReactionPause& operator=(const ReactionPause&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

}  // namespace app
