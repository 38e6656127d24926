#pragma once
// Windows of the program: a form is a top-level window owned by the application window,
// with child controls laid out by their alignment. Messages go to short virtual handlers.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/Component.h"
#include "ui/Handle.h"

namespace ui {

class TForm;
class TPopupMenu;

enum class TAlign { None, Bottom, Client };

// A child window of a form.
class TControl : public TComponent {
 public:
  TControl(TForm* form, std::wstring name, TAlign align);

  [[nodiscard]] HWND Handle() const noexcept { return window_.get(); }
  [[nodiscard]] TAlign Align() const noexcept { return align_; }
  [[nodiscard]] int Height() const;
  // The menu shown on a right click over the control; null for none.
  TPopupMenu* PopupMenu = nullptr;

 protected:
  friend class TForm;
  void SetWindow(HWND window) noexcept { window_.reset(window); }
  // Windows is destroying the window already.
  void ForgetWindow() noexcept { (void)window_.release(); }
  void Notification(TComponent* component) override;
  // A notification the control sent its form (the code of its WM_COMMAND); answers whether
  // the control took it.
  virtual bool Command(WORD code) {
    (void)code;
    return false;
  }
  // The brush the control's background is painted with, its colours set in `dc`; null for
  // the system's colours.
  virtual HBRUSH Color(HDC dc) {
    (void)dc;
    return nullptr;
  }
  // The mouse cursor over the control; null for the class's own.
  [[nodiscard]] virtual HCURSOR Cursor() const noexcept { return nullptr; }

 private:
  TAlign align_;
  UniqueWindow window_;
};

class TForm : public TComponent {
 public:
  static constexpr DWORD kSizeableStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  TForm(TComponent* owner, std::wstring name, const wchar_t* className, const std::wstring& caption, int left, int top,
        int width, int height, DWORD style = kSizeableStyle);
  ~TForm() override;

  [[nodiscard]] HWND Handle() const noexcept { return window_.get(); }
  [[nodiscard]] HFONT Font() const noexcept { return static_cast<HFONT>(font_.get()); }
  [[nodiscard]] std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);

  [[nodiscard]] bool Visible() const;
  void Show();
  void Hide();
  // Shows the form with the program's other windows disabled and runs a message loop until the
  // form closes (or the program ends). Asked again while it runs, it only brings it to the front.
  void ShowModal();
  [[nodiscard]] bool Modal() const noexcept { return modal_; }
  // Asks CloseQuery; on yes runs Closed, then ends a modal showing, or hides the form, or for
  // the main form ends the message loop.
  void Close();
  // Re-lays out the aligned child controls (bottom first, then the client control).
  void Realign();
  // The next control id, for the controls in their tab order. The ids stay clear of IDOK and
  // IDCANCEL: a dialog with no default or cancel button must not let Enter and Escape reach one.
  [[nodiscard]] int NewControlId() noexcept { return nextControlId_++; }

  // A click on the form's free area.
  std::function<void()> OnClick;
  // The form is being shown by a direct call (not with its owner), before it appears.
  std::function<void()> OnShow;

 protected:
  virtual bool CloseQuery() { return true; }
  // The form is closing, however the close was asked for.
  virtual void Closed() {}
  virtual void Resized() {}
  // A control of the form notified `code`. By default the control's own object handles it.
  virtual bool ControlCommand(HWND control, WORD code);
  // A static or read-only control is about to paint: answers the brush for its background,
  // with the colours set in `dc`, or null for the system's. By default the control decides.
  virtual HBRUSH ControlColor(HDC dc, HWND control);
  // Moved onto a screen of density `dpi`, already at the place Windows suggests. By default a
  // form given a size takes that size (given for 96 dots per inch) scaled to `dpi`.
  virtual void DpiChanged(UINT dpi);
  // The form became the active window; answers true when it placed the keyboard focus itself.
  virtual bool Activated() { return false; }
  // Windows ends the session (wParam of WM_ENDSESSION true).
  virtual void SessionEnding() {}
  // Sees each message of the form's modal loop before it is dispatched; answers true when it
  // took the message (a dialog moves the focus with Tab and the arrow keys here).
  virtual bool PreTranslateMessage(MSG& msg) {
    (void)msg;
    return false;
  }
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  bool DispatchMenuCommand(UINT id);
  bool ShowContextMenu(HWND child, LPARAM lParam);
  [[nodiscard]] TControl* FindControl(HWND window) const;
  // The form's size at `dpi`, from the size it was given for 96 dots per inch.
  void ScaleSize(UINT dpi);

  UniqueWindow window_;
  UniqueGdiObject font_;
  int width_;  // as given, for 96 dots per inch; 0 for a form that lays itself out
  int height_;
  int nextControlId_ = 100;
  bool modal_ = false;
  bool modalEnded_ = false;
};

}  // namespace ui
