#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "imaging/PngLayout.h"
#include "ui/PixelAlpha.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Written(const std::function<void(imaging::TStream&)>& write) {
  imaging::TMemoryStream stream;
  write(stream);
  return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

TEST(PngLayout, AlphaIsRealUnlessEveryPixelSharesZeroOr255) {
  // Two rows of two pixels, bottom-up in memory like a section; only alpha bytes matter.
  const auto shared = [](std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const Bytes rows{0, 0, 0, c, 0, 0, 0, d, 9, 9, 9, a, 9, 9, 9, b};
    return ui::SharedAlpha(rows.data() + 8, -8, 2, 2);
  };
  EXPECT_EQ(shared(0, 0, 0, 0), std::optional<std::uint8_t>(0));
  EXPECT_EQ(shared(255, 255, 255, 255), std::optional<std::uint8_t>(255));
  EXPECT_EQ(shared(0, 0, 0, 255), std::nullopt);  // the last pixel looked at differs
  EXPECT_EQ(shared(255, 0, 255, 255), std::nullopt);
  EXPECT_FALSE(ui::IsRealAlpha(0));
  EXPECT_FALSE(ui::IsRealAlpha(255));
  EXPECT_TRUE(ui::IsRealAlpha(128));  // evenly translucent is still transparency
  EXPECT_TRUE(ui::IsRealAlpha(std::nullopt));
}

TEST(PngLayout, SixteenBitChannelsWidenLikeGdi) {
  Bytes rgb(9);
  const Bytes x555{0xFF, 0x7F, 0x00, 0x00, 0x21, 0x04};  // white, black, 1-1-1
  imaging::Rgb555ToRgb(x555.data(), 3, rgb.data());
  EXPECT_EQ(rgb, (Bytes{255, 255, 255, 0, 0, 0, 8, 8, 8}));
  const Bytes r565{0xFF, 0xFF, 0x1F, 0x00, 0x41, 0x08};  // white, blue, 1-2-1
  imaging::Rgb565ToRgb(r565.data(), 3, rgb.data());
  EXPECT_EQ(rgb, (Bytes{255, 255, 255, 0, 0, 255, 8, 8, 8}));
  const Bytes bgra{1, 2, 3, 4, 5, 6, 7, 8};
  Bytes out(8);
  imaging::BgraToRgba(bgra.data(), 2, out.data());
  EXPECT_EQ(out, (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
  imaging::BgrxToRgb(bgra.data(), 2, out.data());
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 6), (Bytes{3, 2, 1, 7, 6, 5}));
}

TEST(PngLayout, HeadChunksAndSplitImageData) {
  const Bytes head = Written([](imaging::TStream& s) {
    imaging::WritePngHead(s, {3, 2, 4, imaging::PngColorType::kPalette}, {{1, 2, 3}, {4, 5, 6}});
  });
  const Bytes ihdr{0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 3, 0, 0, 0, 2, 4, 3, 0, 0, 0};
  ASSERT_EQ(head.size(), 8U + 25U + 18U);
  EXPECT_EQ(Bytes(head.begin(), head.begin() + 8), Bytes(imaging::kPngSignature.begin(), imaging::kPngSignature.end()));
  EXPECT_EQ(Bytes(head.begin() + 8, head.begin() + 29), ihdr);
  EXPECT_EQ(Bytes(head.begin() + 33, head.begin() + 47), (Bytes{0, 0, 0, 6, 'P', 'L', 'T', 'E', 1, 2, 3, 4, 5, 6}));
  // An RGB picture has no palette chunk.
  EXPECT_EQ(Written([](imaging::TStream& s) {
              imaging::WritePngHead(s, {1, 1, 8, imaging::PngColorType::kRgb}, {});
            }).size(),
            33U);

  const Bytes data(imaging::kPngIdatChunkSize * 2 + 5, 0x77);
  const Bytes tail = Written([&data](imaging::TStream& s) { imaging::WritePngTail(s, data.data(), data.size()); });
  ASSERT_EQ(tail.size(), data.size() + 4 * 12);
  const std::size_t third = 2 * (imaging::kPngIdatChunkSize + 12);
  EXPECT_EQ(
      Bytes(tail.begin() + static_cast<std::ptrdiff_t>(third), tail.begin() + static_cast<std::ptrdiff_t>(third) + 8),
      (Bytes{0, 0, 0, 5, 'I', 'D', 'A', 'T'}));
  // IEND has no data; its CRC is the well-known AE 42 60 82.
  EXPECT_EQ(Bytes(tail.end() - 12, tail.end()), (Bytes{0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82}));
  EXPECT_EQ(imaging::PngRowBytes({7, 1, 1, imaging::PngColorType::kPalette}), 1U);
  EXPECT_EQ(imaging::PngRowBytes({3, 1, 4, imaging::PngColorType::kPalette}), 2U);
  EXPECT_EQ(imaging::PngRowBytes({3, 1, 8, imaging::PngColorType::kRgba}), 12U);
}

}  // namespace
