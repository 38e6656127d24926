#include "clipboard/TKeptClipboard.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "clipboard/Clipboard.h"
#include "clipboard/KeptFormats.h"

namespace clipboard {

std::vector<UINT> TKeptClipboard::Formats() const {
  std::vector<UINT> formats;
  for (const auto& kept : kept_) formats.push_back(kept.format);
  return formats;
}

std::size_t TKeptClipboard::Bytes() const noexcept {
  std::size_t bytes = 0;
  for (const auto& kept : kept_) bytes += GlobalSize(kept.block.get());
  return bytes;
}

bool TKeptClipboard::HoldsOurWrite() const noexcept {
  // 0 is what the system answers when it cannot tell: no proof that nothing changed.
  return !kept_.empty() && writeSequence_ != 0 && GetClipboardSequenceNumber() == writeSequence_;
}

bool TKeptClipboard::Outdated() const noexcept { return !kept_.empty() && writeSequence_ != 0 && !HoldsOurWrite(); }

void TKeptClipboard::Clear() noexcept {
  kept_.clear();
  writeSequence_ = 0;
}

void TKeptClipboard::Take() {
  Clear();
  std::vector<ListedFormat> listed;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
    const std::vector<std::wstring> names = RegisteredFormatNames(std::span(&f, 1));
    listed.push_back({f, names.empty() ? std::wstring() : names.front()});
  }
  // Sizes first: a copy above the limit must not cost the memory of its first formats. Under
  // Windows and Wine alike, asking for another program's data copies it into our process, so
  // the text comes first: the rewrite asks for it anyway, and above the limit one format fewer
  // is fetched for nothing.
  std::vector<std::size_t> chosen = FormatsToKeep(listed);
  std::stable_partition(chosen.begin(), chosen.end(), [&](std::size_t i) { return listed[i].id == CF_UNICODETEXT; });
  struct Source {
    std::size_t position;  // in the clipboard's order, which paste targets choose by
    HANDLE data;
  };
  std::vector<Source> sources;
  std::vector<std::size_t> sizes;
  for (const std::size_t i : chosen) {
    HANDLE data = GetClipboardData(listed[i].id);
    // A handle that is no memory block has no size; nor has a block the source left empty.
    const SIZE_T size = data ? GlobalSize(data) : 0;
    if (size == 0) continue;
    sizes.push_back(size);
    if (!WithinKeptLimit(sizes)) return;
    sources.push_back({i, data});
  }
  std::sort(sources.begin(), sources.end(), [](const Source& a, const Source& b) { return a.position < b.position; });
  std::vector<KeptFormat> copies;
  for (const auto& [position, data] : sources) {
    const ui::GlobalLockGuard from(data);
    const SIZE_T size = GlobalSize(data);
    if (!from.data()) continue;
    ui::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return;
    {
      const ui::GlobalLockGuard to(block.get());
      if (!to.data()) return;
      std::memcpy(to.data(), from.data(), size);
    }
    copies.push_back({listed[position].id, std::move(block)});
  }
  kept_ = std::move(copies);
}

}  // namespace clipboard
