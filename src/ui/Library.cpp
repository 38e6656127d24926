#include "ui/Library.h"

#include "ui/Errors.h"

namespace ui {

FARPROC DelayedLibrary::Address(const char* symbol) {
  // The system's own DLLs are known DLLs: the loader takes them from the system folder
  // whatever lies in the program's folder or the working directory.
  if (!module_) module_.reset(LoadLibraryW(name_));
  if (!module_) RaiseLastOSError(GetLastError());
  const FARPROC address = GetProcAddress(module_.get(), symbol);
  if (!address) RaiseLastOSError(GetLastError());
  return address;
}

}  // namespace ui
