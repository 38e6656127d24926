#pragma once
// Byte layouts of the PNG files we write: the signature, the header and palette chunks, the
// image data split into chunks, and the rules that turn Windows pixel rows into PNG rows. No
// Windows types here, so the rules can be checked on their own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Streams.h"

namespace imaging {

inline constexpr std::array<std::uint8_t, 8> kPngSignature{137, 80, 78, 71, 13, 10, 26, 10};
// The largest IDAT chunk we write; longer image data goes into several.
inline constexpr std::size_t kPngIdatChunkSize = 256 * 1024;

enum class PngColorType : std::uint8_t { kRgb = 2, kPalette = 3, kRgba = 6 };

struct PngHeader {
  std::uint32_t width;
  std::uint32_t height;
  std::uint8_t bitDepth;  // 1, 4 or 8 for a palette, 8 otherwise
  PngColorType colorType;
};

// Bytes of one row without its filter byte.
[[nodiscard]] std::size_t PngRowBytes(const PngHeader& header);

struct PngColor {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// Writes one chunk: length, type, data and the CRC of type and data.
void WritePngChunk(TStream& stream, const char (&type)[5], const std::uint8_t* data, std::size_t size);
// The signature, IHDR and (for a palette picture) PLTE.
void WritePngHead(TStream& stream, const PngHeader& header, const std::vector<PngColor>& palette);
// The compressed image data as IDAT chunks of at most kPngIdatChunkSize bytes, then IEND.
void WritePngTail(TStream& stream, const std::uint8_t* data, std::size_t size);

// Pixel rows of Windows bitmaps turned into PNG rows of `width` pixels.
void BgrToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to);
void BgrxToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to);
void BgraToRgba(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to);
// 16-bit pixels, 5 bits per channel (x-r-g-b) or 5-6-5 (r-g-b), widened to 8 bits as GDI does:
// the channel's top bits repeat in the low bits, so 0 stays 0 and the largest value gives 255.
void Rgb555ToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to);
void Rgb565ToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to);

}  // namespace imaging
