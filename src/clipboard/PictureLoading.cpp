#include "clipboard/PictureLoading.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "clipboard/PngDecoder.h"
#include "ui/Errors.h"

namespace clipboard {
namespace {

[[noreturn]] void RaiseUnsupportedFormat() {
  throw ui::EInvalidGraphic(L"Format der Zwischenablage wird nicht unterstützt");
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

}  // namespace

PngPicture LoadPng(HANDLE data) {
  if (!data) RaiseUnsupportedFormat();
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
  PngPicture picture{std::make_unique<ui::TBitmap>(), {}};
  picture.bitmap->Assign(static_cast<HBITMAP>(section.release()), nullptr);
  if (png.DecodeRest()) {
    try {
      picture.file.assign(png.File().begin(), png.File().end());
    } catch (const std::bad_alloc&) {
      picture.file.clear();  // it is encoded anew when saved
    }
  }
  return picture;
}

std::unique_ptr<ui::TBitmap> LoadBitmap(UINT format, HANDLE data, HPALETTE palette) {
  if (format != CF_BITMAP || !data) RaiseUnsupportedFormat();
  auto source = static_cast<HBITMAP>(data);
  const DIBSECTION dib = ui::DescribeBitmap(source);
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
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->Assign(static_cast<HBITMAP>(copy.release()), static_cast<HPALETTE>(paletteCopy.release()));
  return bitmap;
}

std::unique_ptr<ui::TMetafile> LoadMetafile(UINT format, HANDLE data) {
  // Windows converts an old-style metafile picture into an enhanced metafile on request.
  const auto source = static_cast<HENHMETAFILE>(format == CF_METAFILEPICT ? GetClipboardData(CF_ENHMETAFILE) : data);
  if (!source) RaiseUnsupportedFormat();
  ui::UniqueEnhMetaFile copy(CopyEnhMetaFileW(source, nullptr));
  if (!copy) RaiseUnsupportedFormat();
  auto metafile = std::make_unique<ui::TMetafile>();
  metafile->Assign(std::move(copy));
  return metafile;
}

}  // namespace clipboard
