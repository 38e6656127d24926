#pragma once
// Windows of the program: a form is a top-level window owned by the application window,
// with child controls laid out by their alignment. Messages go to short virtual handlers.
#include <windows.h>

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
  void SetWindow(HWND window) noexcept { window_.reset(window); }
  void Notification(TComponent* component) override;

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

 protected:
  virtual bool CloseQuery() { return true; }
  // The form is closing, however the close was asked for.
  virtual void Closed() {}
  virtual void Resized() {}
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

  UniqueWindow window_;
  UniqueGdiObject font_;
  bool modal_ = false;
  bool modalEnded_ = false;
};

}  // namespace ui
