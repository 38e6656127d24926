#include <gtest/gtest.h>

#include "ImagingTestSupport.h"
#include "imaging/BmpWriter.h"
#include "imaging/Streams.h"

namespace {

struct Kind {
  int bitsPerPixel;
  DWORD compression;
  std::vector<DWORD> colors;  // colour table or masks
  bool palette;
};

// The viewer's size panel must agree with what a save writes, without encoding to find out.
TEST(BmpFileSize, AgreesWithTheEncodersByteCountForEveryBitDepthAndKind) {
  const Kind kinds[] = {
      {1, BI_RGB, {0x000000, 0xFFFFFF}, false},
      {4, BI_RGB, {}, false},
      {4, BI_RGB, {0xFF0000, 0x00FF00, 0x0000FF}, false},  // a short table: colours used 3
      {8, BI_RGB, {}, false},
      {8, BI_RGB, std::vector<DWORD>(256, 0x123456), true},
      {16, BI_RGB, {}, false},
      {16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, false},
      {24, BI_RGB, {}, false},
      {24, BI_RGB, {}, true},  // a palette beside true colour goes out as an optional table
      {32, BI_RGB, {}, false},
      {32, BI_BITFIELDS, {0xFF0000, 0x00FF00, 0x0000FF}, false},
  };
  for (const Kind& kind : kinds) {
    for (const auto& [width, height] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{37, 5}}) {
      ui::TPicture picture;
      HPALETTE palette = nullptr;
      if (kind.palette) {
        struct {
          WORD version, count;
          PALETTEENTRY entries[16];
        } logical{0x300, 16, {}};
        palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
      }
      ui::TBitmap& bitmap = imaging_test::PutSection(picture, width, height, kind.bitsPerPixel, kind.compression,
                                                     kind.colors, {}, palette);
      const std::uint32_t predicted = imaging::BmpFileSize(bitmap);
      imaging::TMemoryStream stream;
      imaging::EncodeBmp(bitmap, stream);
      EXPECT_EQ(predicted, stream.Size())
          << kind.bitsPerPixel << " bpp, compression " << kind.compression << ", " << width << "x" << height;
    }
  }
  // Device bitmaps, which EncodeBmp writes from a section copy, in both of their kinds.
  for (const bool monochrome : {false, true}) {
    ui::TPicture picture;
    ui::TBitmap& bitmap = imaging_test::PutDeviceBitmap(
        picture, 13, 7, [](int x, int) { return x % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0); });
    if (monochrome) {
      bitmap.Assign(CreateBitmap(13, 7, 1, 1, nullptr), nullptr);
    }
    ASSERT_FALSE(bitmap.IsDeviceIndependent());
    const std::uint32_t predicted = imaging::BmpFileSize(bitmap);
    imaging::TMemoryStream stream;
    imaging::EncodeBmp(bitmap, stream);
    EXPECT_EQ(predicted, stream.Size()) << (monochrome ? "monochrome" : "screen kind");
  }
  ui::TPicture empty;
  EXPECT_EQ(imaging::BmpFileSize(ui::BitmapOf(empty)), 0u);
}

}  // namespace
