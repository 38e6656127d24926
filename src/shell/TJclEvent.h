#pragma once
// A named kernel event: created, or opened when another process created it first.
#include <windows.h>

#include <string>

#include "ui/Handle.h"

namespace shell {

class TJclEvent {
 public:
  // Raises EJclEventError when the system gives no event under that name.
  TJclEvent(bool manualReset, bool initialState, const std::wstring& name);

  [[nodiscard]] HANDLE Handle() const noexcept { return handle_.get(); }
  [[nodiscard]] const std::wstring& Name() const noexcept { return name_; }
  // Whether the event existed before this object opened it.
  [[nodiscard]] bool Existed() const noexcept { return existed_; }

  void SetEvent() const noexcept;
  DWORD WaitFor(DWORD timeoutMs) const noexcept;

 private:
  ui::UniqueKernelHandle handle_;
  std::wstring name_;
  bool existed_;
};

}  // namespace shell
