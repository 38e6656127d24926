#include "ui/Module.h"

#include <windows.h>

#include <cstddef>
#include <vector>

#include "ui/Errors.h"

namespace ui {

std::wstring ModuleFileName() {
  std::wstring path(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) RaiseLastOSError(GetLastError());
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // cut off: a long path, try a larger buffer
  }
}

std::uint32_t FileVersion(const wchar_t* file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
  if (size == 0) return 0;
  std::vector<std::byte> block(size);
  if (!GetFileVersionInfoW(file, 0, size, block.data())) return 0;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO)) return 0;
  return static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileVersionMS;
}

}  // namespace ui
