#include "imaging/PictureBitmap.h"

namespace imaging {

PictureBitmap::PictureBitmap(const ui::TPicture& picture) : bitmap_(picture.GraphicAs<ui::TBitmap>()) {
  if (const auto* metafile = picture.GraphicAs<ui::TMetafile>()) {
    drawn_ = ui::DrawnBitmap(*metafile);
    bitmap_ = drawn_.get();
  }
}

}  // namespace imaging
