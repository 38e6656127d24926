// Native Linux programs on the same X display: Wine shares its clipboard with the display, so
// text a Linux program offers reaches the program, and what the program writes reaches Linux.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/NativeProgram.h"
#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "support/TrayWindows.h"

namespace {

using testing_support::NativeProgram;
using testing_support::PumpFor;

std::string Utf8(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

// Polish and Japanese, so a conversion through a single-byte code page anywhere on the way shows.
const std::wstring kText = L"za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144 \u6f22\u5b57\u304b\u306a";

// The targets Wine offers X programs for plain text, and the ones every selection owner answers.
const std::set<std::string> kPlainTextTargets = {
    "TARGETS", "MULTIPLE", "TIMESTAMP",     "SAVE_TARGETS", "UTF8_STRING",
    "STRING",  "TEXT",     "COMPOUND_TEXT", "text/plain",   "text/plain;charset=utf-8"};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
    lines.push_back(text.substr(begin, end - begin));
  if (begin < text.size()) lines.push_back(text.substr(begin));
  return lines;
}

class LinuxDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto xclip = NativeProgram({L"xclip", L"-version"}).Wait();
    if (!xclip || xclip->status != 0)
      GTEST_SKIP() << "xclip is needed on the Linux side: " << (xclip ? xclip->output : "no Linux shell answered");
  }
  // Text copied on the Windows side takes the X selection back, which ends every Linux offerer.
  void TearDown() override {
    process_.reset();
    testing_support::SetClipboardUnicodeText(L"end of test");
  }

  void StartProgram(const std::string& ini = {}) {
    if (!ini.empty()) testing_support::WriteFileBytes(folder_.Path() + L"VelmoClipboard.ini", {ini.begin(), ini.end()});
    process_ = std::make_unique<testing_support::StartedProgram>(folder_.Path());
    ASSERT_NE(process_->WaitUntilReady(), nullptr) << "the program never got to its message loop";
  }

  // xclip offering `text` under one target; in the foreground (-quiet), so it ends, and the
  // command with it, once another program takes the selection.
  static std::unique_ptr<NativeProgram> OfferWithXclip(const wchar_t* target, const std::wstring& text) {
    return std::make_unique<NativeProgram>(
        std::vector<std::wstring>{L"xclip", L"-quiet", L"-selection", L"clipboard", L"-t", target, L"-i"}, Utf8(text));
  }
  // What xclip reads from the X clipboard, under a target or as text.
  static std::string ReadWithXclip(std::vector<std::wstring> arguments = {}) {
    arguments.insert(arguments.begin(), {L"xclip", L"-o", L"-selection", L"clipboard"});
    const auto result = NativeProgram(arguments).Wait();
    EXPECT_TRUE(result && result->status == 0) << (result ? result->output : "xclip did not end");
    return result ? result->output : std::string();
  }

  HWND WaitForMenu() const {
    HWND menu = nullptr;
    testing_support::PumpUntil([&] { return (menu = testing_support::VisibleMenuWindow(process_->Id())) != nullptr; },
                               5000);
    return menu;
  }
  // Remove formatting, the text menu's first item.
  static void RemoveFormatting(HWND menu) {
    for (const WPARAM key : {WPARAM{VK_DOWN}, WPARAM{VK_RETURN}}) {
      PostMessageW(menu, WM_KEYDOWN, key, 0);
      PumpFor(30);
    }
  }
  // After remove formatting: the Linux offerer has lost the selection to the program's write,
  // no second menu opened (for the same copy or for the write), and X programs see plain text
  // only, with the same characters.
  void ExpectPlainTextOnTheXClipboard(const NativeProgram& offerer) const {
    ASSERT_TRUE(offerer.Wait()) << "the Linux program still holds the clipboard: nothing was written";
    PumpFor(700);
    EXPECT_EQ(testing_support::VisibleMenuWindow(process_->Id()), nullptr) << "a second menu opened";
    const std::vector<std::string> targets = Lines(ReadWithXclip({L"-t", L"TARGETS"}));
    EXPECT_NE(std::find(targets.begin(), targets.end(), "UTF8_STRING"), targets.end());
    for (const std::string& target : targets) EXPECT_TRUE(kPlainTextTargets.count(target)) << target;
    EXPECT_EQ(ReadWithXclip(), Utf8(kText));
  }

  testing_support::TemporaryFolder folder_;
  std::unique_ptr<testing_support::StartedProgram> process_;
};

TEST_F(LinuxDesktopTest, PlainTextFromXclipOpensOneTextMenuAndComesBackTheSame) {
  // The last copy was made in a Windows program, so Wine holds the X selection and loses it to
  // xclip: that one copy reaches Windows as two changes.
  testing_support::SetClipboardUnicodeText(L"copied in Windows");
  StartProgram();
  const auto offerer = OfferWithXclip(L"UTF8_STRING", kText);
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "text copied by a Linux program opened no text menu";
  RemoveFormatting(menu);
  ExpectPlainTextOnTheXClipboard(*offerer);
}

TEST_F(LinuxDesktopTest, HtmlWithTextFromALinuxProgramOpensTheMenuEvenForFormattedTextOnlyAndLosesTheHtml) {
  StartProgram("[Program]\r\nNurFormatiert=1\r\n");

  // Plain text alone gets no menu with formatted text only on, also from Linux.
  const auto plain = OfferWithXclip(L"UTF8_STRING", L"plain " + kText);
  ASSERT_TRUE(testing_support::PumpUntil([] { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }, 5000));
  PumpFor(1000);
  EXPECT_EQ(testing_support::VisibleMenuWindow(process_->Id()), nullptr) << "plain text opened a menu";

  const testing_support::XOffer offer = testing_support::OfferOnXClipboard(
      "{\"UTF8_STRING\": \"" + Utf8(kText) + "\", \"text/html\": \"<b>" + Utf8(kText) + "</b>\"}");
  if (!offer.skip.empty()) GTEST_SKIP() << offer.skip;
  ASSERT_TRUE(offer.offerer) << offer.failure;
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "HTML with text from a Linux program opened no text menu";
  EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"HTML Format")));
  RemoveFormatting(menu);
  ExpectPlainTextOnTheXClipboard(*offer.offerer);
}

TEST_F(LinuxDesktopTest, RestoringFormattingGivesLinuxProgramsTheHtmlAndRichTextTargetsBack) {
  const auto trayIcons = testing_support::TrayIconWindows();
  StartProgram();
  HWND icon = testing_support::WaitForNewTrayIcon(trayIcons, 20000);
  ASSERT_NE(icon, nullptr);
  const std::string html = "<b>" + Utf8(kText) + "</b>";
  const testing_support::XOffer offer =
      testing_support::OfferOnXClipboard("{\"UTF8_STRING\": \"" + Utf8(kText) + "\", \"text/html\": \"" + html +
                                         "\", \"text/rtf\": \"{\\\\rtf1 {\\\\b bold}}\"}");
  if (!offer.skip.empty()) GTEST_SKIP() << offer.skip;
  ASSERT_TRUE(offer.offerer) << offer.failure;
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr);
  RemoveFormatting(menu);
  ExpectPlainTextOnTheXClipboard(*offer.offerer);

  PostMessageW(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageW(icon, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "no tray menu";
  RemoveFormatting(menu);  // Down and Enter: the first item, now the restore
  std::vector<std::string> targets;
  const auto has = [&](const char* target) {
    return std::find(targets.begin(), targets.end(), target) != targets.end();
  };
  testing_support::PumpUntil(
      [&] {
        targets = Lines(ReadWithXclip({L"-t", L"TARGETS"}));
        return has("text/html");
      },
      5000);
  EXPECT_TRUE(has("text/html"));
  EXPECT_TRUE(has("text/rtf"));
  EXPECT_TRUE(has("text/richtext"));
  EXPECT_NE(ReadWithXclip({L"-t", L"text/html"}).find(html), std::string::npos);
  EXPECT_TRUE(ReadWithXclip({L"-t", L"text/rtf"}).starts_with("{\\rtf1 {\\b bold}}"));
  EXPECT_EQ(ReadWithXclip(), Utf8(kText));
}

// The names of the registered formats on the clipboard, for messages.
std::string RegisteredNames() {
  std::string names;
  for (const UINT format : testing_support::ClipboardFormats()) {
    wchar_t name[256];
    const int length = GetClipboardFormatNameW(format, name, 256);
    if (length > 0) names += " [" + Utf8({name, static_cast<std::size_t>(length)}) + "]";
  }
  return names;
}

TEST_F(LinuxDesktopTest, WithFormattedTextOnlyPlainTextFromGtkQtAndXselOpensNoMenu) {
  StartProgram("[Program]\r\nNurFormatiert=1\r\n");
  // Each program's exact target list for a copy; the text targets answer with the text, the
  // rest are listed only, as the toolkits list them. Wine makes a registered format of each
  // target it has no mapping for: SAVE_TARGETS, DELETE, INCR, text/plain;charset=utf-8.
  const std::string text = "\"copied as plain text\"";
  const std::string html = "\"<b>copied as formatted text</b>\"";
  const struct {
    const char* program;
    std::vector<std::pair<const char*, const std::string*>> targets;  // null: listed only
    bool menu;
  } copies[] = {
      {"GTK",
       {{"UTF8_STRING", &text},
        {"TEXT", &text},
        {"STRING", &text},
        {"text/plain", &text},
        {"text/plain;charset=utf-8", &text},
        {"SAVE_TARGETS", nullptr},
        {"TARGETS", nullptr},
        {"TIMESTAMP", nullptr}},
       false},
      {"Qt",
       {{"UTF8_STRING", &text},
        {"text/plain", &text},
        {"text/plain;charset=utf-8", &text},
        {"STRING", &text},
        {"TEXT", &text},
        {"COMPOUND_TEXT", &text},
        {"SAVE_TARGETS", nullptr},
        {"TARGETS", nullptr},
        {"MULTIPLE", nullptr},
        {"TIMESTAMP", nullptr}},
       false},
      {"xsel",
       {{"STRING", &text},
        {"UTF8_STRING", &text},
        {"TEXT", &text},
        {"TIMESTAMP", nullptr},
        {"TARGETS", nullptr},
        {"MULTIPLE", nullptr},
        {"DELETE", nullptr},
        {"INCR", nullptr}},
       false},
      {"LibreOffice",
       {{"TARGETS", nullptr},
        {"text/rtf", nullptr},
        {"text/richtext", nullptr},
        {"text/html", &html},
        {"text/plain;charset=utf-8", &text},
        {"UTF8_STRING", &text},
        {"STRING", &text},
        {"UTF-8", &text},
        {"TIMESTAMP", nullptr}},
       true},
  };
  for (const auto& copy : copies) {
    std::string json;
    for (const auto& [target, data] : copy.targets)
      json += (json.empty() ? "{\"" : ", \"") + std::string(target) + "\": " + (data ? *data : "null");
    const DWORD before = GetClipboardSequenceNumber();
    const testing_support::XOffer offer = testing_support::OfferOnXClipboard(json + "}");
    if (!offer.skip.empty()) GTEST_SKIP() << offer.skip;
    ASSERT_TRUE(offer.offerer) << offer.failure;
    ASSERT_TRUE(testing_support::PumpUntil(
        [&] { return GetClipboardSequenceNumber() != before && IsClipboardFormatAvailable(CF_UNICODETEXT); }, 5000))
        << copy.program << ": the text never arrived";
    if (copy.menu) {
      HWND menu = WaitForMenu();
      ASSERT_NE(menu, nullptr) << copy.program << " opened no menu:" << RegisteredNames();
      PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
      PumpFor(1000);
      EXPECT_EQ(testing_support::VisibleMenuWindow(process_->Id()), nullptr)
          << copy.program << " opened a menu:" << RegisteredNames();
    }
  }
}

}  // namespace
