#include "ui/Image.h"

#include "ui/Window.h"

namespace ui {
namespace {
constexpr const wchar_t* kImageClass = L"TImage";
}

TImage::TImage(TForm* form, std::wstring name, const TPicture& picture)
    : TControl(form, std::move(name), TAlign::Client), picture_(picture) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &TImage::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kImageClass;
  RegisterClassIfMissing(wc);
  SetWindow(
      CreateWindowExW(0, kImageClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, form->Handle(), nullptr, instance, this));
}

void TImage::PictureChanged() { InvalidateRect(Handle(), nullptr, TRUE); }

void TImage::SetStretch(bool value) {
  if (stretch_ == value) return;
  stretch_ = value;
  InvalidateRect(Handle(), nullptr, TRUE);
}

int TImage::ClientWidth() const {
  RECT rect{};
  GetClientRect(Handle(), &rect);
  return rect.right;
}

int TImage::ClientHeight() const {
  RECT rect{};
  GetClientRect(Handle(), &rect);
  return rect.bottom;
}

RECT TImage::DestinationRect(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight, bool stretch) {
  int width = pictureWidth;
  int height = pictureHeight;
  if (stretch && pictureWidth > 0 && pictureHeight > 0) {
    // As large as the area allows with the picture's proportions kept: the side that hits the
    // area's edge first decides. 64-bit products, since 4K pictures times 4K areas overflow.
    const auto aw = static_cast<long long>(areaWidth);
    const auto ah = static_cast<long long>(areaHeight);
    if (aw * pictureHeight <= ah * pictureWidth) {
      width = areaWidth;
      height = static_cast<int>((aw * pictureHeight + pictureWidth / 2) / pictureWidth);
    } else {
      height = areaHeight;
      width = static_cast<int>((ah * pictureWidth + pictureHeight / 2) / pictureHeight);
    }
  }
  const int left = (areaWidth - width) / 2;
  const int top = (areaHeight - height) / 2;
  return RECT{left, top, left + width, top + height};
}

LRESULT CALLBACK TImage::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = BindOnCreate<TImage>(window, msg, lParam);
  if (self && msg == WM_PAINT) {
    self->Paint();
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

void TImage::Paint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(Handle(), &ps);
  if (const TGraphic* graphic = picture_.Graphic(); graphic && !graphic->Empty()) {
    const RECT target = DestinationRect(ClientWidth(), ClientHeight(), graphic->Width(), graphic->Height(), stretch_);
    graphic->Draw(dc, target);
  }
  EndPaint(Handle(), &ps);
}

}  // namespace ui
