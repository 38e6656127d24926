#include "ui/Graphics.h"

#include <cstdint>

#include "ui/Errors.h"
#include "ui/PixelAlpha.h"

namespace ui {

DIBSECTION DescribeBitmap(HBITMAP bitmap) {
  DIBSECTION dib{};
  GetObjectW(bitmap, sizeof(dib), &dib);
  if (!dib.dsBm.bmBits) dib.dsBmih.biSize = 0;  // a device-dependent bitmap has no DIB header
  return dib;
}

namespace {

BITMAPINFO Bgra32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

std::size_t PixelCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Whether the 32-bit pixels of a section, its rows packed one after another, carry transparency.
bool HasRealAlpha(const std::uint8_t* pixels, int width, int height) {
  return IsRealAlpha(SharedAlpha(pixels, static_cast<std::ptrdiff_t>(width) * 4, static_cast<std::uint32_t>(width),
                                 static_cast<std::uint32_t>(height)));
}

// A 32-bit section with the bitmap's pixels premultiplied by their alpha, or null when the
// alpha is no transparency or the copy cannot be made. The system reads the pixels, so a
// device-dependent bitmap is read the same way as a section.
UniqueGdiObject PremultipliedCopy(HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = Bgra32(width, height);
  void* bits = nullptr;
  UniqueGdiObject copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!copy || !dc || GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS) != height)
    return {};
  auto* pixels = static_cast<std::uint8_t*>(bits);
  if (!HasRealAlpha(pixels, width, height)) return {};
  PremultiplyAlpha(pixels, PixelCount(width, height));
  return copy;
}

}  // namespace

void TBitmap::Draw(HDC dc, const RECT& target) const {
  if (!handle_) return;
  const int width = target.right - target.left;
  const int height = target.bottom - target.top;
  HPALETTE oldPalette = nullptr;
  if (palette_) {
    oldPalette = SelectPalette(dc, Palette(), TRUE);
    RealizePalette(dc);
  }
  SetStretchBltMode(dc, COLORONCOLOR);
  bool drawn = false;
  if (const HBITMAP blendable = Blendable()) {
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    SelectedObject selected(source.get(), blendable);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    drawn = AlphaBlend(dc, target.left, target.top, width, height, source.get(), 0, 0, Width(), Height(), blend);
  }
  // A picture AlphaBlend refuses is shown as it would be without its transparency.
  if (!drawn) {
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    SelectedObject selected(source.get(), handle_.get());
    StretchBlt(dc, target.left, target.top, width, height, source.get(), 0, 0, Width(), Height(), SRCCOPY);
  }
  if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
}

bool TBitmap::HasAlphaByte() const noexcept {
  if (dib_.dsBm.bmBitsPixel != 32) return false;
  // A 32-bit device bitmap keeps the alpha of the picture it was made from: Windows makes one
  // from a CF_DIBV5 with alpha for programs that ask for CF_BITMAP. A section's fourth byte is
  // alpha only while its colours lie where BI_RGB puts them; the PNG writer asks the same.
  if (!IsDeviceIndependent()) return true;
  const DWORD compression = dib_.dsBmih.biCompression;
  return compression == BI_RGB || (compression == BI_BITFIELDS && dib_.dsBitfields[0] == 0xFF0000 &&
                                   dib_.dsBitfields[1] == 0x00FF00 && dib_.dsBitfields[2] == 0x0000FF);
}

HBITMAP TBitmap::Blendable() const {
  // Made once per picture, not at every paint: a large picture is repainted at every resize.
  if (!blendableMade_) {
    blendableMade_ = true;
    if (HasAlphaByte() && Width() > 0 && Height() > 0) blendable_ = PremultipliedCopy(Handle(), Width(), Height());
  }
  return static_cast<HBITMAP>(blendable_.get());
}

void TBitmap::Assign(HBITMAP handle, HPALETTE palette) {
  handle_.reset(handle);
  dib_ = handle_ ? DescribeBitmap(Handle()) : DIBSECTION{};
  // The copy made from the old bitmap goes with it.
  blendable_.reset();
  blendableMade_ = false;
  if (palette != Palette()) palette_.reset(palette);
  Changed();
}

int TMetafile::Width() const {
  if (!handle_) return 0;
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(handle_.get(), sizeof(header), &header);
  return MulDiv(mmWidth_, header.szlDevice.cx, header.szlMillimeters.cx * 100);
}

int TMetafile::Height() const {
  if (!handle_) return 0;
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(handle_.get(), sizeof(header), &header);
  return MulDiv(mmHeight_, header.szlDevice.cy, header.szlMillimeters.cy * 100);
}

void TMetafile::Draw(HDC dc, const RECT& target) const {
  if (handle_) PlayEnhMetaFile(dc, handle_.get(), &target);
}

void TMetafile::Assign(UniqueEnhMetaFile handle) {
  ENHMETAHEADER header{};
  if (handle) GetEnhMetaFileHeader(handle.get(), sizeof(header), &header);
  handle_ = std::move(handle);
  mmWidth_ = header.rclFrame.right - header.rclFrame.left;
  mmHeight_ = header.rclFrame.bottom - header.rclFrame.top;
  Changed();
}

std::unique_ptr<TBitmap> DrawnBitmap(const TMetafile& metafile) {
  auto bitmap = std::make_unique<TBitmap>();
  const int width = metafile.Width();
  const int height = metafile.Height();
  if (metafile.Empty() || width <= 0 || height <= 0) return bitmap;
  // At its own size onto white, so saving or showing it keeps the picture.
  const BITMAPINFO info = Bgra32(width, height);
  WindowDc screen(nullptr);
  void* bits = nullptr;
  UniqueGdiObject section(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section) RaiseLastOSError(GetLastError());
  UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  {
    SelectedObject selected(dc.get(), section.get());
    const RECT area{0, 0, width, height};
    FillRect(dc.get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    metafile.Draw(dc.get(), area);
  }
  GdiFlush();
  // GDI leaves the fourth bytes 0 where it draws, but a picture the metafile blends in sets
  // them: the mixture would pass for transparency, and the white around the picture would
  // show as the window colour or be saved transparent. Drawn onto white, it has none.
  auto* pixels = static_cast<std::uint8_t*>(bits);
  if (HasRealAlpha(pixels, width, height)) ClearAlpha(pixels, PixelCount(width, height));
  bitmap->Assign(static_cast<HBITMAP>(section.release()), nullptr);
  return bitmap;
}

TBitmap& BitmapOf(TPicture& picture) {
  if (auto* bitmap = picture.GraphicAs<TBitmap>()) return *bitmap;
  const auto* metafile = picture.GraphicAs<TMetafile>();
  std::unique_ptr<TBitmap> bitmap = metafile ? DrawnBitmap(*metafile) : std::make_unique<TBitmap>();
  TBitmap& result = *bitmap;
  picture.SetGraphic(std::move(bitmap));
  return result;
}

}  // namespace ui
