#pragma once
// What the picture holder can hold: a bitmap or an enhanced metafile. Both are made by whoever
// has the picture (the clipboard's loaders, a writer's conversion) and handed over whole.
#include <windows.h>

#include <memory>

#include "ui/Handle.h"
#include "ui/Picture.h"

namespace ui {

// A bitmap handle's description as TBitmap keeps it: the header size is 0 for a
// device-dependent bitmap.
[[nodiscard]] DIBSECTION DescribeBitmap(HBITMAP bitmap);

// A 32-bit bitmap whose alpha is real draws blended over what the target holds; every other
// one is copied onto it.
class TBitmap : public TGraphic {
 public:
  [[nodiscard]] int Width() const override { return dib_.dsBm.bmWidth; }
  [[nodiscard]] int Height() const override {
    return dib_.dsBm.bmHeight < 0 ? -dib_.dsBm.bmHeight : dib_.dsBm.bmHeight;
  }
  [[nodiscard]] bool Empty() const override { return !handle_; }
  void Draw(HDC dc, const RECT& target) const override;

  [[nodiscard]] HBITMAP Handle() const noexcept { return static_cast<HBITMAP>(handle_.get()); }
  [[nodiscard]] HPALETTE Palette() const noexcept { return static_cast<HPALETTE>(palette_.get()); }
  // The bitmap's description; the header size is 0 while it is a device-dependent bitmap.
  [[nodiscard]] const DIBSECTION& Description() const noexcept { return dib_; }
  [[nodiscard]] bool IsDeviceIndependent() const noexcept { return dib_.dsBmih.biSize != 0; }

  // Takes over a new bitmap (and palette); the description is read from the handle.
  void Assign(HBITMAP handle, HPALETTE palette);

 private:
  // Whether the fourth bytes of the pixels may be alpha: 32-bit pixels in blue, green, red order.
  [[nodiscard]] bool HasAlphaByte() const noexcept;
  // The premultiplied copy AlphaBlend draws from, made at the first draw; null when the
  // bitmap's alpha is no transparency.
  [[nodiscard]] HBITMAP Blendable() const;

  UniqueGdiObject handle_;
  UniqueGdiObject palette_;
  DIBSECTION dib_{};
  mutable UniqueGdiObject blendable_;
  mutable bool blendableMade_ = false;
};

// Held in enhanced form, with its frame in 0.01 mm; a save as a Windows metafile converts a
// copy of its records and leaves it as it is.
class TMetafile : public TGraphic {
 public:
  // Size in pixels of the metafile's reference device.
  [[nodiscard]] int Width() const override;
  [[nodiscard]] int Height() const override;
  [[nodiscard]] bool Empty() const override { return !handle_; }
  void Draw(HDC dc, const RECT& target) const override;

  [[nodiscard]] HENHMETAFILE Handle() const noexcept { return handle_.get(); }
  // Frame size in 0.01 mm.
  [[nodiscard]] int MMWidth() const noexcept { return mmWidth_; }
  [[nodiscard]] int MMHeight() const noexcept { return mmHeight_; }
  // Units per inch: none of its own, since the frame is in 0.01 mm.
  [[nodiscard]] static constexpr int Inch() noexcept { return 0; }
  [[nodiscard]] static constexpr bool Enhanced() noexcept { return true; }

  // Takes over an enhanced metafile; the frame is read from its header.
  void Assign(UniqueEnhMetaFile handle);

 private:
  UniqueEnhMetaFile handle_;
  int mmWidth_ = 0;
  int mmHeight_ = 0;
};

// The metafile drawn onto white into a new 32-bit bitmap of its size in pixels; an empty bitmap
// for a metafile without pixels. The metafile is only read.
[[nodiscard]] std::unique_ptr<TBitmap> DrawnBitmap(const TMetafile& metafile);

// The holder's content as a bitmap, for the viewer. A bitmap is returned as it is; a metafile
// is replaced by its drawn bitmap, and an empty holder gets an empty bitmap. Either way the
// holder then holds that bitmap and tells its owner.
TBitmap& BitmapOf(TPicture& picture);

}  // namespace ui
