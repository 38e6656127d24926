#pragma once
// Pictures made from the clipboard's data: each loader makes a new content object of its own
// and never keeps or frees the clipboard's handles.
#include <windows.h>

#include <memory>

#include "ui/Graphics.h"

namespace clipboard {

// From CF_BITMAP (a copy of the same kind) or from "PNG" (a bottom-up 32-bit section, blue,
// green, red and the PNG's straight alpha).
[[nodiscard]] std::unique_ptr<ui::TBitmap> LoadBitmap(UINT format, HANDLE data, HPALETTE palette);

// From CF_ENHMETAFILE (its data is the metafile) or CF_METAFILEPICT, whose enhanced form the
// system makes on request while the clipboard is open. A private copy in memory.
[[nodiscard]] std::unique_ptr<ui::TMetafile> LoadMetafile(UINT format, HANDLE data);

}  // namespace clipboard
