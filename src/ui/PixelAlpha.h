#pragma once
// What the fourth byte of a 32-bit pixel (blue, green, red, alpha) means. GDI leaves it 0 when
// it draws and some programs set it to 255 throughout, so only a mixture, or one value between
// the two, is transparency. The writers and the picture display follow the same rule, so a
// picture shows as transparent exactly when its file keeps the transparency. No Windows types
// here, so the rule can be checked on its own.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace ui {

// The alpha byte (the fourth byte) that all 32-bit pixels of the rows share, or none when
// two differ. `top` is the first byte of the top row, `step` the distance to the next row down.
[[nodiscard]] std::optional<std::uint8_t> SharedAlpha(const std::uint8_t* top, std::ptrdiff_t step, std::uint32_t width,
                                                      std::uint32_t height);
// Whether pixels with that alpha carry transparency worth keeping: they do unless all share 0
// (what GDI drawing leaves) or 255.
[[nodiscard]] bool IsRealAlpha(std::optional<std::uint8_t> shared);

// Multiplies the colour of `count` pixels by their straight alpha, rounded, as AlphaBlend wants
// its source.
void PremultiplyAlpha(std::uint8_t* pixels, std::size_t count);

// Sets the alpha of `count` pixels to 0, as GDI drawing leaves it.
void ClearAlpha(std::uint8_t* pixels, std::size_t count);

}  // namespace ui
