#include "shell/TJclSwapFileMapping.h"

#include <cstdint>

#include "shell/EJclWin32Error.h"

namespace shell {

TJclSwapFileMapping::TJclSwapFileMapping(const std::wstring& name, DWORD protection, std::size_t maximumSize)
    : name_(name), existed_(false) {
  const auto size = static_cast<std::uint64_t>(maximumSize);
  handle_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, protection, static_cast<DWORD>(size >> 32),
                                   static_cast<DWORD>(size & 0xFFFFFFFFu), name.c_str()));
  const DWORD error = GetLastError();
  if (!handle_) throw EJclFileMappingError(error);
  existed_ = error == ERROR_ALREADY_EXISTS;
}

TJclFileMappingView::TJclFileMappingView(const TJclSwapFileMapping& mapping, DWORD access, std::size_t size)
    : view_(MapViewOfFile(mapping.Handle(), access, 0, 0, size)), size_(size) {
  if (!view_) throw EJclFileMappingViewError(GetLastError());
}

}  // namespace shell
