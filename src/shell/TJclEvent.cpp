#include "shell/TJclEvent.h"

#include "shell/EJclWin32Error.h"

namespace shell {

TJclEvent::TJclEvent(bool manualReset, bool initialState, const std::wstring& name)
    : handle_(CreateEventW(nullptr, manualReset, initialState, name.c_str())), name_(name), existed_(false) {
  const DWORD error = GetLastError();
  if (!handle_) throw EJclEventError(error);
  existed_ = error == ERROR_ALREADY_EXISTS;
}

void TJclEvent::SetEvent() const noexcept { ::SetEvent(handle_.get()); }

DWORD TJclEvent::WaitFor(DWORD timeoutMs) const noexcept { return WaitForSingleObject(handle_.get(), timeoutMs); }

}  // namespace shell
