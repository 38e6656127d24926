#pragma once
// Byte layouts of the picture files we write: the BMP file and info headers, colour tables
// and masks, and the header of a placeable Windows metafile. No Windows types here, so the
// rules can be checked on their own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace imaging {

inline constexpr std::uint32_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;
inline constexpr std::uint32_t kBmpMaskBytes = 12;
inline constexpr std::uint32_t kBmpMaxColors = 256;
inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr std::size_t kPlaceableHeaderSize = 22;

// Bytes per pixel row; each row is padded with zero to a multiple of 4 bytes.
[[nodiscard]] std::uint32_t RowStride(std::int32_t width, std::uint32_t bitsPerPixel);
// Bytes of all rows of an uncompressed picture (the height may be negative: top-down rows).
[[nodiscard]] std::uint32_t ImageSize(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel);

// The part of an info header that decides what follows it in the file.
struct BmpFormat {
  std::uint32_t bitsPerPixel;
  std::uint32_t compression;
  std::uint32_t colorsUsed;
};

// Where things go in a BMP file made from a device-independent bitmap.
struct BmpPlan {
  bool masks;                  // three 32-bit colour masks follow the info header
  std::uint32_t tableEntries;  // colour table entries that follow (and the colours-used field, when not 0)
  std::uint32_t headerSize;    // info header + masks + colour table
  std::uint32_t pixelOffset;   // from the start of the file
  std::uint32_t fileSize;
};

// `sectionEntries` is how many colours the bitmap's own colour table has, `paletteEntries` how
// many its palette has (0 without one). Up to 8 bits per pixel the table is what the info header
// implies: colours used, or all 2^bpp when that is 0. Above 8 bits the bitmap's table (cut to
// colours used) goes out, or, when that is empty, the palette as an optional table.
[[nodiscard]] BmpPlan PlanBmp(const BmpFormat& format, std::uint32_t sectionEntries, std::uint32_t paletteEntries,
                              std::uint32_t imageSize);

// The 14-byte file header for a plan.
[[nodiscard]] std::array<std::uint8_t, kBmpFileHeaderSize> BmpFileHeader(const BmpPlan& plan);

// The masks to write: the bitmap's own, or the usual ones of the depth when its red mask is 0
// (16 bpp 5-6-5, 32 bpp 8-8-8).
[[nodiscard]] std::array<std::uint32_t, 3> MasksToWrite(std::uint32_t bitsPerPixel,
                                                        const std::array<std::uint32_t, 3>& masks);

// The 22-byte header of a placeable Windows metafile for a frame given in 0.01 mm; `inch` is
// the metafile's units per inch, 0 for "not set" (then 96).
[[nodiscard]] std::array<std::uint8_t, kPlaceableHeaderSize> PlaceableMetafileHeader(std::int32_t mmWidth,
                                                                                     std::int32_t mmHeight,
                                                                                     std::int32_t inch);

// Whether a file name's extension (after the last "." of its last component) is ".wmf" in
// any case.
[[nodiscard]] bool IsWindowsMetafileName(std::wstring_view fileName);

}  // namespace imaging
