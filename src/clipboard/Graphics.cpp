#include "clipboard/Graphics.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "clipboard/Clipboard.h"
#include "clipboard/PixelAlpha.h"
#include "clipboard/PngDecoder.h"
#include "ui/Errors.h"

namespace clipboard {
namespace {

[[noreturn]] void RaiseUnsupportedFormat() {
  throw ui::EInvalidGraphic(L"Format der Zwischenablage wird nicht unterstützt");
}

DIBSECTION DescribeBitmap(HBITMAP bitmap) {
  DIBSECTION dib{};
  GetObjectW(bitmap, sizeof(dib), &dib);
  if (!dib.dsBm.bmBits) dib.dsBmih.biSize = 0;  // a device-dependent bitmap has no DIB header
  return dib;
}

HPALETTE CopyPalette(HPALETTE palette) {
  if (!palette) return nullptr;
  const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  if (count == 0) return nullptr;
  std::vector<unsigned char> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(count);
  GetPaletteEntries(palette, 0, count, logical->palPalEntry);
  return CreatePalette(logical);
}

// A new bitmap of the same kind and size as `source` (described by `dib`).
HBITMAP CreateLike(HDC screen, HBITMAP source, const DIBSECTION& dib) {
  const BITMAP& bm = dib.dsBm;
  if (dib.dsBmih.biSize != 0) {
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = bm.bmWidth;
    info.header.biHeight = dib.dsBmih.biHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = bm.bmBitsPixel;
    info.header.biCompression = dib.dsBmih.biCompression == BI_BITFIELDS ? BI_BITFIELDS : BI_RGB;
    if (info.header.biCompression == BI_BITFIELDS) {
      std::memcpy(info.colors, dib.dsBitfields, sizeof(dib.dsBitfields));
    } else if (bm.bmBitsPixel <= 8) {  // keep the section's colours
      ui::UniqueMemoryDc dc(CreateCompatibleDC(screen));
      ui::SelectedObject selected(dc.get(), source);
      info.header.biClrUsed = GetDIBColorTable(dc.get(), 0, 256, info.colors);
    }
    void* bits = nullptr;
    return CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  if (bm.bmPlanes == 1 && bm.bmBitsPixel == 1) return CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
  return CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
}

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
ui::UniqueGdiObject PremultipliedCopy(HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = Bgra32(width, height);
  void* bits = nullptr;
  ui::UniqueGdiObject copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
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
    ui::UniqueMemoryDc source(CreateCompatibleDC(dc));
    ui::SelectedObject selected(source.get(), blendable);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    drawn = AlphaBlend(dc, target.left, target.top, width, height, source.get(), 0, 0, Width(), Height(), blend);
  }
  // A picture AlphaBlend refuses is shown as it would be without its transparency.
  if (!drawn) {
    ui::UniqueMemoryDc source(CreateCompatibleDC(dc));
    ui::SelectedObject selected(source.get(), handle_.get());
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

void TBitmap::Replace(ui::UniqueGdiObject handle) {
  handle_ = std::move(handle);
  dib_ = handle_ ? DescribeBitmap(Handle()) : DIBSECTION{};
  blendable_.reset();
  blendableMade_ = false;
}

void TBitmap::Assign(HBITMAP handle, HPALETTE palette) {
  Replace(ui::UniqueGdiObject(handle));
  if (palette != Palette()) palette_.reset(palette);
  Changed();
}

void TBitmap::LoadFromClipboardData(UINT format, HANDLE data, HPALETTE palette) {
  if (data && format == PngClipboardFormat()) {
    LoadPng(data);
    return;
  }
  if (format != CF_BITMAP || !data) RaiseUnsupportedFormat();
  auto source = static_cast<HBITMAP>(data);
  const DIBSECTION dib = DescribeBitmap(source);
  ui::UniqueGdiObject paletteCopy(CopyPalette(palette));
  ui::UniqueGdiObject copy;
  if (dib.dsBm.bmWidth != 0 && dib.dsBm.bmHeight != 0) {
    ui::WindowDc screen(nullptr);
    copy.reset(CreateLike(screen.get(), source, dib));
    if (!copy) ui::RaiseLastOSError(GetLastError());
    ui::UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
    ui::UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
    ui::SelectedObject selectedFrom(from.get(), source);
    ui::SelectedObject selectedTo(to.get(), copy.get());
    if (palette) {
      SelectPalette(from.get(), palette, TRUE);
      RealizePalette(from.get());
    }
    if (paletteCopy) {
      SelectPalette(to.get(), static_cast<HPALETTE>(paletteCopy.get()), TRUE);
      RealizePalette(to.get());
    }
    BitBlt(to.get(), 0, 0, dib.dsBm.bmWidth, std::abs(dib.dsBm.bmHeight), from.get(), 0, 0, SRCCOPY);
  }
  Replace(std::move(copy));
  palette_ = std::move(paletteCopy);
  Changed();
}

void TBitmap::LoadPng(HANDLE data) {
  ui::GlobalLockGuard lock(data);
  const auto* bytes = static_cast<const std::uint8_t*>(lock.data());
  if (!bytes) RaiseUnsupportedFormat();
  // The block may be longer than the PNG; the decoder looks only at the PNG's own chunks.
  PngDecoder png({bytes, GlobalSize(data)});
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(png.Width());
  info.bmiHeader.biHeight = static_cast<LONG>(png.Height());  // bottom-up, as every BMP reader takes it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ui::UniqueGdiObject section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section) ui::RaiseLastOSError(GetLastError());
  const auto stride = static_cast<std::ptrdiff_t>(png.Width()) * 4;
  png.DecodeBgra(static_cast<std::uint8_t*>(bits) + stride * (static_cast<std::ptrdiff_t>(png.Height()) - 1), -stride);
  Replace(std::move(section));
  palette_.reset();
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

void TMetafile::LoadFromClipboardData(UINT, HANDLE, HPALETTE) {
  // Windows converts an old-style metafile picture into an enhanced metafile on request.
  auto source = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
  if (!source) RaiseUnsupportedFormat();
  ui::UniqueEnhMetaFile copy(CopyEnhMetaFileW(source, nullptr));
  if (!copy) RaiseUnsupportedFormat();
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(copy.get(), sizeof(header), &header);
  handle_ = std::move(copy);
  mmWidth_ = header.rclFrame.right - header.rclFrame.left;
  mmHeight_ = header.rclFrame.bottom - header.rclFrame.top;
  inch_ = 0;
  enhanced_ = true;
  Changed();
}

TBitmap& BitmapOf(ui::TPicture& picture) {
  if (auto* bitmap = picture.GraphicAs<TBitmap>()) return *bitmap;
  auto bitmap = std::make_unique<TBitmap>();
  if (const auto* metafile = picture.GraphicAs<TMetafile>();
      metafile && metafile->Width() > 0 && metafile->Height() > 0) {
    // Render the metafile at its own size onto white, so saving or showing it keeps the picture.
    const int width = metafile->Width();
    const int height = metafile->Height();
    const BITMAPINFO info = Bgra32(width, height);
    ui::WindowDc screen(nullptr);
    void* bits = nullptr;
    ui::UniqueGdiObject section(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section) ui::RaiseLastOSError(GetLastError());
    ui::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    {
      ui::SelectedObject selected(dc.get(), section.get());
      const RECT area{0, 0, width, height};
      FillRect(dc.get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      metafile->Draw(dc.get(), area);
    }
    GdiFlush();
    // GDI leaves the fourth bytes 0 where it draws, but a picture the metafile blends in sets
    // them: the mixture would pass for transparency, and the white around the picture would
    // show as the window colour or be saved transparent. Drawn onto white, it has none.
    auto* pixels = static_cast<std::uint8_t*>(bits);
    if (HasRealAlpha(pixels, width, height)) ClearAlpha(pixels, PixelCount(width, height));
    bitmap->Assign(static_cast<HBITMAP>(section.release()), nullptr);
  }
  TBitmap& result = *bitmap;
  picture.SetGraphic(std::move(bitmap));
  return result;
}

}  // namespace clipboard
