#pragma once
// Pictures made from the clipboard's data: each loader makes a new content object of its own
// and never keeps or frees the clipboard's handles.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/Graphics.h"

namespace clipboard {

// From CF_BITMAP: a copy of the same kind.
[[nodiscard]] std::unique_ptr<ui::TBitmap> LoadBitmap(UINT format, HANDLE data, HPALETTE palette);

// From "PNG": a bottom-up 32-bit section, blue, green, red and the PNG's straight alpha; and the
// PNG file itself when all of it decoded without a fault (empty otherwise, or when there is no
// memory for the copy, which the picture does not need).
struct PngPicture {
  std::unique_ptr<ui::TBitmap> bitmap;
  std::vector<std::uint8_t> file;
};
[[nodiscard]] PngPicture LoadPng(HANDLE data);

// From CF_ENHMETAFILE (its data is the metafile) or CF_METAFILEPICT, whose enhanced form the
// system makes on request while the clipboard is open. A private copy in memory.
[[nodiscard]] std::unique_ptr<ui::TMetafile> LoadMetafile(UINT format, HANDLE data);

}  // namespace clipboard
