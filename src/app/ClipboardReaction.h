#pragma once
// What the program does about a clipboard change, as a rule without Windows in it.
namespace app {

enum class Reaction { None, TextMenu, PictureMenu, AutoSave };

struct ClipboardSituation {
  bool reactionFlag;  // cleared while the program works on the clipboard itself
  bool ownWrite;      // the program's own application window owns the new content
  bool excluded;      // the source marked the content as not to be watched
  bool textSwitch;
  bool pictureSwitch;
  bool autoSaveSwitch;
};

// Text wins over a picture. The two presence queries are asked only when their answer
// matters, and in this order; the picture query may fail while another program holds the
// clipboard, so it is not asked while picture reactions are off.
template <typename HasText, typename HasPicture>
Reaction ChooseReaction(const ClipboardSituation& s, HasText hasText, HasPicture hasPicture) {
  if (!s.reactionFlag || s.ownWrite || s.excluded) return Reaction::None;
  if (s.textSwitch && hasText()) return Reaction::TextMenu;
  if (s.pictureSwitch && hasPicture()) return s.autoSaveSwitch ? Reaction::AutoSave : Reaction::PictureMenu;
  return Reaction::None;
}

// Clears the reaction flag for the life of a command and sets it again however the command
// ends, so one failed clipboard write cannot silence every later reaction.
class ReactionPause {
 public:
  explicit ReactionPause(bool& flag) noexcept : flag_(flag) { flag_ = false; }
  ~ReactionPause() { flag_ = true; }
  ReactionPause(const ReactionPause&) = delete;
  ReactionPause& operator=(const ReactionPause&) = delete;

 private:
  bool& flag_;
};

}  // namespace app
