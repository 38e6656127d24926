#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "app/RunObjects.h"
#include "app/TForm1.h"
#include "clipboard/Clipboard.h"
#include "clipboard/KeptFormats.h"
#include "clipboard/ReactionPause.h"
#include "support/ClipboardViewer.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Handle.h"
#include "ui/MessageWindow.h"
#include "ui/PopupMenu.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

class ReactionTest : public ::testing::Test {
 protected:
  // A folder without settings: the program starts with its defaults.
  testing_support::TemporaryFolder folder_;
  testing_support::WorkingDirectory workingDirectory_{folder_.Path()};

  void SetUp() override {
    testing_support::ClearShownErrors();
    form_ = std::make_unique<app::TForm1>(testing_support::Run());
    PumpFor(50);
  }
  void TearDown() override { form_.reset(); }

  void CopyRichText(const std::wstring& text) {
    testing_support::ClipboardFill fill;
    const std::string rtf = "{\\rtf1 {\\b formatted}}";
    fill.PutBlock(RegisterClipboardFormatW(L"Rich Text Format"), rtf.c_str(), rtf.size() + 1);
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }
  void CopyTextWithMarker(const wchar_t* markerFormat, DWORD value) {
    testing_support::ClipboardFill fill;
    const std::wstring text = L"secret";
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    fill.PutBlock(RegisterClipboardFormatW(markerFormat), &value, sizeof(value));
  }
  void CopyPicture() {
    testing_support::ClipboardFill fill;
    ui::WindowDc screen(nullptr);
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), 4, 4)));
  }
  void Choose(ui::TMenuItem& item) { SendMessageW(form_->Handle(), WM_COMMAND, item.Command(), 0); }
  void ChangeSwitches(bool text, bool pictures) {
    settings::Settings values = form_->Settings();
    values.ReactToText = text;
    values.ReactToPictures = pictures;
    form_->SetSettings(values);
  }

  std::vector<std::wstring> popups_;
  const ui::ScopedReplacement<ui::TPopupMenu::PopupFunction> popupReplacement_ =
      ui::TPopupMenu::ReplacePopupFunction([this](ui::TPopupMenu& menu, int, int) { popups_.push_back(menu.Name()); });
  std::unique_ptr<app::TForm1> form_;
};

TEST_F(ReactionTest, CopiedTextOpensTheTextMenuAndRemovingFormattingLeavesPlainTextOnly) {
  const std::wstring text = L"Gruß — Привет — 漢字";
  CopyRichText(text);
  ASSERT_EQ(popups_, std::vector<std::wstring>{L"PopupMenuText"});

  Choose(form_->Formatierungentfernen1());
  for (UINT format : testing_support::ClipboardFormats())
    EXPECT_TRUE(format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE);
  EXPECT_EQ(testing_support::Clipboard().ReadText(), text);
  PumpFor(100);
  EXPECT_EQ(popups_.size(), 1u) << "the program's own write got a reaction";
  EXPECT_TRUE(form_->ReactionFlag());
}

TEST_F(ReactionTest, OwnWriteGetsNoReactionEvenWhenAnotherViewerDeliversItLate) {
  // Joins after the program, so it heads the chain, and passes notifications on late.
  testing_support::TestClipboardViewer viewer({}, testing_support::TestClipboardViewer::PassOn::Later);
  PumpFor(50);
  CopyRichText(L"plain please");
  ASSERT_TRUE(PumpUntil([&] { return popups_.size() == 1; }));

  const int before = viewer.passedOn;
  Choose(form_->Formatierungentfernen1());
  ASSERT_TRUE(PumpUntil([&] { return viewer.passedOn > before; }));
  PumpFor(100);
  EXPECT_EQ(popups_.size(), 1u);
}

TEST_F(ReactionTest, SwitchesDecideBetweenTheMenus) {
  CopyPicture();
  EXPECT_EQ(popups_, std::vector<std::wstring>{L"PopupMenuBitmap"});

  Choose(form_->AufBilderReagieren1());  // pictures off
  EXPECT_FALSE(form_->AufBilderReagieren1().Checked());
  CopyPicture();
  Choose(form_->AufTextReagieren1());  // text off
  EXPECT_FALSE(form_->AufTextReagieren1().Checked());
  CopyRichText(L"ignored");
  EXPECT_EQ(popups_.size(), 1u);
}

TEST_F(ReactionTest, ContentMarkedAsPrivateIsLeftAlone) {
  CopyTextWithMarker(L"ExcludeClipboardContentFromMonitorProcessing", 0);
  CopyTextWithMarker(L"Clipboard Viewer Ignore", 0);
  CopyTextWithMarker(L"CanIncludeInClipboardHistory", 0);
  EXPECT_TRUE(popups_.empty());
  CopyTextWithMarker(L"CanIncludeInClipboardHistory", 1);
  EXPECT_EQ(popups_.size(), 1u);
}

TEST_F(ReactionTest, AFailedRewriteIsShownAndLaterChangesStillGetAReaction) {
  CopyRichText(L"text");
  ASSERT_EQ(popups_.size(), 1u);
  {
    auto holder = testing_support::HoldClipboardInOtherProcess(2000);
    Choose(form_->Formatierungentfernen1());
  }
  EXPECT_EQ(testing_support::ShownErrors(), std::vector<std::wstring>{L"Zwischenablage kann nicht geöffnet werden."});
  EXPECT_TRUE(form_->ReactionFlag());
  CopyRichText(L"again");
  EXPECT_EQ(popups_.size(), 2u);
}

TEST_F(ReactionTest, ACopyACrashedViewerSwallowedStillOpensTheMenuAMomentLate) {
  ASSERT_TRUE(testing_support::RunCarelessViewer());
  PumpFor(50);
  CopyRichText(L"missed");  // nobody living heads the chain
  EXPECT_TRUE(PumpUntil([&] { return !popups_.empty(); }, 3000));
  EXPECT_EQ(popups_, std::vector<std::wstring>{L"PopupMenuText"});
}

TEST_F(ReactionTest, ACopyTheUserAskedToIgnoreNeverEndsInAnErrorBox) {
  CopyTextWithMarker(L"CanIncludeInClipboardHistory", 1);  // reading this marker opens the clipboard
  ASSERT_EQ(popups_.size(), 1u);
  Choose(form_->AufTextReagieren1());
  Choose(form_->AufBilderReagieren1());
  // The notice of the next copy comes while another program holds the clipboard.
  testing_support::TestClipboardViewer late({}, testing_support::TestClipboardViewer::PassOn::Later);
  PumpFor(50);
  const int before = late.passedOn;
  testing_support::SetClipboardUnicodeText(L"ignored");
  auto holder = testing_support::HoldClipboardInOtherProcess(1000);
  ASSERT_TRUE(PumpUntil([&] { return late.passedOn > before; }));
  PumpFor(100);
  EXPECT_TRUE(testing_support::ShownErrors().empty());
  EXPECT_EQ(popups_.size(), 1u);
}

TEST_F(ReactionTest, ClipboardChangesDuringTeardownReachNothing) {
  std::atomic<bool> stop{false};
  std::thread flood([&stop] {
    const ui::UniqueWindow owner(ui::AllocateHWnd(nullptr, nullptr));
    while (!stop) {
      if (!OpenClipboard(owner.get())) continue;
      EmptyClipboard();
      if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16)) {
        std::memcpy(GlobalLock(block), L"flood", 12);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
      }
      CloseClipboard();  // tells the chain's head, on the form's thread
      Sleep(1);
    }
  });
  ASSERT_TRUE(PumpUntil([&] { return !popups_.empty(); }));
  const std::size_t before = popups_.size();
  form_.reset();  // removing the tray icon waits for the shell and lets sent notifications in
  stop = true;
  PumpUntil([] { return false; }, 100);
  flood.join();
  EXPECT_EQ(popups_.size(), before) << "a clipboard change reached the handler of a window being destroyed";
}

TEST_F(ReactionTest, WithFormattedTextOnlyPlainTextGetsNoMenuAndTextBesideAPictureIsThePicture) {
  Choose(form_->NurFormatiert1());
  ASSERT_TRUE(form_->NurFormatiert1().Checked());
  testing_support::SetClipboardUnicodeText(L"plain");
  {
    // What a program that copies through OLE adds to plain text is no formatting.
    testing_support::ClipboardFill fill;
    const std::wstring text = L"plain";
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    fill.PutBlock(RegisterClipboardFormatW(L"DataObject"), "\0\0\0", 4);
    fill.PutBlock(RegisterClipboardFormatW(L"Ole Private Data"), "\0\0\0", 4);
  }
  EXPECT_TRUE(popups_.empty());
  {
    testing_support::ClipboardFill fill;
    const std::wstring text = L"caption";
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ui::WindowDc screen(nullptr);
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), 4, 4)));
  }
  EXPECT_EQ(popups_, std::vector<std::wstring>{L"PopupMenuBitmap"});
  {
    // "PNG" is a picture too, not formatting of the text beside it.
    testing_support::ClipboardFill fill;
    const std::wstring text = L"caption";
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    fill.PutBlock(clipboard::PngClipboardFormat(), "\x89PNG", 4);
  }
  EXPECT_EQ(popups_, (std::vector<std::wstring>{L"PopupMenuBitmap", L"PopupMenuBitmap"}));
  CopyRichText(L"rich");
  EXPECT_EQ(popups_, (std::vector<std::wstring>{L"PopupMenuBitmap", L"PopupMenuBitmap", L"PopupMenuText"}));
}

TEST_F(ReactionTest, WithFormattedTextOnlyWhatToolkitsAndOleAddToPlainTextOpensNoMenu) {
  Choose(form_->NurFormatiert1());
  const auto copyTextBeside = [](std::initializer_list<const wchar_t*> names) {
    testing_support::ClipboardFill fill;
    const std::wstring text = L"text";
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    for (const wchar_t* name : names) fill.PutBlock(RegisterClipboardFormatW(name), "\0\0\0", 4);
  };
  // What Wine makes of the X targets GTK, Qt and xsel offer, and of an OLE copy, beside plain text.
  copyTextBeside({L"SAVE_TARGETS", L"text/plain;charset=utf-8"});
  copyTextBeside({L"DELETE", L"INCR"});
  copyTextBeside({L"Ole Private Data", L"Wine Marshalled DataObject", L"DataObject"});
  copyTextBeside({L"UTF-8"});
  EXPECT_TRUE(popups_.empty());
  copyTextBeside({L"UTF-8", L"text/html"});
  copyTextBeside({L"SAVE_TARGETS", L"Rich Text Format Without Objects"});
  EXPECT_EQ(popups_, (std::vector<std::wstring>{L"PopupMenuText", L"PopupMenuText"}));
}

TEST_F(ReactionTest, KeepingTheFormattingLeavesTheClipboardUntouched) {
  CopyRichText(L"keep me");
  const auto before = testing_support::ClipboardFormats();
  Choose(form_->Formatierungbehalten1());
  EXPECT_EQ(testing_support::ClipboardFormats(), before);
}

// The tray menu as it would open now: its items in the menu handle, "-" for a separator.
std::vector<std::wstring> TrayMenuItems(app::TForm1& form) {
  form.PopupMenuTray().Popup(0, 0);
  std::vector<std::wstring> items;
  HMENU menu = form.PopupMenuTray().Handle();
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    const bool separator = (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0;
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    items.push_back(separator ? L"-" : text);
  }
  return items;
}

TEST_F(ReactionTest, TheTrayMenuOffersRestoringOnlyUntilTheRemovedFormattingIsBackOrReplaced) {
  const std::vector<std::wstring> today = TrayMenuItems(*form_);
  ASSERT_EQ(today.size(), 6u);
  std::vector<std::wstring> offered = today;
  offered.insert(offered.begin(), {L"Formatierung wiederherstellen", L"-"});
  const UINT rtf = RegisterClipboardFormatW(L"Rich Text Format");

  CopyRichText(L"one");
  const std::vector<UINT> formatted = testing_support::ClipboardFormats();
  Choose(form_->Formatierungentfernen1());
  EXPECT_FALSE(form_->KeptClipboard().Empty());
  EXPECT_EQ(TrayMenuItems(*form_), offered);
  Choose(form_->Formatierungwiederherstellen1());
  EXPECT_EQ(testing_support::ClipboardFormats(), formatted);
  EXPECT_EQ(testing_support::Clipboard().ReadText(), L"one");
  EXPECT_TRUE(form_->KeptClipboard().Empty());
  EXPECT_EQ(TrayMenuItems(*form_), today);
  PumpFor(100);
  EXPECT_EQ(std::count(popups_.begin(), popups_.end(), L"PopupMenuText"), 1) << "the restore got a reaction";

  // Another program's copy drops the kept one at once, with every reaction switched off too.
  CopyRichText(L"two");
  Choose(form_->Formatierungentfernen1());
  ChangeSwitches(false, false);
  testing_support::SetClipboardUnicodeText(L"someone else's");
  EXPECT_TRUE(form_->KeptClipboard().Empty());
  EXPECT_EQ(TrayMenuItems(*form_), today);
  Choose(form_->Formatierungwiederherstellen1());  // posted by another program: nothing to put back
  EXPECT_EQ(testing_support::Clipboard().ReadText(), L"someone else's");
  EXPECT_FALSE(testing_support::Clipboard().ContainsFormat(rtf));

  // Exit lets it go too.
  ChangeSwitches(true, true);
  CopyRichText(L"three");
  Choose(form_->Formatierungentfernen1());
  ASSERT_FALSE(form_->KeptClipboard().Empty());
  Choose(form_->Beenden1());
  EXPECT_TRUE(form_->KeptClipboard().Empty());
  MSG quit{};
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(ReactionTest, AboveTheLimitNothingIsKeptAndTheFormattingIsRemovedAllTheSame) {
  {
    testing_support::ClipboardFill fill;
    std::string rtf(clipboard::kKeptBytesLimit, 'x');
    fill.PutBlock(RegisterClipboardFormatW(L"Rich Text Format"), rtf.c_str(), rtf.size());
    const std::wstring text = L"big";
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }
  Choose(form_->Formatierungentfernen1());
  EXPECT_EQ(testing_support::Clipboard().ReadText(), L"big");
  EXPECT_FALSE(testing_support::Clipboard().ContainsFormat(RegisterClipboardFormatW(L"Rich Text Format")));
  EXPECT_TRUE(form_->KeptClipboard().Empty());
  EXPECT_EQ(TrayMenuItems(*form_).size(), 6u);
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

}  // namespace
