#include "ui/PixelAlpha.h"

namespace ui {

std::optional<std::uint8_t> SharedAlpha(const std::uint8_t* top, std::ptrdiff_t step, std::uint32_t width,
                                        std::uint32_t height) {
  const std::uint8_t first = top[3];
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = top + step * static_cast<std::ptrdiff_t>(y);
    // No early exit inside a row: the loop stays simple enough for the compiler to vectorise.
    std::uint8_t differs = 0;
    for (std::uint32_t x = 0; x < width; ++x) differs |= static_cast<std::uint8_t>(row[4 * x + 3] ^ first);
    if (differs != 0) return std::nullopt;
  }
  return first;
}

bool IsRealAlpha(std::optional<std::uint8_t> shared) { return !shared || (*shared != 0 && *shared != 255); }

void PremultiplyAlpha(std::uint8_t* pixels, std::size_t count) {
  for (std::uint8_t* pixel = pixels; pixel != pixels + 4 * count; pixel += 4) {
    const unsigned alpha = pixel[3];
    for (int channel = 0; channel < 3; ++channel)
      pixel[channel] = static_cast<std::uint8_t>((unsigned{pixel[channel]} * alpha + 127) / 255);
  }
}

void ClearAlpha(std::uint8_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) pixels[4 * i + 3] = 0;
}

}  // namespace ui
