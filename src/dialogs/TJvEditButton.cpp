#include "dialogs/TJvEditButton.h"

#include "resource.h"

namespace dialogs {

TJvEditButton::TJvEditButton(ui::TForm* form, std::wstring name, HWND field) : ui::TWinControl(form, std::move(name)) {
  CreateOwnWindow(L"TJvEditButton", field, WS_CHILD | WS_VISIBLE);
}

void TJvEditButton::SetGlyphSize(int size) {
  glyphSize_ = size;
  glyph_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DIRECTORY_GLYPH),
                                             IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

bool TJvEditButton::Over(POINT at) const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return PtInRect(&client, at) != FALSE;
}

bool TJvEditButton::MouseDown(POINT) {
  if (OnMouseDown) OnMouseDown();
  pressing_ = true;
  pressedLook_ = true;
  SetCapture(Handle());
  Redraw();
  return true;
}

bool TJvEditButton::MouseMove(POINT at) {
  if (pressing_ && pressedLook_ != Over(at)) {
    pressedLook_ = !pressedLook_;
    Redraw();
  }
  return true;
}

bool TJvEditButton::MouseUp(POINT at) {
  const bool click = pressing_ && Over(at);
  pressing_ = false;
  pressedLook_ = false;
  if (GetCapture() == Handle()) ReleaseCapture();
  Redraw();
  if (click && OnClick) OnClick();
  return true;
}

bool TJvEditButton::CaptureLost() {
  if (pressing_) {
    pressing_ = false;
    pressedLook_ = false;
    Redraw();
  }
  return true;
}

void TJvEditButton::Paint(HDC dc, const RECT& client) {
  RECT rect = client;
  DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pressedLook_ ? DFCS_PUSHED : 0u));
  if (!glyph_) return;
  const int offset = pressedLook_ ? 1 : 0;
  const int x = (rect.right - glyphSize_) / 2 + offset;
  const int y = (rect.bottom - glyphSize_) / 2 + offset;
  if (IsWindowEnabled(GetParent(Handle()))) {
    DrawIconEx(dc, x, y, glyph_.get(), glyphSize_, glyphSize_, 0, nullptr, DI_NORMAL);
  } else {
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(glyph_.get()), 0, x, y, glyphSize_, glyphSize_,
               DST_ICON | DSS_DISABLED);
  }
}

}  // namespace dialogs
