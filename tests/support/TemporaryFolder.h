#pragma once
// Folders and files for tests that work with real files: a fresh folder beside the test
// program that is removed again with everything in it, a working directory that is put back
// at scope end, and whole-file reads and writes.
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  // The folder's path, with a trailing backslash.
  [[nodiscard]] const std::wstring& Path() const noexcept { return path_; }

 private:
  std::wstring path_;
};

// Makes `folder` the working directory until the end of the scope.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::wstring& folder);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::wstring previous_;
};

[[nodiscard]] bool FileExists(const std::wstring& path);
// The file's bytes; empty when it cannot be read.
[[nodiscard]] std::vector<unsigned char> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
// Text as the settings functions see it: UTF-16 after a byte order mark, else ANSI.
[[nodiscard]] std::wstring ReadTextFile(const std::wstring& path);
// The non-empty lines of a text file, without line ends.
[[nodiscard]] std::vector<std::wstring> ReadTextLines(const std::wstring& path);
// The names of the files (not folders) in a folder, in the system's order.
[[nodiscard]] std::vector<std::wstring> FilesIn(const std::wstring& folder);

}  // namespace testing_support
