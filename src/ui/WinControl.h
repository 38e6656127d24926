#pragma once
// Controls whose window procedure is the toolkit's: the object is bound to its window like
// every window of the program, the messages below reach short virtuals, and everything else
// goes on to the window's own procedure. The window is either of a class of the program's
// own, which paints itself, or a system control the toolkit steps in front of, keeping all
// the control does by itself.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

#include "ui/Form.h"

namespace ui {

// Which of Alt, Ctrl and Shift are held with a key.
struct TShiftState {
  bool Alt = false;
  bool Ctrl = false;
  bool Shift = false;
  bool operator==(const TShiftState&) const = default;
};

class TWinControl : public TControl {
 public:
  // Gives a system control its own procedure back; a window of ours goes unbound, so the
  // messages of its destruction find no half-destroyed object.
  ~TWinControl() override;

 protected:
  TWinControl(TForm* form, std::wstring name, TAlign align = TAlign::None);

  // Creates the window, of the program's class `className` (registered when missing), bound
  // from its first message on. Raises EOSError when Windows refuses it.
  void CreateOwnWindow(const wchar_t* className, HWND parent, DWORD style);
  // Owns `control`, a system control just created, and steps in front of its procedure.
  void TakeOver(HWND control);

  // Each of these answers true when it took the message, which then ends there.
  // The left mouse button went down (a double click counts as one), moved, came up; client
  // coordinates.
  virtual bool MouseDown(POINT at) {
    (void)at;
    return false;
  }
  virtual bool MouseMove(POINT at) {
    (void)at;
    return false;
  }
  virtual bool MouseUp(POINT at) {
    (void)at;
    return false;
  }
  // The mouse capture went to another window, or was released.
  virtual bool CaptureLost() { return false; }
  // A key went down (also with Alt, a system key).
  virtual bool KeyDown(UINT key, TShiftState shift) {
    (void)key;
    (void)shift;
    return false;
  }
  // Files dropped from the shell; the handler owns the drop.
  virtual bool FilesDropped(HDROP drop) {
    (void)drop;
    return false;
  }

  // Whether cut, paste, clear and undo reach the control: false for a text that is not the
  // user's to edit. Copying is no edit.
  [[nodiscard]] virtual bool AcceptsEditing() const { return true; }
  // The dialog code for the dialog manager, from the one the window's own procedure answers.
  virtual LRESULT DialogCode(LRESULT standard) { return standard; }
  // The text a WM_SETTEXT sets, from the text it brings.
  virtual std::wstring TextToSet(std::wstring text) { return text; }
  // The window's own procedure has taken the new size.
  virtual void Resized() {}
  // Paints a window of the program's own class, between BeginPaint and EndPaint.
  virtual void Paint(HDC dc, const RECT& client) {
    (void)dc;
    (void)client;
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Inherited(UINT msg, WPARAM wParam, LPARAM lParam);
  void PaintWindow();

  WNDPROC inherited_ = nullptr;  // the system control's own procedure; null for a class of ours
};

}  // namespace ui
