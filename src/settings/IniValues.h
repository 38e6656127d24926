#pragma once
// Rules of the settings file that need no operating system: how integers and switches are
// written and read back, and how the first bytes of a file tell its text encoding.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Characters one read can hand back, the terminator included: a longer value is cut to one
// character less.
inline constexpr std::size_t kReadBufferLength = 2048;

// A decimal number (optional sign) or a hexadecimal one written "0x..." or "0X..." with at
// least one digit. Hexadecimal values up to 0xFFFFFFFF wrap into the negative range, as a
// 32-bit register would read them. Anything else, or a value out of range, is no number.
std::optional<std::int32_t> ParseIniInteger(std::wstring_view text);
int IniIntegerOrDefault(std::wstring_view text, int defaultValue);

// Switches are stored as "1" and "0"; any non-zero number reads as on.
std::wstring IniBoolText(bool value);

enum class IniFileEncoding { Ansi, Utf16LittleEndian, Utf16BigEndian, Utf8 };
// The encoding the private-profile functions use for a file starting with these bytes: a byte
// order mark selects Unicode, everything else (an empty file too) is 8-bit ANSI text.
IniFileEncoding DetectIniFileEncoding(std::span<const unsigned char> firstBytes);

// The bytes of a file holding `text` as UTF-16 little endian after a byte order mark.
std::vector<unsigned char> Utf16LeFileBytes(std::wstring_view text);

}  // namespace settings
