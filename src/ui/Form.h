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
  TForm(TComponent* owner, std::wstring name, const wchar_t* className, const std::wstring& caption, int left, int top,
        int width, int height);
  ~TForm() override;

  [[nodiscard]] HWND Handle() const noexcept { return window_.get(); }
  [[nodiscard]] HFONT Font() const noexcept { return static_cast<HFONT>(font_.get()); }
  [[nodiscard]] std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);

  [[nodiscard]] bool Visible() const;
  void Show();
  void Hide();
  // Asks CloseQuery; on yes hides the form, and for the main form ends the message loop.
  void Close();
  // Re-lays out the aligned child controls (bottom first, then the client control).
  void Realign();

 protected:
  virtual bool CloseQuery() { return true; }
  virtual void Resized() {}
  // Windows ends the session (wParam of WM_ENDSESSION true).
  virtual void SessionEnding() {}
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  bool DispatchMenuCommand(UINT id);
  bool ShowContextMenu(HWND child, LPARAM lParam);

  UniqueWindow window_;
  UniqueGdiObject font_;
};

}  // namespace ui
