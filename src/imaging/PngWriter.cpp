#include "imaging/PngWriter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "imaging/BitmapBands.h"
#include "imaging/BmpLayout.h"
#include "imaging/BmpWriter.h"
#include "imaging/PictureBitmap.h"
#include "imaging/PngLayout.h"
#include "imaging/SectionRows.h"
#include "imaging/TFileStream.h"
#include "ui/Errors.h"
#include "ui/Handle.h"
#include "ui/PixelAlpha.h"

namespace imaging {
namespace {

// Chosen by bench_png: with the "up" filter, level 2 makes files smaller than libpng's
// defaults at a fraction of the time; higher levels cost much more for a few per cent.
constexpr int kDeflateLevel = 2;

using Block = std::unique_ptr<std::uint8_t[]>;

// A block of `size` bytes left uninitialised: the encoder writes every byte before reading it,
// and clearing a picture-sized block first would cost as much as filtering it.
Block Allocate(std::size_t size) {
  Block block(new (std::nothrow) std::uint8_t[size]);
  if (!block) ui::RaiseLastOSError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

// The bitmap's rows, top first, turned into PNG rows.
class PixelSource {
 public:
  explicit PixelSource(const ui::TBitmap& bitmap) : bitmap_(bitmap) {
    const DIBSECTION& dib = bitmap.Description();
    header_ = {static_cast<std::uint32_t>(bitmap.Width()), static_cast<std::uint32_t>(bitmap.Height()), 8,
               PngColorType::kRgb};
    if (bitmap.IsDeviceIndependent() && dib.dsBm.bmBits && ChooseOwnForm(dib)) {
      const SectionRows rows = FindSectionRows(bitmap);
      top_ = rows.top;
      step_ = rows.step;
      if (form_ == Form::kBgrx && ui::IsRealAlpha(ui::SharedAlpha(top_, step_, header_.width, header_.height)))
        UseAlpha();
      return;
    }
    PrepareConversion();
    // A 32-bit device bitmap keeps the alpha of the picture it was made from: Windows makes
    // one from a CF_DIBV5 with alpha for programs that ask for CF_BITMAP.
    if (!bitmap.IsDeviceIndependent() && dib.dsBm.bmBitsPixel == 32 && DeviceAlphaIsReal()) UseAlpha();
  }

  [[nodiscard]] const PngHeader& Header() const noexcept { return header_; }

  // The colour table, in its own order, as PLTE.
  [[nodiscard]] std::vector<PngColor> Palette() const {
    std::vector<PngColor> palette;
    for (const RGBQUAD& entry : table_) palette.push_back({entry.rgbRed, entry.rgbGreen, entry.rgbBlue});
    return palette;
  }

  void Row(std::uint32_t y, std::uint8_t* to) {
    const std::uint8_t* from = bands_ ? ConvertedRow(y) : top_ + step_ * static_cast<std::ptrdiff_t>(y);
    switch (form_) {
      case Form::kIndexed:
        IndexedRow(from, to);
        break;
      case Form::kBgr:
        BgrToRgb(from, header_.width, to);
        break;
      case Form::kBgrx:
        BgrxToRgb(from, header_.width, to);
        break;
      case Form::kBgra:
        BgraToRgba(from, header_.width, to);
        break;
      case Form::k555:
        Rgb555ToRgb(from, header_.width, to);
        break;
      case Form::k565:
        Rgb565ToRgb(from, header_.width, to);
        break;
    }
  }

 private:
  enum class Form { kIndexed, kBgr, kBgrx, kBgra, k555, k565 };
  // Rows converted per call of the system: only a small band is ever held converted.
  static constexpr std::uint32_t kBandRows = 64;

  bool ChooseOwnForm(const DIBSECTION& dib) {
    const WORD bits = dib.dsBmih.biBitCount;
    const DWORD compression = dib.dsBmih.biCompression;
    const auto masks = [&dib, compression](DWORD red, DWORD green, DWORD blue) {
      return compression == BI_BITFIELDS && dib.dsBitfields[0] == red && dib.dsBitfields[1] == green &&
             dib.dsBitfields[2] == blue;
    };
    if (compression == BI_RGB && (bits == 1 || bits == 4 || bits == 8)) {
      form_ = Form::kIndexed;
      header_.bitDepth = static_cast<std::uint8_t>(bits);
      header_.colorType = PngColorType::kPalette;
      ReadColorTable();
    } else if (bits == 24 && compression == BI_RGB) {
      form_ = Form::kBgr;
    } else if (bits == 32 && (compression == BI_RGB || masks(0xFF0000, 0x00FF00, 0x0000FF))) {
      form_ = Form::kBgrx;
    } else if (bits == 16 && (compression == BI_RGB || masks(0x7C00, 0x03E0, 0x001F))) {
      form_ = Form::k555;
    } else if (bits == 16 && masks(0xF800, 0x07E0, 0x001F)) {
      form_ = Form::k565;
    } else {
      return false;
    }
    return true;
  }

  void UseAlpha() {
    form_ = Form::kBgra;
    header_.colorType = PngColorType::kRgba;
  }

  void ReadColorTable() {
    ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) ui::RaiseLastOSError(GetLastError());
    ui::SelectedObject selected(dc.get(), bitmap_.Handle());
    table_.resize(kBmpMaxColors);
    table_.resize(GetDIBColorTable(dc.get(), 0, kBmpMaxColors, table_.data()));
  }

  void IndexedRow(const std::uint8_t* from, std::uint8_t* to) const {
    const std::size_t bytes = PngRowBytes(header_);
    std::copy_n(from, bytes, to);
    // Bits past the last pixel are whatever the bitmap held there; a clean file has zeros.
    const unsigned used = header_.width * header_.bitDepth % 8;
    if (used != 0) to[bytes - 1] &= static_cast<std::uint8_t>(0xFF00U >> used);
  }

  // Any other form (device-dependent, other masks) is converted by the system into 32 bits
  // per pixel, band by band; the holder's bitmap stays as it is.
  void PrepareConversion() {
    form_ = Form::kBgrx;
    bands_.emplace(bitmap_);
    stride_ = RowStride(bitmap_.Width(), 32);
    band_ = Allocate(stride_ * std::min(kBandRows, header_.height));
  }

  // The band's rows lie bottom row first.
  [[nodiscard]] const std::uint8_t* BandTop() const noexcept {
    return band_.get() + stride_ * (bandEnd_ - 1 - bandFirst_);
  }

  void FillBand(std::uint32_t y) {
    const std::uint32_t count = std::min(kBandRows, header_.height - y);
    bands_->Read(y, count, band_.get());
    bandFirst_ = y;
    bandEnd_ = y + count;
  }

  const std::uint8_t* ConvertedRow(std::uint32_t y) {
    if (y < bandFirst_ || y >= bandEnd_) FillBand(y);
    return BandTop() - static_cast<std::ptrdiff_t>(stride_ * (y - bandFirst_));
  }

  // One pass over the bands before encoding: the colour type must be known first.
  bool DeviceAlphaIsReal() {
    std::optional<std::uint8_t> shared;
    for (std::uint32_t y = 0; y < header_.height; y = bandEnd_) {
      FillBand(y);
      const std::optional<std::uint8_t> band =
          ui::SharedAlpha(BandTop(), -static_cast<std::ptrdiff_t>(stride_), header_.width, bandEnd_ - bandFirst_);
      if (!band || (y != 0 && band != shared)) return true;
      shared = band;
    }
    return ui::IsRealAlpha(shared);
  }

  const ui::TBitmap& bitmap_;
  PngHeader header_{};
  Form form_ = Form::kBgrx;
  const std::uint8_t* top_ = nullptr;
  std::ptrdiff_t step_ = 0;
  std::vector<RGBQUAD> table_;
  std::optional<BitmapBands> bands_;  // for a form the system converts
  Block band_;
  std::size_t stride_ = 0;
  std::uint32_t bandFirst_ = 0;
  std::uint32_t bandEnd_ = 0;
};

constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kFilterUp = 2;

struct FreeCompressor {
  void operator()(libdeflate_compressor* compressor) const noexcept { libdeflate_free_compressor(compressor); }
};

}  // namespace

void EncodePng(const ui::TBitmap& bitmap, TStream& sink) {
  if (!HasPixels(bitmap)) return;
  PixelSource source(bitmap);
  const PngHeader& header = source.Header();
  const std::size_t rowBytes = PngRowBytes(header);
  const std::size_t filteredSize = (rowBytes + 1) * header.height;
  Block filtered = Allocate(filteredSize);
  if (header.colorType == PngColorType::kPalette) {
    // Palette indices are names, not amounts: differences between them mean nothing.
    for (std::uint32_t y = 0; y < header.height; ++y) {
      std::uint8_t* to = filtered.get() + (rowBytes + 1) * y;
      to[0] = kFilterNone;
      source.Row(y, to + 1);
    }
  } else {
    // Each row as its difference from the row above: flat areas and repeated lines of a
    // screenshot become runs of zeros, and photos lose most of their entropy.
    std::vector<std::uint8_t> rows(rowBytes * 2);
    std::uint8_t* prior = rows.data();
    std::uint8_t* row = prior + rowBytes;
    for (std::uint32_t y = 0; y < header.height; ++y) {
      source.Row(y, row);
      std::uint8_t* to = filtered.get() + (rowBytes + 1) * y;
      to[0] = kFilterUp;
      for (std::size_t i = 0; i < rowBytes; ++i) to[i + 1] = static_cast<std::uint8_t>(row[i] - prior[i]);
      std::swap(prior, row);
    }
  }

  std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor(libdeflate_alloc_compressor(kDeflateLevel));
  if (!compressor) ui::RaiseLastOSError(ERROR_NOT_ENOUGH_MEMORY);
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
  Block compressed = Allocate(bound);
  const std::size_t size =
      libdeflate_zlib_compress(compressor.get(), filtered.get(), filteredSize, compressed.get(), bound);
  // Within the bound the library cannot run out of room; 0 would mean the bound was wrong.
  if (size == 0) ui::RaiseLastOSError(ERROR_NOT_ENOUGH_MEMORY);
  filtered.reset();

  sink.Expect(size + (size / kPngIdatChunkSize + 1) * 12 + 1024);
  WritePngHead(sink, header, source.Palette());
  WritePngTail(sink, compressed.get(), size);
}

void WritePng(const ui::TPicture& picture, const std::wstring& fileName) {
  // Only a PNG the content was decoded from, whole and sound, comes with it.
  if (const ui::TSourceFile* png = picture.SourceFile(ui::TFileFormat::ffPng)) {
    SaveBytes(fileName, png->bytes);
    return;
  }
  const PictureBitmap bitmap(picture);
  if (!bitmap.Get() || !HasPixels(*bitmap.Get())) return;
  TFileStream file(fileName);
  EncodePng(*bitmap.Get(), file);
  file.Commit();
}

}  // namespace imaging
