#pragma once
// Which end of a section's memory holds the picture's top row. GetObject gives the height of
// every section as positive, top-down ones too, so the header does not say; the system's own
// reading of the picture does. Every writer takes a section's rows from here.
#include <cstddef>
#include <cstdint>

#include "ui/Graphics.h"

namespace imaging {

struct SectionRows {
  const std::uint8_t* top = nullptr;  // the picture's top row
  std::ptrdiff_t step = 0;            // from a row to the one below it: negative for rows stored bottom-up

  [[nodiscard]] bool TopDown() const noexcept { return step > 0; }
  // Picture row y, counted from the top.
  [[nodiscard]] const std::uint8_t* Row(std::uint32_t y) const noexcept {
    return top + step * static_cast<std::ptrdiff_t>(y);
  }
};

// The rows of a device-independent section with its pixels in memory, after drawing still
// queued for it is done. Raises EOutOfResources when the system cannot read the section.
[[nodiscard]] SectionRows FindSectionRows(const ui::TBitmap& bitmap);

}  // namespace imaging
