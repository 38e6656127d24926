#pragma once
// The picture holder and the base of what it can hold. Concrete contents (bitmaps,
// metafiles) live with the code that makes them; the holder only owns one and reports
// each change to whoever displays it.
#include <windows.h>

#include <functional>
#include <memory>

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

class TPicture {
 public:
  [[nodiscard]] TGraphic* Graphic() const noexcept { return graphic_.get(); }
  template <typename T>
  [[nodiscard]] T* GraphicAs() const noexcept {
    return dynamic_cast<T*>(graphic_.get());
  }
  // Installs new content (the old one is freed) and tells the owner.
  void SetGraphic(std::unique_ptr<TGraphic> graphic);

  [[nodiscard]] int Width() const { return graphic_ ? graphic_->Width() : 0; }
  [[nodiscard]] int Height() const { return graphic_ ? graphic_->Height() : 0; }

  std::function<void()> OnChange;

 private:
  void Changed() const {
    if (OnChange) OnChange();
  }
  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace ui
