#pragma once
// Named shared memory backed by the page file, and views of it. A mapping created under a
// name that already exists is the same memory as the other process's; a new one reads as
// zeros.
#include <windows.h>

#include <cstddef>
#include <string>

#include "ui/Handle.h"

namespace shell {

class TJclSwapFileMapping {
 public:
  // Creates or opens the mapping; raises EJclFileMappingError when the system gives none
  // under that name (for instance because another kind of object holds the name).
  TJclSwapFileMapping(const std::wstring& name, DWORD protection, std::size_t maximumSize);

  [[nodiscard]] HANDLE Handle() const noexcept { return handle_.get(); }
  [[nodiscard]] const std::wstring& Name() const noexcept { return name_; }
  // Whether the mapping existed before this object opened it.
  [[nodiscard]] bool Existed() const noexcept { return existed_; }

 private:
  ui::UniqueKernelHandle handle_;
  std::wstring name_;
  bool existed_;
};

// One mapped view; unmapped when destroyed, so it must not outlive its mapping's user.
class TJclFileMappingView {
 public:
  // Maps `size` bytes from the start of the mapping; raises EJclFileMappingViewError when the
  // system refuses, which it does when the existing mapping is smaller than `size`.
  TJclFileMappingView(const TJclSwapFileMapping& mapping, DWORD access, std::size_t size);

  [[nodiscard]] void* Memory() const noexcept { return view_.get(); }
  [[nodiscard]] std::size_t Size() const noexcept { return size_; }

 private:
  ui::UniqueMappedView view_;
  std::size_t size_;
};

}  // namespace shell
