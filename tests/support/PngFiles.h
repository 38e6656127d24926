#pragma once
// PNG files written by libpng, the library most programs use, so the program's own decoding is
// checked against files as others make them. Every colour type and bit depth, interlaced or not.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace testing_support {

struct PngPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int colorType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
  int bitDepth = 8;
  bool interlaced = false;
  // The samples of each pixel as the PNG stores them, rows top first: one (grey, palette
  // index), two, three or four per pixel.
  std::vector<std::uint16_t> samples;
  std::vector<std::array<std::uint8_t, 3>> palette;              // red, green, blue
  std::vector<std::uint8_t> paletteAlpha;                        // tRNS of a palette picture
  std::optional<std::array<std::uint16_t, 3>> transparentColor;  // tRNS of grey (first value) or RGB

  [[nodiscard]] int Channels() const;
  // The pixel as 8-bit blue, green, red and straight alpha (0xAARRGGBB), as a Windows bitmap
  // holds it: 16-bit samples by their high byte, fewer bits spread over 0..255.
  [[nodiscard]] std::uint32_t Bgra(std::uint32_t x, std::uint32_t y) const;
};

// The file's bytes; an empty vector when libpng refuses the picture.
[[nodiscard]] std::vector<std::uint8_t> EncodePng(const PngPicture& picture);

// A chunk with its length and CRC, to splice into or append to a PNG.
[[nodiscard]] std::vector<std::uint8_t> PngChunk(const char (&type)[5], const std::vector<std::uint8_t>& data);

}  // namespace testing_support
