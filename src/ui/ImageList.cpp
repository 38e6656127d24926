#include "ui/ImageList.h"

#include <cstring>

namespace ui {
namespace {

// Draws the icon onto a transparent 32-bit section; DrawIconEx leaves premultiplied alpha,
// which is what menu item bitmaps want.
HBITMAP IconToBitmap(HICON icon, int size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  WindowDc screen(nullptr);
  HBITMAP bitmap = CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  std::memset(bits, 0, static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4);
  UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  {
    SelectedObject selected(dc.get(), bitmap);
    DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  }
  GdiFlush();
  return bitmap;
}

}  // namespace

TImageList::TImageList(TComponent* owner, std::wstring name, int size)
    : TComponent(owner, std::move(name)), size_(size) {}

void TImageList::AddResourceIcon(int index, int resourceId) {
  auto icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size_, size_, LR_DEFAULTCOLOR));
  if (!icon) return;
  Image image{UniqueIcon(icon), UniqueGdiObject(IconToBitmap(icon, size_))};
  images_[index] = std::move(image);
}

HICON TImageList::Icon(int index) const {
  auto found = images_.find(index);
  return found == images_.end() ? nullptr : found->second.icon.get();
}

HBITMAP TImageList::MenuBitmap(int index) const {
  auto found = images_.find(index);
  return found == images_.end() ? nullptr : static_cast<HBITMAP>(found->second.bitmap.get());
}

}  // namespace ui
