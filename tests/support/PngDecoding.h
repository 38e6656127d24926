#pragma once
// PNG files read back through libpng, a decoder other than the one that wrote them, and the
// chunks of a PNG file listed by type.
#include <cstdint>
#include <string>
#include <vector>

namespace imaging_test {

using Bytes = std::vector<std::uint8_t>;

struct DecodedPng {
  bool ok = false;
  std::string error;
  int width = 0;
  int height = 0;
  int bitDepth = 0;
  int colorType = -1;
  Bytes palette;  // red, green, blue per entry
  // Rows top first: a palette index, 0xRRGGBB, or 0xAARRGGBB with alpha.
  std::vector<std::uint32_t> pixels;
  [[nodiscard]] std::uint32_t At(int x, int y) const {
    return pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x));
  }
};
[[nodiscard]] DecodedPng DecodePng(const Bytes& data);

// The type of every chunk in file order ("IHDR", "IDAT", ...); empty when the signature is wrong.
[[nodiscard]] std::vector<std::string> PngChunks(const Bytes& data);

}  // namespace imaging_test
