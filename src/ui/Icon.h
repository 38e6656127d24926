#pragma once
// An icon image that owns its handle. Assigning copies the image, and every change of the
// content is reported, so a holder (the tray icon) can send the new image on.
#include <windows.h>

#include <functional>

#include "ui/Handle.h"

namespace ui {

class TIcon {
 public:
  TIcon() = default;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  [[nodiscard]] HICON Handle() const noexcept { return icon_.get(); }
  [[nodiscard]] bool Empty() const noexcept { return !icon_; }

  // Takes over `icon` (null empties the image).
  void SetHandle(HICON icon);
  // Copies the image of `source`; an empty source empties this icon.
  void Assign(const TIcon& source);
  // Loads an icon resource of this program in the given size; a program without that
  // resource (a test program) is left with an empty image.
  void LoadFromResource(int resourceId, int size);

  std::function<void()> OnChange;

 private:
  void Changed() const {
    if (OnChange) OnChange();
  }
  UniqueIcon icon_;
};

}  // namespace ui
