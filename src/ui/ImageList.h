#pragma once
// Small icons by index, loaded from the program's resources, as bitmaps for menu items.
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
  // A premultiplied 32-bit bitmap of the image for a menu item; null when there is none.
  [[nodiscard]] HBITMAP MenuBitmap(int index) const;

 private:
  int size_;
  std::map<int, UniqueGdiObject> bitmaps_;
};

}  // namespace ui
