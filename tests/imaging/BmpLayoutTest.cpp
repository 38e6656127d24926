#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/BmpLayout.h"
#include "imaging/Streams.h"
#include "ui/Errors.h"

namespace {

using imaging::kBiBitfields;
using imaging::kBiRgb;
using imaging::PlanBmp;

// Whole files of every depth are checked in BmpWriterTest; these are the rules no bitmap the
// system makes runs into.
TEST(BmpLayout, ColourTableAlwaysFillsTheRoomTheHeaderAnnounces) {
  // Indexed: what the header implies, whatever the system handed back, so the pixels are
  // where the file header says.
  EXPECT_EQ(PlanBmp({8, kBiRgb, 0}, 17, 0, 8).tableEntries, 256U);
  EXPECT_EQ(PlanBmp({8, kBiRgb, 300}, 256, 0, 8).tableEntries, 256U);
  EXPECT_EQ(PlanBmp({8, kBiRgb, 16}, 256, 0, 8).headerSize, 40U + 64U);
  // Direct colour: the picture's own table cut to the colours used, else the palette (at
  // most 256), behind the masks.
  EXPECT_EQ(PlanBmp({24, kBiRgb, 5}, 8, 20, 4).tableEntries, 5U);
  EXPECT_EQ(PlanBmp({32, kBiRgb, 0}, 0, 1000, 4).tableEntries, 256U);
  EXPECT_EQ(PlanBmp({32, kBiBitfields, 0}, 0, 3, 4).pixelOffset, 14U + 40U + 12U + 12U);
}

TEST(BmpLayout, MissingMasksAreFilledWithTheUsualOnes) {
  using Masks = std::array<std::uint32_t, 3>;
  EXPECT_EQ(imaging::MasksToWrite(16, {0, 0, 0}), (Masks{0xF800, 0x07E0, 0x001F}));
  EXPECT_EQ(imaging::MasksToWrite(32, {0, 0x00FF00, 0}), (Masks{0xFF0000, 0x00FF00, 0x0000FF}));
  EXPECT_EQ(imaging::MasksToWrite(16, {0x7C00, 0x03E0, 0x001F}), (Masks{0x7C00, 0x03E0, 0x001F}));
}

TEST(PlaceableMetafileHeader, HoldsKeySizeInchAndChecksum) {
  const auto header = imaging::PlaceableMetafileHeader(10000, 5000, 0);
  const std::vector<std::uint8_t> expected{0xD7, 0xCD, 0xC6, 0x9A,  // key
                                           0,    0,                 // handle
                                           0,    0,    0,    0,     // left, top
                                           0x7A, 0x01,              // right: 100 mm at 96 dpi = 378
                                           0xBD, 0x00,              // bottom: 50 mm = 189
                                           0x60, 0x00,              // inch 96 when not set
                                           0,    0,    0,    0,     // reserved
                                           0xB6, 0x56};             // checksum
  EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.end()), expected);
}

TEST(PlaceableMetafileHeader, RoundsToNearestAndKeepsSizesInRange) {
  const auto size = [](int mm, int inch) {
    const auto h = imaging::PlaceableMetafileHeader(mm, mm, inch);
    return static_cast<std::int16_t>(h[10] | h[11] << 8);
  };
  EXPECT_EQ(size(13, 96), 0);             // 0.49
  EXPECT_EQ(size(1270, 1), 1);            // exactly one half goes up
  EXPECT_EQ(size(2540, 1440), 1440);      // the metafile's own inch when set
  EXPECT_EQ(size(100000000, 96), 32767);  // would wrap round into a negative size
}

TEST(PlaceableMetafileHeader, OnlyWmfExtensionInAnyCaseAsksForIt) {
  EXPECT_TRUE(imaging::IsWindowsMetafileName(L"C:\\Bilder\\Bild.WMF"));
  EXPECT_TRUE(imaging::IsWindowsMetafileName(L"bild.Wmf"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"bild.wmf.bmp"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"bild.wmfx"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"C:\\alt.wmf\\bild"));
}

TEST(MemoryStream, GrowsInWholeStepsKeepsEverythingAndMovesNotWithinReservedRoom) {
  imaging::TMemoryStream stream;
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 200; ++i) {
    const std::vector<std::uint8_t> piece(4096 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(i));
    stream.WriteBuffer(piece.data(), piece.size());
    all.insert(all.end(), piece.begin(), piece.end());
    ASSERT_EQ(stream.Capacity() % imaging::TMemoryStream::kMemoryDelta, 0U);
  }
  ASSERT_EQ(stream.Size(), all.size());
  EXPECT_TRUE(std::equal(all.begin(), all.end(), stream.Memory()));
  EXPECT_LT(stream.Capacity(), 2 * stream.Size() + imaging::TMemoryStream::kMemoryDelta);

  stream.Expect(100000);
  const std::uint8_t* block = stream.Memory();
  for (int i = 0; i < 24; ++i) stream.WriteBuffer(all.data(), 4096);
  EXPECT_EQ(stream.Memory(), block);
  EXPECT_FALSE(stream.Reserve(SIZE_MAX / 4 * 3));  // no such room: nothing changes
  EXPECT_EQ(stream.Memory(), block);
}

TEST(MemoryStream, BlockThatCannotGrowRaisesStreamError) {
  imaging::TMemoryStream stream;
  stream.WriteBuffer("abc", 3);
  try {
    // The length alone decides; the data pointer is never read when the block cannot grow.
    static_cast<void>(stream.Write("abc", SIZE_MAX / 4 * 3));
    FAIL() << "no error raised";
  } catch (const ui::EStreamError& e) {
    EXPECT_EQ(e.Message(), L"Expandieren des Speicher-Stream wegen Speichermangel nicht möglich");
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), stream.Size()), "abc");
}

}  // namespace
