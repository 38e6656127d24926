#include "imaging/MetafileWriter.h"

#include <vector>

#include "imaging/BmpLayout.h"
#include "ui/Errors.h"
#include "ui/Handle.h"

namespace imaging {
namespace {

void WriteEnhanced(const ui::TMetafile& metafile, TStream& stream) {
  const UINT size = GetEnhMetaFileBits(metafile.Handle(), 0, nullptr);
  if (size == 0) return;
  std::vector<BYTE> bits(size);
  if (GetEnhMetaFileBits(metafile.Handle(), size, bits.data()) < size) ui::RaiseLastOSError(GetLastError());
  stream.WriteBuffer(bits.data(), bits.size());
}

void WritePlaceable(const ui::TMetafile& metafile, TStream& stream) {
  ui::WindowDc screen(nullptr);
  if (!screen) ui::RaiseLastOSError(GetLastError());
  const UINT size = GetWinMetaFileBits(metafile.Handle(), 0, nullptr, MM_ANISOTROPIC, screen.get());
  if (size == 0) ui::RaiseLastOSError(GetLastError());
  std::vector<BYTE> bits(size);
  if (GetWinMetaFileBits(metafile.Handle(), size, bits.data(), MM_ANISOTROPIC, screen.get()) < size)
    ui::RaiseLastOSError(GetLastError());
  const auto header = PlaceableMetafileHeader(metafile.MMWidth(), metafile.MMHeight(), metafile.Inch());
  stream.WriteBuffer(header.data(), header.size());
  stream.WriteBuffer(bits.data(), bits.size());
}

}  // namespace

void WriteMetafile(const ui::TMetafile& metafile, const std::wstring& fileName, TStream& stream) {
  if (IsWindowsMetafileName(fileName)) {
    WritePlaceable(metafile, stream);
  } else {
    WriteEnhanced(metafile, stream);
  }
}

}  // namespace imaging
