#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "ImagingTestSupport.h"
#include "clipboard/Clipboard.h"
#include "imaging/BmpWriter.h"
#include "imaging/JpegCheck.h"
#include "imaging/TJPEGImage.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Handle.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace {

using imaging_test::Bytes;
using imaging_test::DecodeJpeg;
using imaging_test::FailingSink;
using imaging_test::ReadFileBytes;

// 256 colours, so the same picture can be held in every form, palette-based ones included.
COLORREF Pattern(int x, int y) {
  const int index = (x * 7 + y * 13 + (x * y) % 5) % 256;
  return imaging_test::Rgb(index, 255 - index, (index * 3) % 256);
}

Bytes PatternRgb(int width, int height) {
  Bytes rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      rgb.insert(rgb.end(), {GetRValue(Pattern(x, y)), GetGValue(Pattern(x, y)), GetBValue(Pattern(x, y))});
  }
  return rgb;
}

// The forms a bitmap can have: as the clipboard hands it over, and sections of each depth
// (Bits555: 16 bits without masks, which means 5-5-5).
enum class Form { Device, Bits32, Bits32Masks, Bits24, Palette8, Bits16, Bits555, Palette4, Palette1 };
constexpr Form kExactForms[] = {Form::Device, Form::Bits32, Form::Bits32Masks, Form::Bits24, Form::Palette8};

int BitsOf(Form form) {
  switch (form) {
    case Form::Bits24:
      return 24;
    case Form::Bits16:
    case Form::Bits555:
      return 16;
    case Form::Palette8:
      return 8;
    case Form::Palette4:
      return 4;
    case Form::Palette1:
      return 1;
    case Form::Device:
    case Form::Bits32:
    case Form::Bits32Masks:
      break;
  }
  return 32;
}

// At most `count` different colours, scattered so that any pixel out of place shows.
COLORREF Noise(int x, int y, std::uint32_t count) {
  const auto hash = [](std::uint32_t a, std::uint32_t b) {
    std::uint32_t h = a * 73856093U ^ b * 19349663U;
    h ^= h >> 13;
    h *= 0x5BD1E995U;
    return h ^ h >> 15;
  };
  const std::uint32_t c = hash(hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) % count, 7919);
  return imaging_test::Rgb(static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                           static_cast<int>(c >> 16 & 0xFF));
}

// The colours the system reads from the bitmap, top row first, as RGB.
Bytes SystemRgb(const ui::TBitmap& bitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bitmap.Width();
  info.bmiHeader.biHeight = -bitmap.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.Width()) *
                                    static_cast<std::size_t>(bitmap.Height()));
  ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  EXPECT_EQ(
      GetDIBits(dc.get(), bitmap.Handle(), 0, static_cast<UINT>(bitmap.Height()), pixels.data(), &info, DIB_RGB_COLORS),
      bitmap.Height());
  Bytes rgb;
  for (const std::uint32_t p : pixels) {
    rgb.insert(rgb.end(),
               {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)});
  }
  return rgb;
}

// The holder's picture in the given form, showing `colour(x, y)` (rounded at 16 bits; at 8 bits
// and below it may have no more colours than the table holds).
ui::TBitmap& PutPicture(ui::TPicture& picture, Form form, int width, int height,
                        const std::function<COLORREF(int, int)>& colour, bool topDown = false) {
  if (form == Form::Device) return imaging_test::PutDeviceBitmap(picture, width, height, colour);
  const int bits = BitsOf(form);
  std::vector<DWORD> colors;
  if (form == Form::Bits32Masks) colors = {0xFF0000, 0x00FF00, 0x0000FF};
  if (form == Form::Bits16) colors = {0xF800, 0x07E0, 0x001F};
  const auto stride = static_cast<std::size_t>((width * bits + 31) / 32 * 4);
  Bytes rows(stride * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      const std::uint32_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      std::uint8_t* p = rows.data() + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y) +
                        static_cast<std::size_t>(x * bits / 8);
      if (bits >= 24) {
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
        if (bits == 32) p[3] = 0x5A;  // the spare byte is not part of the colour
      } else if (bits == 16) {
        const std::uint32_t value =
            form == Form::Bits555 ? (r >> 3) << 10 | (g >> 3) << 5 | b >> 3 : (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
        p[0] = static_cast<std::uint8_t>(value);
        p[1] = static_cast<std::uint8_t>(value >> 8);
      } else {
        const DWORD entry = b | g << 8 | r << 16;
        auto found = std::find(colors.begin(), colors.end(), entry);
        if (found == colors.end()) found = colors.insert(colors.end(), entry);
        *p = static_cast<std::uint8_t>(*p | (found - colors.begin()) << (8 - bits - x * bits % 8));
      }
    }
  }
  return imaging_test::PutSection(picture, width, topDown ? -height : height, bits,
                                  colors.size() == 3 && bits >= 16 ? BI_BITFIELDS : BI_RGB, colors, rows);
}

class JpegWriter : public imaging_test::WriterTest {};

TEST_F(JpegWriter, EveryFormOfAPictureGivesTheLibrarysOwnEncodingAtQuality90) {
  // Taller than the bands in which converted forms reach the coder, and not a multiple of them.
  constexpr int kWidth = 37;
  constexpr int kHeight = 151;
  const Bytes reference = imaging_test::ReferenceJpeg(PatternRgb(kWidth, kHeight), kWidth, kHeight, 90);
  ASSERT_FALSE(reference.empty());
  for (const Form form : kExactForms) {
    SCOPED_TRACE(static_cast<int>(form));
    ui::TBitmap& bitmap = PutPicture(picture, form, kWidth, kHeight, Pattern);
    const HBITMAP before = bitmap.Handle();
    const bool deviceIndependent = bitmap.IsDeviceIndependent();
    const std::wstring path = folder.Path(L"muster.jpg");

    imaging::WriteJpeg(picture, path);

    EXPECT_EQ(ReadFileBytes(path), reference);
    // The holder's bitmap is read, never changed.
    ASSERT_EQ(picture.GraphicAs<ui::TBitmap>(), &bitmap);
    EXPECT_EQ(bitmap.Handle(), before);
    EXPECT_EQ(bitmap.IsDeviceIndependent(), deviceIndependent);
  }
}

// Converted forms reach the coder band by band, packed pixels are converted a byte at a time, and
// a section's own rows are handed over in batches: in every form and shape the result is the
// library's own encoding of the colours the system reads from the picture.
class JpegWriterForm : public JpegWriter, public ::testing::WithParamInterface<Form> {};

TEST_P(JpegWriterForm, GivesTheLibrarysEncodingOfTheColoursTheSystemReads) {
  const Form form = GetParam();
  const std::uint32_t colours = BitsOf(form) <= 8 ? 1U << BitsOf(form) : 1U << 24;
  for (const bool topDown : {false, true}) {
    // One pixel, one row, one column; a last band of 3 rows with a part-filled last byte; full
    // bands of whole bytes.
    for (const auto& [width, height] : {std::pair{1, 1}, {37, 1}, {1, 37}, {13, 35}, {64, 48}}) {
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + (topDown ? " top-down" : " bottom-up"));
      const ui::TBitmap& bitmap = PutPicture(
          picture, form, width, height, [colours](int x, int y) { return Noise(x, y, colours); }, topDown);
      imaging::TMemoryStream jpeg;
      imaging::CompressBitmap(bitmap, imaging::TJPEGSettings{}, jpeg);
      EXPECT_EQ(Bytes(jpeg.Memory(), jpeg.Memory() + jpeg.Size()),
                imaging_test::ReferenceJpeg(SystemRgb(bitmap), width, height, 90));
    }
    if (form == Form::Device) break;  // always as the screen lays it out
  }
}

INSTANTIATE_TEST_SUITE_P(EveryForm, JpegWriterForm,
                         ::testing::Values(Form::Device, Form::Bits32, Form::Bits32Masks, Form::Bits24, Form::Bits16,
                                           Form::Bits555, Form::Palette8, Form::Palette4, Form::Palette1));

TEST_F(JpegWriter, OnePixelIsAValidJfifFile) {
  imaging_test::PutDeviceBitmap(picture, 1, 1, [](int, int) { return RGB(10, 200, 30); });
  const std::wstring path = folder.Path(L"eins.jpg");
  imaging::WriteJpeg(picture, path);

  const Bytes file = ReadFileBytes(path);
  ASSERT_GE(file.size(), 20U);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 11), (Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0}));
  EXPECT_EQ(Bytes(file.end() - 2, file.end()), (Bytes{0xFF, 0xD9}));
  const auto decoded = DecodeJpeg(file);
  ASSERT_TRUE(decoded.ok) << decoded.errorCode;
  EXPECT_EQ(decoded.width, 1);
  EXPECT_EQ(decoded.height, 1);
  EXPECT_EQ(decoded.components, 3);
  EXPECT_TRUE(decoded.jfif);
  EXPECT_EQ(decoded.densityUnit, 0);
  EXPECT_EQ(decoded.xDensity, 1);
  EXPECT_EQ(decoded.yDensity, 1);
  EXPECT_FALSE(decoded.progressive);
}

bool LooksLike(std::uint32_t rgb, std::uint32_t expected) {
  for (const unsigned shift : {0U, 8U, 16U}) {
    if (std::abs(static_cast<int>(rgb >> shift & 0xFF) - static_cast<int>(expected >> shift & 0xFF)) > 6) return false;
  }
  return true;
}

TEST_F(JpegWriter, RedStaysRedAndBlueStaysBlueInEveryForm) {
  for (const Form form : {Form::Device, Form::Bits32, Form::Bits32Masks, Form::Bits24, Form::Palette8, Form::Bits16,
                          Form::Bits555, Form::Palette4, Form::Palette1}) {
    SCOPED_TRACE(static_cast<int>(form));
    PutPicture(picture, form, 16, 16, [](int x, int) { return x < 8 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
    const std::wstring path = folder.Path(L"rot.jpg");
    imaging::WriteJpeg(picture, path);
    const auto decoded = DecodeJpeg(ReadFileBytes(path));
    ASSERT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.components, 3);
    EXPECT_TRUE(LooksLike(decoded.Rgb(2, 8), 0xFF0000)) << std::hex << decoded.Rgb(2, 8);
    EXPECT_TRUE(LooksLike(decoded.Rgb(13, 8), 0x0000FF)) << std::hex << decoded.Rgb(13, 8);
  }
}

TEST_F(JpegWriter, EveryJpegDecodesToThePictureSize) {
  const auto check = [this](int width, int height) {
    const std::wstring path = folder.Path(L"groesse.jpg");
    imaging::WriteJpeg(picture, path);
    const auto decoded = DecodeJpeg(ReadFileBytes(path));
    ASSERT_TRUE(decoded.ok) << decoded.errorCode;
    EXPECT_EQ(decoded.width, width);
    EXPECT_EQ(decoded.height, height);
  };
  for (const auto& [width, height] : {std::pair{1, 1}, {2, 3}, {17, 9}, {640, 1}, {1, 480}, {33, 65}}) {
    for (const Form form : {Form::Device, Form::Bits32, Form::Bits24, Form::Palette8, Form::Bits16}) {
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " form " +
                   std::to_string(static_cast<int>(form)));
      PutPicture(picture, form, width, height, Pattern);
      check(width, height);
    }
  }
  const unsigned char rowBits[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  ui::UniqueGdiObject mono(CreateBitmap(11, 2, 1, 1, rowBits));
  clipboard::LoadFromClipboardData(picture, CF_BITMAP, mono.get(), nullptr);
  check(11, 2);
}

TEST_F(JpegWriter, AJpegOfferedBesideTheBitmapIsWrittenAsItCameOnlyWhenItDecodesToItsSize) {
  PutPicture(picture, Form::Bits32, 33, 17, Pattern);
  const std::wstring path = folder.Path(L"kam.jpg");
  imaging::WriteJpeg(picture, path);
  Bytes jpeg = ReadFileBytes(path);
  ASSERT_GT(jpeg.size(), 100u);
  EXPECT_EQ(imaging::SoundJpegLength(jpeg, 33, 17), jpeg.size());
  EXPECT_EQ(imaging::SoundJpegLength(jpeg, 33, 16), 0u) << "another size";
  EXPECT_EQ(imaging::SoundJpegLength(Bytes(jpeg.begin(), jpeg.end() - 40), 33, 17), 0u) << "cut short";
  jpeg.insert(jpeg.end(), 5, 0x00);  // a clipboard block longer than the file
  EXPECT_EQ(imaging::SoundJpegLength(jpeg, 33, 17), jpeg.size() - 5);
  Bytes damaged = jpeg;
  damaged[2] = 0x00;  // no marker after the start of the image
  EXPECT_EQ(imaging::SoundJpegLength(damaged, 33, 17), 0u);
}

TEST_F(JpegWriter, EmptyHolderCreatesNoFileAndStaysEmpty) {
  const std::wstring path = folder.Path(L"leer.jpg");
  imaging::WriteJpeg(picture, path);
  EXPECT_FALSE(imaging_test::FileExists(path));
  EXPECT_EQ(picture.Graphic(), nullptr) << "the writer only reads the holder";
  EXPECT_TRUE(testing_support::ShownErrors().empty());
}

TEST_F(JpegWriter, LibraryFailureAfterCreationLeavesNoFile) {
  const std::wstring path = folder.Path(L"zu-breit.jpg");
  imaging_test::WriteFileBytes(path, Bytes{'a', 'l', 't'});
  // One pixel wider than the JPEG format allows; the section itself is small.
  ui::TBitmap& bitmap = imaging_test::PutSection(picture, 65501, 1, 32, BI_RGB);
  ASSERT_TRUE(bitmap.Handle());
  const std::wstring expected = L"JPEG-Fehler #" + std::to_wstring(static_cast<int>(JERR_IMAGE_TOO_BIG));
  try {
    imaging::WriteJpeg(picture, path);
    FAIL() << "no error raised";
  } catch (const imaging::EJPEG& e) {
    EXPECT_EQ(e.Message(), expected);
    ui::TApplication::HandleCurrentException();
  }
  EXPECT_EQ(testing_support::ShownErrors(), std::vector<std::wstring>{expected + L"."});
  EXPECT_FALSE(imaging_test::FileExists(path));
  EXPECT_EQ(picture.GraphicAs<ui::TBitmap>(), &bitmap);
}

TEST_F(JpegWriter, SinkFailuresEndCompressionCleanlyWithTheRightError) {
  constexpr int kSize = 200;
  const ui::TBitmap& bitmap = PutPicture(picture, Form::Bits24, kSize, kSize, Pattern);
  const imaging::TJPEGSettings settings;

  FailingSink raising(5000, true);
  try {
    imaging::CompressBitmap(bitmap, settings, raising);
    FAIL() << "no error raised";
  } catch (const ui::EStreamError& e) {
    EXPECT_EQ(e.Message(), L"voll");
  }
  EXPECT_EQ(raising.Size(), 4096U);

  FailingSink shortOne(5000, false);
  try {
    imaging::CompressBitmap(bitmap, settings, shortOne);
    FAIL() << "no error raised";
  } catch (const imaging::EJPEG& e) {
    EXPECT_EQ(e.Message(), L"JPEG-Fehler #" + std::to_wstring(static_cast<int>(JERR_FILE_WRITE)));
  }

  // Nothing of the failed runs lingers: the next compression is whole.
  imaging::TMemoryStream whole;
  imaging::CompressBitmap(bitmap, settings, whole);
  EXPECT_EQ(Bytes(whole.Memory(), whole.Memory() + whole.Size()),
            imaging_test::ReferenceJpeg(PatternRgb(kSize, kSize), kSize, kSize, 90));
}

// Counts the writes it gets.
class CountingSink : public imaging::TMemoryStream {
 public:
  std::size_t Write(const void* data, std::size_t count) override {
    ++writes;
    return TMemoryStream::Write(data, count);
  }
  int writes = 0;
};

TEST_F(JpegWriter, WriterObjectCompressesOnceWithItsSettingsAndWritesInOnePiece) {
  const imaging::TJPEGImage fresh;
  EXPECT_EQ(fresh.Settings().compressionQuality, 90);
  EXPECT_FALSE(fresh.Settings().grayscale);
  EXPECT_FALSE(fresh.Settings().progressiveEncoding);
  EXPECT_EQ(fresh.Data(), nullptr);

  const ui::TBitmap& bitmap = PutPicture(picture, Form::Bits32, 40, 30, Pattern);
  imaging::TJPEGImage jpeg;
  jpeg.Assign(bitmap);
  CountingSink sink;
  jpeg.SaveToStream(sink);
  EXPECT_EQ(sink.writes, 1);
  ASSERT_NE(jpeg.Data(), nullptr);
  EXPECT_EQ(jpeg.Data()->Width(), 40);
  EXPECT_EQ(jpeg.Data()->Height(), 30);
  EXPECT_EQ(jpeg.Data()->Data().Size(), sink.Size());
  EXPECT_EQ(jpeg.Data()->Data().Capacity() % imaging::TMemoryStream::kMemoryDelta, 0U);

  imaging::TJPEGSettings settings = jpeg.Settings();
  settings.grayscale = true;
  settings.progressiveEncoding = true;
  jpeg.SetSettings(settings);
  jpeg.Assign(bitmap);
  EXPECT_EQ(jpeg.Data(), nullptr);
  CountingSink greySink;
  jpeg.SaveToStream(greySink);
  EXPECT_TRUE(jpeg.Data()->Grayscale());
  const auto grey = DecodeJpeg(Bytes(greySink.Memory(), greySink.Memory() + greySink.Size()));
  ASSERT_TRUE(grey.ok);
  EXPECT_EQ(grey.components, 1);
  EXPECT_TRUE(grey.progressive);
  EXPECT_EQ(grey.width, 40);
}

}  // namespace
