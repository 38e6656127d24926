#include "imaging/BmpLayout.h"

#include <algorithm>
#include <cstdlib>

namespace imaging {
namespace {

template <std::size_t N>
void PutLittleEndian(std::array<std::uint8_t, N>& bytes, std::size_t offset, std::uint32_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// a × b ÷ c rounded to the nearest integer, halves away from zero, as the platform's MulDiv.
std::int64_t MulDivRounded(std::int64_t a, std::int64_t b, std::int64_t c) {
  const std::int64_t product = a * b;
  const std::int64_t half = c / 2;
  return product >= 0 ? (product + half) / c : (product - half) / c;
}

// The placeable header's coordinates are signed 16-bit values; a larger frame would wrap round
// into a negative size, so it is held at the largest one instead.
std::uint32_t ToInt16Field(std::int64_t value) {
  const auto clamped = static_cast<std::int16_t>(std::clamp<std::int64_t>(value, INT16_MIN, INT16_MAX));
  return static_cast<std::uint16_t>(clamped);
}

}  // namespace

std::uint32_t RowStride(std::int32_t width, std::uint32_t bitsPerPixel) {
  const std::uint64_t bits = static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(width))) * bitsPerPixel;
  return static_cast<std::uint32_t>((bits + 31) / 32 * 4);
}

std::uint32_t ImageSize(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel) {
  return RowStride(width, bitsPerPixel) * static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(height)));
}

BmpPlan PlanBmp(const BmpFormat& format, std::uint32_t sectionEntries, std::uint32_t paletteEntries,
                std::uint32_t imageSize) {
  BmpPlan plan{};
  if (format.bitsPerPixel <= 8) {
    // The table always has the size the header announces, so the pixels start where the
    // file header says even if the system handed out a shorter table.
    const std::uint32_t full = 1U << format.bitsPerPixel;
    plan.tableEntries = format.colorsUsed != 0 ? std::min(format.colorsUsed, full) : full;
  } else {
    plan.masks = (format.compression & 3U) != 0;
    plan.tableEntries = std::min(sectionEntries, kBmpMaxColors);
    if (format.colorsUsed != 0 && format.colorsUsed < plan.tableEntries) plan.tableEntries = format.colorsUsed;
    if (plan.tableEntries == 0) plan.tableEntries = std::min(paletteEntries, kBmpMaxColors);
  }
  plan.headerSize = kBmpInfoHeaderSize + (plan.masks ? kBmpMaskBytes : 0) + 4 * plan.tableEntries;
  plan.pixelOffset = kBmpFileHeaderSize + plan.headerSize;
  plan.fileSize = plan.pixelOffset + imageSize;
  return plan;
}

std::array<std::uint8_t, kBmpFileHeaderSize> BmpFileHeader(const BmpPlan& plan) {
  std::array<std::uint8_t, kBmpFileHeaderSize> header{};
  header[0] = 'B';
  header[1] = 'M';
  PutLittleEndian(header, 2, plan.fileSize, 4);
  PutLittleEndian(header, 10, plan.pixelOffset, 4);
  return header;
}

std::array<std::uint32_t, 3> MasksToWrite(std::uint32_t bitsPerPixel, const std::array<std::uint32_t, 3>& masks) {
  if (masks[0] != 0) return masks;
  if (bitsPerPixel == 16) return {0xF800, 0x07E0, 0x001F};
  if (bitsPerPixel == 32) return {0xFF0000, 0x00FF00, 0x0000FF};
  return masks;
}

std::array<std::uint8_t, kPlaceableHeaderSize> PlaceableMetafileHeader(std::int32_t mmWidth, std::int32_t mmHeight,
                                                                       std::int32_t inch) {
  constexpr std::int64_t kHundredthMmPerInch = 2540;
  const std::int64_t unitsPerInch = inch != 0 ? inch : 96;
  std::array<std::uint8_t, kPlaceableHeaderSize> header{};
  PutLittleEndian(header, 0, kPlaceableKey, 4);
  PutLittleEndian(header, 10, ToInt16Field(MulDivRounded(mmWidth, unitsPerInch, kHundredthMmPerInch)), 2);
  PutLittleEndian(header, 12, ToInt16Field(MulDivRounded(mmHeight, unitsPerInch, kHundredthMmPerInch)), 2);
  PutLittleEndian(header, 14, ToInt16Field(unitsPerInch), 2);
  std::uint32_t checksum = 0;
  for (std::size_t offset = 0; offset < 20; offset += 2)
    checksum ^= static_cast<std::uint32_t>(header[offset]) | static_cast<std::uint32_t>(header[offset + 1]) << 8U;
  PutLittleEndian(header, 20, checksum, 2);
  return header;
}

bool IsWindowsMetafileName(std::wstring_view fileName) {
  const std::size_t dot = fileName.find_last_of(L'.');
  const std::size_t separator = fileName.find_last_of(L"\\/:");
  if (dot == std::wstring_view::npos || (separator != std::wstring_view::npos && separator > dot)) return false;
  const std::wstring_view extension = fileName.substr(dot);
  constexpr std::wstring_view kWmf = L".wmf";
  return std::equal(extension.begin(), extension.end(), kWmf.begin(), kWmf.end(),
                    [](wchar_t a, wchar_t b) { return (a >= L'A' && a <= L'Z' ? a - L'A' + L'a' : a) == b; });
}

}  // namespace imaging
