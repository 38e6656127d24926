#pragma once
// COM for the GUI thread: the apartment the application enters for its whole life, an owner
// for interface pointers, and the error a failing result code becomes.
#include <windows.h>
// After windows.h, which it needs.
#include <objbase.h>

#include <string>

#include "ui/Errors.h"
#include "ui/Handle.h"

namespace ui {

// A failing COM result code; the message is the system's text for it.
class EOleSysError : public Exception {
 public:
  explicit EOleSysError(HRESULT errorCode);
  [[nodiscard]] HRESULT ErrorCode() const noexcept { return errorCode_; }

 private:
  HRESULT errorCode_;
};

// Raises EOleSysError for a failing result code; passes success codes through.
HRESULT OleCheck(HRESULT result);

template <typename Interface>
struct ComTraits {
  using pointer = Interface*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { p->Release(); }
};
template <typename Interface>
using ComPtr = UniqueHandle<ComTraits<Interface>>;

// Asks `object` for another of its interfaces; EOleSysError when it has none.
template <typename Interface, typename From>
ComPtr<Interface> QueryInterface(From* object, const IID& id) {
  void* result = nullptr;
  OleCheck(object->QueryInterface(id, &result));
  return ComPtr<Interface>(static_cast<Interface*>(result));
}

// Memory the shell hands out for the caller to free (item id lists, strings).
struct CoTaskMemTraits {
  using pointer = void*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { CoTaskMemFree(p); }
};
using UniqueCoTaskMem = UniqueHandle<CoTaskMemTraits>;

// The calling thread in a single-threaded apartment for the object's life. Shell links and
// ShellExecute need it on the GUI thread.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

}  // namespace ui
