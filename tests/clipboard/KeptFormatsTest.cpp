#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "clipboard/KeptFormats.h"

namespace {

using clipboard::FormatsToKeep;
using clipboard::ListedFormat;
namespace id = clipboard::format_id;

constexpr unsigned kRtf = 0xC015;
constexpr unsigned kHtml = 0xC019;

TEST(KeptFormats, FormattedTextKeepsWhatTheSourcePlacedAndTheLocaleButNotTheDerivedText) {
  // As Wine lists a Windows program's copy: its own three formats, then what it derives.
  const std::vector<ListedFormat> windowsCopy{
      {kRtf, L"Rich Text Format"}, {kHtml, L"HTML Format"}, {id::kUnicodeText, L""},
      {id::kLocale, L""},          {id::kText, L""},        {id::kOemText, L""}};
  EXPECT_EQ(FormatsToKeep(windowsCopy), (std::vector<std::size_t>{0, 1, 2, 3}));
  // An ANSI source: Unicode text after it may be its own, with characters no code page has.
  const std::vector<ListedFormat> ansiCopy{
      {id::kText, L""}, {id::kOemText, L""}, {id::kUnicodeText, L""}, {id::kLocale, L""}};
  EXPECT_EQ(FormatsToKeep(ansiCopy), (std::vector<std::size_t>{0, 2, 3}));
}

TEST(KeptFormats, APictureKeepsItsFirstDeviceIndependentFormOnly) {
  EXPECT_EQ(FormatsToKeep(
                std::vector<ListedFormat>{{id::kDib, L""}, {id::kBitmap, L""}, {id::kPalette, L""}, {id::kDibV5, L""}}),
            (std::vector<std::size_t>{0}));
  EXPECT_EQ(FormatsToKeep(std::vector<ListedFormat>{{id::kBitmap, L""}, {id::kDibV5, L""}, {id::kDib, L""}}),
            (std::vector<std::size_t>{1}));
}

TEST(KeptFormats, HandlesOleBookkeepingAndTheXSelectionsProtocolAreLeftOut) {
  const std::vector<ListedFormat> listed{
      {id::kMetafilePict, L""},
      {id::kEnhMetafile, L""},
      {0x80, L""},
      {0x82, L""},
      {0x83, L""},
      {0x8E, L""},
      {0x200, L""},
      {0x2FF, L""},
      {0x300, L""},
      {0x3FF, L""},
      {18, L""},
      {0xC100, L"DataObject"},
      {0xC101, L"Ole Private Data"},
      {0xC102, L"Wine Marshalled DataObject"},
      {0xC103, L"SAVE_TARGETS"},
      {0xC104, L"DELETE"},
      {0xC105, L"INCR"},
      {0xC106, L"TARGETS"},
      {0xC107, L""},
      // kept: blocks of bytes, files by name included, and any other registered format
      {id::kHDrop, L""},
      {id::kSylk, L""},
      {id::kDif, L""},
      {id::kTiff, L""},
      {id::kPenData, L""},
      {id::kRiff, L""},
      {id::kWave, L""},
      {id::kDspText, L""},
      {0xC108, L"text/plain;charset=utf-8"},
      {0xC109, L"Object Descriptor"}};
  const std::vector<std::size_t> kept = FormatsToKeep(listed);
  ASSERT_EQ(kept.size(), 10u);
  EXPECT_EQ(kept.front(), 19u);
  EXPECT_EQ(kept.back(), listed.size() - 1);
}

TEST(KeptFormats, SixtyFourMegabytesInAllAreTheMostEvenWhereTheSumWouldWrapAround) {
  constexpr std::size_t kLimit = std::size_t{64} << 20;
  EXPECT_TRUE(clipboard::WithinKeptLimit(std::vector<std::size_t>{}));
  EXPECT_TRUE(clipboard::WithinKeptLimit(std::vector<std::size_t>{kLimit - 10, 10}));
  EXPECT_FALSE(clipboard::WithinKeptLimit(std::vector<std::size_t>{kLimit - 10, 10, 1}));
  EXPECT_FALSE(clipboard::WithinKeptLimit(std::vector<std::size_t>{SIZE_MAX, 2}));
}

}  // namespace
