#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clipboard/Clipboard.h"
#include "settings/LanguageTable.h"
#include "support/PngFiles.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Errors.h"
#include "ui/Graphics.h"
#include "ui/Handle.h"
#include "ui/PixelAlpha.h"

namespace {

using clipboard::PictureClipboardFormat;
using testing_support::Clipboard;
using testing_support::ClipboardFill;
using testing_support::ClipboardFormats;

HWND AppWindow() { return ui::TApplication::Current()->Handle(); }

template <typename Call>
std::wstring ErrorOf(Call call) {
  try {
    call();
  } catch (const ui::Exception& e) {
    return e.Message();
  }
  return L"(no error)";
}

std::vector<unsigned char> Dib(int width, int height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const std::size_t stride = ((static_cast<std::size_t>(width) * 24 + 31) / 32) * 4;
  std::vector<unsigned char> block(sizeof(header) + stride * static_cast<std::size_t>(height), 0x80);
  std::copy_n(reinterpret_cast<const unsigned char*>(&header), sizeof(header), block.begin());
  return block;
}

const std::wstring kManyScripts =
    L"Zażółć gęślą jaźń — Съешь же ещё этих мягких французских булок — 你好，世界 — こんにちは — 😀🎉";

TEST(ClipboardText, UnicodeOnlyTextIsTextAndReadsBackIntact) {
  testing_support::SetClipboardUnicodeText(kManyScripts);
  EXPECT_TRUE(Clipboard().ContainsFormat(CF_TEXT));
  EXPECT_EQ(Clipboard().ReadText(), kManyScripts);
  EXPECT_EQ(Clipboard().OpenCount(), 0);
}

TEST(ClipboardText, RewritingLeavesPlainTextOnlyWithTheSameCharacters) {
  {
    ClipboardFill fill;
    const std::string rtf = "{\\rtf1 {\\b bold} text}";
    const std::string html = "Version:0.9\r\n<b>bold</b> text";
    fill.PutBlock(RegisterClipboardFormatW(L"Rich Text Format"), rtf.c_str(), rtf.size() + 1);
    fill.PutBlock(RegisterClipboardFormatW(L"HTML Format"), html.c_str(), html.size() + 1);
    fill.PutBlock(CF_UNICODETEXT, kManyScripts.c_str(), (kManyScripts.size() + 1) * sizeof(wchar_t));
  }
  Clipboard().WriteText(Clipboard().ReadText());

  for (UINT format : ClipboardFormats()) {
    EXPECT_TRUE(format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE)
        << "format " << format << " left on the clipboard";
  }
  EXPECT_EQ(Clipboard().ReadText(), kManyScripts);
  EXPECT_EQ(GetClipboardOwner(), AppWindow());
}

TEST(ClipboardText, EmptyTextIsWrittenAsATerminatorAlone) {
  Clipboard().WriteText(L"");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  ui::GlobalLockGuard lock(data);
  EXPECT_EQ(*static_cast<const wchar_t*>(lock.data()), L'\0');
  CloseClipboard();
  EXPECT_EQ(Clipboard().ReadText(), L"");
}

TEST(ClipboardText, TextIsCutAtTheFirstZero) {
  Clipboard().WriteText(std::wstring(L"before\0after", 12));
  EXPECT_EQ(Clipboard().ReadText(), L"before");
}

TEST(ClipboardText, AnUnterminatedBlockIsNeverReadPastItsEnd) {
  {
    ClipboardFill fill;
    const wchar_t letters[] = {L'a', L'b', L'c', L'd', L'e', L'f'};  // no terminating zero
    fill.PutBlock(CF_UNICODETEXT, letters, sizeof(letters));
  }
  ASSERT_TRUE(OpenClipboard(nullptr));
  const std::size_t blockChars = GlobalSize(GetClipboardData(CF_UNICODETEXT)) / sizeof(wchar_t);
  CloseClipboard();

  // Windows hands the block over as it is; Wine puts a terminator into its last character.
  const std::wstring text = Clipboard().ReadText();
  EXPECT_GE(text.size(), 5u);
  EXPECT_EQ(text, std::wstring(L"abcdef").substr(0, text.size()));
  EXPECT_LE(text.size(), blockChars);
}

// Windows counts the same commit charge in PrivateUsage and in PagefileUsage; Wine 8 fills
// only the latter.
double PrivateMegabytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  EXPECT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof(counters)));
  return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / (1024.0 * 1024.0);
}

TEST(ClipboardText, RewritingAHugeTextKeepsNothingButTheClipboardsOwnBlock) {
  const std::size_t chars = 25u << 20;  // 50 MB of UTF-16
  testing_support::SetClipboardUnicodeText(std::wstring(chars, L'x'));
  // Wine keeps the block of a copy that no window of ours owns until our next open.
  ASSERT_TRUE(OpenClipboard(nullptr));
  CloseClipboard();
  const double before = PrivateMegabytes();

  Clipboard().RewriteTextAlone();
  const double held = PrivateMegabytes() - before;

  ASSERT_TRUE(OpenClipboard(nullptr));
  const std::size_t block = GlobalSize(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
  EXPECT_EQ(block, (chars + 1) * sizeof(wchar_t));
  EXPECT_LT(held, static_cast<double>(block) / (1024.0 * 1024.0) + 4)
      << held << " MB held beyond the clipboard's block";
  EXPECT_EQ(GetClipboardOwner(), AppWindow());
}

TEST(ClipboardOpen, AnotherProgramHoldingTheClipboardMakesReadingFailInGerman) {
  testing_support::SetClipboardUnicodeText(L"text");
  auto holder = testing_support::HoldClipboardInOtherProcess(3000);
  ASSERT_NE(holder.get(), nullptr);

  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(ErrorOf([] { (void)Clipboard().ReadText(); }), L"Zwischenablage kann nicht geöffnet werden");
  const ULONGLONG waited = GetTickCount64() - started;
  EXPECT_GE(waited, 80u) << "gave up without retrying";
  EXPECT_LT(waited, 1000u);
  EXPECT_EQ(ErrorOf([] { (void)Clipboard().ContainsFormat(PictureClipboardFormat()); }),
            L"Zwischenablage kann nicht geöffnet werden");
  EXPECT_EQ(ErrorOf([] { Clipboard().WriteText(L"x"); }), L"Zwischenablage kann nicht geöffnet werden");
  EXPECT_TRUE(Clipboard().ContainsFormat(CF_TEXT)) << "the text query needs no open clipboard";
  EXPECT_EQ(Clipboard().OpenCount(), 0);
}

TEST(ClipboardOpen, AHolderWithAWindowIsNamedOnASecondLineInTheInterfaceLanguage) {
  const std::wstring firstLine = L"Zwischenablage kann nicht geöffnet werden";
  const std::wstring english(
      settings::LanguageLists()[settings::kLanguageEnglish].texts[settings::kTextClipboardHolder]);
  testing_support::SetClipboardUnicodeText(L"text");
  {
    auto holder = testing_support::HoldClipboardInOtherProcess(3000, true);
    ASSERT_NE(holder.get(), nullptr);
    EXPECT_EQ(ErrorOf([] { (void)Clipboard().ReadText(); }), firstLine) << "no interface text set yet";
    Clipboard().SetHolderText(english);
    const std::wstring message = ErrorOf([] { Clipboard().WriteText(L"x"); });
    EXPECT_EQ(message, firstLine + L".\r\nThe clipboard is held open by test_clipboard.exe.");
    EXPECT_EQ(ui::DisplayText(message), message);
    EXPECT_EQ(Clipboard().OpenCount(), 0);
  }
  {
    // Opened without a window, the holder cannot be found: the first line stays alone.
    auto holder = testing_support::HoldClipboardInOtherProcess(3000);
    ASSERT_NE(holder.get(), nullptr);
    EXPECT_EQ(ErrorOf([] { (void)Clipboard().ReadText(); }), firstLine);
  }
  Clipboard().SetHolderText({});
}

TEST(ClipboardOpen, AHoldOfAMomentIsWaitedOut) {
  testing_support::SetClipboardUnicodeText(L"still here");
  auto holder = testing_support::HoldClipboardInOtherProcess(40);
  ASSERT_NE(holder.get(), nullptr);
  EXPECT_EQ(Clipboard().ReadText(), L"still here");
}

class ClipboardPicture : public ::testing::Test {
 protected:
  ui::TPicture picture_;
};

TEST_F(ClipboardPicture, ADeviceIndependentBitmapAloneLoadsAsABitmapOfItsSize) {
  {
    ClipboardFill fill;
    const auto dib = Dib(7, 5);
    fill.PutBlock(CF_DIB, dib.data(), dib.size());
  }
  ASSERT_TRUE(Clipboard().ContainsFormat(PictureClipboardFormat()));
  Clipboard().CopyToPicture(picture_);
  auto* bitmap = picture_.GraphicAs<ui::TBitmap>();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width(), 7);
  EXPECT_EQ(bitmap->Height(), 5);
  EXPECT_EQ(picture_.Width(), 7);
  EXPECT_EQ(picture_.Height(), 5);
}

TEST_F(ClipboardPicture, AMetafileBeforeABitmapLoadsAsAMetafileSizedByItsReferenceDevice) {
  ui::WindowDc screen(nullptr);
  const RECT frame{0, 0, 5080, 2540};  // 2 x 1 inches in 0.01 mm
  HDC recorder = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
  Rectangle(recorder, 10, 10, 100, 50);
  ui::UniqueEnhMetaFile metafile(CloseEnhMetaFile(recorder));
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(metafile.get(), sizeof(header), &header);
  {
    ClipboardFill fill;
    fill.Put(CF_ENHMETAFILE, ui::UniqueEnhMetaFile(CopyEnhMetaFileW(metafile.get(), nullptr)));
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), 3, 3)));
  }
  Clipboard().CopyToPicture(picture_);
  auto* loaded = picture_.GraphicAs<ui::TMetafile>();
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->MMWidth(), header.rclFrame.right - header.rclFrame.left);
  EXPECT_EQ(loaded->Width(), MulDiv(loaded->MMWidth(), header.szlDevice.cx, header.szlMillimeters.cx * 100));
  EXPECT_EQ(loaded->Height(), MulDiv(loaded->MMHeight(), header.szlDevice.cy, header.szlMillimeters.cy * 100));
  EXPECT_GT(loaded->Width(), 0);
  EXPECT_TRUE(loaded->Enhanced());
  EXPECT_EQ(loaded->Inch(), 0);
}

TEST_F(ClipboardPicture, TheMarkerFormatWithoutAPictureAnswersYesButLoadsNothing) {
  {
    ClipboardFill fill;
    const char marker[] = "not a picture";
    fill.PutBlock(PictureClipboardFormat(), marker, sizeof(marker));
  }
  picture_.SetGraphic(std::make_unique<ui::TBitmap>());
  const ui::TGraphic* before = picture_.Graphic();

  EXPECT_TRUE(Clipboard().ContainsFormat(PictureClipboardFormat()));
  EXPECT_EQ(ErrorOf([this] { Clipboard().CopyToPicture(picture_); }), L"Ungültiges Format der Zwischenablage");
  EXPECT_EQ(picture_.Graphic(), before);
  EXPECT_EQ(Clipboard().OpenCount(), 0);
}

TEST_F(ClipboardPicture, TextAloneIsNoPicture) {
  testing_support::SetClipboardUnicodeText(L"words");
  EXPECT_FALSE(Clipboard().ContainsFormat(PictureClipboardFormat()));
  EXPECT_EQ(ErrorOf([this] { Clipboard().CopyToPicture(picture_); }), L"Ungültiges Format der Zwischenablage");
}

// An RGBA picture whose every pixel differs, alpha included.
testing_support::PngPicture RgbaPicture(std::uint32_t width, std::uint32_t height) {
  testing_support::PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.colorType = 6;
  for (std::uint32_t i = 0; i < width * height; ++i) {
    picture.samples.insert(picture.samples.end(),
                           {static_cast<std::uint16_t>(i * 7 % 256), static_cast<std::uint16_t>(i * 13 % 256),
                            static_cast<std::uint16_t>(i * 29 % 256), static_cast<std::uint16_t>(i * 37 % 256)});
  }
  return picture;
}

// The bitmap's pixel (x, y), counted from the top, as 0xAARRGGBB.
std::uint32_t PixelOf(const ui::TBitmap& bitmap, int x, int y) {
  const DIBSECTION& dib = bitmap.Description();
  const int row = dib.dsBmih.biHeight > 0 ? bitmap.Height() - 1 - y : y;
  std::uint32_t pixel = 0;
  std::memcpy(&pixel, static_cast<const unsigned char*>(dib.dsBm.bmBits) + row * dib.dsBm.bmWidthBytes + x * 4, 4);
  return pixel;
}

TEST_F(ClipboardPicture, APngAloneInALongerBlockLoadsWithItsPixelsAndAlpha) {
  const auto png = RgbaPicture(5, 4);
  {
    ClipboardFill fill;
    auto bytes = testing_support::EncodePng(png);
    bytes.resize(bytes.size() + 64, 0xEE);  // clipboard blocks are often longer than what they hold
    fill.PutBlock(clipboard::PngClipboardFormat(), bytes.data(), bytes.size());
  }
  ASSERT_TRUE(Clipboard().ContainsFormat(PictureClipboardFormat()));
  Clipboard().CopyToPicture(picture_);
  auto* bitmap = picture_.GraphicAs<ui::TBitmap>();
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(picture_.Width(), 5);
  ASSERT_EQ(picture_.Height(), 4);
  ASSERT_TRUE(bitmap->IsDeviceIndependent());
  EXPECT_EQ(bitmap->Description().dsBmih.biBitCount, 32);
  EXPECT_EQ(bitmap->Description().dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(PixelOf(*bitmap, x, y), png.Bgra(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)))
          << x << "," << y;
  EXPECT_EQ(Clipboard().OpenCount(), 0);
}

TEST_F(ClipboardPicture, APngPlacedBeforeABitmapIsTakenInsteadOfTheBitmapWithItsAlpha) {
  const auto png = RgbaPicture(5, 4);
  const auto bytes = testing_support::EncodePng(png);
  const auto dib = Dib(7, 3);
  for (const bool pngFirst : {true, false}) {
    {
      ClipboardFill fill;
      if (pngFirst) fill.PutBlock(clipboard::PngClipboardFormat(), bytes.data(), bytes.size());
      fill.PutBlock(CF_DIB, dib.data(), dib.size());
      if (!pngFirst) fill.PutBlock(clipboard::PngClipboardFormat(), bytes.data(), bytes.size());
    }
    ASSERT_EQ(ClipboardFormats().front() == clipboard::PngClipboardFormat(), pngFirst);
    Clipboard().CopyToPicture(picture_);
    EXPECT_EQ(picture_.Width(), 5) << pngFirst;
    EXPECT_EQ(picture_.Height(), 4) << pngFirst;
    const auto* bitmap = picture_.GraphicAs<ui::TBitmap>();
    ASSERT_TRUE(bitmap && bitmap->IsDeviceIndependent());
    EXPECT_EQ(PixelOf(*bitmap, 4, 3), png.Bgra(4, 3));
  }
}

TEST_F(ClipboardPicture, ADamagedPngLeavesTheBitmapBesideItAndAMetafileStaysFirst) {
  auto damaged = testing_support::EncodePng(RgbaPicture(40, 30));
  damaged.resize(damaged.size() / 2);
  {
    ClipboardFill fill;
    fill.PutBlock(clipboard::PngClipboardFormat(), damaged.data(), damaged.size());
    const auto dib = Dib(7, 3);
    fill.PutBlock(CF_DIB, dib.data(), dib.size());
  }
  EXPECT_EQ(ErrorOf([this] { Clipboard().CopyToPicture(picture_); }), L"(no error)");
  EXPECT_EQ(picture_.Width(), 7);
  EXPECT_EQ(picture_.Height(), 3);
  EXPECT_EQ(Clipboard().OpenCount(), 0);

  const auto bytes = testing_support::EncodePng(RgbaPicture(5, 4));
  ui::WindowDc screen(nullptr);
  const RECT frame{0, 0, 2540, 2540};
  {
    ClipboardFill fill;
    fill.PutBlock(clipboard::PngClipboardFormat(), bytes.data(), bytes.size());
    ui::UniqueEnhMetaFile metafile(CloseEnhMetaFile(CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr)));
    fill.Put(CF_ENHMETAFILE, std::move(metafile));
    fill.Put(CF_BITMAP, ui::UniqueGdiObject(CreateCompatibleBitmap(screen.get(), 3, 3)));
  }
  Clipboard().CopyToPicture(picture_);
  EXPECT_NE(picture_.GraphicAs<ui::TMetafile>(), nullptr);
}

TEST_F(ClipboardPicture, ADamagedPngIsRefusedInGermanAndChangesNothing) {
  {
    ClipboardFill fill;
    auto bytes = testing_support::EncodePng(RgbaPicture(40, 30));
    bytes.resize(bytes.size() / 2);
    fill.PutBlock(clipboard::PngClipboardFormat(), bytes.data(), bytes.size());
  }
  picture_.SetGraphic(std::make_unique<ui::TBitmap>());
  const ui::TGraphic* before = picture_.Graphic();

  EXPECT_TRUE(Clipboard().ContainsFormat(PictureClipboardFormat()));
  EXPECT_EQ(ErrorOf([this] { Clipboard().CopyToPicture(picture_); }), L"Ungültiges PNG-Bild in der Zwischenablage");
  EXPECT_EQ(picture_.Graphic(), before);
  EXPECT_EQ(Clipboard().OpenCount(), 0);
  ASSERT_TRUE(OpenClipboard(nullptr)) << "left open";
  CloseClipboard();
}

// A 32-bit section of one row, pixels given as 0xAARRGGBB, and where it lies in memory.
HBITMAP Row32(const std::vector<std::uint32_t>& pixels, std::uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(pixels.size()), 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* memory = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  if (!section) return nullptr;
  *bits = static_cast<std::uint32_t*>(memory);
  std::copy(pixels.begin(), pixels.end(), *bits);
  return section;
}

// What a picture shows as, drawn at its own size into a row filled with `background`.
std::vector<std::uint32_t> DrawnOver(const ui::TGraphic& picture, std::uint32_t background) {
  const auto width = static_cast<std::size_t>(picture.Width());
  std::uint32_t* bits = nullptr;
  ui::UniqueGdiObject target(Row32(std::vector<std::uint32_t>(width, background), &bits));
  ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!target || !dc) return {};
  {
    ui::SelectedObject selected(dc.get(), target.get());
    picture.Draw(dc.get(), RECT{0, 0, picture.Width(), 1});
  }
  GdiFlush();
  return std::vector<std::uint32_t>(bits, bits + width);
}

// Whether each colour channel of `pixel` lies within 1 of straight `source` over `background`.
bool IsBlended(std::uint32_t pixel, std::uint32_t source, std::uint32_t background) {
  const std::uint32_t alpha = source >> 24;
  for (const int shift : {0, 8, 16}) {
    const auto channel = [shift](std::uint32_t value) { return static_cast<int>((value >> shift) & 0xFF); };
    const int expected = static_cast<int>((static_cast<std::uint32_t>(channel(source)) * alpha +
                                           static_cast<std::uint32_t>(channel(background)) * (255 - alpha) + 127) /
                                          255);
    if (std::abs(channel(pixel) - expected) > 1) return false;
  }
  return true;
}

TEST(PictureDisplay, RealAlphaBlendsOverTheBackgroundAndAlphaAllZeroDrawsOpaque) {
  constexpr std::uint32_t kBackground = 0x00204080;
  const std::vector<std::uint32_t> translucent{0x80FF0000, 0x000AC81E, 0xFF010203};  // half, not, fully opaque
  std::uint32_t* bits = nullptr;
  ui::TBitmap bitmap;
  bitmap.Assign(Row32(translucent, &bits), nullptr);
  ASSERT_FALSE(bitmap.Empty());
  for (int paint = 0; paint < 2; ++paint) {  // the second paint draws from the copy the first made
    const auto shown = DrawnOver(bitmap, kBackground);
    ASSERT_EQ(shown.size(), 3U);
    EXPECT_TRUE(IsBlended(shown[0], translucent[0], kBackground)) << std::hex << shown[0];
    EXPECT_EQ(shown[1] & 0xFFFFFF, kBackground) << std::hex << shown[1];
    EXPECT_EQ(shown[2] & 0xFFFFFF, 0x010203U) << std::hex << shown[2];
  }
  // Alpha all 0 is what GDI drawing leaves: the colours are copied as they are.
  const std::vector<std::uint32_t> drawn{0x00FF0000, 0x000AC81E, 0x00010203};
  bitmap.Assign(Row32(drawn, &bits), nullptr);
  EXPECT_EQ(DrawnOver(bitmap, kBackground), drawn);
}

TEST_F(ClipboardPicture, AMetafileDrawingATranslucentBitmapBecomesAnOpaquePicture) {
  // The metafile blends a half-transparent pixel over the right half of its frame and beyond.
  ui::WindowDc screen(nullptr);
  const RECT frame{0, 0, 2540, 2540};
  HDC recorder = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
  std::uint32_t* bits = nullptr;
  ui::UniqueGdiObject pixel(Row32({0x80800000}, &bits));  // premultiplied half red
  {
    ui::UniqueMemoryDc source(CreateCompatibleDC(screen.get()));
    ui::SelectedObject selected(source.get(), pixel.get());
    const int size = GetDeviceCaps(screen.get(), LOGPIXELSX);
    EXPECT_TRUE(AlphaBlend(recorder, size / 2, 0, 4 * size, 4 * size, source.get(), 0, 0, 1, 1,
                           BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}));
  }
  {
    ClipboardFill fill;
    fill.Put(CF_ENHMETAFILE, ui::UniqueEnhMetaFile(CloseEnhMetaFile(recorder)));
  }
  Clipboard().CopyToPicture(picture_);
  const ui::TBitmap& bitmap = ui::BitmapOf(picture_);
  ASSERT_GT(bitmap.Width(), 1);
  ASSERT_EQ(bitmap.Description().dsBmih.biBitCount, 32);
  const auto* rows = static_cast<const std::uint8_t*>(bitmap.Description().dsBm.bmBits);
  // Neither the display nor a PNG takes the drawing's left-over alpha for transparency.
  EXPECT_FALSE(ui::IsRealAlpha(ui::SharedAlpha(rows, bitmap.Description().dsBm.bmWidthBytes,
                                               static_cast<std::uint32_t>(bitmap.Width()),
                                               static_cast<std::uint32_t>(bitmap.Height()))));
  const auto shown = DrawnOver(bitmap, 0x00204080);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front() & 0xFFFFFF, 0xFFFFFFU) << std::hex << shown.front();
  EXPECT_TRUE(IsBlended(shown.back(), 0x80FF0000, 0x00FFFFFF)) << std::hex << shown.back();
}

TEST(PictureHolder, LoadingAnUnknownFormatOrNoDataIsRefusedAndKeepsTheContent) {
  ui::TPicture picture;
  EXPECT_EQ(ErrorOf([&] { clipboard::LoadFromClipboardData(picture, CF_DIB, nullptr, nullptr); }),
            L"Format der Zwischenablage wird nicht unterstützt");
  EXPECT_EQ(ErrorOf([&] { clipboard::LoadFromClipboardData(picture, CF_BITMAP, nullptr, nullptr); }),
            L"Format der Zwischenablage wird nicht unterstützt");
  EXPECT_EQ(picture.Graphic(), nullptr);
}

}  // namespace
