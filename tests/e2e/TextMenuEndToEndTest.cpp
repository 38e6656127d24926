// The heart of the program, driven from outside: copy formatted text, answer the menu that
// opens at the cursor, and look at what is left on the clipboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/ClipboardViewer.h"
#include "support/DialogAnswerer.h"
#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "support/TrayWindows.h"

namespace {

using testing_support::ClipboardFormats;
using testing_support::ProcessWindows;
using testing_support::PumpFor;
using testing_support::PumpUntil;

const std::wstring kText = L"Zażółć gęślą jaźń — Съешь ещё — 你好 — 😀";

UINT RtfFormat() { return RegisterClipboardFormatW(L"Rich Text Format"); }
UINT HtmlFormat() { return RegisterClipboardFormatW(L"HTML Format"); }

bool Has(const std::vector<UINT>& formats, UINT format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

class TextMenuTest : public ::testing::Test {
 protected:
  // Starts the program in a folder of its own, with `ini` as its settings file when given.
  void StartProgram(const std::string& ini = {}) {
    if (!ini.empty()) testing_support::WriteFileBytes(folder_.Path() + L"VelmoClipboard.ini", {ini.begin(), ini.end()});
    trayIconsBefore_ = testing_support::TrayIconWindows();
    process_ = std::make_unique<testing_support::StartedProgram>(folder_.Path());
    ASSERT_NE(process_->WaitUntilReady(), nullptr) << "the program never got to its message loop";
    SetCursorPos(400, 300);
  }

  void TearDown() override { process_.reset(); }

  void CopyFormattedText() {
    testing_support::ClipboardFill fill;
    const std::string rtf = "{\\rtf1 {\\b Za\\'bf\\'f3\\'b3\\'e6}}";
    const std::string html = "Version:0.9\r\n<html><body><b>formatted</b></body></html>";
    fill.PutBlock(RtfFormat(), rtf.c_str(), rtf.size() + 1);
    fill.PutBlock(HtmlFormat(), html.c_str(), html.size() + 1);
    fill.PutBlock(CF_UNICODETEXT, kText.c_str(), (kText.size() + 1) * sizeof(wchar_t));
  }

  // The program's popup menu window while one is open, else null.
  HWND OpenMenu() const {
    for (HWND window : ProcessWindows(process_->Id(), L"#32768")) {
      if (IsWindowVisible(window)) return window;
    }
    return nullptr;
  }
  HWND WaitForMenu() const {
    HWND menu = nullptr;
    PumpUntil([&] { return (menu = OpenMenu()) != nullptr; }, 5000);
    return menu;
  }
  static void Press(HWND menu, std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) {
      PostMessageW(menu, WM_KEYDOWN, key, 0);
      PumpFor(30);
    }
  }
  // Opens the tray menu with a right-button press on the icon; null when none opened.
  HWND OpenTrayMenu() {
    if (!trayIcon_) trayIcon_ = testing_support::WaitForNewTrayIcon(trayIconsBefore_, 20000);
    PostMessageW(trayIcon_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
    PostMessageW(trayIcon_, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
    return WaitForMenu();
  }
  // How tall the tray menu opens, which tells whether the restore item and its separator are in.
  LONG TrayMenuHeight() {
    HWND menu = OpenTrayMenu();
    RECT rect{};
    GetWindowRect(menu, &rect);
    Press(menu, {VK_ESCAPE});
    EXPECT_TRUE(MenuClosed());
    return menu ? rect.bottom - rect.top : 0;
  }
  bool MenuClosed() const {
    return PumpUntil([&] { return OpenMenu() == nullptr; }, 3000);
  }
  std::wstring ClipboardText() const {
    std::wstring text;
    if (!testing_support::OpenClipboardPatiently(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const wchar_t*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }

  testing_support::TemporaryFolder folder_;
  std::unique_ptr<testing_support::StartedProgram> process_;
  std::vector<HWND> trayIconsBefore_;
  HWND trayIcon_ = nullptr;
};

// Each format's bytes as the clipboard gives them to another program.
std::vector<std::vector<char>> ClipboardBlocks(std::initializer_list<UINT> formats) {
  std::vector<std::vector<char>> blocks;
  if (!testing_support::OpenClipboardPatiently(nullptr)) return blocks;
  for (const UINT format : formats) {
    std::vector<char>& bytes = blocks.emplace_back();
    if (HANDLE data = GetClipboardData(format)) {
      const auto* from = static_cast<const char*>(GlobalLock(data));
      if (from) bytes.assign(from, from + GlobalSize(data));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return blocks;
}

TEST_F(TextMenuTest, RemovingFormattingLeavesOnlyThePlainTextAndOpensNoSecondMenu) {
  StartProgram();
  CopyFormattedText();
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "no text menu opened";
  RECT rect{};
  GetWindowRect(menu, &rect);
  EXPECT_LE(std::abs(rect.left - 400), 8);
  EXPECT_LE(std::abs(rect.top - 300), 8);

  Press(menu, {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(PumpUntil([] { return !Has(ClipboardFormats(), RtfFormat()); }, 5000)) << "formatting still there";
  for (UINT format : ClipboardFormats())
    EXPECT_TRUE(format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE)
        << "format " << format;
  EXPECT_EQ(ClipboardText(), kText);
  PumpFor(600);
  EXPECT_EQ(OpenMenu(), nullptr) << "the program reacted to its own write";
}

TEST_F(TextMenuTest, RestoringFormattingFromTheTrayMenuPutsEveryFormatBackByteForByte) {
  StartProgram();
  const LONG today = TrayMenuHeight();
  ASSERT_GT(today, 0) << "no tray menu opened";
  CopyFormattedText();
  const auto formats = {RtfFormat(), HtmlFormat(), UINT{CF_UNICODETEXT}};
  const auto copied = ClipboardBlocks(formats);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  Press(menu, {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(PumpUntil([] { return !Has(ClipboardFormats(), RtfFormat()); }, 5000));

  menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  RECT rect{};
  GetWindowRect(menu, &rect);
  EXPECT_GT(rect.bottom - rect.top, today) << "no restore item";
  Press(menu, {VK_DOWN, VK_RETURN});  // the first item
  ASSERT_TRUE(PumpUntil([] { return Has(ClipboardFormats(), RtfFormat()); }, 5000)) << "nothing restored";
  EXPECT_EQ(ClipboardBlocks(formats), copied);
  PumpFor(600);
  EXPECT_EQ(OpenMenu(), nullptr) << "the program reacted to its own restore";
  EXPECT_EQ(TrayMenuHeight(), today) << "the restore item outlived the restore";
}

TEST_F(TextMenuTest, AnotherCopyAfterRemovingFormattingTakesTheRestoreItemAway) {
  StartProgram();
  const LONG today = TrayMenuHeight();
  CopyFormattedText();
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  Press(menu, {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(PumpUntil([] { return !Has(ClipboardFormats(), RtfFormat()); }, 5000));
  testing_support::SetClipboardUnicodeText(L"copied elsewhere");
  menu = WaitForMenu();  // plain text gets the text menu too
  ASSERT_NE(menu, nullptr);
  Press(menu, {VK_ESCAPE});
  ASSERT_TRUE(MenuClosed());
  EXPECT_EQ(TrayMenuHeight(), today);
  EXPECT_EQ(ClipboardText(), L"copied elsewhere");
}

TEST_F(TextMenuTest, KeepingOrDismissingLeavesTheClipboardUntouched) {
  StartProgram();
  for (const auto& keys : {std::vector<WPARAM>{VK_DOWN, VK_DOWN, VK_RETURN}, std::vector<WPARAM>{VK_ESCAPE}}) {
    CopyFormattedText();
    const auto before = ClipboardFormats();
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    for (WPARAM key : keys) Press(menu, {key});
    ASSERT_TRUE(MenuClosed());
    PumpFor(300);
    EXPECT_EQ(ClipboardFormats(), before);
    EXPECT_TRUE(Has(ClipboardFormats(), HtmlFormat()));
  }
}

TEST_F(TextMenuTest, NoSecondMenuForItsOwnWriteWhileAnotherViewerHeadsTheChain) {
  StartProgram();
  testing_support::TestClipboardViewer viewer;  // joins after the program: heads the chain
  PumpFor(100);
  CopyFormattedText();
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  const int before = viewer.notifications;
  Press(menu, {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return viewer.notifications > before; }, 5000)) << "the write was never seen";
  PumpFor(700);
  EXPECT_EQ(OpenMenu(), nullptr);
  EXPECT_FALSE(Has(ClipboardFormats(), RtfFormat()));
}

TEST_F(TextMenuTest, WithTextReactionsOffNothingOpens) {
  StartProgram("[Program]\r\nReaktText=0\r\n");
  CopyFormattedText();
  PumpFor(1000);
  EXPECT_EQ(OpenMenu(), nullptr);
  EXPECT_TRUE(Has(ClipboardFormats(), RtfFormat()));
}

TEST_F(TextMenuTest, WithFormattedTextOnlyPlainTextOpensNothingAndRichTextTheMenu) {
  StartProgram("[Program]\r\nNurFormatiert=1\r\n");
  testing_support::SetClipboardUnicodeText(kText);
  PumpFor(1000);
  EXPECT_EQ(OpenMenu(), nullptr) << "plain text opened a menu";
  CopyFormattedText();
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "formatted text opened no menu";
  Press(menu, {VK_ESCAPE});
  EXPECT_TRUE(MenuClosed());
}

TEST_F(TextMenuTest, RemovingFormattingWhileAnotherProgramHoldsTheClipboardNamesThatProgram) {
  StartProgram("[Program]\r\nLanguage=EN\r\n");
  CopyFormattedText();
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  const testing_support::ScopedProcess holder = testing_support::HoldClipboardInOtherProcess(8000, true);
  ASSERT_NE(holder.get(), nullptr);
  Press(menu, {VK_DOWN, VK_RETURN});
  HWND box = testing_support::WaitForDialog(process_->Id(), 5000);
  ASSERT_NE(box, nullptr) << "no error box";
  EXPECT_EQ(testing_support::WindowText(box), L"Velmo Clipboard");
  EXPECT_EQ(testing_support::StaticTexts(box),
            L"Zwischenablage kann nicht geöffnet werden.\r\nThe clipboard is held open by test_e2e.exe.");
  testing_support::PressButton(box, IDOK);
  EXPECT_TRUE(PumpUntil([&] { return testing_support::VisibleDialogs(process_->Id()).empty(); }, 3000));
}

}  // namespace
