#pragma once
// Small icons by index, loaded from the program's resources, with a 32-bit bitmap of each
// for menu items.
#include <windows.h>

#include <map>

#include "ui/Component.h"
#include "ui/Handle.h"

namespace ui {

class TImageList : public TComponent {
 public:
  TImageList(TComponent* owner, std::wstring name, int size = 16);

  // Loads the icon resource `resourceId` as image `index`.
  void AddResourceIcon(int index, int resourceId);
  [[nodiscard]] HICON Icon(int index) const;
  // A premultiplied 32-bit bitmap of the image for a menu item; null when there is none.
  [[nodiscard]] HBITMAP MenuBitmap(int index) const;
  [[nodiscard]] int Count() const noexcept { return static_cast<int>(images_.size()); }

 private:
  struct Image {
    UniqueIcon icon;
    UniqueGdiObject bitmap;
  };
  int size_;
  std::map<int, Image> images_;
};

}  // namespace ui
