#pragma once
// What the clipboard held before "remove formatting" rewrote it as plain text, kept so the user
// can put it back. The copy exists only from the rewrite to the restore (or to the next
// rewrite): memory is held only while there is something to give back.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "ui/Handle.h"

namespace clipboard {

class TKeptClipboard {
 public:
  // Whether a copy is held.
  [[nodiscard]] bool Empty() const noexcept { return kept_.empty(); }
  // The kept formats in the clipboard's order, and their bytes in all.
  [[nodiscard]] std::vector<UINT> Formats() const;
  [[nodiscard]] std::size_t Bytes() const noexcept;
  // Whether a copy is held and the clipboard still holds the program's own plain text that
  // replaced it: its sequence number has not moved since that write.
  [[nodiscard]] bool HoldsOurWrite() const noexcept;
  // Whether a copy is held for a write that is done and no longer on the clipboard: something
  // has replaced it. A rewrite still under way is not outdated, though its own change may
  // already have been announced.
  [[nodiscard]] bool Outdated() const noexcept;
  // Drops the copy.
  void Clear() noexcept;

 private:
  friend class TClipboard;
  // Copies, from the open clipboard, the formats that FormatsToKeep chooses. Keeps nothing when
  // they come to more than the limit or memory runs short: the rewrite goes ahead without.
  void Take();
  // The clipboard's sequence number right after the program's own write.
  void NoteWrite(DWORD sequence) noexcept { writeSequence_ = sequence; }

  struct KeptFormat {
    UINT format;
    ui::UniqueGlobal block;
  };
  std::vector<KeptFormat> kept_;
  DWORD writeSequence_ = 0;
};

}  // namespace clipboard
