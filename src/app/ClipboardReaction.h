#pragma once
// What the program does about a clipboard change, as a rule without Windows in it.
#include <algorithm>
#include <span>

namespace app {

enum class Reaction { None, TextMenu, PictureMenu, AutoSave };

struct ClipboardSituation {
  bool reactionFlag;  // cleared while the program works on the clipboard itself
  bool ownWrite;      // the program's own application window owns the new content
  bool textSwitch;
  bool pictureSwitch;
  bool autoSaveSwitch;
  bool formattedOnly;  // the text menu is for text that carries formatting
};

// Windows derives CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT and CF_LOCALE from one another, and
// EnumClipboardFormats lists the derived ones too, so a copy of plain text shows the whole family.
inline constexpr unsigned kPlainTextFormats[] = {1, 7, 13, 16};
// What Windows lists for a copied picture: CF_BITMAP, CF_METAFILEPICT, CF_DIB, CF_PALETTE,
// CF_ENHMETAFILE, CF_DIBV5, each derived from the others.
inline constexpr unsigned kPictureFormats[] = {2, 3, 8, 9, 14, 17};

// Whether the clipboard's formats carry formatting beside the text: any format but plain text,
// a picture, and the registered formats that carry no formatting either (their ids exist only
// at run time, so they are passed in). A picture is no
// formatting of the text: text and a picture together, without a rich format, is what a user
// who asked for formatted text only expects to be treated as the picture.
inline bool HoldsFormattedText(std::span<const unsigned> formats, std::span<const unsigned> registered) {
  const auto among = [](std::span<const unsigned> list, unsigned format) {
    return std::find(list.begin(), list.end(), format) != list.end();
  };
  return std::any_of(formats.begin(), formats.end(), [&](unsigned format) {
    return !among(kPlainTextFormats, format) && !among(kPictureFormats, format) && !among(registered, format);
  });
}

// Text wins over a picture. The queries are asked only when their answer matters, and in
// this order: each may have to open the clipboard, which fails while another program holds
// it, and a change the user asked to ignore must not end in an error box. Whether the source
// asked watchers to leave the content alone is asked last, once a reaction has been chosen.
// With formatted text only, text without formatting is as if the text switch were off: a
// picture beside it still gets the picture's reaction.
template <typename HasText, typename HasFormatting, typename HasPicture, typename Excluded>
Reaction ChooseReaction(const ClipboardSituation& s, HasText hasText, HasFormatting hasFormatting,
                        HasPicture hasPicture, Excluded excluded) {
  if (!s.reactionFlag || s.ownWrite) return Reaction::None;
  Reaction reaction = Reaction::None;
  if (s.textSwitch && hasText() && (!s.formattedOnly || hasFormatting())) {
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
