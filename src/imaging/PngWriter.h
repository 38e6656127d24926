#pragma once
// PNG output: the holder's content encoded as a PNG file, in the form closest to what it holds
// (a palette picture keeps its palette, real alpha is kept, everything else becomes RGB).
#include <string>

#include "imaging/Streams.h"
#include "ui/Graphics.h"
#include "ui/Picture.h"

namespace imaging {

// Appends the bitmap's PNG form to the stream; writes nothing for a bitmap without pixels.
// Passes on what the stream raises; raises EOutOfResources when the system cannot convert the
// pixels or there is no memory for the encoding.
void EncodePng(const ui::TBitmap& bitmap, TStream& sink);

// The PNG writer: the PNG file the holder's content came with, as it came; else the holder's
// bitmap, or its metafile drawn into one, encoded and written to a new file of that name. The
// holder is only read. With nothing to write no file is created.
void WritePng(const ui::TPicture& picture, const std::wstring& fileName);

}  // namespace imaging
