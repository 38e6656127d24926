#pragma once
// The folder picker field's browse button: a push button drawn with the folder glyph inside
// the field's right edge. Pressing it first tells OnMouseDown (the field takes the focus);
// releasing it over the button is a click. It looks disabled while the field is.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/Handle.h"
#include "ui/WinControl.h"

namespace dialogs {

class TJvEditButton : public ui::TWinControl {
 public:
  TJvEditButton(ui::TForm* form, std::wstring name, HWND field);

  // The glyph at `size` pixels square, for the screen's density.
  void SetGlyphSize(int size);

  std::function<void()> OnMouseDown;
  std::function<void()> OnClick;

 protected:
  bool MouseDown(POINT at) override;
  bool MouseMove(POINT at) override;
  bool MouseUp(POINT at) override;
  bool CaptureLost() override;
  void Paint(HDC dc, const RECT& client) override;

 private:
  [[nodiscard]] bool Over(POINT at) const;
  void Redraw() const { InvalidateRect(Handle(), nullptr, FALSE); }

  ui::UniqueIcon glyph_;
  int glyphSize_ = 16;
  bool pressing_ = false;     // the mouse button went down on the button and is held
  bool pressedLook_ = false;  // ... and the pointer is over it
};

}  // namespace dialogs
