#pragma once
// Metafile output: the enhanced metafile's own bytes, or a placeable Windows metafile when
// the file name ends in ".wmf".
#include <string>

#include "imaging/Streams.h"
#include "ui/Graphics.h"

namespace imaging {

// Writes the metafile in the form its file name asks for: a ".wmf" name (in any case) gets a
// placeable Windows metafile converted from it, any other name the enhanced metafile itself.
// The metafile stays as it is.
void WriteMetafile(const ui::TMetafile& metafile, const std::wstring& fileName, TStream& stream);

}  // namespace imaging
