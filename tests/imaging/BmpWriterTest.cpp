#include <gtest/gtest.h>

#include <algorithm>

#include "ImagingTestSupport.h"
#include "clipboard/Clipboard.h"
#include "imaging/BmpWriter.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace {

using imaging_test::Bytes;
using imaging_test::Put32;
using imaging_test::ReadFileBytes;

// The 14-byte file header and the 40-byte info header as the files must hold them.
Bytes Headers(std::uint32_t fileSize, std::uint32_t pixelOffset, std::int32_t width, std::int32_t height,
              std::uint32_t bitsPerPixel, std::uint32_t compression, std::uint32_t imageSize,
              std::uint32_t colorsUsed) {
  Bytes bytes{'B', 'M'};
  for (const std::uint32_t field :
       {fileSize, 0U, pixelOffset, 40U, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
        1U | bitsPerPixel << 16, compression, imageSize, 0U, 0U, colorsUsed, 0U})
    Put32(bytes, field);
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Words(std::initializer_list<std::uint32_t> values) {
  Bytes bytes;
  for (const std::uint32_t value : values) Put32(bytes, value);
  return bytes;
}

class BmpWriter : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::ClearShownErrors(); }
  Bytes Save(const std::wstring& name) {
    imaging::WriteBmp(picture, folder.Path(name));
    return ReadFileBytes(folder.Path(name));
  }

  imaging_test::ScratchFolder folder;
  ui::TPicture picture;
};

TEST_F(BmpWriter, OnePixelFromA32BitScreenIsFiftyEightBytesAndTheHeldBitmapStaysAsItWas) {
  ASSERT_EQ(imaging_test::ScreenBitsPerPixel(), 32);
  ui::TBitmap& bitmap = imaging_test::PutDeviceBitmap(picture, 1, 1, [](int, int) { return RGB(0x12, 0x34, 0x56); });
  ASSERT_FALSE(bitmap.IsDeviceIndependent());
  const HBITMAP before = bitmap.Handle();

  EXPECT_EQ(Save(L"eins.bmp"), Join({Headers(58, 54, 1, 1, 32, BI_RGB, 4, 0), {0x56, 0x34, 0x12, 0}}));
  ASSERT_EQ(picture.GraphicAs<ui::TBitmap>(), &bitmap);
  EXPECT_FALSE(bitmap.IsDeviceIndependent()) << "the writer only reads the holder";
  EXPECT_EQ(bitmap.Handle(), before);
}

TEST_F(BmpWriter, EveryDepthIsWrittenAsItIsHeld) {
  const Bytes rows24{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  imaging_test::PutSection(picture, 3, 2, 24, BI_RGB, {}, rows24);
  EXPECT_EQ(Save(L"drei.bmp"), Join({Headers(78, 54, 3, 2, 24, BI_RGB, 24, 0), rows24}));

  std::vector<DWORD> colors;
  for (std::uint32_t i = 0; i < 256; ++i) colors.push_back(i | (255 - i) << 8 | (i / 2) << 16);
  const Bytes rows8{0, 1, 254, 255, 7, 8, 9, 10};
  imaging_test::PutSection(picture, 4, 2, 8, BI_RGB, colors, rows8);
  Bytes table;
  for (const DWORD c : colors) Put32(table, c);
  EXPECT_EQ(Save(L"acht.bmp"), Join({Headers(1078 + 8, 1078, 4, 2, 8, BI_RGB, 8, 256), table, rows8}));

  const Bytes rows16{0x00, 0xF8, 0x1F, 0x00};  // red, blue
  imaging_test::PutSection(picture, 2, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, rows16);
  EXPECT_EQ(Save(L"565.bmp"),
            Join({Headers(70, 66, 2, 1, 16, BI_BITFIELDS, 4, 0), Words({0xF800, 0x07E0, 0x001F}), rows16}));
  // Wine, like Windows, describes a plain 5-5-5 section as BI_BITFIELDS with its masks, and the
  // header goes out as the system holds it.
  const auto& plain = imaging_test::PutSection(picture, 2, 1, 16, BI_RGB, {}, rows16);
  EXPECT_EQ(Save(L"555.bmp"),
            plain.Description().dsBmih.biCompression == BI_BITFIELDS
                ? Join({Headers(70, 66, 2, 1, 16, BI_BITFIELDS, 4, 0), Words({0x7C00, 0x03E0, 0x001F}), rows16})
                : Join({Headers(58, 54, 2, 1, 16, BI_RGB, 4, 0), rows16}));
}

TEST_F(BmpWriter, MonochromeDeviceBitmapGetsBlackAndWhiteTable) {
  const unsigned char rowBits[2] = {0xA0, 0x00};  // white, black, white
  ui::UniqueGdiObject mono(CreateBitmap(3, 1, 1, 1, rowBits));
  clipboard::LoadFromClipboardData(picture, CF_BITMAP, mono.get(), nullptr);

  EXPECT_EQ(Save(L"mono.bmp"), Join({Headers(66, 62, 3, 1, 1, BI_RGB, 4, 2), Words({0, 0xFFFFFF}), {0xA0, 0, 0, 0}}));
}

TEST_F(BmpWriter, PaletteOfDirectColourPictureGoesAlongAsTable) {
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[2];
  } logical{0x300, 2, {{0xFF, 0, 0, 0}, {0, 0xFF, 0, 0}}};
  imaging_test::PutSection(picture, 1, 1, 32, BI_RGB, {}, {1, 2, 3, 0},
                           CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical)));

  EXPECT_EQ(Save(L"palette.bmp"),
            Join({Headers(66, 62, 1, 1, 32, BI_RGB, 4, 2), Words({0xFF0000, 0x00FF00}), {1, 2, 3, 0}}));
}

TEST_F(BmpWriter, EncodingIntoMemoryGivesTheFileBytes) {
  ui::TBitmap& bitmap = imaging_test::PutDeviceBitmap(
      picture, 5, 3, [](int x, int y) { return imaging_test::Rgb(x * 40, y * 80, 200 - x * 10); });
  imaging::TMemoryStream memory;
  imaging::EncodeBmp(bitmap, memory);

  ASSERT_EQ(memory.Size(), 14U + 40U + 5 * 3 * 4);
  EXPECT_EQ(Save(L"fuenf.bmp"), Bytes(memory.Memory(), memory.Memory() + memory.Size()));
}

TEST_F(BmpWriter, NothingToWriteCreatesNoFile) {
  const std::wstring path = folder.Path(L"leer.bmp");
  imaging::WriteBmp(picture, path);
  EXPECT_FALSE(imaging_test::FileExists(path));

  ui::TBitmap& empty = ui::BitmapOf(picture);  // the holder now has a 0 x 0 bitmap
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
  imaging_test::PutDeviceBitmap(picture, 8, 8, [](int x, int) { return imaging_test::Rgb(x, x, x); });
  ASSERT_EQ(Save(L"zweimal.bmp").size(), 54U + 256U);
  imaging_test::PutDeviceBitmap(picture, 1, 1, [](int, int) { return RGB(9, 8, 7); });
  const Bytes second = Save(L"zweimal.bmp");
  EXPECT_EQ(second.size(), 58U);

  const std::wstring path = folder.Path(L"zweimal.bmp");
  ui::UniqueFile inUse(
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(inUse);
  EXPECT_THROW(imaging::WriteBmp(picture, path), ui::EFCreateError);
  inUse.reset();
  EXPECT_EQ(ReadFileBytes(path), second);
}

// Pixels the system cannot read make the write of the pixel rows fail after the headers went
// out, the way a drive that fills up or goes away half-way through a save does.
TEST_F(BmpWriter, WriteFailingHalfWayRaisesWriteErrorAndLeavesNoFile) {
  ui::TBitmap& bitmap = imaging_test::PutSection(picture, 64, 64, 32, BI_RGB);
  void* const pixels = bitmap.Description().dsBm.bmBits;
  DWORD before = 0;
  ASSERT_TRUE(VirtualProtect(pixels, 64 * 64 * 4, PAGE_NOACCESS, &before));
  const std::wstring path = folder.Path(L"halb.bmp");
  imaging_test::WriteFileBytes(path, Bytes{'a', 'l', 't'});
  try {
    imaging::WriteBmp(picture, path);
    ADD_FAILURE() << "the save was reported as done";
  } catch (const ui::EWriteError& e) {
    EXPECT_EQ(e.Message(), L"Stream-Write-Fehler");
  }
  ASSERT_TRUE(VirtualProtect(pixels, 64 * 64 * 4, before, &before));
  EXPECT_FALSE(imaging_test::FileExists(path));
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

TEST_F(BmpWriter, ShortWriteRaisesWriteErrorAndKeepsWhatWasWritten) {
  ui::TBitmap& bitmap = imaging_test::PutSection(picture, 3, 2, 24, BI_RGB);
  FillingStream stream(60);
  try {
    imaging::EncodeBmp(bitmap, stream);
    FAIL() << "no error raised";
  } catch (const ui::EWriteError& e) {
    EXPECT_EQ(e.Message(), L"Stream-Write-Fehler");
  }
  EXPECT_EQ(stream.Size(), 60U);
}

}  // namespace
