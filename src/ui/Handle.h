#pragma once
// One small move-only owner for every kind of Windows handle. Each kind names its null
// value and how it is released; release runs on success and on error alike.
#include <windows.h>

#include <utility>

namespace ui {

template <typename Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(pointer value) noexcept : value_(value) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  [[nodiscard]] pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

  [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
  void reset(pointer value = Traits::invalid()) noexcept {
    pointer old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  pointer value_ = Traits::invalid();
};

// A handle kind whose "none" is null and which `Close` gives back to the system.
template <typename Pointer, auto Close>
struct NullTraits {
  using pointer = Pointer;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { Close(h); }
};
using WindowTraits = NullTraits<HWND, &DestroyWindow>;
using GdiObjectTraits = NullTraits<HGDIOBJ, &DeleteObject>;
using GlobalTraits = NullTraits<HGLOBAL, &GlobalFree>;
using KernelTraits = NullTraits<HANDLE, &CloseHandle>;  // events, mappings, processes
struct FileTraits {                                     // CreateFile reports failure as INVALID_HANDLE_VALUE
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { CloseHandle(h); }
};
using MenuTraits = NullTraits<HMENU, &DestroyMenu>;
using IconTraits = NullTraits<HICON, &DestroyIcon>;
using EnhMetaFileTraits = NullTraits<HENHMETAFILE, &DeleteEnhMetaFile>;
using MemoryDcTraits = NullTraits<HDC, &DeleteDC>;
using MappedViewTraits = NullTraits<void*, &UnmapViewOfFile>;

using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueGlobal = UniqueHandle<GlobalTraits>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueEnhMetaFile = UniqueHandle<EnhMetaFileTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueMappedView = UniqueHandle<MappedViewTraits>;

// A device context taken with GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  [[nodiscard]] HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and selects the previous one back at scope end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// GlobalLock for the lifetime of the object.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL block) noexcept : block_(block), data_(GlobalLock(block)) {}
  ~GlobalLockGuard() {
    if (data_) GlobalUnlock(block_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  [[nodiscard]] void* data() const noexcept { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

}  // namespace ui
