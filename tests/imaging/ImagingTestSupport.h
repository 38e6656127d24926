#pragma once
// What the picture output tests share: a scratch folder, files read back whole, bitmaps of
// every kind put into a picture holder, and JPEG decoding and reference encoding through
// libjpeg itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Streams.h"
#include "support/TestSupport.h"
#include "ui/Graphics.h"
#include "ui/Picture.h"

namespace imaging_test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] std::wstring Path(const std::wstring& name) const { return folder_ + name; }

 private:
  std::wstring folder_;
};

// A writer test: a picture holder, a folder for its files, and no error shown yet.
class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::ClearShownErrors(); }

  ScratchFolder folder;
  ui::TPicture picture;
};

[[nodiscard]] bool FileExists(const std::wstring& path);
[[nodiscard]] Bytes ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const Bytes& bytes);

// Little-endian fields for building expected files.
void Put16(Bytes& bytes, std::uint32_t value);
void Put32(Bytes& bytes, std::uint32_t value);
[[nodiscard]] std::uint32_t Get16(const Bytes& bytes, std::size_t offset);
[[nodiscard]] std::uint32_t Get32(const Bytes& bytes, std::size_t offset);

// A DIB section installed as the holder's content, with `rows` copied into its pixels (bottom
// row first, or top row first for a negative height); `colors` fills the colour table (up to
// 8 bits per pixel) or the three masks (BI_BITFIELDS).
ui::TBitmap& PutSection(ui::TPicture& picture, int width, int height, int bitsPerPixel, DWORD compression,
                        const std::vector<DWORD>& colors = {}, const Bytes& rows = {}, HPALETTE palette = nullptr);
// A device-dependent bitmap of the screen's kind loaded into the holder as the clipboard hands
// one over, painted by `paint(x, y)` -> colour.
ui::TBitmap& PutDeviceBitmap(ui::TPicture& picture, int width, int height,
                             const std::function<COLORREF(int, int)>& paint);

// A colour from channel values computed as ints.
inline COLORREF Rgb(int red, int green, int blue) {
  return RGB(static_cast<BYTE>(red), static_cast<BYTE>(green), static_cast<BYTE>(blue));
}

// Every pixel as GDI itself turns it into 0xRRGGBB, top row first.
[[nodiscard]] std::vector<std::uint32_t> GdiColors(const ui::TBitmap& bitmap);

// Bits per pixel of the screen (Wine on a 24-bit X display reports 32).
[[nodiscard]] int ScreenBitsPerPixel();

// An enhanced metafile with a frame of the given size in 0.01 mm, filled white with a red
// rectangle over its left half, put on the clipboard and loaded into the holder from there.
ui::TMetafile& PutMetafile(ui::TPicture& picture, int mmWidth, int mmHeight);

struct DecodedJpeg {
  bool ok = false;
  int errorCode = 0;
  int width = 0;
  int height = 0;
  int components = 0;
  bool progressive = false;
  bool jfif = false;
  int densityUnit = -1;
  int xDensity = 0;
  int yDensity = 0;
  Bytes pixels;                                         // rows top first, RGB or grey
  [[nodiscard]] std::uint32_t Rgb(int x, int y) const;  // 0xRRGGBB
};
[[nodiscard]] DecodedJpeg DecodeJpeg(const Bytes& data);

// A sink that fails after taking `limit` bytes, either by taking fewer or by raising
// EStreamError("voll").
class FailingSink : public imaging::TMemoryStream {
 public:
  FailingSink(std::size_t limit, bool raise) : limit_(limit), raise_(raise) {}
  std::size_t Write(const void* data, std::size_t count) override;

 private:
  std::size_t limit_;
  bool raise_;
};

// libjpeg's own compression of top-down RGB pixels at the given quality and its defaults.
[[nodiscard]] Bytes ReferenceJpeg(const Bytes& rgb, int width, int height, int quality);

}  // namespace imaging_test
