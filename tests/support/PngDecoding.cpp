#include "support/PngDecoding.h"

#include <png.h>

#include <cstring>

namespace imaging_test {
namespace {

// libpng may not be unwound through; its errors jump back into RunDecode.
struct Reading {
  void* jump[5]{};
  const Bytes* data = nullptr;
  std::size_t offset = 0;
  std::string error;
};

[[noreturn]] void JumpOnError(png_structp png, png_const_charp message) {
  auto* reading = static_cast<Reading*>(png_get_error_ptr(png));
  reading->error = message;
  __builtin_longjmp(reading->jump, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep to, png_size_t count) {
  auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
  if (count > reading->data->size() - reading->offset) png_error(png, "read past the end");
  std::memcpy(to, reading->data->data() + reading->offset, count);
  reading->offset += count;
}

[[gnu::noinline]] bool RunDecode(png_structp png, png_infop info, Reading* reading, DecodedPng* out) {
  if (__builtin_setjmp(reading->jump) != 0) return false;
  png_set_read_fn(png, reading, ReadBytes);
  png_read_info(png, info);
  out->width = static_cast<int>(png_get_image_width(png, info));
  out->height = static_cast<int>(png_get_image_height(png, info));
  out->bitDepth = png_get_bit_depth(png, info);
  out->colorType = png_get_color_type(png, info);
  png_colorp palette = nullptr;
  int entries = 0;
  if (png_get_PLTE(png, info, &palette, &entries) != 0) {
    for (int i = 0; i < entries; ++i)
      out->palette.insert(out->palette.end(), {palette[i].red, palette[i].green, palette[i].blue});
  }
  png_set_packing(png);  // one byte per index, values unchanged
  png_read_update_info(png, info);
  const std::size_t channels = png_get_channels(png, info);
  Bytes row(png_get_rowbytes(png, info));
  for (int y = 0; y < out->height; ++y) {
    png_read_row(png, row.data(), nullptr);
    for (std::size_t x = 0; x < static_cast<std::size_t>(out->width); ++x) {
      std::uint32_t value = 0;
      const std::uint8_t* pixel = row.data() + x * channels;
      for (std::size_t c = 0; c < channels; ++c) value = value << 8 | pixel[c];
      if (channels == 4) value = value >> 8 | value << 24;  // RGBA -> ARGB
      out->pixels.push_back(value);
    }
  }
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

DecodedPng DecodePng(const Bytes& data) {
  DecodedPng out;
  Reading reading;
  reading.data = &data;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reading, JumpOnError, IgnoreWarning);
  png_infop info = png_create_info_struct(png);
  out.ok = RunDecode(png, info, &reading, &out);
  out.error = reading.error;
  png_destroy_read_struct(&png, &info, nullptr);
  return out;
}

std::vector<std::string> PngChunks(const Bytes& data) {
  const Bytes signature{137, 80, 78, 71, 13, 10, 26, 10};
  if (data.size() < 8 || !std::equal(signature.begin(), signature.end(), data.begin())) return {};
  std::vector<std::string> types;
  for (std::size_t at = 8; at + 12 <= data.size();) {
    const std::size_t length = static_cast<std::size_t>(data[at]) << 24 | static_cast<std::size_t>(data[at + 1]) << 16 |
                               static_cast<std::size_t>(data[at + 2]) << 8 | data[at + 3];
    types.emplace_back(reinterpret_cast<const char*>(data.data() + at + 4), 4);
    at += 12 + length;
  }
  return types;
}

}  // namespace imaging_test
