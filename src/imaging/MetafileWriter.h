#pragma once
// Metafile output: the enhanced metafile's own bytes, or a placeable Windows metafile when
// the file name ends in ".wmf".
#include <string>

#include "clipboard/Graphics.h"
#include "imaging/Streams.h"

namespace imaging {

// Writes the metafile in the form its file name asks for. For a ".wmf" name (in any case)
// the metafile is switched to the Windows form for this one save and back to the enhanced
// form afterwards, also when the save fails.
void WriteMetafile(clipboard::TMetafile& metafile, const std::wstring& fileName, TStream& stream);

}  // namespace imaging
