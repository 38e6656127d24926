#pragma once
// What the picture holder can hold when a picture comes from the clipboard: a bitmap or an
// enhanced metafile. Each loads itself from the clipboard's data handle and never keeps or
// frees the clipboard's own handles.
#include <windows.h>

#include "ui/Handle.h"
#include "ui/Picture.h"

namespace clipboard {

class TClipboardGraphic : public ui::TGraphic {
 public:
  virtual void LoadFromClipboardData(UINT format, HANDLE data, HPALETTE palette) = 0;
};

// Loads from CF_BITMAP (a copy of the same kind) or from "PNG" (a bottom-up 32-bit section,
// blue, green, red and the PNG's straight alpha). A 32-bit bitmap whose alpha is real draws
// blended over what the target holds; every other one is copied onto it.
class TBitmap : public TClipboardGraphic {
 public:
  [[nodiscard]] int Width() const override { return dib_.dsBm.bmWidth; }
  [[nodiscard]] int Height() const override {
    return dib_.dsBm.bmHeight < 0 ? -dib_.dsBm.bmHeight : dib_.dsBm.bmHeight;
  }
  [[nodiscard]] bool Empty() const override { return !handle_; }
  void Draw(HDC dc, const RECT& target) const override;
  void LoadFromClipboardData(UINT format, HANDLE data, HPALETTE palette) override;

  [[nodiscard]] HBITMAP Handle() const noexcept { return static_cast<HBITMAP>(handle_.get()); }
  [[nodiscard]] HPALETTE Palette() const noexcept { return static_cast<HPALETTE>(palette_.get()); }
  // The bitmap's description; the header size is 0 while it is a device-dependent bitmap.
  [[nodiscard]] const DIBSECTION& Description() const noexcept { return dib_; }
  [[nodiscard]] bool IsDeviceIndependent() const noexcept { return dib_.dsBmih.biSize != 0; }

  // Takes over a new bitmap (and palette); the description is read from the handle.
  void Assign(HBITMAP handle, HPALETTE palette);

 private:
  void LoadPng(HANDLE data);
  // Whether the fourth bytes of the pixels may be alpha: 32-bit pixels in blue, green, red order.
  [[nodiscard]] bool HasAlphaByte() const noexcept;
  // The premultiplied copy AlphaBlend draws from, made at the first draw; null when the
  // bitmap's alpha is no transparency.
  [[nodiscard]] HBITMAP Blendable() const;
  // Takes over a new bitmap and reads its description; the copy made from the old one goes.
  void Replace(ui::UniqueGdiObject handle);

  ui::UniqueGdiObject handle_;
  ui::UniqueGdiObject palette_;
  DIBSECTION dib_{};
  mutable ui::UniqueGdiObject blendable_;
  mutable bool blendableMade_ = false;
};

class TMetafile : public TClipboardGraphic {
 public:
  // Size in pixels of the metafile's reference device.
  [[nodiscard]] int Width() const override;
  [[nodiscard]] int Height() const override;
  [[nodiscard]] bool Empty() const override { return !handle_; }
  void Draw(HDC dc, const RECT& target) const override;
  void LoadFromClipboardData(UINT format, HANDLE data, HPALETTE palette) override;

  [[nodiscard]] HENHMETAFILE Handle() const noexcept { return handle_.get(); }
  // Frame size in 0.01 mm.
  [[nodiscard]] int MMWidth() const noexcept { return mmWidth_; }
  [[nodiscard]] int MMHeight() const noexcept { return mmHeight_; }
  // Units per inch; 0 when the frame is in 0.01 mm.
  [[nodiscard]] int Inch() const noexcept { return inch_; }
  [[nodiscard]] bool Enhanced() const noexcept { return enhanced_; }
  void SetEnhanced(bool value) noexcept { enhanced_ = value; }

 private:
  ui::UniqueEnhMetaFile handle_;
  int mmWidth_ = 0;
  int mmHeight_ = 0;
  int inch_ = 0;
  bool enhanced_ = true;
};

// The holder's content as a bitmap. A bitmap is returned as it is; a metafile is drawn into a
// new 32-bit bitmap of its size in pixels, and an empty holder gets an empty bitmap. Either
// way the holder then holds that bitmap and tells its owner.
TBitmap& BitmapOf(ui::TPicture& picture);

}  // namespace clipboard
