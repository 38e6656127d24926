#include "support/PngFiles.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>

namespace testing_support {
namespace {

std::uint8_t To8Bits(std::uint16_t sample, int bitDepth) {
  if (bitDepth == 16) return static_cast<std::uint8_t>(sample >> 8);
  return static_cast<std::uint8_t>(sample * 255 / ((1 << bitDepth) - 1));
}

// The rows as libpng takes them: samples packed big-endian, several to a byte below 8 bits.
std::vector<std::uint8_t> PackedRows(const PngPicture& picture, std::size_t& rowBytes) {
  const auto bitsPerPixel = static_cast<std::size_t>(picture.Channels() * picture.bitDepth);
  rowBytes = (picture.width * bitsPerPixel + 7) / 8;
  std::vector<std::uint8_t> rows(rowBytes * picture.height, 0);
  const std::size_t perRow = picture.width * static_cast<std::size_t>(picture.Channels());
  for (std::size_t y = 0; y < picture.height; ++y) {
    std::uint8_t* row = rows.data() + y * rowBytes;
    for (std::size_t i = 0; i < perRow; ++i) {
      const std::uint16_t sample = picture.samples[y * perRow + i];
      if (picture.bitDepth == 16) {
        row[2 * i] = static_cast<std::uint8_t>(sample >> 8);
        row[2 * i + 1] = static_cast<std::uint8_t>(sample);
      } else {
        const std::size_t bit = i * static_cast<std::size_t>(picture.bitDepth);
        const auto shift = static_cast<unsigned>(8 - picture.bitDepth - static_cast<int>(bit % 8));
        row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | sample << shift);
      }
    }
  }
  return rows;
}

struct Output {
  std::vector<std::uint8_t>* bytes;
  bool failed = false;
};

// libpng is C: nothing may be thrown through it, so a failed append is reported as its error.
void Append(png_structp png, png_bytep data, png_size_t length) {
  auto* output = static_cast<Output*>(png_get_io_ptr(png));
  try {
    output->bytes->insert(output->bytes->end(), data, data + length);
  } catch (...) {
    output->failed = true;
  }
  if (output->failed) png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

// Only plain C data lives in this frame, so libpng's jump out of an error skips no destructor.
bool Write(png_structp png, png_infop info, const PngPicture& picture, png_bytepp rowPointers, png_color* colors,
           png_color_16* transparent) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette.empty()) png_set_PLTE(png, info, colors, static_cast<int>(picture.palette.size()));
  if (!picture.paletteAlpha.empty() || transparent) {
    png_set_tRNS(png, info, picture.paletteAlpha.empty() ? nullptr : picture.paletteAlpha.data(),
                 static_cast<int>(picture.paletteAlpha.size()), transparent);
  }
  png_write_info(png, info);
  if (picture.interlaced) png_set_interlace_handling(png);
  png_write_image(png, rowPointers);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

int PngPicture::Channels() const {
  switch (colorType) {
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGBA:
      return 4;
    default:
      return 1;
  }
}

std::uint32_t PngPicture::Bgra(std::uint32_t x, std::uint32_t y) const {
  const int channels = Channels();
  const std::uint16_t* s = &samples[(std::size_t{y} * width + x) * static_cast<std::size_t>(channels)];
  std::uint32_t red = 0, green = 0, blue = 0, alpha = 255;
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    red = palette.at(s[0])[0];
    green = palette.at(s[0])[1];
    blue = palette.at(s[0])[2];
    if (s[0] < paletteAlpha.size()) alpha = paletteAlpha[s[0]];
  } else if (channels <= 2) {
    red = green = blue = To8Bits(s[0], bitDepth);
    if (channels == 2) alpha = To8Bits(s[1], bitDepth);
    if (transparentColor && (*transparentColor)[0] == s[0]) alpha = 0;
  } else {
    red = To8Bits(s[0], bitDepth);
    green = To8Bits(s[1], bitDepth);
    blue = To8Bits(s[2], bitDepth);
    if (channels == 4) alpha = To8Bits(s[3], bitDepth);
    if (transparentColor && *transparentColor == std::array<std::uint16_t, 3>{s[0], s[1], s[2]}) alpha = 0;
  }
  return alpha << 24 | red << 16 | green << 8 | blue;
}

std::vector<std::uint8_t> EncodePng(const PngPicture& picture) {
  std::vector<std::uint8_t> bytes;
  Output output{&bytes};
  std::size_t rowBytes = 0;
  std::vector<std::uint8_t> rows = PackedRows(picture, rowBytes);
  std::vector<png_bytep> rowPointers(picture.height);
  for (std::size_t y = 0; y < picture.height; ++y) rowPointers[y] = rows.data() + y * rowBytes;
  std::vector<png_color> colors;
  for (const auto& c : picture.palette) colors.push_back({c[0], c[1], c[2]});
  png_color_16 transparent{};
  if (picture.transparentColor) {
    const auto& t = *picture.transparentColor;
    transparent.gray = t[0];
    transparent.red = t[0];
    transparent.green = t[1];
    transparent.blue = t[2];
  }

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info) {
    png_set_write_fn(png, &output, &Append, &NoFlush);
    written =
        Write(png, info, picture, rowPointers.data(), colors.data(), picture.transparentColor ? &transparent : nullptr);
  }
  png_destroy_write_struct(&png, &info);
  if (!written) bytes.clear();
  return bytes;
}

std::vector<std::uint8_t> PngChunk(const char (&type)[5], const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> chunk(12 + data.size());
  const auto putBigEndian = [&chunk](std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) chunk[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
  };
  putBigEndian(0, static_cast<std::uint32_t>(data.size()));
  std::memcpy(chunk.data() + 4, type, 4);
  if (!data.empty()) std::memcpy(chunk.data() + 8, data.data(), data.size());
  putBigEndian(8 + data.size(),
               static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(data.size() + 4))));
  return chunk;
}

}  // namespace testing_support
