#pragma once
// A system DLL loaded when it is first needed instead of at start. Under Wine every DLL the
// program imports is loaded before the first line of the program runs, with every DLL that
// one imports in turn, and stays for the whole run: the common dialogs alone bring the print
// spooler and the printing system's client library, whose memory an idle program never needs.
#include <windows.h>

#include "ui/Handle.h"

namespace ui {

struct LibraryTraits {
  using pointer = HMODULE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { FreeLibrary(h); }
};
using UniqueLibrary = UniqueHandle<LibraryTraits>;

class DelayedLibrary {
 public:
  // `name` is a DLL of the system, such as L"comdlg32.dll"; nothing is loaded yet.
  explicit DelayedLibrary(const wchar_t* name) noexcept : name_(name) {}

  // The function `symbol` of the library as a `Function` pointer. Loads the library on the
  // first call and keeps it as long as this object lives; raises EOSError when the library or
  // the function cannot be had.
  template <typename Function>
  Function Get(const char* symbol) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(Address(symbol)));
  }

 private:
  FARPROC Address(const char* symbol);

  const wchar_t* name_;
  UniqueLibrary module_;
};

}  // namespace ui
