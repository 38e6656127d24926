#include "ui/Picture.h"

namespace ui {

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic, std::vector<TSourceFile> files) {
  graphic_ = std::move(graphic);
  files_ = std::move(files);
  if (graphic_) {
    graphic_->OnChange = [this] {
      files_.clear();
      Changed();
    };
  }
  Changed();
}

const TSourceFile* TPicture::SourceFile(TFileFormat format) const noexcept {
  for (const TSourceFile& file : files_) {
    if (file.format == format) return &file;
  }
  return nullptr;
}

}  // namespace ui
