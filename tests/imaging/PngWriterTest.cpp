#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ImagingTestSupport.h"
#include "clipboard/Clipboard.h"
#include "imaging/PngWriter.h"
#include "support/PngDecoding.h"
#include "support/TestSupport.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace {

using imaging_test::Bytes;
using imaging_test::DecodedPng;
using imaging_test::DecodePng;
using imaging_test::FailingSink;
using imaging_test::GdiColors;
using imaging_test::PngChunks;
using imaging_test::ReadFileBytes;

// The same bytes every run.
Bytes Noise(std::size_t count, std::uint32_t seed) {
  Bytes bytes(count);
  for (std::uint8_t& byte : bytes) {
    seed = seed * 1664525U + 1013904223U;
    byte = static_cast<std::uint8_t>(seed >> 24);
  }
  return bytes;
}

enum class Alpha { kNone, kReal, kZero, kOpaque };

struct Form {
  const char* name;
  int width;
  int height;
  int bits;
  DWORD compression;
  std::vector<DWORD> masks;  // BI_BITFIELDS only
  Alpha alpha = Alpha::kNone;
};

void PrintTo(const Form& form, std::ostream* os) { *os << form.name; }

class PngWriterForms : public ::testing::TestWithParam<Form> {
 protected:
  imaging_test::ScratchFolder folder;
  ui::TPicture picture;
};

// Each form, filled with noise, comes back pixel for pixel: a palette picture as the same
// indices into the same table, everything else as the colours GDI itself reads from it.
TEST_P(PngWriterForms, DecodesToTheSamePixels) {
  const Form& form = GetParam();
  const auto stride = static_cast<std::size_t>((form.width * form.bits + 31) / 32 * 4);
  Bytes rows =
      Noise(stride * static_cast<std::size_t>(form.height), static_cast<std::uint32_t>(form.width * 131 + form.bits));
  if (form.alpha == Alpha::kZero || form.alpha == Alpha::kOpaque) {
    for (std::size_t i = 3; i < rows.size(); i += 4) rows[i] = form.alpha == Alpha::kZero ? 0 : 255;
  }
  std::vector<DWORD> table = form.masks;
  if (form.bits <= 8) {
    const Bytes colors = Noise(4U << form.bits, 7);
    table.assign(1U << form.bits, 0);
    std::memcpy(table.data(), colors.data(), colors.size());
    for (DWORD& color : table) color &= 0xFFFFFF;
  }
  const ui::TBitmap& bitmap =
      imaging_test::PutSection(picture, form.width, form.height, form.bits, form.compression, table, rows);
  const std::wstring path = folder.Path(L"bild.png");
  imaging::WritePng(picture, path);
  const Bytes file = ReadFileBytes(path);
  const DecodedPng png = DecodePng(file);
  ASSERT_TRUE(png.ok) << png.error;
  ASSERT_EQ(png.width, form.width);
  ASSERT_EQ(png.height, form.height);
  const std::vector<std::string> chunks = PngChunks(file);
  EXPECT_EQ(chunks.front(), "IHDR");
  EXPECT_EQ(chunks.back(), "IEND");
  EXPECT_EQ(std::count(chunks.begin(), chunks.end(), "PLTE"), form.bits <= 8 ? 1 : 0);
  EXPECT_EQ(std::count(chunks.begin(), chunks.end(), "tRNS"), 0);

  if (form.bits <= 8) {
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_PALETTE);
    EXPECT_EQ(png.bitDepth, form.bits);
    Bytes plte;
    for (const DWORD color : table)
      plte.insert(plte.end(), {GetBValue(color), GetGValue(color), GetRValue(color)});  // table holds 0x00RRGGBB
    EXPECT_EQ(png.palette, plte);
    for (int y = 0; y < form.height; ++y) {
      const std::uint8_t* row = rows.data() + stride * static_cast<std::size_t>(form.height - 1 - y);
      for (int x = 0; x < form.width; ++x) {
        const int bit = x * form.bits;
        const unsigned index = row[bit / 8] >> (8 - form.bits - bit % 8) & ((1U << form.bits) - 1);
        ASSERT_EQ(png.At(x, y), index) << x << "," << y;
      }
    }
    return;
  }
  EXPECT_EQ(png.colorType, form.alpha == Alpha::kReal ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(png.bitDepth, 8);
  const std::vector<std::uint32_t> expected = GdiColors(bitmap);
  for (int y = 0; y < form.height; ++y) {
    for (int x = 0; x < form.width; ++x) {
      std::uint32_t want = expected[static_cast<std::size_t>(y * form.width + x)];
      if (form.alpha == Alpha::kReal)
        want |= static_cast<std::uint32_t>(
                    rows[stride * static_cast<std::size_t>(form.height - 1 - y) + static_cast<std::size_t>(x) * 4 + 3])
                << 24;
      ASSERT_EQ(png.At(x, y), want) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryDepth, PngWriterForms,
    ::testing::Values(
        Form{"Mono1x1", 1, 1, 1, BI_RGB, {}}, Form{"Mono3", 3, 4, 1, BI_RGB, {}}, Form{"Mono7", 7, 3, 1, BI_RGB, {}},
        Form{"Mono33", 33, 2, 1, BI_RGB, {}}, Form{"Nibble1", 1, 3, 4, BI_RGB, {}},
        Form{"Nibble3", 3, 2, 4, BI_RGB, {}}, Form{"Nibble7", 7, 5, 4, BI_RGB, {}}, Form{"Byte", 13, 11, 8, BI_RGB, {}},
        Form{"Bgr", 7, 9, 24, BI_RGB, {}}, Form{"Bgr1x1", 1, 1, 24, BI_RGB, {}},
        Form{"BgraReal", 9, 7, 32, BI_RGB, {}, Alpha::kReal}, Form{"BgraZero", 9, 7, 32, BI_RGB, {}, Alpha::kZero},
        Form{"BgraOpaque", 9, 7, 32, BI_RGB, {}, Alpha::kOpaque},
        Form{"BgraMasksReal", 5, 3, 32, BI_BITFIELDS, {0xFF0000, 0x00FF00, 0x0000FF}, Alpha::kReal},
        Form{"Rgb555", 7, 5, 16, BI_RGB, {}}, Form{"Rgb555Masks", 7, 5, 16, BI_BITFIELDS, {0x7C00, 0x03E0, 0x001F}},
        Form{"Rgb565", 7, 5, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}},
        Form{"Rgb444", 6, 5, 16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}},
        Form{"RgbxOtherMasks", 6, 5, 32, BI_BITFIELDS, {0x0000FF, 0x00FF00, 0xFF0000}}),
    [](const ::testing::TestParamInfo<Form>& param) { return std::string(param.param.name); });

class PngWriter : public imaging_test::WriterTest {};

// A device bitmap is converted band by band; noise does not compress, so the image data needs
// several chunks, and memory and file get the same bytes.
TEST_F(PngWriter, LargeDeviceBitmapSpansBandsAndSeveralDataChunks) {
  constexpr int kWidth = 500;
  constexpr int kHeight = 300;
  const Bytes noise = Noise(kWidth * kHeight * 3, 99);
  const auto colour = [&noise](int x, int y) {
    const std::size_t at = static_cast<std::size_t>(y * kWidth + x) * 3;
    return imaging_test::Rgb(noise[at], noise[at + 1], noise[at + 2]);
  };
  ui::TBitmap& bitmap = imaging_test::PutDeviceBitmap(picture, kWidth, kHeight, colour);
  ASSERT_FALSE(bitmap.IsDeviceIndependent());
  imaging::TMemoryStream memory;
  imaging::EncodePng(bitmap, memory);
  const std::wstring path = folder.Path(L"gross.png");
  imaging::WritePng(picture, path);
  const Bytes file = ReadFileBytes(path);
  EXPECT_EQ(file, Bytes(memory.Memory(), memory.Memory() + memory.Size()));
  EXPECT_FALSE(bitmap.IsDeviceIndependent());

  const std::vector<std::string> chunks = PngChunks(file);
  EXPECT_GE(std::count(chunks.begin(), chunks.end(), "IDAT"), 2);
  const DecodedPng png = DecodePng(file);
  ASSERT_TRUE(png.ok) << png.error;
  EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = colour(x, y);
      ASSERT_EQ(png.At(x, y), static_cast<std::uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)))
          << x << "," << y;
    }
  }
}

// A program that copies a picture with transparency puts a 32-bit CF_DIBV5 with an alpha mask
// on the clipboard. Asked for CF_BITMAP, Wine makes a 32-bit device bitmap from it that keeps
// the alpha bytes (and the holder's copy keeps them too); real alpha, even when only the last
// band of rows has it, makes an RGBA file, and a fully opaque picture stays RGB.
TEST_F(PngWriter, DibV5WithAlphaFromTheClipboardKeepsItsAlpha) {
  constexpr int kWidth = 3;
  constexpr int kHeight = 150;
  for (const bool translucent : {true, false}) {
    struct {
      BITMAPV5HEADER header;
      std::uint32_t pixels[kWidth * kHeight];
    } block{};
    block.header.bV5Size = sizeof(BITMAPV5HEADER);
    block.header.bV5Width = kWidth;
    block.header.bV5Height = -kHeight;
    block.header.bV5Planes = 1;
    block.header.bV5BitCount = 32;
    block.header.bV5Compression = BI_BITFIELDS;
    block.header.bV5RedMask = 0xFF0000;
    block.header.bV5GreenMask = 0x00FF00;
    block.header.bV5BlueMask = 0x0000FF;
    block.header.bV5AlphaMask = 0xFF000000;
    for (std::uint32_t i = 0; i < kWidth * kHeight; ++i) block.pixels[i] = 0xFF000000U | i * 0x010203U;
    if (translucent) block.pixels[kWidth * kHeight - 1] = 0x80123456;
    {
      testing_support::ClipboardFill fill;
      fill.PutBlock(CF_DIBV5, &block, sizeof(block));
    }
    testing_support::Clipboard().CopyToPicture(picture);
    const auto* bitmap = picture.GraphicAs<ui::TBitmap>();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_FALSE(bitmap->IsDeviceIndependent());
    EXPECT_EQ(bitmap->Description().dsBm.bmBitsPixel, 32);

    const std::wstring path = folder.Path(L"alpha.png");
    imaging::WritePng(picture, path);
    const DecodedPng png = DecodePng(ReadFileBytes(path));
    ASSERT_TRUE(png.ok) << png.error;
    ASSERT_EQ(png.colorType, translucent ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
    for (std::uint32_t i = 0; i < kWidth * kHeight; ++i) {
      const std::uint32_t want = translucent ? block.pixels[i] : block.pixels[i] & 0xFFFFFF;
      ASSERT_EQ(png.pixels[i], want) << i;
    }
  }
}

TEST_F(PngWriter, MetafileIsDrawnOnWhiteAndSavedWithoutAlpha) {
  imaging_test::PutMetafile(picture, 2000, 1000);
  const std::wstring path = folder.Path(L"meta.png");
  imaging::WritePng(picture, path);
  const DecodedPng png = DecodePng(ReadFileBytes(path));
  ASSERT_TRUE(png.ok) << png.error;
  EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(png.width, picture.Width());
  EXPECT_EQ(png.At(1, png.height / 2), 0xFF0000U);
  EXPECT_EQ(png.At(png.width - 2, png.height / 2), 0xFFFFFFU);
}

TEST_F(PngWriter, EmptyHolderCreatesNoFile) {
  const std::wstring path = folder.Path(L"leer.png");
  imaging::WritePng(picture, path);
  EXPECT_FALSE(imaging_test::FileExists(path));
  imaging::TMemoryStream memory;
  imaging::EncodePng(ui::BitmapOf(picture), memory);
  EXPECT_EQ(memory.Size(), 0U);
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(PngWriter, SinkRefusingHalfWayRaisesTheWriteErrorOrItsOwn) {
  const ui::TBitmap& bitmap = imaging_test::PutSection(picture, 300, 200, 24, BI_RGB, {}, Noise(900 * 200, 5));
  FailingSink shortOne(100000, false);
  try {
    imaging::EncodePng(bitmap, shortOne);
    FAIL() << "no error raised";
  } catch (const ui::EWriteError& e) {
    EXPECT_EQ(e.Message(), L"Stream-Write-Fehler");
  }
  EXPECT_EQ(shortOne.Size(), 100000U);
  FailingSink raising(100000, true);
  EXPECT_THROW(imaging::EncodePng(bitmap, raising), ui::EStreamError);
}

TEST_F(PngWriter, MissingFolderReportsCreateErrorAndMakesNoFile) {
  imaging_test::PutDeviceBitmap(picture, 2, 2, [](int, int) { return RGB(1, 2, 3); });
  const std::wstring path = folder.Path(L"fehlt\\bild.png");
  try {
    imaging::WritePng(picture, path);
    FAIL() << "no error raised";
  } catch (const ui::EFCreateError& e) {
    EXPECT_EQ(e.Message(), L"Datei " + path + L" kann nicht erstellt werden");
  }
  EXPECT_FALSE(imaging_test::FileExists(path));
}

}  // namespace
