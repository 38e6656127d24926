#include <gtest/gtest.h>

#include "ImagingTestSupport.h"
#include "imaging/BmpWriter.h"
#include "imaging/PictureFormats.h"
#include "imaging/TJPEGImage.h"
#include "support/TestSupport.h"
#include "ui/Handle.h"

namespace {

using imaging_test::Bytes;
using imaging_test::Get16;
using imaging_test::Get32;
using imaging_test::ReadFileBytes;

Bytes EnhancedBits(HENHMETAFILE metafile) {
  Bytes bits(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bits.size()), bits.data());
  return bits;
}

Bytes WindowsBits(HENHMETAFILE metafile) {
  ui::WindowDc screen(nullptr);
  Bytes bits(GetWinMetaFileBits(metafile, 0, nullptr, MM_ANISOTROPIC, screen.get()));
  GetWinMetaFileBits(metafile, static_cast<UINT>(bits.size()), bits.data(), MM_ANISOTROPIC, screen.get());
  return bits;
}

class MetafileOutput : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::ClearShownErrors(); }

  imaging_test::ScratchFolder folder;
  ui::TPicture picture;
};

TEST_F(MetafileOutput, BmpNameGetsTheEnhancedMetafileBytes) {
  const ui::TMetafile& metafile = imaging_test::PutMetafile(picture, 5080, 2540);
  const std::wstring path = folder.Path(L"bild.bmp");
  imaging::WriteBmp(picture, path);

  const Bytes file = ReadFileBytes(path);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file, EnhancedBits(metafile.Handle()));
  EXPECT_EQ(Get32(file, 0), static_cast<std::uint32_t>(EMR_HEADER));
}

TEST_F(MetafileOutput, WmfNameInCapitalsGetsAPlaceableMetafileOnlyForThatSave) {
  ui::TMetafile& metafile = imaging_test::PutMetafile(picture, 5080, 2540);
  const std::wstring path = folder.Path(L"BILD.WMF");
  imaging::WriteBmp(picture, path);

  const Bytes file = ReadFileBytes(path);
  ASSERT_GT(file.size(), 22U);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{0xD7, 0xCD, 0xC6, 0x9A}));
  EXPECT_EQ(Get16(file, 10), 192U);  // 50.8 mm at 96 units per inch
  EXPECT_EQ(Get16(file, 12), 96U);
  EXPECT_EQ(Get16(file, 14), 96U);
  std::uint32_t check = 0;
  for (std::size_t offset = 0; offset < 22; offset += 2) check ^= Get16(file, offset);
  EXPECT_EQ(check, 0U) << "checksum does not match the header";
  EXPECT_EQ(Bytes(file.begin() + 22, file.end()), WindowsBits(metafile.Handle()));
  EXPECT_TRUE(metafile.Enhanced());

  const std::wstring again = folder.Path(L"bild.emf");
  imaging::WriteBmp(picture, again);
  EXPECT_EQ(ReadFileBytes(again), EnhancedBits(metafile.Handle()));
}

TEST_F(MetafileOutput, MetafileTakenAsBitmapIsDrawnAtItsPixelSizeAndSavedAsJpeg) {
  const ui::TMetafile& metafile = imaging_test::PutMetafile(picture, 5080, 2540);
  const int width = metafile.Width();
  const int height = metafile.Height();
  ASSERT_GT(width, 1);
  ASSERT_GT(height, 0);
  int changes = 0;
  picture.OnChange = [&changes] { ++changes; };

  const ui::TBitmap& bitmap = ui::BitmapOf(picture);

  EXPECT_EQ(changes, 1);
  EXPECT_EQ(picture.GraphicAs<ui::TBitmap>(), &bitmap);
  EXPECT_EQ(bitmap.Width(), width);
  EXPECT_EQ(bitmap.Height(), height);
  EXPECT_EQ(bitmap.Description().dsBm.bmBitsPixel, 32);
  {
    ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ui::SelectedObject selected(dc.get(), bitmap.Handle());
    EXPECT_EQ(GetPixel(dc.get(), width / 4, height / 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc.get(), width * 3 / 4, height / 2), RGB(255, 255, 255));
  }

  // Saved as JPEG straight from the metafile, the picture is there too.
  imaging_test::PutMetafile(picture, 5080, 2540);
  const std::wstring path = folder.Path(L"bild.jpg");
  imaging::WriteJpeg(picture, path);
  const auto decoded = imaging_test::DecodeJpeg(ReadFileBytes(path));
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.width, width);
  EXPECT_EQ(decoded.height, height);
  const std::uint32_t left = decoded.Rgb(width / 4, height / 2);
  EXPECT_TRUE(left >> 16 >= 0xF0 && (left >> 8 & 0xFF) <= 8 && (left & 0xFF) <= 8) << std::hex << left;
  EXPECT_EQ(decoded.Rgb(width * 3 / 4, height / 2) & 0xF0F0F0, 0xF0F0F0U);
}

// Each format's writer reads the holder only: a metafile written in any of them, pixels
// included, is still the same metafile afterwards, shown and saved again as it came.
TEST_F(MetafileOutput, EveryFormatsWriterLeavesTheHeldMetafileAsItIs) {
  const ui::TMetafile& metafile = imaging_test::PutMetafile(picture, 5080, 2540);
  int changes = 0;
  picture.OnChange = [&changes] { ++changes; };
  for (const imaging::TPictureFormat& format : imaging::kPictureFormats) {
    const std::wstring path = folder.Path(L"bild" + std::wstring(format.extension));
    format.write(picture, path);
    const Bytes file = ReadFileBytes(path);
    ASSERT_GE(file.size(), 4U) << std::string(format.code.begin(), format.code.end());
    const std::uint32_t magic = Get32(file, 0);
    EXPECT_EQ(magic, format.code == L"BMP"   ? static_cast<std::uint32_t>(EMR_HEADER)
                     : format.code == L"JPG" ? 0xE0FFD8FFU
                                             : 0x474E5089U);
    EXPECT_EQ(picture.GraphicAs<ui::TMetafile>(), &metafile);
  }
  EXPECT_EQ(changes, 0);
}

}  // namespace
