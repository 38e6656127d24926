#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/BmpLayout.h"
#include "imaging/Streams.h"
#include "ui/Errors.h"

namespace {

using imaging::BmpFormat;
using imaging::kBiBitfields;
using imaging::kBiRgb;
using imaging::PlanBmp;

TEST(BmpLayout, RowsArePaddedToFourBytes) {
  EXPECT_EQ(imaging::RowStride(3, 24), 12U);
  EXPECT_EQ(imaging::RowStride(1, 32), 4U);
  EXPECT_EQ(imaging::RowStride(1, 1), 4U);
  EXPECT_EQ(imaging::RowStride(33, 1), 8U);
  EXPECT_EQ(imaging::RowStride(9, 4), 8U);
  EXPECT_EQ(imaging::RowStride(3, 16), 8U);
  EXPECT_EQ(imaging::RowStride(5, 8), 8U);
  EXPECT_EQ(imaging::ImageSize(3, 2, 24), 24U);
  EXPECT_EQ(imaging::ImageSize(3, -2, 24), 24U);  // top-down rows take the same room
}

TEST(BmpLayout, DirectColourPicturesHaveNoTableUnlessMasksOrPaletteAskForOne) {
  const auto onePixel = PlanBmp({32, kBiRgb, 0}, 0, 0, 4);
  EXPECT_FALSE(onePixel.masks);
  EXPECT_EQ(onePixel.tableEntries, 0U);
  EXPECT_EQ(onePixel.pixelOffset, 54U);
  EXPECT_EQ(onePixel.fileSize, 58U);

  EXPECT_EQ(PlanBmp({24, kBiRgb, 0}, 0, 0, 24).fileSize, 78U);

  const auto masked = PlanBmp({16, kBiBitfields, 0}, 0, 0, 8);
  EXPECT_TRUE(masked.masks);
  EXPECT_EQ(masked.headerSize, 52U);
  EXPECT_EQ(masked.pixelOffset, 66U);

  // A palette that came with a direct-colour picture goes along as an optional table.
  const auto withPalette = PlanBmp({32, kBiRgb, 0}, 0, 20, 4);
  EXPECT_EQ(withPalette.tableEntries, 20U);
  EXPECT_EQ(withPalette.headerSize, 40U + 80U);
  EXPECT_EQ(PlanBmp({32, kBiBitfields, 0}, 0, 3, 4).headerSize, 40U + 12U + 12U);
  EXPECT_EQ(PlanBmp({32, kBiRgb, 0}, 0, 1000, 4).tableEntries, 256U);
  // The picture's own table, cut to the colours it uses, wins over the palette.
  EXPECT_EQ(PlanBmp({24, kBiRgb, 5}, 8, 20, 4).tableEntries, 5U);
}

TEST(BmpLayout, IndexedPicturesCarryTheTableTheirHeaderAnnounces) {
  const auto full = PlanBmp({8, kBiRgb, 0}, 256, 0, 8);
  EXPECT_EQ(full.tableEntries, 256U);
  EXPECT_EQ(full.pixelOffset, 1078U);

  EXPECT_EQ(PlanBmp({8, kBiRgb, 16}, 16, 0, 8).headerSize, 40U + 64U);
  EXPECT_EQ(PlanBmp({4, kBiRgb, 0}, 16, 0, 4).tableEntries, 16U);
  EXPECT_EQ(PlanBmp({1, kBiRgb, 0}, 2, 0, 4).pixelOffset, 62U);
  // Whatever the system hands back, the table written matches the header size, so the pixels
  // are where the file header says.
  EXPECT_EQ(PlanBmp({8, kBiRgb, 0}, 17, 0, 8).tableEntries, 256U);
  EXPECT_EQ(PlanBmp({8, kBiRgb, 300}, 256, 0, 8).tableEntries, 256U);
}

TEST(BmpLayout, FileHeaderGivesSizeAndPixelOffset) {
  const auto header = imaging::BmpFileHeader(PlanBmp({8, kBiRgb, 0}, 256, 0, 0x10203));
  const std::vector<std::uint8_t> expected{'B', 'M', 0x39, 0x06, 0x01, 0x00, 0, 0, 0, 0, 0x36, 0x04, 0x00, 0x00};
  EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.end()), expected);
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
  EXPECT_EQ(size(13, 96), 0);   // 0.49
  EXPECT_EQ(size(14, 96), 1);   // 0.53
  EXPECT_EQ(size(1270, 1), 1);  // exactly one half goes up
  EXPECT_EQ(size(2540, 1440), 1440);
  EXPECT_EQ(size(100000000, 96), 32767);  // would wrap round into a negative size
  const auto header = imaging::PlaceableMetafileHeader(2540, 2540, 1440);
  EXPECT_EQ(header[14] | header[15] << 8, 1440);
}

TEST(PlaceableMetafileHeader, OnlyWmfExtensionInAnyCaseAsksForIt) {
  EXPECT_TRUE(imaging::IsWindowsMetafileName(L"C:\\Bilder\\Bild.WMF"));
  EXPECT_TRUE(imaging::IsWindowsMetafileName(L"bild.wmf"));
  EXPECT_TRUE(imaging::IsWindowsMetafileName(L"bild.Wmf"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"bild.wmf.bmp"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"bild.wmfx"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"bild.emf"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"C:\\alt.wmf\\bild"));
  EXPECT_FALSE(imaging::IsWindowsMetafileName(L"bild"));
}

TEST(MemoryStream, GrowsInWholeStepsAndKeepsEverythingWritten) {
  imaging::TMemoryStream stream;
  std::vector<std::uint8_t> piece(4096);
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 200; ++i) {
    for (std::size_t j = 0; j < piece.size(); ++j) piece[j] = static_cast<std::uint8_t>(i * 7 + static_cast<int>(j));
    stream.WriteBuffer(piece.data(), piece.size());
    all.insert(all.end(), piece.begin(), piece.end());
    ASSERT_EQ(stream.Capacity() % imaging::TMemoryStream::kMemoryDelta, 0U);
    ASSERT_GE(stream.Capacity(), stream.Size());
  }
  stream.WriteBuffer("x", 1);
  all.push_back('x');
  ASSERT_EQ(stream.Size(), all.size());
  EXPECT_TRUE(std::equal(all.begin(), all.end(), stream.Memory()));
  EXPECT_LT(stream.Capacity(), 2 * stream.Size() + imaging::TMemoryStream::kMemoryDelta);
}

TEST(MemoryStream, ReservedRoomIsFilledWithoutMovingTheBlock) {
  imaging::TMemoryStream stream;
  stream.WriteBuffer("ab", 2);
  stream.Expect(100000);
  const std::uint8_t* block = stream.Memory();
  EXPECT_EQ(stream.Capacity() % imaging::TMemoryStream::kMemoryDelta, 0U);
  EXPECT_GE(stream.Capacity(), 100002U);
  const std::vector<std::uint8_t> piece(4096, 0x42);
  while (stream.Size() + piece.size() <= 100002) stream.WriteBuffer(piece.data(), piece.size());
  EXPECT_EQ(stream.Memory(), block);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 3), "abB");

  EXPECT_FALSE(stream.Reserve(SIZE_MAX / 4 * 3));  // no such room: nothing changes
  EXPECT_EQ(stream.Memory(), block);
  stream.Expect(SIZE_MAX);
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
  EXPECT_EQ(stream.Size(), 3U);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 3), "abc");
}

}  // namespace
