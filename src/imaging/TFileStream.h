#pragma once
// A file the writers create for their output. Creating it replaces a file of that name
// without asking and does not create a missing folder. A save is only done once Commit has
// flushed and closed the file without error; a stream given up before that removes its file,
// so a failed save never leaves a half-written picture behind.
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Streams.h"
#include "ui/Handle.h"

namespace imaging {

class TFileStream : public TStream {
 public:
  // Raises EFCreateError "Datei %s kann nicht erstellt werden" when the file cannot be created;
  // an existing file of that name is then left as it was.
  explicit TFileStream(const std::wstring& fileName);
  // Without a successful Commit the file is closed and deleted.
  ~TFileStream() override;

  std::size_t Write(const void* data, std::size_t count) override;

  // Flushes what was written and closes the file. Network and removable drives may report a
  // failed write only here; that raises EWriteError "Stream-Write-Fehler" and deletes the file.
  void Commit();

 private:
  std::wstring fileName_;
  ui::UniqueFile file_;
  bool written_ = false;
  bool committed_ = false;
};

// A new file of that name holding these bytes, committed; a failure removes it as above.
void SaveBytes(const std::wstring& fileName, std::span<const std::uint8_t> bytes);

}  // namespace imaging
