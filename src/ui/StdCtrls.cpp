#include "ui/StdCtrls.h"

#include "ui/Dpi.h"
#include "ui/Errors.h"
#include "ui/Window.h"

namespace ui {

TStdControl::TStdControl(TForm* form, std::wstring name, const wchar_t* className, DWORD style,
                         const std::wstring& text, DWORD exStyle)
    : TControl(form, std::move(name), TAlign::None) {
  HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 form->Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(form->NewControlId())),
                                 GetModuleHandleW(nullptr), nullptr);
  if (!control) RaiseLastOSError(GetLastError());
  SetWindow(control);
}

bool TStdControl::Command(WORD code) {
  if (code != kClicked) return false;
  Click();
  return true;
}

std::wstring TStdControl::Text() const { return WindowText(Handle()); }

void TStdControl::SetText(const std::wstring& text) { SetWindowTextW(Handle(), text.c_str()); }

void TStdControl::SetFont(HFONT font) { SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

void TStdControl::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

TLabel::TLabel(TForm* form, std::wstring name, const std::wstring& caption, DWORD style)
    : TStdControl(form, std::move(name), L"STATIC", SS_LEFT | style, caption) {}

void TLabel::Place(HFONT font, int left, int top) { PlaceLabel(Handle(), font, left, top); }

HBRUSH TLabel::Color(HDC dc) {
  if (!hasFontColor_) return nullptr;
  SetTextColor(dc, fontColor_);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

TIconImage::TIconImage(TForm* form, std::wstring name)
    : TStdControl(form, std::move(name), L"STATIC", SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, L"") {}

void TIconImage::SetIcon(HICON icon) { SendMessageW(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0); }

TButton::TButton(TForm* form, std::wstring name, const std::wstring& caption)
    : TStdControl(form, std::move(name), L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, caption) {}

bool TButtonControl::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TButtonControl::SetChecked(bool value) {
  SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

TCheckBox::TCheckBox(TForm* form, std::wstring name, const std::wstring& caption)
    : TButtonControl(form, std::move(name), L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, caption) {}

TRadioButton::TRadioButton(TForm* form, std::wstring name, const std::wstring& caption, bool firstOfGroup)
    : TButtonControl(form, std::move(name), L"BUTTON",
                     BS_AUTORADIOBUTTON | (firstOfGroup ? static_cast<DWORD>(WS_GROUP | WS_TABSTOP) : 0u), caption) {}

TEdit::TEdit(TForm* form, std::wstring name)
    : TStdControl(form, std::move(name), L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, L"", WS_EX_CLIENTEDGE) {}

}  // namespace ui
