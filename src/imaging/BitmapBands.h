#pragma once
// A bitmap read by the system in bands of rows at 32 bits per pixel (blue, green, red and a
// spare byte), for the forms a writer cannot take from the bitmap's own memory:
// device-dependent bitmaps and sections of an unusual layout. The holder's bitmap stays as it is.
#include <windows.h>

#include <cstdint>

#include "ui/Graphics.h"
#include "ui/Handle.h"

namespace imaging {

class BitmapBands {
 public:
  // Raises EOutOfResources when the system gives no DC.
  explicit BitmapBands(const ui::TBitmap& bitmap);

  // Fills `into` with `count` rows of 4 * width bytes from picture row y (counted from the
  // top) on. The band holds its lowest row first, as the system counts scan lines from the
  // bottom. Raises EOutOfResources when the system cannot convert them.
  void Read(std::uint32_t y, std::uint32_t count, void* into);

  // The DC the bitmap is read through, with its palette realised, and the form the rows take.
  [[nodiscard]] HDC Dc() const noexcept { return dc_.get(); }
  [[nodiscard]] const BITMAPINFO& Format() const noexcept { return info_; }

 private:
  const ui::TBitmap& bitmap_;
  ui::UniqueMemoryDc dc_;
  BITMAPINFO info_{};
};

}  // namespace imaging
