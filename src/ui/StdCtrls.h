#pragma once
// The standard controls dialogs are made of: label, icon, push button, check box, radio
// button and one-line edit. Each is a system control owned by its form, which hands it its
// notifications; a click reaches the control's OnClick.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/Form.h"

namespace ui {

class TStdControl : public TControl {
 public:
  using TNotifyEvent = std::function<void()>;

  [[nodiscard]] std::wstring Text() const;
  void SetText(const std::wstring& text);
  void SetFont(HFONT font);
  // In pixels of the parent's client area.
  void SetBounds(int left, int top, int width, int height);

  TNotifyEvent OnClick;

 protected:
  // Created in tab order: the form numbers its controls as they come.
  TStdControl(TForm* form, std::wstring name, const wchar_t* className, DWORD style, const std::wstring& text,
              DWORD exStyle = 0);
  // A click: BN_CLICKED of a button and STN_CLICKED of a static that notifies, both 0.
  bool Command(WORD code) override;
  void Click() {
    if (OnClick) OnClick();
  }

 private:
  static constexpr WORD kClicked = BN_CLICKED;
  static_assert(BN_CLICKED == STN_CLICKED);
};

// A static text that takes the size of its text. With SS_NOTIFY among its styles its clicks
// reach OnClick; a font colour and a cursor of its own mark an address to open.
class TLabel : public TStdControl {
 public:
  TLabel(TForm* form, std::wstring name, const std::wstring& caption, DWORD style = 0);

  // Font and place; the size follows from the text in that font.
  void Place(HFONT font, int left, int top);
  void SetFontColor(COLORREF color) noexcept {
    fontColor_ = color;
    hasFontColor_ = true;
  }
  void SetCursor(HCURSOR cursor) noexcept { cursor_ = cursor; }

 protected:
  HBRUSH Color(HDC dc) override;
  HCURSOR Cursor() const noexcept override { return cursor_; }

 private:
  COLORREF fontColor_ = 0;
  bool hasFontColor_ = false;
  HCURSOR cursor_ = nullptr;
};

// A static showing an icon centred in its place; it notifies clicks.
class TIconImage : public TStdControl {
 public:
  TIconImage(TForm* form, std::wstring name);
  // The icon stays the caller's; it must outlive its showing.
  void SetIcon(HICON icon);
};

class TButton : public TStdControl {
 public:
  TButton(TForm* form, std::wstring name, const std::wstring& caption);
};

// A check box or radio button: the system keeps its check mark.
class TButtonControl : public TStdControl {
 public:
  [[nodiscard]] bool Checked() const;
  void SetChecked(bool value);

 protected:
  using TStdControl::TStdControl;
};

class TCheckBox : public TButtonControl {
 public:
  TCheckBox(TForm* form, std::wstring name, const std::wstring& caption);
};

// `firstOfGroup` starts a group: the arrow keys move among the radio buttons up to the next
// control that starts one.
class TRadioButton : public TButtonControl {
 public:
  TRadioButton(TForm* form, std::wstring name, const std::wstring& caption, bool firstOfGroup = false);
};

class TEdit : public TStdControl {
 public:
  TEdit(TForm* form, std::wstring name);
};

}  // namespace ui
