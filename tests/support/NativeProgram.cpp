#include "support/NativeProgram.h"

#include <windows.h>

#include <memory>

#include "support/TestSupport.h"

namespace testing_support {
namespace {

// Wine's own export from kernel32; the name comes back in memory of the process heap.
using UnixFileName = char*(CDECL*)(const wchar_t*);

struct HeapText {
  void operator()(char* text) const noexcept { HeapFree(GetProcessHeap(), 0, text); }
};

}  // namespace

std::wstring UnixPath(const std::wstring& windowsPath) {
  const auto convert = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  const std::unique_ptr<char, HeapText> name(convert(windowsPath.c_str()));
  if (!name) return {};
  // Unix file names are UTF-8 bytes.
  const int length = MultiByteToWideChar(CP_UTF8, 0, name.get(), -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring result(static_cast<std::size_t>(length - 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, name.get(), -1, result.data(), length);
  return result;
}

bool NativeProgramExists(const std::wstring& unixPath) {
  if (UnixPath(L"C:\\").empty()) return false;
  const DWORD attributes = GetFileAttributesW(WinePath(unixPath).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool StartNativeProgram(const std::wstring& unixPath, const std::wstring& arguments) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const ScopedProcess start =
      StartProcess(L"\"" + std::wstring(system) + L"\\start.exe\" /unix \"" + unixPath + L"\" " + arguments);
  return start.get() && start.Wait(10000) == 0;
}

}  // namespace testing_support
