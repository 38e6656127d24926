#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "ui/Handle.h"

namespace testing_support {
namespace {

struct FindTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { FindClose(h); }
};

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  ui::UniqueHandle<FindTraits> search(FindFirstFileW((folder + L"*").c_str(), &found));
  if (search) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + L"\\");
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search.get(), &found));
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

TemporaryFolder::TemporaryFolder() {
  static unsigned counter = 0;
  for (;;) {
    path_ =
        ProgramFolder() + L"tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L"\\";
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create a temporary folder";
      return;
    }
  }
}

TemporaryFolder::~TemporaryFolder() { RemoveTree(path_); }

WorkingDirectory::WorkingDirectory(const std::wstring& folder) {
  std::wstring buffer(MAX_PATH * 4, L'\0');
  buffer.resize(GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data()));
  previous_ = buffer;
  EXPECT_TRUE(SetCurrentDirectoryW(folder.c_str()));
}

WorkingDirectory::~WorkingDirectory() { SetCurrentDirectoryW(previous_.c_str()); }

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  ui::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return bytes;
  unsigned char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
    bytes.insert(bytes.end(), chunk, chunk + read);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  ui::UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  ASSERT_EQ(written, bytes.size());
}

std::wstring ReadTextFile(const std::wstring& path) {
  const std::vector<unsigned char> bytes = ReadFileBytes(path);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
    return text;
  }
  if (bytes.empty()) return {};
  const char* data = reinterpret_cast<const char*>(bytes.data());
  const int length = MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, data, static_cast<int>(bytes.size()), text.data(), length);
  return text;
}

std::vector<std::wstring> ReadTextLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::wstring line;
  for (wchar_t c : ReadTextFile(path) + L"\n") {
    if (c == L'\r' || c == L'\n') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  return lines;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

}  // namespace testing_support
