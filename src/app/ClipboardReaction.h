#pragma once
// What the program does about a clipboard change, as a rule without Windows in it.
#include <algorithm>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

namespace app {

enum class Reaction { None, TextMenu, PictureMenu, AutoSave };

struct ClipboardSituation {
  bool reactionFlag;  // cleared while the program works on the clipboard itself
  bool textSwitch;
  bool pictureSwitch;
  bool autoSaveSwitch;
  bool formattedOnly;  // the text menu is for text that carries formatting
};

namespace detail {

// Format names and MIME types are compared without regard to case, in ASCII.
inline std::wstring AsciiLower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return lower;
}

// The text/ types a paste target reads formatting from: HTML, rich text under its MIME names,
// the enriched text of mail programs, and Markdown, whose marks a Markdown editor takes as
// formatting. Every other text/ type is data that happens to be text, offered beside plain
// text: Firefox copies an address as text/x-moz-url and text/x-moz-url-priv, file managers
// copy files as text/uri-list, and tables, appointments and contacts come as text/csv,
// text/tab-separated-values, text/calendar and text/vcard. XML and SGML mark up structure,
// not how text looks, and stay out too. So do application/rtf, application/x-rtf and
// application/xhtml+xml: the word processors and browsers of X desktops offer rich text as
// text/rtf and HTML as text/html, which count; one of those types alone beside plain text
// is taken for no formatting rather than open the menu for a user who asked for less.
inline constexpr std::wstring_view kFormattedTextTypes[] = {L"text/html",     L"text/rtf",      L"text/richtext",
                                                            L"text/enriched", L"text/markdown", L"text/x-markdown"};

// Whether a paste target reads formatting from a format of this name: rich text (with Word's
// "Rich Text Format Without Objects" and "RTF As Text"), "HTML Format", and the markup types
// of X programs, which Wine hands on under their MIME names, parameters and all. Plain text is
// none of them in any charset: GTK and Qt offer "text/plain;charset=utf-8".
inline bool CarriesFormatting(std::wstring_view name) {
  const std::wstring lower = AsciiLower(name);
  const std::wstring_view n = lower;
  if (n.starts_with(L"rich text format") || n == L"rtf as text" || n == L"html format") return true;
  std::wstring_view type = n.substr(0, n.find(L';'));
  while (!type.empty() && (type.back() == L' ' || type.back() == L'\t')) type.remove_suffix(1);
  return std::find(std::begin(kFormattedTextTypes), std::end(kFormattedTextTypes), type) !=
         std::end(kFormattedTextTypes);
}

}  // namespace detail

// Whether the text on the clipboard carries formatting: whether a format beside it is one that
// paste targets read formatting from. Takes the names of the registered formats on the
// clipboard; the predefined ones (the text family, bitmaps, metafiles, the locale) carry none.
// Everything unknown counts as no formatting: under Wine every X target without a mapping of
// its own becomes a registered format ("SAVE_TARGETS" from GTK and Qt, "DELETE" and "INCR"
// from xsel), and programs that copy through OLE add their bookkeeping ("DataObject", "Ole
// Private Data"), all beside plain text.
inline bool HoldsFormattedText(std::span<const std::wstring> registeredNames) {
  return std::any_of(registeredNames.begin(), registeredNames.end(),
                     [](const std::wstring& name) { return detail::CarriesFormatting(name); });
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
  if (!s.reactionFlag) return Reaction::None;
  Reaction reaction = Reaction::None;
  if (s.textSwitch && hasText() && (!s.formattedOnly || hasFormatting())) {
    reaction = Reaction::TextMenu;
  } else if (s.pictureSwitch && hasPicture()) {
    reaction = s.autoSaveSwitch ? Reaction::AutoSave : Reaction::PictureMenu;
  }
  if (reaction != Reaction::None && excluded()) return Reaction::None;
  return reaction;
}

}  // namespace app
