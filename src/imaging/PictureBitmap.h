#pragma once
// The holder's picture as pixels for a writer that encodes bitmaps only: the holder's own
// bitmap, or its metafile drawn into a bitmap that lives as long as this object. The holder
// is only read, so a metafile stays a metafile after a save.
#include <memory>

#include "ui/Graphics.h"
#include "ui/Picture.h"

namespace imaging {

class PictureBitmap {
 public:
  explicit PictureBitmap(const ui::TPicture& picture);

  // Null for an empty holder.
  [[nodiscard]] const ui::TBitmap* Get() const noexcept { return bitmap_; }

 private:
  std::unique_ptr<ui::TBitmap> drawn_;
  const ui::TBitmap* bitmap_ = nullptr;
};

}  // namespace imaging
