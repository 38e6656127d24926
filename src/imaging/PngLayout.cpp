#include "imaging/PngLayout.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>

namespace imaging {
namespace {

void PutBig32(std::uint8_t* to, std::uint32_t value) {
  to[0] = static_cast<std::uint8_t>(value >> 24);
  to[1] = static_cast<std::uint8_t>(value >> 16);
  to[2] = static_cast<std::uint8_t>(value >> 8);
  to[3] = static_cast<std::uint8_t>(value);
}

std::size_t Channels(PngColorType type) {
  switch (type) {
    case PngColorType::kRgb:
      return 3;
    case PngColorType::kRgba:
      return 4;
    case PngColorType::kPalette:
      break;
  }
  return 1;
}

}  // namespace

std::size_t PngRowBytes(const PngHeader& header) {
  return (static_cast<std::size_t>(header.width) * Channels(header.colorType) * header.bitDepth + 7) / 8;
}

void WritePngChunk(TStream& stream, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
  std::uint8_t head[8];
  PutBig32(head, static_cast<std::uint32_t>(size));
  std::memcpy(head + 4, type, 4);
  std::uint8_t crc[4];
  std::uint32_t sum = libdeflate_crc32(0, head + 4, 4);
  // Like zlib's, libdeflate's crc32 answers its starting value 0 for a null buffer.
  if (size != 0) sum = libdeflate_crc32(sum, data, size);
  PutBig32(crc, sum);
  stream.WriteBuffer(head, sizeof(head));
  stream.WriteBuffer(data, size);
  stream.WriteBuffer(crc, sizeof(crc));
}

void WritePngHead(TStream& stream, const PngHeader& header, const std::vector<PngColor>& palette) {
  stream.WriteBuffer(kPngSignature.data(), kPngSignature.size());
  std::uint8_t ihdr[13]{};
  PutBig32(ihdr, header.width);
  PutBig32(ihdr + 4, header.height);
  ihdr[8] = header.bitDepth;
  ihdr[9] = static_cast<std::uint8_t>(header.colorType);
  // Compression, filter method and interlacing stay 0: deflate, adaptive filters, none.
  WritePngChunk(stream, "IHDR", ihdr, sizeof(ihdr));
  if (header.colorType != PngColorType::kPalette) return;
  std::vector<std::uint8_t> plte;
  plte.reserve(palette.size() * 3);
  for (const PngColor& color : palette) plte.insert(plte.end(), {color.red, color.green, color.blue});
  WritePngChunk(stream, "PLTE", plte.data(), plte.size());
}

void WritePngTail(TStream& stream, const std::uint8_t* data, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const std::size_t part = std::min(size - done, kPngIdatChunkSize);
    WritePngChunk(stream, "IDAT", data + done, part);
    done += part;
  }
  WritePngChunk(stream, "IEND", nullptr, 0);
}

void BgrToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to) {
  for (std::uint32_t x = 0; x < width; ++x, from += 3, to += 3) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
  }
}

void BgrxToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to) {
  for (std::uint32_t x = 0; x < width; ++x, from += 4, to += 3) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
  }
}

void BgraToRgba(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to) {
  for (std::uint32_t x = 0; x < width; ++x, from += 4, to += 4) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
    to[3] = from[3];
  }
}

namespace {

constexpr std::uint8_t Widen5(unsigned value) { return static_cast<std::uint8_t>(value << 3 | value >> 2); }
constexpr std::uint8_t Widen6(unsigned value) { return static_cast<std::uint8_t>(value << 2 | value >> 4); }

}  // namespace

void Rgb555ToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to) {
  for (std::uint32_t x = 0; x < width; ++x, from += 2, to += 3) {
    const unsigned pixel = from[0] | static_cast<unsigned>(from[1]) << 8;
    to[0] = Widen5(pixel >> 10 & 0x1F);
    to[1] = Widen5(pixel >> 5 & 0x1F);
    to[2] = Widen5(pixel & 0x1F);
  }
}

void Rgb565ToRgb(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to) {
  for (std::uint32_t x = 0; x < width; ++x, from += 2, to += 3) {
    const unsigned pixel = from[0] | static_cast<unsigned>(from[1]) << 8;
    to[0] = Widen5(pixel >> 11);
    to[1] = Widen6(pixel >> 5 & 0x3F);
    to[2] = Widen5(pixel & 0x1F);
  }
}

}  // namespace imaging
