#include "imaging/SectionRows.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/BitmapBands.h"
#include "imaging/BmpLayout.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace imaging {
namespace {

// Whether two stored rows hold the same pixel bits; the bits that pad the last byte of a
// packed row are nobody's pixels and may hold anything.
bool SameBits(const std::uint8_t* a, const std::uint8_t* b, std::size_t bits) noexcept {
  const std::size_t whole = bits / 8;
  if (std::memcmp(a, b, whole) != 0) return false;
  const unsigned rest = bits % 8;
  return rest == 0 || ((a[whole] ^ b[whole]) & (0xFF00U >> rest) & 0xFFU) == 0;
}

// Whether the process may read every byte of the block.
bool Readable(const std::uint8_t* at, std::size_t size) noexcept {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  for (const std::uint8_t* end = at + size; at < end;) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(at, &region, sizeof region) == 0 || region.State != MEM_COMMIT ||
        (region.Protect & kReadable) == 0 || (region.Protect & PAGE_GUARD) != 0)
      return false;
    at = static_cast<const std::uint8_t*>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

// Colours, as the system reads them, of two stored rows: copies of them in a small section of
// the same form, read back at 32 bits per pixel. So palettes, masks and the system's rounding
// of 5 or 6 bits are as in the picture itself.
class RowColors {
 public:
  explicit RowColors(const ui::TBitmap& bitmap)
      : width_(static_cast<std::size_t>(bitmap.Width())), dc_(CreateCompatibleDC(nullptr)) {
    if (!dc_) ui::RaiseLastOSError(GetLastError());
    const DIBSECTION& dib = bitmap.Description();
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colors[kBmpMaxColors];
    } info{};
    info.header = dib.dsBmih;
    info.header.biHeight = 2;
    info.header.biSizeImage = 0;
    if (info.header.biCompression == BI_BITFIELDS) {
      std::memcpy(info.colors, dib.dsBitfields, sizeof dib.dsBitfields);
    } else if (info.header.biBitCount <= 8) {
      const ui::SelectedObject selected(dc_.get(), bitmap.Handle());
      info.header.biClrUsed = GetDIBColorTable(dc_.get(), 0, kBmpMaxColors, info.colors);
    }
    void* bits = nullptr;
    section_.reset(
        CreateDIBSection(dc_.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section_) ui::RaiseLastOSError(GetLastError());
    bits_ = static_cast<std::uint8_t*>(bits);
    stride_ = RowStride(bitmap.Width(), info.header.biBitCount);
  }

  // The colours of both rows, `lower` after `upper`, as 0xRRGGBB.
  [[nodiscard]] std::vector<std::uint32_t> Of(const std::uint8_t* upper, const std::uint8_t* lower) {
    std::memcpy(bits_ + stride_, upper, stride_);  // bottom-up: the upper row lies second
    std::memcpy(bits_, lower, stride_);
    BITMAPINFO read{};
    read.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(width_), -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> colors(2 * width_);
    if (GetDIBits(dc_.get(), static_cast<HBITMAP>(section_.get()), 0, 2, colors.data(), &read, DIB_RGB_COLORS) != 2)
      ui::RaiseLastOSError(GetLastError());
    for (std::uint32_t& color : colors) color &= 0xFFFFFF;
    return colors;
  }

 private:
  std::size_t width_;
  ui::UniqueMemoryDc dc_;
  ui::UniqueGdiObject section_;
  std::uint8_t* bits_ = nullptr;
  std::size_t stride_ = 0;
};

}  // namespace

SectionRows FindSectionRows(const ui::TBitmap& bitmap) {
  GdiFlush();  // drawing into the section may still be queued
  const DIBSECTION& dib = bitmap.Description();
  const auto width = static_cast<std::size_t>(bitmap.Width());
  const auto height = static_cast<std::uint32_t>(bitmap.Height());
  const auto stride = static_cast<std::ptrdiff_t>(RowStride(bitmap.Width(), dib.dsBmih.biBitCount));
  const auto* first = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
  const SectionRows topDown{first, stride};
  const SectionRows bottomUp{first + (static_cast<std::ptrdiff_t>(height) - 1) * stride, -stride};
  // Pixels the process may not read (a view over a mapping that was protected or let go) are
  // not looked at here: reading them would end the program, while the system, handed them to
  // write, reports the failure.
  if (!Readable(first, static_cast<std::size_t>(stride) * height)) return bottomUp;
  // The first pair of rows that mirror each other in memory but differ in colour settles it:
  // the system's reading of the upper one shows which of them is the picture's. A picture
  // whose rows all mirror each other reads the same both ways.
  const std::size_t rowBits = width * dib.dsBmih.biBitCount;
  std::unique_ptr<RowColors> colors;  // made once a pair of rows needs it
  std::vector<std::uint32_t> read(width);
  for (std::uint32_t k = 0; k < height / 2; ++k) {
    const std::uint8_t* upper = topDown.Row(k);
    const std::uint8_t* lower = bottomUp.Row(k);
    if (SameBits(upper, lower, rowBits)) continue;
    if (!colors) colors = std::make_unique<RowColors>(bitmap);
    const std::vector<std::uint32_t> stored = colors->Of(upper, lower);
    if (std::memcmp(stored.data(), stored.data() + width, width * sizeof(std::uint32_t)) == 0) continue;
    BitmapBands(bitmap).Read(k, 1, read.data());
    for (std::uint32_t& color : read) color &= 0xFFFFFF;
    return std::memcmp(read.data(), stored.data(), width * sizeof(std::uint32_t)) == 0 ? topDown : bottomUp;
  }
  return bottomUp;
}

}  // namespace imaging
