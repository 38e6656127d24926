// A section may hold its rows top row first. GetObject gives its height as positive all the
// same, so a writer that trusts the header turns such a picture upside down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImagingTestSupport.h"
#include "imaging/BmpWriter.h"
#include "imaging/PngWriter.h"
#include "imaging/TJPEGImage.h"
#include "support/PngDecoding.h"

namespace {

using imaging_test::Bytes;
using imaging_test::Get16;
using imaging_test::Get32;

enum class Writer { Bmp, Jpeg, Png };

std::string WriterName(const ::testing::TestParamInfo<Writer>& info) {
  return info.param == Writer::Bmp ? "Bmp" : info.param == Writer::Jpeg ? "Jpeg" : "Png";
}

// A BMP file read back by its header: the pixels as 0xRRGGBB, top row first, at 24 or 32 bits.
std::vector<std::uint32_t> BmpColors(const Bytes& file, std::uint32_t width, std::uint32_t height) {
  EXPECT_EQ(Get32(file, 18), width);
  EXPECT_EQ(Get32(file, 22), height) << "written bottom-up, as every reader takes it";
  const std::uint32_t bytesPerPixel = Get16(file, 28) / 8;
  const std::size_t stride = (width * bytesPerPixel + 3) / 4 * 4;
  const std::size_t offset = Get32(file, 10);
  EXPECT_EQ(file.size(), offset + stride * height);
  std::vector<std::uint32_t> colors;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t at = offset + stride * (height - 1 - y) + x * bytesPerPixel;
      colors.push_back(Get16(file, at) | static_cast<std::uint32_t>(file.at(at + 2)) << 16);
    }
  }
  return colors;
}

class TopDownSection : public ::testing::TestWithParam<Writer> {
 protected:
  ui::TPicture picture;
};

TEST_P(TopDownSection, ComesOutTheWayTheSystemReadsIt) {
  constexpr int kWidth = 13;  // 24-bit rows padded
  constexpr int kHeight = 7;
  for (const int bits : {24, 32}) {
    SCOPED_TRACE(std::to_string(bits) + " bits");
    const auto stride = static_cast<std::size_t>((kWidth * bits / 8 + 3) / 4 * 4);
    Bytes rows(stride * kHeight);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      seed = seed * 1664525U + 1013904223U;
      rows[i] = bits == 32 && i % 4 == 3 ? 0 : static_cast<std::uint8_t>(seed >> 24);  // no alpha
    }
    ui::TBitmap& bitmap = imaging_test::PutSection(picture, kWidth, -kHeight, bits, BI_RGB, {}, rows);
    const std::vector<std::uint32_t> expected = imaging_test::GdiColors(bitmap);
    ASSERT_NE(expected.front(), expected.back());
    imaging::TMemoryStream out;
    switch (GetParam()) {
      case Writer::Bmp:
        imaging::EncodeBmp(bitmap, out);
        EXPECT_EQ(BmpColors(Bytes(out.Memory(), out.Memory() + out.Size()), kWidth, kHeight), expected);
        break;
      case Writer::Jpeg: {
        imaging::CompressBitmap(bitmap, imaging::TJPEGSettings{}, out);
        Bytes rgb;
        for (const std::uint32_t c : expected)
          rgb.insert(rgb.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                 static_cast<std::uint8_t>(c)});
        EXPECT_EQ(Bytes(out.Memory(), out.Memory() + out.Size()),
                  imaging_test::ReferenceJpeg(rgb, kWidth, kHeight, 90));
        break;
      }
      case Writer::Png: {
        imaging::EncodePng(bitmap, out);
        const imaging_test::DecodedPng png = imaging_test::DecodePng(Bytes(out.Memory(), out.Memory() + out.Size()));
        ASSERT_TRUE(png.ok) << png.error;
        EXPECT_EQ(png.pixels, expected);
        break;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, TopDownSection, ::testing::Values(Writer::Bmp, Writer::Jpeg, Writer::Png),
                         WriterName);

}  // namespace
