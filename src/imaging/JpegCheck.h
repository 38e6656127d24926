#pragma once
// Whether a JPEG file offered beside a picture holds that picture, so that a save as JPEG may
// write the file as it came instead of encoding the picture again.
#include <cstddef>
#include <cstdint>
#include <span>

namespace imaging {

// The length of the JPEG datastream at the start of `bytes`, up to and including its end
// marker, when libjpeg decodes all of it, every scan and row, without an error or even a
// warning (a damaged or cut-off file gives only warnings) to a picture of width x height; 0
// otherwise. Raises nothing.
[[nodiscard]] std::size_t SoundJpegLength(std::span<const std::uint8_t> bytes, int width, int height) noexcept;

}  // namespace imaging
