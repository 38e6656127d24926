#include "ui/ImageList.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ui {
namespace {

// Builds a 32-bit section (premultiplied where it is blended) from the icon's own pixels and alpha (or its mask,
// for icons without alpha), which is what menu item bitmaps want. Drawing the icon onto a
// section instead would depend on how the system fills in alpha, and some do not.
// Windows blends a 32-bit menu item bitmap by its alpha; Wine copies it as it is, so there the
// icon is laid onto the menu colour instead of onto transparent black.
bool MenusBlendItemBitmaps() {
  static const bool blend = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
  return blend;
}

HBITMAP IconToBitmap(HICON icon, int size) {
  ICONINFO iconInfo{};
  if (!GetIconInfo(icon, &iconInfo)) return nullptr;
  UniqueGdiObject color(iconInfo.hbmColor);
  UniqueGdiObject mask(iconInfo.hbmMask);
  if (!color) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down, like the mask rows read below
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const std::size_t count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
  std::vector<RGBQUAD> pixels(count);
  std::vector<RGBQUAD> maskPixels(count);
  WindowDc screen(nullptr);
  const auto rows = static_cast<UINT>(size);
  if (!GetDIBits(screen.get(), static_cast<HBITMAP>(color.get()), 0, rows, pixels.data(), &info, DIB_RGB_COLORS))
    return nullptr;
  const bool hasAlpha = std::any_of(pixels.begin(), pixels.end(), [](const RGBQUAD& p) { return p.rgbReserved != 0; });
  if (!hasAlpha && mask) {
    GetDIBits(screen.get(), static_cast<HBITMAP>(mask.get()), 0, rows, maskPixels.data(), &info, DIB_RGB_COLORS);
  }
  const bool blend = MenusBlendItemBitmaps();
  const COLORREF background = blend ? RGB(0, 0, 0) : GetSysColor(COLOR_MENU);
  const auto over = [](BYTE value, BYTE alpha, BYTE under) {
    return static_cast<BYTE>((value * alpha + under * (255 - alpha)) / 255);
  };
  for (std::size_t i = 0; i < count; ++i) {
    RGBQUAD& p = pixels[i];
    // Without alpha, the mask says which pixels are transparent (white in the mask).
    const BYTE alpha = hasAlpha ? p.rgbReserved : (maskPixels[i].rgbBlue != 0 ? BYTE{0} : BYTE{255});
    p.rgbBlue = over(p.rgbBlue, alpha, GetBValue(background));
    p.rgbGreen = over(p.rgbGreen, alpha, GetGValue(background));
    p.rgbRed = over(p.rgbRed, alpha, GetRValue(background));
    p.rgbReserved = blend ? alpha : BYTE{255};
  }
  if (!blend) {
    // Without blending, a bitmap of the screen's own kind draws far faster than a section:
    // the menu opens that much sooner after a copy.
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), size, size);
    if (bitmap) SetDIBits(screen.get(), bitmap, 0, rows, pixels.data(), &info, DIB_RGB_COLORS);
    return bitmap;
  }
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) std::memcpy(bits, pixels.data(), count * sizeof(RGBQUAD));
  return bitmap;
}

}  // namespace

TImageList::TImageList(TComponent* owner, std::wstring name, int size)
    : TComponent(owner, std::move(name)), size_(size) {}

void TImageList::AddResourceIcon(int index, int resourceId) {
  auto icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size_, size_, LR_DEFAULTCOLOR));
  if (!icon) return;
  UniqueIcon owner(icon);
  bitmaps_[index] = UniqueGdiObject(IconToBitmap(icon, size_));
}

HBITMAP TImageList::MenuBitmap(int index) const {
  auto found = bitmaps_.find(index);
  return found == bitmaps_.end() ? nullptr : static_cast<HBITMAP>(found->second.get());
}

}  // namespace ui
