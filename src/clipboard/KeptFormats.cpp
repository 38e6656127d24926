#include "clipboard/KeptFormats.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace clipboard {

namespace {

// Registered formats that are no data of their own. OLE's stand for an object in the source
// process ("DataObject", "Ole Private Data", and Wine's "Wine Marshalled DataObject"); put back
// after the source is gone, they would send a paste to an object that no longer exists. The
// others are the X selection's protocol targets, which a Linux program lists beside its data
// and Wine hands on as formats of those names: asking for them saves, deletes or lists the
// selection rather than giving data, and put back they would stand beside Wine's own.
constexpr std::wstring_view kNoDataFormats[] = {L"DataObject",       L"Ole Private Data", L"Wine Marshalled DataObject",
                                                L"TARGETS",          L"MULTIPLE",         L"TIMESTAMP",
                                                L"SAVE_TARGETS",     L"DELETE",           L"INCR",
                                                L"INSERT_SELECTION", L"INSERT_PROPERTY"};

bool IsTextFamily(unsigned id) {
  return id == format_id::kText || id == format_id::kOemText || id == format_id::kUnicodeText;
}

bool IsDibFamily(unsigned id) { return id == format_id::kDib || id == format_id::kDibV5; }

// Predefined formats whose data is a memory block that no other format here is derived from.
bool IsPlainBlock(unsigned id) {
  switch (id) {
    case format_id::kSylk:
    case format_id::kDif:
    case format_id::kTiff:
    case format_id::kPenData:
    case format_id::kRiff:
    case format_id::kWave:
    case format_id::kHDrop:
    case format_id::kLocale:
    case format_id::kDspText:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<std::size_t> FormatsToKeep(std::span<const ListedFormat> listed) {
  std::vector<std::size_t> kept;
  bool textKept = false;
  bool dibKept = false;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const auto& [id, name] = listed[i];
    bool keep = false;
    if (id >= format_id::kFirstRegistered) {
      keep = !name.empty() &&
             std::find(std::begin(kNoDataFormats), std::end(kNoDataFormats), name) == std::end(kNoDataFormats);
    } else if (IsTextFamily(id)) {
      keep = !textKept || id == format_id::kUnicodeText;
      textKept = true;
    } else if (IsDibFamily(id)) {
      keep = !dibKept;
      dibKept = true;
    } else {
      keep = IsPlainBlock(id);
    }
    if (keep) kept.push_back(i);
  }
  return kept;
}

bool WithinKeptLimit(std::span<const std::size_t> sizes) {
  std::size_t total = 0;
  for (const std::size_t size : sizes) {
    if (size > kKeptBytesLimit - total) return false;
    total += size;
  }
  return true;
}

}  // namespace clipboard
