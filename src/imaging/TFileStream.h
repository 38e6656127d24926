#pragma once
// A file the writers create for their output. Creating it replaces a file of that name
// without asking and does not create a missing folder.
#include <string>

#include "imaging/Streams.h"
#include "ui/Handle.h"

namespace imaging {

class TFileStream : public TStream {
 public:
  // Raises EFCreateError "Datei %s kann nicht erstellt werden" when the file cannot be created;
  // an existing file of that name is then left as it was.
  explicit TFileStream(const std::wstring& fileName);

  std::size_t Write(const void* data, std::size_t count) override;

 private:
  ui::UniqueFile file_;
};

}  // namespace imaging
