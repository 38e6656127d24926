#include "imaging/BitmapBands.h"

#include "ui/Errors.h"

namespace imaging {

// 32 bits per pixel is the screen's own depth, so a screenshot's pixels are merely copied.
BitmapBands::BitmapBands(const ui::TBitmap& bitmap) : bitmap_(bitmap), dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) ui::RaiseLastOSError(GetLastError());
  if (bitmap.Palette()) {
    SelectPalette(dc_.get(), bitmap.Palette(), FALSE);
    RealizePalette(dc_.get());
  }
  info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info_.bmiHeader.biWidth = bitmap.Width();
  info_.bmiHeader.biHeight = bitmap.Height();
  info_.bmiHeader.biPlanes = 1;
  info_.bmiHeader.biBitCount = 32;
  info_.bmiHeader.biCompression = BI_RGB;
}

void BitmapBands::Read(std::uint32_t y, std::uint32_t count, void* into) {
  const auto height = static_cast<std::uint32_t>(bitmap_.Height());
  if (GetDIBits(dc_.get(), bitmap_.Handle(), height - y - count, count, into, &info_, DIB_RGB_COLORS) !=
      static_cast<int>(count))
    ui::RaiseLastOSError(GetLastError());
}

}  // namespace imaging
