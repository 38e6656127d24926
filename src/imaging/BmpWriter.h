#pragma once
// The BMP writer: the picture holder's content written in its own format, a bitmap as a BMP
// file and a metafile as metafile data; and the BMP encoding of a bitmap into any stream.
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/Streams.h"
#include "ui/Graphics.h"
#include "ui/Picture.h"

namespace imaging {

// Writes the holder's content to a new file of that name. With nothing to write (an empty
// holder, or content without pixels) no file is created and nothing is reported.
void WriteBmp(const ui::TPicture& picture, const std::wstring& fileName);

// Appends the bitmap's BMP file form to the stream, at the bitmap's own bit depth; writes
// nothing for a bitmap without pixels. A device-dependent bitmap is written from a
// device-independent copy; the bitmap itself stays as it is.
void EncodeBmp(const ui::TBitmap& bitmap, TStream& stream);

// The byte count EncodeBmp would write, worked out from the header, colour-table and row rules
// alone: nothing is converted or encoded. 0 for a bitmap without pixels.
[[nodiscard]] std::uint32_t BmpFileSize(const ui::TBitmap& bitmap);

// A device-independent section of the device-dependent bitmap's size and bit depth holding the
// same pixels. The palette stays with the bitmap; the copy has none.
[[nodiscard]] std::unique_ptr<ui::TBitmap> DeviceIndependentCopy(const ui::TBitmap& bitmap);

// Whether a bitmap has pixels to write.
[[nodiscard]] bool HasPixels(const ui::TBitmap& bitmap);

}  // namespace imaging
