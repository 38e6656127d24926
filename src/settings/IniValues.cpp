#include "settings/IniValues.h"

#include <limits>

namespace settings {
namespace {

// Settings text is UTF-16, one code unit per wchar_t. The rules' tests also run on the build
// machine, whose wider wchar_t holds each unit as well.
static_assert(sizeof(wchar_t) >= 2, "settings text is UTF-16");

std::optional<int> HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return std::nullopt;
}

std::optional<std::int32_t> ParseHex(std::wstring_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : digits) {
    const std::optional<int> digit = HexDigit(c);
    if (!digit) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(*digit);
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> ParseDecimal(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Counted as a magnitude, so the most negative value fits as well.
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                      : std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    magnitude = magnitude * 10 + (c - L'0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::wstring_view text) {
  if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) return ParseHex(text.substr(2));
  return ParseDecimal(text);
}

int IniIntegerOrDefault(std::wstring_view text, int defaultValue) {
  return ParseIniInteger(text).value_or(defaultValue);
}

std::wstring IniBoolText(bool value) { return value ? L"1" : L"0"; }

IniFileEncoding DetectIniFileEncoding(std::span<const unsigned char> firstBytes) {
  if (firstBytes.size() >= 2 && firstBytes[0] == 0xFF && firstBytes[1] == 0xFE)
    return IniFileEncoding::Utf16LittleEndian;
  if (firstBytes.size() >= 2 && firstBytes[0] == 0xFE && firstBytes[1] == 0xFF) return IniFileEncoding::Utf16BigEndian;
  if (firstBytes.size() >= 3 && firstBytes[0] == 0xEF && firstBytes[1] == 0xBB && firstBytes[2] == 0xBF)
    return IniFileEncoding::Utf8;
  return IniFileEncoding::Ansi;
}

std::vector<unsigned char> Utf16LeFileBytes(std::wstring_view text) {
  std::vector<unsigned char> bytes;
  bytes.reserve(2 + 2 * text.size());
  bytes.push_back(0xFF);
  bytes.push_back(0xFE);
  for (wchar_t c : text) {
    const auto unit = static_cast<std::uint16_t>(c);
    bytes.push_back(static_cast<unsigned char>(unit & 0xFFu));
    bytes.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return bytes;
}

}  // namespace settings
