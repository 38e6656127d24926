#pragma once
// PNG pictures as the clipboard carries them: Linux programs offer image/png, which Wine hands
// on as the registered format "PNG" holding the file's bytes, and some Windows programs put the
// same beside a bitmap. No Windows types here, so the decoding can be tried on any bytes alone.
// Clipboard data comes from any program, so every limit is checked before memory is taken.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

struct spng_ctx;

namespace clipboard {

// The longest side taken: the longest a JPEG file can store (libjpeg's JPEG_MAX_DIMENSION), so a
// picture taken can be saved in every format the program writes.
inline constexpr std::uint32_t kMaxPngSide = 65500;
// At most this many bytes of 32-bit pixels. A 32-bit process has 2 GB of address space, and the
// clipboard's copy of the PNG, this bitmap and the JPEG or BMP output all need their own piece
// of it; 256 MB (64 million pixels, 8192 x 8192 or a 1920 x 34000 page) still leaves them room.
// A 64-bit process has the room, and 1 GB (16384 x 16384) only keeps one paste from taking all
// of the machine's memory.
inline constexpr std::uint64_t kMaxPngPixelBytes = sizeof(void*) == 4 ? 256ull << 20 : 1ull << 30;
// Text and colour profiles are never used, but the decoder still inflates them: a few bytes of
// compressed text can grow into gigabytes. Real profiles are well below 1 MB.
inline constexpr std::size_t kMaxPngChunkBytes = 16u << 20;
inline constexpr std::size_t kMaxPngMetadataBytes = 32u << 20;

// The length of the PNG at the start of a block that may be longer than the picture (a clipboard
// block often is): up to the end of its IEND chunk, or of its last whole chunk when a chunk is
// cut short or IEND is missing; 0 without the PNG signature.
[[nodiscard]] std::size_t PngLength(std::span<const std::uint8_t> block);

// Whether the PNG is whole and sound as a file: the signature, then chunks back to back to the
// very end, each with its CRC right, IHDR first and IEND last.
[[nodiscard]] bool PngChunksSound(std::span<const std::uint8_t> png) noexcept;

// Reads the PNG's header when made and its pixels on request. Raises ui::EInvalidGraphic for
// what is not a PNG, is damaged, or exceeds the limits above.
class PngDecoder {
 public:
  explicit PngDecoder(std::span<const std::uint8_t> block);
  ~PngDecoder();
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  [[nodiscard]] std::uint32_t Width() const noexcept { return width_; }
  [[nodiscard]] std::uint32_t Height() const noexcept { return height_; }

  // Writes the picture as blue, green, red, alpha bytes (straight alpha, as PNG has it), row y
  // at top + y * step: a negative step fills a bottom-up bitmap. Every colour type and depth is
  // taken: 16-bit samples keep their high byte, grey and palette pixels are spread to colour,
  // and a tRNS chunk becomes alpha. Works once per decoder. When it raises, the rows may hold a
  // part of the picture.
  void DecodeBgra(std::uint8_t* top, std::ptrdiff_t step);
  // After DecodeBgra: reads the chunks after the image data up to IEND and answers whether the
  // whole file was read without a fault, every chunk's CRC right. The pixels do not need that,
  // so the picture is taken either way; only a file that passes may stand for it unchanged.
  [[nodiscard]] bool DecodeRest() noexcept;
  // The PNG's own bytes within the block.
  [[nodiscard]] std::span<const std::uint8_t> File() const noexcept { return file_; }

 private:
  struct ContextDeleter {
    void operator()(spng_ctx* context) const noexcept;
  };
  std::unique_ptr<spng_ctx, ContextDeleter> context_;
  std::span<const std::uint8_t> file_;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
};

}  // namespace clipboard
