#pragma once
// The picture holder and the base of what it can hold. Concrete contents (bitmaps,
// metafiles) live with the code that makes them; the holder only owns one and reports
// each change to whoever displays it.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ui {

class TGraphic {
 public:
  TGraphic() = default;
  virtual ~TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  [[nodiscard]] virtual int Width() const = 0;
  [[nodiscard]] virtual int Height() const = 0;
  [[nodiscard]] virtual bool Empty() const = 0;
  // Draws the content into `target`, scaled to fill it.
  virtual void Draw(HDC dc, const RECT& target) const = 0;

  std::function<void()> OnChange;

 protected:
  void Changed() const {
    if (OnChange) OnChange();
  }
};

// The file formats in which a picture's source may also offer the picture's own file.
enum class TFileFormat { ffPng, ffJpeg };

// A picture file as the source offered it beside the content. A save in the same format writes
// it unchanged: its exact pixels, transparency, colour profile and metadata, and no encoding time.
struct TSourceFile {
  TFileFormat format;
  std::vector<std::uint8_t> bytes;
};

class TPicture {
 public:
  [[nodiscard]] TGraphic* Graphic() const noexcept { return graphic_.get(); }
  template <typename T>
  [[nodiscard]] T* GraphicAs() const noexcept {
    return dynamic_cast<T*>(graphic_.get());
  }
  // Installs new content (the old one is freed) with the files its source offered of it, and
  // tells the owner.
  void SetGraphic(std::unique_ptr<TGraphic> graphic, std::vector<TSourceFile> files = {});
  // The file of that format the content came with; null for none. A change of the content
  // itself drops the files, since they no longer show it.
  [[nodiscard]] const TSourceFile* SourceFile(TFileFormat format) const noexcept;

  [[nodiscard]] int Width() const { return graphic_ ? graphic_->Width() : 0; }
  [[nodiscard]] int Height() const { return graphic_ ? graphic_->Height() : 0; }

  std::function<void()> OnChange;

 private:
  void Changed() const {
    if (OnChange) OnChange();
  }
  std::unique_ptr<TGraphic> graphic_;
  std::vector<TSourceFile> files_;
};

}  // namespace ui
