#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ImagingTestSupport.h"
#include "clipboard/Clipboard.h"
#include "imaging/BmpWriter.h"
#include "imaging/TFileStream.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace {

using imaging_test::Bytes;
using imaging_test::Put16;
using imaging_test::Put32;
using imaging_test::ReadFileBytes;

Bytes FileHeader(std::uint32_t fileSize, std::uint32_t pixelOffset) {
  Bytes bytes{'B', 'M'};
  Put32(bytes, fileSize);
  Put32(bytes, 0);
  Put32(bytes, pixelOffset);
  return bytes;
}

Bytes InfoHeader(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel, std::uint32_t compression,
                 std::uint32_t imageSize, std::uint32_t colorsUsed) {
  Bytes bytes;
  Put32(bytes, 40);
  Put32(bytes, static_cast<std::uint32_t>(width));
  Put32(bytes, static_cast<std::uint32_t>(height));
  Put16(bytes, 1);
  Put16(bytes, bitsPerPixel);
  Put32(bytes, compression);
  Put32(bytes, imageSize);
  Put32(bytes, 0);
  Put32(bytes, 0);
  Put32(bytes, colorsUsed);
  Put32(bytes, 0);
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Takes at most `limit` bytes in all, like a disk that fills up.
class FillingStream : public imaging::TMemoryStream {
 public:
  explicit FillingStream(std::size_t limit) : limit_(limit) {}
  std::size_t Write(const void* data, std::size_t count) override {
    return TMemoryStream::Write(data, std::min(count, limit_ - Size()));
  }

 private:
  std::size_t limit_;
};

class BmpWriter : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::ClearShownErrors(); }

  imaging_test::ScratchFolder folder;
  ui::TPicture picture;
};

TEST_F(BmpWriter, OnePixelFromA32BitScreenIsFiftyEightBytesAndStaysDeviceIndependent) {
  ASSERT_EQ(imaging_test::ScreenBitsPerPixel(), 32);
  clipboard::TBitmap& bitmap =
      imaging_test::PutDeviceBitmap(picture, 1, 1, [](int, int) { return RGB(0x12, 0x34, 0x56); });
  ASSERT_FALSE(bitmap.IsDeviceIndependent());
  const std::wstring path = folder.Path(L"eins.bmp");

  imaging::WriteBmp(picture, path);

  EXPECT_EQ(ReadFileBytes(path), Join({FileHeader(58, 54), InfoHeader(1, 1, 32, BI_RGB, 4, 0), {0x56, 0x34, 0x12, 0}}));
  ASSERT_EQ(picture.GraphicAs<clipboard::TBitmap>(), &bitmap);
  EXPECT_TRUE(bitmap.IsDeviceIndependent());
  EXPECT_EQ(bitmap.Description().dsBm.bmBitsPixel, 32);
}

TEST_F(BmpWriter, ThreeByTwoAt24BitsHasPaddedRows) {
  void* bits = nullptr;
  HBITMAP section = imaging_test::MakeSection(3, 2, 24, BI_RGB, {}, &bits);
  ASSERT_TRUE(section);
  const Bytes rows{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  std::memcpy(bits, rows.data(), rows.size());
  imaging_test::PutBitmap(picture, section);
  const std::wstring path = folder.Path(L"drei.bmp");

  imaging::WriteBmp(picture, path);

  EXPECT_EQ(ReadFileBytes(path), Join({FileHeader(78, 54), InfoHeader(3, 2, 24, BI_RGB, 24, 0), rows}));
}

TEST_F(BmpWriter, EightBitsWithFullPaletteWriteTheWholeColourTable) {
  std::vector<DWORD> colors;
  Bytes table;
  for (std::uint32_t i = 0; i < 256; ++i) {
    colors.push_back(i | (255 - i) << 8 | (i / 2) << 16);
    Put32(table, colors.back());
  }
  void* bits = nullptr;
  HBITMAP section = imaging_test::MakeSection(4, 2, 8, BI_RGB, colors, &bits);
  ASSERT_TRUE(section);
  const Bytes rows{0, 1, 254, 255, 7, 8, 9, 10};
  std::memcpy(bits, rows.data(), rows.size());
  imaging_test::PutBitmap(picture, section);
  const std::wstring path = folder.Path(L"acht.bmp");

  imaging::WriteBmp(picture, path);

  EXPECT_EQ(ReadFileBytes(path), Join({FileHeader(1078 + 8, 1078), InfoHeader(4, 2, 8, BI_RGB, 8, 256), table, rows}));
}

TEST_F(BmpWriter, SixteenBitsWriteMasksOnlyWhenThePictureUsesThem) {
  void* bits = nullptr;
  const Bytes rows{0x00, 0x7C, 0x1F, 0x00};  // red, blue in 5-5-5 (or 5-6-5 for the masked one)
  HBITMAP plain = imaging_test::MakeSection(2, 1, 16, BI_RGB, {}, &bits);
  ASSERT_TRUE(plain);
  std::memcpy(bits, rows.data(), rows.size());
  const clipboard::TBitmap& plainBitmap = imaging_test::PutBitmap(picture, plain);
  imaging::WriteBmp(picture, folder.Path(L"plain.bmp"));
  Bytes masks555;
  Put32(masks555, 0x7C00);
  Put32(masks555, 0x03E0);
  Put32(masks555, 0x001F);
  // Wine, like Windows, describes a 5-5-5 section as BI_BITFIELDS with its masks; the header
  // is written as the system holds it, so then the masks go out too.
  if (plainBitmap.Description().dsBmih.biCompression == BI_BITFIELDS) {
    EXPECT_EQ(ReadFileBytes(folder.Path(L"plain.bmp")),
              Join({FileHeader(70, 66), InfoHeader(2, 1, 16, BI_BITFIELDS, 4, 0), masks555, rows}));
  } else {
    EXPECT_EQ(ReadFileBytes(folder.Path(L"plain.bmp")),
              Join({FileHeader(58, 54), InfoHeader(2, 1, 16, BI_RGB, 4, 0), rows}));
  }

  HBITMAP masked = imaging_test::MakeSection(2, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, &bits);
  ASSERT_TRUE(masked);
  std::memcpy(bits, rows.data(), rows.size());
  imaging_test::PutBitmap(picture, masked);
  imaging::WriteBmp(picture, folder.Path(L"masked.bmp"));
  Bytes masks;
  Put32(masks, 0xF800);
  Put32(masks, 0x07E0);
  Put32(masks, 0x001F);
  EXPECT_EQ(ReadFileBytes(folder.Path(L"masked.bmp")),
            Join({FileHeader(70, 66), InfoHeader(2, 1, 16, BI_BITFIELDS, 4, 0), masks, rows}));
}

TEST_F(BmpWriter, MonochromeDeviceBitmapGetsBlackAndWhiteTable) {
  const unsigned char rowBits[2] = {0xA0, 0x00};  // white, black, white
  ui::UniqueGdiObject mono(CreateBitmap(3, 1, 1, 1, rowBits));
  clipboard::LoadFromClipboardData(picture, CF_BITMAP, mono.get(), nullptr);
  const std::wstring path = folder.Path(L"mono.bmp");

  imaging::WriteBmp(picture, path);

  EXPECT_EQ(
      ReadFileBytes(path),
      Join(
          {FileHeader(66, 62), InfoHeader(3, 1, 1, BI_RGB, 4, 2), {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, {0xA0, 0, 0, 0}}));
}

TEST_F(BmpWriter, PaletteOfDirectColourPictureGoesAlongAsTable) {
  void* bits = nullptr;
  HBITMAP section = imaging_test::MakeSection(1, 1, 32, BI_RGB, {}, &bits);
  ASSERT_TRUE(section);
  std::memcpy(bits, "\x01\x02\x03\x00", 4);
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[2];
  } logical{0x300, 2, {{0xFF, 0, 0, 0}, {0, 0xFF, 0, 0}}};
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
  imaging_test::PutBitmap(picture, section, palette);
  const std::wstring path = folder.Path(L"palette.bmp");

  imaging::WriteBmp(picture, path);

  EXPECT_EQ(
      ReadFileBytes(path),
      Join({FileHeader(66, 62), InfoHeader(1, 1, 32, BI_RGB, 4, 2), {0, 0, 0xFF, 0, 0, 0xFF, 0, 0}, {1, 2, 3, 0}}));
}

TEST_F(BmpWriter, EncodingIntoMemoryGivesTheFileBytes) {
  clipboard::TBitmap& bitmap = imaging_test::PutDeviceBitmap(
      picture, 5, 3, [](int x, int y) { return imaging_test::Rgb(x * 40, y * 80, 200 - x * 10); });
  imaging::TMemoryStream memory;
  imaging::EncodeBmp(bitmap, memory);
  imaging::WriteBmp(picture, folder.Path(L"fuenf.bmp"));

  ASSERT_EQ(memory.Size(), 14U + 40U + 5 * 3 * 4);
  EXPECT_EQ(ReadFileBytes(folder.Path(L"fuenf.bmp")), Bytes(memory.Memory(), memory.Memory() + memory.Size()));
  EXPECT_EQ(imaging_test::Get32(ReadFileBytes(folder.Path(L"fuenf.bmp")), 54),
            0x0000A0C8U);  // bottom row first: (0, 2)
}

TEST_F(BmpWriter, NothingToWriteCreatesNoFile) {
  const std::wstring path = folder.Path(L"leer.bmp");
  imaging::WriteBmp(picture, path);
  EXPECT_FALSE(imaging_test::FileExists(path));

  clipboard::TBitmap& empty = clipboard::BitmapOf(picture);  // the holder now has a 0 x 0 bitmap
  imaging::WriteBmp(picture, path);
  EXPECT_FALSE(imaging_test::FileExists(path));
  imaging::TMemoryStream memory;
  imaging::EncodeBmp(empty, memory);
  EXPECT_EQ(memory.Size(), 0U);
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(BmpWriter, MissingFolderReportsCreateErrorAndMakesNoFile) {
  imaging_test::PutDeviceBitmap(picture, 2, 2, [](int, int) { return RGB(1, 2, 3); });
  const std::wstring path = folder.Path(L"fehlt\\bild.bmp");
  try {
    imaging::WriteBmp(picture, path);
    FAIL() << "no error raised";
  } catch (const ui::EFCreateError& e) {
    EXPECT_EQ(e.Message(), L"Datei " + path + L" kann nicht erstellt werden");
    ui::TApplication::HandleCurrentException();
  }
  EXPECT_EQ(testing_support::ShownErrors(),
            std::vector<std::wstring>{L"Datei " + path + L" kann nicht erstellt werden."});
  EXPECT_FALSE(imaging_test::FileExists(path));
  EXPECT_FALSE(imaging_test::FileExists(folder.Path(L"fehlt")));
}

TEST_F(BmpWriter, SavingAgainReplacesTheFileAndAFileInUseIsLeftAsItWas) {
  const std::wstring path = folder.Path(L"zweimal.bmp");
  imaging_test::PutDeviceBitmap(picture, 8, 8, [](int x, int) { return imaging_test::Rgb(x, x, x); });
  imaging::WriteBmp(picture, path);
  ASSERT_EQ(ReadFileBytes(path).size(), 54U + 256U);
  imaging_test::PutDeviceBitmap(picture, 1, 1, [](int, int) { return RGB(9, 8, 7); });
  imaging::WriteBmp(picture, path);
  const Bytes second = ReadFileBytes(path);
  EXPECT_EQ(second.size(), 58U);

  ui::UniqueFile inUse(
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(inUse);
  imaging_test::PutDeviceBitmap(picture, 8, 8, [](int, int) { return RGB(0, 0, 0); });
  EXPECT_THROW(imaging::WriteBmp(picture, path), ui::EFCreateError);
  inUse.reset();
  EXPECT_EQ(ReadFileBytes(path), second);
}

TEST_F(BmpWriter, ShortWriteRaisesWriteErrorAndKeepsWhatWasWritten) {
  void* bits = nullptr;
  HBITMAP section = imaging_test::MakeSection(3, 2, 24, BI_RGB, {}, &bits);
  ASSERT_TRUE(section);
  clipboard::TBitmap& bitmap = imaging_test::PutBitmap(picture, section);
  FillingStream stream(60);
  try {
    imaging::EncodeBmp(bitmap, stream);
    FAIL() << "no error raised";
  } catch (const ui::EWriteError& e) {
    EXPECT_EQ(e.Message(), L"Stream-Write-Fehler");
  }
  EXPECT_EQ(stream.Size(), 60U);
  EXPECT_EQ(stream.Memory()[0], 'B');
}

}  // namespace
