#pragma once
// The BMP writer: the picture holder's content written in its own format, a bitmap as a BMP
// file and a metafile as metafile data; and the BMP encoding of a bitmap into any stream.
#include <cstdint>
#include <string>

#include "clipboard/Graphics.h"
#include "imaging/Streams.h"
#include "ui/Picture.h"

namespace imaging {

// Writes the holder's content to a new file of that name. With nothing to write (an empty
// holder, or content without pixels) no file is created and nothing is reported.
void WriteBmp(ui::TPicture& picture, const std::wstring& fileName);

// Appends the bitmap's BMP file form to the stream, at the bitmap's own bit depth; writes
// nothing for a bitmap without pixels. A device-dependent bitmap is first turned into its
// device-independent form, which the bitmap keeps.
void EncodeBmp(clipboard::TBitmap& bitmap, TStream& stream);

// The byte count EncodeBmp would write, worked out from the header, colour-table and row rules
// alone: nothing is converted or encoded. 0 for a bitmap without pixels.
[[nodiscard]] std::uint32_t BmpFileSize(const clipboard::TBitmap& bitmap);

// Replaces a device-dependent bitmap by a device-independent section of the same size and
// bit depth holding the same pixels.
void MakeDeviceIndependent(clipboard::TBitmap& bitmap);

// Whether a bitmap has pixels to write.
[[nodiscard]] bool HasPixels(const clipboard::TBitmap& bitmap);

}  // namespace imaging
