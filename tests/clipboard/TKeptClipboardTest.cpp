#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "clipboard/Clipboard.h"
#include "clipboard/TKeptClipboard.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace {

using testing_support::Clipboard;
using testing_support::ClipboardFill;
using testing_support::ClipboardFormats;

using Bytes = std::vector<unsigned char>;

const UINT kRtfFormat = RegisterClipboardFormatW(L"Rich Text Format");
const UINT kHtmlFormat = RegisterClipboardFormatW(L"HTML Format");

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end() + 1); }

// A 24-bit device-independent bitmap whose every byte differs from its neighbour.
Bytes PatternDib(int width, int height) {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  Bytes dib(reinterpret_cast<const unsigned char*>(&header), reinterpret_cast<const unsigned char*>(&header + 1));
  const auto stride = static_cast<std::size_t>((width * 24 + 31) / 32 * 4);
  for (std::size_t i = 0; i < stride * static_cast<std::size_t>(height); ++i)
    dib.push_back(static_cast<unsigned char>(i * 7));
  return dib;
}

// Every block on the clipboard by format, as many bytes as GlobalSize tells.
std::map<UINT, Bytes> BlocksOnClipboard(const std::vector<UINT>& formats) {
  std::map<UINT, Bytes> blocks;
  if (!testing_support::OpenClipboardPatiently(nullptr)) return blocks;
  for (const UINT format : formats) {
    HANDLE data = GetClipboardData(format);
    const ui::GlobalLockGuard lock(data);
    if (!lock.data()) continue;
    const auto* bytes = static_cast<const unsigned char*>(lock.data());
    blocks[format] = Bytes(bytes, bytes + GlobalSize(data));
  }
  CloseClipboard();
  return blocks;
}

std::vector<UINT> Sorted(std::vector<UINT> formats) {
  std::sort(formats.begin(), formats.end());
  return formats;
}

bool TextAlone() {
  const std::vector<UINT> formats = ClipboardFormats();
  return std::all_of(formats.begin(), formats.end(),
                     [](UINT f) { return f == CF_UNICODETEXT || f == CF_TEXT || f == CF_OEMTEXT || f == CF_LOCALE; });
}

TEST(KeptClipboard, RestoringGivesBackEveryFormatByteForByteAsTheProgramsOwnWrite) {
  const std::wstring text = L"Zażółć gęślą jaźń";
  const Bytes rtf = BytesOf("{\\rtf1 {\\b Za\\u380?\\'f3\\u322?\\u263?} g\\u281?\\u347?l\\u261? ja\\u378?\\u324?}");
  const Bytes html = BytesOf("Version:0.9\r\n<b>Zaz&oacute;&lstrok;&cacute;</b> gęślą jaźń");
  const Bytes dib = PatternDib(5, 3);
  {
    ClipboardFill fill;
    fill.PutBlock(kRtfFormat, rtf.data(), rtf.size());
    fill.PutBlock(kHtmlFormat, html.data(), html.size());
    fill.PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    fill.PutBlock(CF_DIB, dib.data(), dib.size());
  }
  const std::vector<UINT> before = ClipboardFormats();
  const std::vector<UINT> blockFormats{kRtfFormat, kHtmlFormat, CF_UNICODETEXT, CF_LOCALE, CF_DIB};
  const std::map<UINT, Bytes> original = BlocksOnClipboard(blockFormats);
  ASSERT_EQ(original.at(kRtfFormat), rtf);

  clipboard::TKeptClipboard kept;
  Clipboard().RewriteTextAlone(kept);
  EXPECT_TRUE(TextAlone());
  EXPECT_EQ(Clipboard().ReadText(), text);
  EXPECT_EQ(Sorted(kept.Formats()), Sorted(blockFormats));
  testing_support::PumpFor(200);  // Wine takes the X selection for our write meanwhile
  EXPECT_TRUE(kept.HoldsOurWrite());
  {
    // Another program holding the clipboard is no reason to lose the copy: the user tries again.
    auto holder = testing_support::HoldClipboardInOtherProcess(400);
    ASSERT_NE(holder.get(), nullptr);
    EXPECT_THROW((void)Clipboard().Restore(kept), ui::Exception);
    EXPECT_FALSE(kept.Empty());
    EXPECT_EQ(holder.Wait(3000), 0u);
  }

  ASSERT_TRUE(Clipboard().Restore(kept));
  EXPECT_TRUE(kept.Empty());
  EXPECT_EQ(kept.Bytes(), 0u);
  EXPECT_EQ(Sorted(ClipboardFormats()), Sorted(before));
  EXPECT_EQ(BlocksOnClipboard(blockFormats), original);
  EXPECT_EQ(GetClipboardOwner(), ui::TApplication::Current()->Handle());
  EXPECT_FALSE(Clipboard().Restore(kept)) << "the copy goes back once";
  EXPECT_EQ(Clipboard().OpenCount(), 0);
}

TEST(KeptClipboard, ANewerCopyIsNeverOverwrittenAndTheStaleCopyIsDropped) {
  {
    ClipboardFill fill;
    const Bytes rtf = BytesOf("{\\rtf1 old}");
    fill.PutBlock(kRtfFormat, rtf.data(), rtf.size());
    fill.PutBlock(CF_UNICODETEXT, L"old", sizeof(L"old"));
  }
  clipboard::TKeptClipboard kept;
  Clipboard().RewriteTextAlone(kept);
  ASSERT_FALSE(kept.Empty());
  testing_support::SetClipboardUnicodeText(L"newer");
  EXPECT_FALSE(kept.HoldsOurWrite());
  EXPECT_FALSE(Clipboard().Restore(kept));
  EXPECT_TRUE(kept.Empty());
  EXPECT_EQ(Clipboard().ReadText(), L"newer");
}

TEST(KeptClipboard, AboveSixtyFourMegabytesNothingIsKeptAndTheRewriteStillWorks) {
  {
    ClipboardFill fill;
    std::string rtf = "{\\rtf1 ";
    rtf.resize((std::size_t{64} << 20) - 8, 'x');  // with the text, just over the limit
    rtf += "}";
    fill.PutBlock(kRtfFormat, rtf.c_str(), rtf.size() + 1);
    fill.PutBlock(CF_UNICODETEXT, L"plain", sizeof(L"plain"));
  }
  clipboard::TKeptClipboard kept;
  Clipboard().RewriteTextAlone(kept);
  EXPECT_TRUE(kept.Empty());
  EXPECT_EQ(kept.Bytes(), 0u);
  EXPECT_TRUE(TextAlone());
  EXPECT_EQ(Clipboard().ReadText(), L"plain");
  EXPECT_FALSE(Clipboard().Restore(kept));
}

TEST(KeptClipboard, OleBookkeepingAndGdiHandlesStayOutButABitmapComesBackAsItsDib) {
  ui::WindowDc screen(nullptr);
  const RECT frame{0, 0, 2540, 2540};
  {
    ClipboardFill fill;
    const Bytes marker = BytesOf("object in the source process");
    fill.PutBlock(RegisterClipboardFormatW(L"DataObject"), marker.data(), marker.size());
    fill.PutBlock(RegisterClipboardFormatW(L"Ole Private Data"), marker.data(), marker.size());
    fill.PutBlock(CF_UNICODETEXT, L"text", sizeof(L"text"));
    fill.Put(CF_ENHMETAFILE,
             ui::UniqueEnhMetaFile(CloseEnhMetaFile(CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr))));
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), 4, 2)));
  }
  clipboard::TKeptClipboard kept;
  Clipboard().RewriteTextAlone(kept);
  const std::vector<UINT> formats = kept.Formats();
  for (const UINT format : formats) {
    EXPECT_TRUE(format == CF_UNICODETEXT || format == CF_LOCALE || format == CF_DIB) << "kept format " << format;
  }
  EXPECT_NE(std::find(formats.begin(), formats.end(), CF_DIB), formats.end());
  ASSERT_TRUE(Clipboard().Restore(kept));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP)) << "derived again from the kept DIB";
}

}  // namespace
