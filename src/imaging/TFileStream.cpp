#include "imaging/TFileStream.h"

#include <algorithm>

#include "ui/Errors.h"

namespace imaging {

TFileStream::TFileStream(const std::wstring& fileName)
    : fileName_(fileName),
      file_(CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!file_) throw ui::EFCreateError(ui::FormatMessageText(L"Datei %s kann nicht erstellt werden", fileName));
}

TFileStream::~TFileStream() {
  if (committed_) return;
  file_.reset();
  // Nothing is left to report to: the error that ended the save is already on its way.
  DeleteFileW(fileName_.c_str());
}

std::size_t TFileStream::Write(const void* data, std::size_t count) {
  // WriteFile takes at most a DWORD's worth at a time.
  constexpr std::size_t kChunk = 1U << 30;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < count) {
    const auto chunk = static_cast<DWORD>(std::min(count - done, kChunk));
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes + done, chunk, &written, nullptr)) break;
    done += written;
    if (written < chunk) break;
  }
  written_ = written_ || done != 0;
  return done;
}

void TFileStream::Commit() {
  // The system may hold written bytes in its cache and find out only when it writes them
  // out that the drive is full or gone; flushing and closing are where that shows.
  const bool flushed = !written_ || FlushFileBuffers(file_.get());
  const bool closed = CloseHandle(file_.release()) != FALSE;
  if (!flushed || !closed) throw ui::EWriteError(L"Stream-Write-Fehler");
  committed_ = true;
}

void SaveBytes(const std::wstring& fileName, std::span<const std::uint8_t> bytes) {
  TFileStream file(fileName);
  file.WriteBuffer(bytes.data(), bytes.size());
  file.Commit();
}

}  // namespace imaging
