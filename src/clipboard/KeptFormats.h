#pragma once
// Which of the clipboard's formats a copy kept for "restore formatting" takes, as a rule without
// Windows in it. A kept format must come back byte for byte in another process, so only data in
// memory blocks is taken; formats that Windows derives from another one come back by themselves
// once that one is back, and taking them too would only double the memory held.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace clipboard {

// The system's numbers of the predefined formats this rule tells apart.
namespace format_id {
inline constexpr unsigned kText = 1;
inline constexpr unsigned kBitmap = 2;
inline constexpr unsigned kMetafilePict = 3;
inline constexpr unsigned kSylk = 4;
inline constexpr unsigned kDif = 5;
inline constexpr unsigned kTiff = 6;
inline constexpr unsigned kOemText = 7;
inline constexpr unsigned kDib = 8;
inline constexpr unsigned kPalette = 9;
inline constexpr unsigned kPenData = 10;
inline constexpr unsigned kRiff = 11;
inline constexpr unsigned kWave = 12;
inline constexpr unsigned kUnicodeText = 13;
inline constexpr unsigned kEnhMetafile = 14;
inline constexpr unsigned kHDrop = 15;
inline constexpr unsigned kLocale = 16;
inline constexpr unsigned kDibV5 = 17;
inline constexpr unsigned kDspText = 0x81;
inline constexpr unsigned kFirstRegistered = 0xC000;
}  // namespace format_id

// A format as EnumClipboardFormats lists it, with its registered name (empty for the predefined
// formats, and for a registered one whose name could not be had).
struct ListedFormat {
  unsigned id;
  std::wstring name;
};

// The positions, in the clipboard's order, of the formats whose data a kept copy takes:
// - text: the first of CF_TEXT, CF_OEMTEXT and CF_UNICODETEXT, which the source placed; Windows
//   lists what it derives from it after it. A later CF_UNICODETEXT is taken too: beside an ANSI
//   text it may hold characters that no code page has, and derived from it, it costs nothing
//   to lose.
// - CF_LOCALE, even when derived: it names the code page that turns the text into ANSI and OEM
//   text, and the user's keyboard language may have changed by the time the copy goes back.
// - pictures: the first of CF_DIB and CF_DIBV5; the other is derived from it.
// - the other predefined formats whose data is a block of bytes (CF_SYLK, CF_DIF, CF_TIFF,
//   CF_PENDATA, CF_RIFF, CF_WAVE, CF_HDROP, whose file names mean the same in every process,
//   and CF_DSPTEXT);
// - every registered format, except the OLE formats that mean something only inside the source
//   process and the X selection's own protocol targets that Wine lists as formats (asking for
//   "DELETE" asks a Linux program to give its copy up).
// Left out: bitmaps, palettes and metafiles (GDI handles, however they are listed), the owner
// display formats, the private and GDI-object ranges, and numbers the system does not define.
[[nodiscard]] std::vector<std::size_t> FormatsToKeep(std::span<const ListedFormat> listed);

// A copy holds at most this many bytes in all; above it nothing is kept.
inline constexpr std::size_t kKeptBytesLimit = std::size_t{64} << 20;

// Whether blocks of these sizes, together, stay within the limit (no wrap-around on 32 bits).
[[nodiscard]] bool WithinKeptLimit(std::span<const std::size_t> sizes);

}  // namespace clipboard
