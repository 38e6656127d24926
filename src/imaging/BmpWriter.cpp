#include "imaging/BmpWriter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "imaging/BmpLayout.h"
#include "imaging/MetafileWriter.h"
#include "imaging/SectionRows.h"
#include "imaging/TFileStream.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace imaging {
namespace {

struct BitmapInfo256 {
  BITMAPINFOHEADER header;
  RGBQUAD colors[kBmpMaxColors];
};

[[noreturn]] void RaiseOutOfResources() { ui::RaiseLastOSError(GetLastError()); }

UINT PaletteColors(HPALETTE palette, RGBQUAD* colors) {
  std::array<PALETTEENTRY, kBmpMaxColors> entries{};
  const UINT count = GetPaletteEntries(palette, 0, kBmpMaxColors, entries.data());
  for (UINT i = 0; i < count; ++i) colors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  return count;
}

}  // namespace

bool HasPixels(const ui::TBitmap& bitmap) { return !bitmap.Empty() && bitmap.Width() > 0 && bitmap.Height() > 0; }

std::unique_ptr<ui::TBitmap> DeviceIndependentCopy(const ui::TBitmap& bitmap) {
  const HBITMAP source = bitmap.Handle();
  BITMAP bm{};
  if (!GetObjectW(source, sizeof(bm), &bm)) RaiseOutOfResources();
  BitmapInfo256 info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = bm.bmWidth;
  info.header.biHeight = bm.bmHeight;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bm.bmPlanes * bm.bmBitsPixel);
  info.header.biCompression = BI_RGB;

  ui::WindowDc screen(nullptr);
  if (!screen) RaiseOutOfResources();
  const WORD bits = info.header.biBitCount;
  if (bits == 1) {
    info.colors[1] = RGBQUAD{0xFF, 0xFF, 0xFF, 0};
  } else if (bits <= 8) {
    if (bitmap.Palette()) {
      PaletteColors(bitmap.Palette(), info.colors);
    } else {
      // Ask the system for the colours the device bitmap stands for; the query may fill in
      // header fields, so it works on a copy.
      BitmapInfo256 query = info;
      GetDIBits(screen.get(), source, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS);
      std::memcpy(info.colors, query.colors, sizeof(info.colors));
    }
  }

  void* pixels = nullptr;
  ui::UniqueGdiObject section(
      CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!section) RaiseOutOfResources();
  if (bits > 8) {
    if (GetDIBits(screen.get(), source, 0, static_cast<UINT>(bm.bmHeight), pixels, reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) == 0)
      RaiseOutOfResources();
  } else {
    ui::UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
    ui::UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
    if (!from || !to) RaiseOutOfResources();
    ui::SelectedObject selectedFrom(from.get(), source);
    ui::SelectedObject selectedTo(to.get(), section.get());
    if (bitmap.Palette()) {
      SelectPalette(to.get(), bitmap.Palette(), FALSE);
      RealizePalette(to.get());
    }
    PatBlt(to.get(), 0, 0, bm.bmWidth, bm.bmHeight, WHITENESS);
    BitBlt(to.get(), 0, 0, bm.bmWidth, bm.bmHeight, from.get(), 0, 0, SRCCOPY);
  }
  auto copy = std::make_unique<ui::TBitmap>();
  copy->Assign(static_cast<HBITMAP>(section.release()), nullptr);
  return copy;
}

namespace {

// The size of the pixel rows as the info header gives it, or as the row rule gives it.
std::uint32_t ImageSizeOf(const BITMAPINFOHEADER& header) {
  return header.biSizeImage != 0 ? header.biSizeImage : ImageSize(header.biWidth, header.biHeight, header.biBitCount);
}

UINT PaletteEntryCount(HPALETTE palette) {
  return palette ? std::min<UINT>(GetPaletteEntries(palette, 0, 0, nullptr), kBmpMaxColors) : 0;
}

// The file takes its rows bottom row first. A section stored that way goes out in one block
// straight from its memory; a top-down one last row first, a batch of rows per write.
void WriteRowsBottomUp(TStream& stream, const SectionRows& rows, std::uint32_t height, std::size_t imageSize) {
  if (!rows.TopDown()) {
    stream.WriteBuffer(rows.Row(height - 1), imageSize);
    return;
  }
  constexpr std::size_t kBatchBytes = std::size_t{1} << 20;
  const auto stride = static_cast<std::size_t>(rows.step);
  const auto perBatch = static_cast<std::uint32_t>(std::clamp<std::size_t>(kBatchBytes / stride, 1, height));
  std::vector<std::uint8_t> batch(stride * perBatch);
  for (std::uint32_t done = 0; done < height;) {
    const std::uint32_t count = std::min(perBatch, height - done);
    for (std::uint32_t i = 0; i < count; ++i)
      std::memcpy(batch.data() + stride * i, rows.Row(height - 1 - done - i), stride);
    stream.WriteBuffer(batch.data(), stride * count);
    done += count;
  }
}

}  // namespace

std::uint32_t BmpFileSize(const ui::TBitmap& bitmap) {
  if (!HasPixels(bitmap)) return 0;
  const DIBSECTION& dib = bitmap.Description();
  if (bitmap.IsDeviceIndependent()) {
    const BITMAPINFOHEADER& header = dib.dsBmih;
    // Up to 8 bits per pixel the header alone decides the table; above, a section has no
    // table of its own, so only the palette can add one.
    const UINT paletteEntries = header.biBitCount <= 8 ? 0 : PaletteEntryCount(bitmap.Palette());
    return PlanBmp({header.biBitCount, header.biCompression, header.biClrUsed}, 0, paletteEntries, ImageSizeOf(header))
        .fileSize;
  }
  // The device-independent form EncodeBmp would make: same size, planes x bits, BI_RGB.
  const auto bits = static_cast<std::uint32_t>(dib.dsBm.bmPlanes * dib.dsBm.bmBitsPixel);
  const UINT paletteEntries = bits <= 8 ? 0 : PaletteEntryCount(bitmap.Palette());
  return PlanBmp({bits, kBiRgb, 0}, 0, paletteEntries, ImageSize(dib.dsBm.bmWidth, dib.dsBm.bmHeight, bits)).fileSize;
}

namespace {

// The section's rows as a BMP file; `palette` is the picture's, which a section made from a
// device bitmap does not carry itself.
void EncodeSection(const ui::TBitmap& bitmap, HPALETTE palette, TStream& stream) {
  const DIBSECTION& dib = bitmap.Description();
  BITMAPINFOHEADER header = dib.dsBmih;
  header.biHeight = bitmap.Height();  // the rows go out bottom-up, however the section holds them

  std::array<RGBQUAD, kBmpMaxColors> table{};
  UINT sectionEntries = 0;
  if (header.biBitCount <= 8) {
    ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) RaiseOutOfResources();
    ui::SelectedObject selected(dc.get(), bitmap.Handle());
    sectionEntries = GetDIBColorTable(dc.get(), 0, kBmpMaxColors, table.data());
  }
  // Our bitmaps never carry a halftone palette of their own making, so any palette they have
  // came with the picture and is worth keeping as an optional table.
  const UINT paletteEntries = sectionEntries == 0 && palette ? PaletteColors(palette, table.data()) : 0;

  const std::uint32_t imageSize = ImageSizeOf(header);
  const BmpPlan plan =
      PlanBmp({header.biBitCount, header.biCompression, header.biClrUsed}, sectionEntries, paletteEntries, imageSize);
  if (plan.tableEntries != 0) header.biClrUsed = plan.tableEntries;

  std::vector<std::uint8_t> head;
  head.reserve(plan.pixelOffset);
  const auto append = [&head](const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    head.insert(head.end(), bytes, bytes + size);
  };
  const auto fileHeader = BmpFileHeader(plan);
  append(fileHeader.data(), fileHeader.size());
  append(&header, sizeof(header));
  if (plan.masks) {
    const auto masks = MasksToWrite(header.biBitCount, {dib.dsBitfields[0], dib.dsBitfields[1], dib.dsBitfields[2]});
    append(masks.data(), kBmpMaskBytes);
  }
  append(table.data(), plan.tableEntries * sizeof(RGBQUAD));
  const SectionRows rows = FindSectionRows(bitmap);
  stream.Expect(plan.fileSize);
  stream.WriteBuffer(head.data(), head.size());

  WriteRowsBottomUp(stream, rows, static_cast<std::uint32_t>(bitmap.Height()), imageSize);
}

}  // namespace

void EncodeBmp(const ui::TBitmap& bitmap, TStream& stream) {
  if (!HasPixels(bitmap)) return;
  if (bitmap.IsDeviceIndependent()) {
    EncodeSection(bitmap, bitmap.Palette(), stream);
  } else {
    EncodeSection(*DeviceIndependentCopy(bitmap), bitmap.Palette(), stream);
  }
}

void WriteBmp(const ui::TPicture& picture, const std::wstring& fileName) {
  if (const auto* bitmap = picture.GraphicAs<ui::TBitmap>()) {
    if (!HasPixels(*bitmap)) return;
    TFileStream file(fileName);
    EncodeBmp(*bitmap, file);
    file.Commit();
  } else if (const auto* metafile = picture.GraphicAs<ui::TMetafile>()) {
    if (metafile->Empty()) return;
    TFileStream file(fileName);
    WriteMetafile(*metafile, fileName, file);
    file.Commit();
  }
}

}  // namespace imaging
