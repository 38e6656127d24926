#include "clipboard/PngDecoder.h"

#include <libdeflate.h>
#include <spng.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "ui/Errors.h"

namespace clipboard {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kChunkFrame = 12;  // length, type and CRC around the chunk's data
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;

std::uint32_t ReadBigEndian(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
         static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

[[noreturn]] void RaiseInvalid() { throw ui::EInvalidGraphic(L"Ungültiges PNG-Bild in der Zwischenablage"); }
[[noreturn]] void RaiseTooLarge() { throw ui::EInvalidGraphic(L"PNG-Bild in der Zwischenablage ist zu groß"); }

void Check(int status) {
  switch (status) {
    case 0:
      return;
    case SPNG_EMEM:
      throw ui::EOutOfResources(L"Nicht genügend Speicher für das PNG-Bild");
    case SPNG_EUSER_WIDTH:
    case SPNG_EUSER_HEIGHT:
      RaiseTooLarge();
    default:
      RaiseInvalid();
  }
}

// spng writes red, green, blue, alpha; a Windows bitmap wants blue first.
void SwapRedAndBlue(std::uint8_t* row, std::uint32_t width) {
  for (std::uint32_t x = 0; x < width; ++x, row += 4) std::swap(row[0], row[2]);
}

}  // namespace

std::size_t PngLength(std::span<const std::uint8_t> block) {
  if (block.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), block.begin())) return 0;
  std::size_t end = kSignature.size();
  while (block.size() - end >= kChunkFrame) {
    const std::uint32_t length = ReadBigEndian(block.data() + end);
    if (length > kMaxChunkLength || block.size() - end - kChunkFrame < length) break;
    const bool last = std::memcmp(block.data() + end + 4, "IEND", 4) == 0;
    end += kChunkFrame + length;
    if (last) break;
  }
  return end;
}

namespace {

// Whether the CRC of every whole chunk of the PNG is right; with `ancillaryToo` false only those
// of the critical chunks (IHDR, PLTE, IDAT, IEND: type starting with a capital).
bool CrcsRight(std::span<const std::uint8_t> png, bool ancillaryToo) noexcept {
  const std::size_t end = PngLength(png);
  for (std::size_t at = kSignature.size(); at < end;) {
    const std::uint32_t length = ReadBigEndian(png.data() + at);
    const std::uint8_t* typeAndData = png.data() + at + 4;
    const bool critical = (typeAndData[0] & 0x20) == 0;
    // The CRC covers the type and the data, not the length.
    if ((critical || ancillaryToo) &&
        libdeflate_crc32(0, typeAndData, std::size_t{length} + 4) != ReadBigEndian(typeAndData + 4 + length))
      return false;
    at += kChunkFrame + length;
  }
  return true;
}

}  // namespace

bool PngChunksSound(std::span<const std::uint8_t> png) noexcept {
  constexpr std::size_t kIhdrType = kSignature.size() + 4;
  if (PngLength(png) != png.size() || png.size() < kSignature.size() + 2 * kChunkFrame ||
      std::memcmp(png.data() + kIhdrType, "IHDR", 4) != 0 || std::memcmp(png.data() + png.size() - 8, "IEND", 4) != 0)
    return false;
  return CrcsRight(png, true);
}

void PngDecoder::ContextDeleter::operator()(spng_ctx* context) const noexcept { spng_ctx_free(context); }

PngDecoder::PngDecoder(std::span<const std::uint8_t> block) : context_(spng_ctx_new(0)) {
  if (!context_) Check(SPNG_EMEM);
  // spng only ever sees whole chunks of this PNG, so a length field can never make it reach
  // past the block or ask for more memory than the block already takes.
  const std::size_t length = PngLength(block);
  if (length == 0) RaiseInvalid();
  spng_ctx* context = context_.get();
  Check(spng_set_image_limits(context, kMaxPngSide, kMaxPngSide));
  Check(spng_set_chunk_limits(context, kMaxPngChunkBytes, kMaxPngMetadataBytes));
  file_ = block.first(length);
  Check(spng_set_png_buffer(context, block.data(), length));
  spng_ihdr header{};
  Check(spng_get_ihdr(context, &header));
  if (std::uint64_t{header.width} * header.height * 4 > kMaxPngPixelBytes) RaiseTooLarge();
  width_ = header.width;
  height_ = header.height;
}

PngDecoder::~PngDecoder() = default;

void PngDecoder::DecodeBgra(std::uint8_t* top, std::ptrdiff_t step) {
  spng_ctx* context = context_.get();
  Check(spng_decode_image(context, nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE));
  spng_ihdr header{};
  Check(spng_get_ihdr(context, &header));
  const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
  const std::size_t rowBytes = std::size_t{width_} * 4;
  int status = 0;
  do {
    spng_row_info row{};
    status = spng_get_row_info(context, &row);
    if (status != 0) break;
    std::uint8_t* target = top + step * static_cast<std::ptrdiff_t>(row.row_num);
    status = spng_decode_row(context, target, rowBytes);
    // An interlaced row is written over several passes; it is turned once all are done.
    if (!interlaced && (status == 0 || status == SPNG_EOI)) SwapRedAndBlue(target, width_);
  } while (status == 0);
  if (status != SPNG_EOI) Check(status);
  if (interlaced) {
    for (std::uint32_t y = 0; y < height_; ++y) SwapRedAndBlue(top + step * static_cast<std::ptrdiff_t>(y), width_);
  }
  // spng stops reading at the last row, before the CRC of the last image data chunk, which it
  // would check for any other critical chunk: a damaged one must not pass for a picture.
  if (!CrcsRight(file_, false)) RaiseInvalid();
}

bool PngDecoder::DecodeRest() noexcept {
  // spng passes over an ancillary chunk whose CRC is wrong, and stops reading the image data
  // once it has the last row; the walk over every chunk covers both.
  return spng_decode_chunks(context_.get()) == 0 && PngChunksSound(file_);
}

}  // namespace clipboard
