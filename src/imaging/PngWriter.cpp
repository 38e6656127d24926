#include "imaging/PngWriter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "imaging/BmpLayout.h"
#include "imaging/BmpWriter.h"
#include "imaging/PngLayout.h"
#include "imaging/TFileStream.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace imaging {
namespace {

constexpr int kDeflateLevel = 6;

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
  explicit PixelSource(const clipboard::TBitmap& bitmap) : bitmap_(bitmap) {
    const DIBSECTION& dib = bitmap.Description();
    header_ = {static_cast<std::uint32_t>(bitmap.Width()), static_cast<std::uint32_t>(bitmap.Height()), 8,
               PngColorType::kRgb};
    if (bitmap.IsDeviceIndependent() && dib.dsBm.bmBits && ChooseOwnForm(dib)) {
      GdiFlush();  // drawing into the section may still be queued
      const auto stride = static_cast<std::ptrdiff_t>(RowStride(dib.dsBm.bmWidth, dib.dsBmih.biBitCount));
      const auto* first = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
      if (dib.dsBmih.biHeight > 0) {  // bottom-up: the top row is the last in memory
        top_ = first + (dib.dsBmih.biHeight - 1) * stride;
        step_ = -stride;
      } else {
        top_ = first;
        step_ = stride;
      }
      if (form_ == Form::kBgrx && HasRealAlpha(top_, step_, header_.width, header_.height)) {
        form_ = Form::kBgra;
        header_.colorType = PngColorType::kRgba;
      }
      return;
    }
    PrepareConversion();
  }

  [[nodiscard]] const PngHeader& Header() const noexcept { return header_; }

  // The colour table, in its own order, as PLTE.
  [[nodiscard]] std::vector<PngColor> Palette() const {
    std::vector<PngColor> palette;
    for (const RGBQUAD& entry : table_) palette.push_back({entry.rgbRed, entry.rgbGreen, entry.rgbBlue});
    return palette;
  }

  void Row(std::uint32_t y, std::uint8_t* to) {
    const std::uint8_t* from =
        form_ == Form::kConverted ? ConvertedRow(y) : top_ + step_ * static_cast<std::ptrdiff_t>(y);
    switch (form_) {
      case Form::kIndexed:
        IndexedRow(from, to);
        break;
      case Form::kBgr:
      case Form::kConverted:
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
  enum class Form { kIndexed, kBgr, kBgrx, kBgra, k555, k565, kConverted };
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
      return true;
    }
    if (bits == 24 && compression == BI_RGB) {
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

  void ReadColorTable() {
    ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) ui::RaiseLastOSError(GetLastError());
    ui::SelectedObject selected(dc.get(), bitmap_.Handle());
    table_.resize(kBmpMaxColors);
    table_.resize(GetDIBColorTable(dc.get(), 0, kBmpMaxColors, table_.data()));
  }

  void IndexedRow(const std::uint8_t* from, std::uint8_t* to) {
    const std::size_t bytes = PngRowBytes(header_);
    std::copy_n(from, bytes, to);
    // Bits past the last pixel are whatever the bitmap held there; a clean file has zeros.
    const unsigned used = header_.width * header_.bitDepth % 8;
    if (used != 0) to[bytes - 1] &= static_cast<std::uint8_t>(0xFF00U >> used);
  }

  // Any other form (device-dependent, other masks) is converted by the system into 24 bits
  // per pixel, band by band; the holder's bitmap stays as it is.
  void PrepareConversion() {
    form_ = Form::kConverted;
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!dc_) ui::RaiseLastOSError(GetLastError());
    if (bitmap_.Palette()) {
      SelectPalette(dc_.get(), bitmap_.Palette(), FALSE);
      RealizePalette(dc_.get());
    }
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biWidth = bitmap_.Width();
    info_.bmiHeader.biHeight = bitmap_.Height();
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 24;
    info_.bmiHeader.biCompression = BI_RGB;
    stride_ = RowStride(bitmap_.Width(), 24);
    band_ = Allocate(stride_ * std::min(kBandRows, header_.height));
  }

  const std::uint8_t* ConvertedRow(std::uint32_t y) {
    if (y < bandFirst_ || y >= bandEnd_) {
      const std::uint32_t count = std::min(kBandRows, header_.height - y);
      // The system counts scan lines from the bottom and puts the lowest first.
      if (GetDIBits(dc_.get(), bitmap_.Handle(), header_.height - y - count, count, band_.get(), &info_,
                    DIB_RGB_COLORS) != static_cast<int>(count))
        ui::RaiseLastOSError(GetLastError());
      bandFirst_ = y;
      bandEnd_ = y + count;
    }
    return band_.get() + stride_ * (bandEnd_ - 1 - y);
  }

  const clipboard::TBitmap& bitmap_;
  PngHeader header_{};
  Form form_ = Form::kConverted;
  const std::uint8_t* top_ = nullptr;
  std::ptrdiff_t step_ = 0;
  std::vector<RGBQUAD> table_;
  ui::UniqueMemoryDc dc_;
  BITMAPINFO info_{};
  Block band_;
  std::size_t stride_ = 0;
  std::uint32_t bandFirst_ = 0;
  std::uint32_t bandEnd_ = 0;
};

enum Filter : std::uint8_t { kNone, kSub, kUp, kAverage, kPaeth };

std::uint8_t PaethPredictor(int left, int up, int upLeft) {
  const int p = left + up - upLeft;
  const int pa = std::abs(p - left);
  const int pb = std::abs(p - up);
  const int pc = std::abs(p - upLeft);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(left);
  return static_cast<std::uint8_t>(pb <= pc ? up : upLeft);
}

// Filters `row` (with `prior`, the row above, zeros for the first) into `to`.
void ApplyFilter(Filter filter, const std::uint8_t* row, const std::uint8_t* prior, std::size_t bytes,
                 std::size_t pixel, std::uint8_t* to) {
  for (std::size_t i = 0; i < bytes; ++i) {
    const int left = i >= pixel ? row[i - pixel] : 0;
    const int upLeft = i >= pixel ? prior[i - pixel] : 0;
    int predicted = 0;
    switch (filter) {
      case kNone:
        break;
      case kSub:
        predicted = left;
        break;
      case kUp:
        predicted = prior[i];
        break;
      case kAverage:
        predicted = (left + prior[i]) / 2;
        break;
      case kPaeth:
        predicted = PaethPredictor(left, prior[i], upLeft);
        break;
    }
    to[i] = static_cast<std::uint8_t>(row[i] - predicted);
  }
}

// Sum of the filtered bytes taken as signed: small sums compress well.
std::size_t Cost(const std::uint8_t* bytes, std::size_t count) {
  std::size_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += static_cast<std::size_t>(std::abs(static_cast<std::int8_t>(bytes[i])));
  return sum;
}

struct Freer {
  void operator()(libdeflate_compressor* compressor) const noexcept { libdeflate_free_compressor(compressor); }
};

}  // namespace

void EncodePng(const clipboard::TBitmap& bitmap, TStream& sink) {
  if (!HasPixels(bitmap)) return;
  PixelSource source(bitmap);
  const PngHeader& header = source.Header();
  const std::size_t rowBytes = PngRowBytes(header);
  const std::size_t pixel = PngPixelBytes(header);
  const std::size_t filteredSize = (rowBytes + 1) * header.height;
  Block filtered = Allocate(filteredSize);
  std::vector<std::uint8_t> rows(rowBytes * 2 + rowBytes * 4);
  std::uint8_t* prior = rows.data();
  std::uint8_t* row = prior + rowBytes;
  std::uint8_t* trial = row + rowBytes;
  for (std::uint32_t y = 0; y < header.height; ++y) {
    source.Row(y, row);
    std::uint8_t* to = filtered.get() + (rowBytes + 1) * y;
    if (header.colorType == PngColorType::kPalette) {
      // Palette indices are names, not amounts: differences between them mean nothing.
      to[0] = kNone;
      std::copy_n(row, rowBytes, to + 1);
    } else {
      Filter best = kNone;
      std::size_t bestCost = Cost(row, rowBytes);
      for (const Filter filter : {kSub, kUp, kAverage, kPaeth}) {
        std::uint8_t* candidate = trial + rowBytes * (filter - 1);
        ApplyFilter(filter, row, prior, rowBytes, pixel, candidate);
        const std::size_t cost = Cost(candidate, rowBytes);
        if (cost < bestCost) {
          best = filter;
          bestCost = cost;
        }
      }
      to[0] = best;
      std::copy_n(best == kNone ? row : trial + rowBytes * (best - 1), rowBytes, to + 1);
    }
    std::swap(prior, row);
  }

  std::unique_ptr<libdeflate_compressor, Freer> compressor(libdeflate_alloc_compressor(kDeflateLevel));
  if (!compressor) ui::RaiseLastOSError(ERROR_NOT_ENOUGH_MEMORY);
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
  Block compressed = Allocate(bound);
  const std::size_t size =
      libdeflate_zlib_compress(compressor.get(), filtered.get(), filteredSize, compressed.get(), bound);
  if (size == 0) ui::RaiseLastOSError(ERROR_NOT_ENOUGH_MEMORY);
  filtered.reset();

  sink.Expect(size + 1024);
  WritePngHead(sink, header, source.Palette());
  WritePngTail(sink, compressed.get(), size);
}

void WritePng(ui::TPicture& picture, const std::wstring& fileName) {
  const clipboard::TBitmap& bitmap = clipboard::BitmapOf(picture);
  if (!HasPixels(bitmap)) return;
  TFileStream file(fileName);
  EncodePng(bitmap, file);
  file.Commit();
}

}  // namespace imaging
