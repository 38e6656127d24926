#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/ClipboardReaction.h"
#include "clipboard/ReactionPause.h"

namespace {

using app::ChooseReaction;
using app::ClipboardSituation;
using app::Reaction;

struct Row {
  bool text, picture, textSwitch, pictureSwitch, autoSave;
  Reaction expected;
};

TEST(ChooseReaction, TextWinsAndEachSwitchGuardsItsKind) {
  const Row rows[] = {
      {true, false, true, true, false, Reaction::TextMenu},
      {true, true, true, true, false, Reaction::TextMenu},      // both: text wins
      {true, true, true, true, true, Reaction::TextMenu},       // ... also over autosave
      {true, true, false, true, false, Reaction::PictureMenu},  // text off: the same clipboard is a picture
      {true, true, false, true, true, Reaction::AutoSave},
      {true, false, false, true, false, Reaction::None},
      {false, true, true, true, false, Reaction::PictureMenu},
      {false, true, true, false, false, Reaction::None},  // picture switch off
      {false, true, true, false, true, Reaction::None},   // autosave alone does nothing
      {false, true, true, true, true, Reaction::AutoSave},
      {false, false, true, true, true, Reaction::None},
  };
  for (const Row& row : rows) {
    const ClipboardSituation s{true, row.textSwitch, row.pictureSwitch, row.autoSave, false};
    EXPECT_EQ(ChooseReaction(
                  s, [&] { return row.text; }, [] { return false; }, [&] { return row.picture; }, [] { return false; }),
              row.expected)
        << "text " << row.text << " picture " << row.picture << " switches " << row.textSwitch << row.pictureSwitch
        << row.autoSave;
  }
}

TEST(ChooseReaction, AsksOnlyWhatMattersAndLooksAtPrivacyMarkersLast) {
  const auto never = []() -> bool { throw std::logic_error("no query expected"); };
  const auto yes = [] { return true; };
  const auto no = [] { return false; };
  // Paused: nothing is asked at all.
  EXPECT_EQ(ChooseReaction(ClipboardSituation{false, true, true, false, true}, never, never, never, never),
            Reaction::None);
  // With picture reactions off, the picture query (which can fail) is never asked; with no
  // reaction chosen, neither are the markers, which open the clipboard.
  EXPECT_EQ(ChooseReaction(ClipboardSituation{true, true, false, false, false}, no, never, never, never),
            Reaction::None);
  EXPECT_EQ(ChooseReaction(ClipboardSituation{true, false, false, true, true}, never, never, never, never),
            Reaction::None);
  // Marked content gets no reaction once one has been chosen.
  EXPECT_EQ(ChooseReaction(ClipboardSituation{true, true, true, false, false}, yes, never, never, yes), Reaction::None);
  EXPECT_EQ(ChooseReaction(ClipboardSituation{true, false, true, true, true}, never, never, yes, yes), Reaction::None);
  // The formats are listed (which opens the clipboard) only for text, and only with formatted
  // text only on.
  EXPECT_EQ(ChooseReaction(ClipboardSituation{true, true, true, false, true}, no, never, no, never), Reaction::None);
}

TEST(ChooseReaction, FormattedTextOnlyTreatsPlainTextAsIfTheTextSwitchWereOff) {
  struct FormattedRow {
    bool formatting, picture, autoSave;
    Reaction expected;
  };
  const FormattedRow rows[] = {
      {true, false, false, Reaction::TextMenu},
      {true, true, true, Reaction::TextMenu},  // formatted text still wins over a picture
      {false, false, false, Reaction::None},
      {false, true, false, Reaction::PictureMenu},  // text beside a picture: the picture's rule
      {false, true, true, Reaction::AutoSave},
  };
  for (const FormattedRow& row : rows) {
    const ClipboardSituation s{true, true, true, row.autoSave, true};
    EXPECT_EQ(
        ChooseReaction(
            s, [] { return true; }, [&] { return row.formatting; }, [&] { return row.picture; }, [] { return false; }),
        row.expected)
        << "formatting " << row.formatting << " picture " << row.picture << " autosave " << row.autoSave;
  }
}

TEST(HoldsFormattedText, OnlyRichTextHtmlAndTextMarkupBesideTheTextAreFormatting) {
  const struct {
    std::vector<std::wstring> names;  // of the registered formats beside the text
    bool expected;
  } cases[] = {
      {{}, false},  // plain text, pictures, the locale and private formats have no name
      {{L"Rich Text Format"}, true},
      {{L"Rich Text Format Without Objects"}, true},
      {{L"RTF As Text"}, true},
      {{L"rich text format"}, true},
      {{L"HTML Format"}, true},
      {{L"text/html"}, true},
      {{L"text/HTML;charset=utf-8"}, true},
      {{L"text/rtf"}, true},
      {{L"text/richtext"}, true},
      {{L"text/markdown"}, true},
      {{L"text/enriched"}, true},
      {{L"text/x-markdown"}, true},
      {{L"UTF-8", L"Rich Text Format", L"HTML Format"}, true},  // LibreOffice
      {{L"SAVE_TARGETS", L"text/plain;charset=utf-8"}, false},  // GTK
      {{L"SAVE_TARGETS"}, false},                               // Qt
      {{L"DELETE", L"INCR"}, false},                            // xsel
      {{L"Ole Private Data", L"Wine Marshalled DataObject", L"DataObject"}, false},
      {{L"text/plain", L"TEXT/Plain ; charset=UTF-16", L"text/", L"UTF-8"}, false},
      {{L"PNG", L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory"}, false},
      {{L"HTML", L"Rich Text", L"application/x-text/html"}, false},
      {{L"text/x-moz-url", L"text/x-moz-url-priv"}, false},          // an address from Firefox
      {{L"text/uri-list", L"x-special/gnome-copied-files"}, false},  // files from a file manager
      {{L"text/csv", L"text/tab-separated-values", L"text/calendar", L"text/vcard"}, false},
      {{L"text/xml", L"text/sgml", L"text/htmlfragment", L"text/rtf-like"}, false},
      {{L"application/rtf", L"application/x-rtf", L"application/xhtml+xml"}, false},
  };
  for (const auto& c : cases) {
    std::wstring names;
    for (const std::wstring& name : c.names) names += L"[" + name + L"]";
    EXPECT_EQ(app::HoldsFormattedText(c.names), c.expected) << names;
  }
}

TEST(ReactionPause, GivesBackTheValueItFoundAlsoWhenTheCommandFails) {
  for (const bool before : {true, false}) {
    bool flag = before;
    try {
      clipboard::ReactionPause pause(flag);
      EXPECT_FALSE(flag);
      throw std::runtime_error("write refused");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(flag, before) << "a command ending while the About window holds reactions off turned them on";
  }
}

}  // namespace
