#include "shell/TForm2.h"

#include <algorithm>
#include <utility>

#include "ProgramVersion.h"
#include "resource.h"
#include "shell/ShellOpen.h"
#include "ui/Dpi.h"

namespace shell {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kClientWidth = 226;
constexpr int kClientHeight = 200;
constexpr int kMargin = 16;
constexpr COLORREF kLinkColor = RGB(0, 0, 255);

// The credits name the project, not a person, and are short enough for the window's 226
// pixels in Tahoma and in the wider faces Wine falls back to without it. The addresses stay
// under the reserved example.org domain until the project has its own.
constexpr const wchar_t* kTitle = VELMO_PROGRAM_CAPTION;
constexpr const wchar_t* kAuthor = L"Autor: Velmo-Team";
constexpr const wchar_t* kAuthorWeb = L"https://velmo.example.org";
constexpr const wchar_t* kAuthorMail = L"team@velmo.example.org";
constexpr const wchar_t* kTranslator = L"Übersetzung: Velmo-Team";
constexpr const wchar_t* kTranslatorWeb = L"https://velmo.example.org/i18n";
constexpr const wchar_t* kTranslatorMail = L"i18n@velmo.example.org";
constexpr const wchar_t* kLicence = L"Lizenz: MIT";

}  // namespace

TForm2::TForm2(std::function<clipboard::ReactionPause()> pauseReactions)
    : ui::TForm(nullptr, L"Form2", L"TForm2", L"Info", 0, 0, 0, 0, kStyle),
      Image1(new ui::TIconImage(this, L"Image1")),
      Label1(new ui::TLabel(this, L"Label1", kTitle, SS_NOTIFY)),
      Label2(new ui::TLabel(this, L"Label2", kAuthor, SS_NOTIFY)),
      Label4(new ui::TLabel(this, L"Label4", kAuthorWeb, SS_NOTIFY)),
      Label5(new ui::TLabel(this, L"Label5", kAuthorMail, SS_NOTIFY)),
      Label6(new ui::TLabel(this, L"Label6", kTranslator, SS_NOTIFY)),
      Label7(new ui::TLabel(this, L"Label7", kTranslatorWeb, SS_NOTIFY)),
      Label8(new ui::TLabel(this, L"Label8", kTranslatorMail, SS_NOTIFY)),
      Label9(new ui::TLabel(this, L"Label9", kLicence, SS_NOTIFY)),
      pauseReactions_(std::move(pauseReactions)) {
  OnClick = [this] { FormClick(); };
  for (ui::TStdControl* control : {static_cast<ui::TStdControl*>(Image1), static_cast<ui::TStdControl*>(Label1),
                                   static_cast<ui::TStdControl*>(Label2), static_cast<ui::TStdControl*>(Label6),
                                   static_cast<ui::TStdControl*>(Label9)}) {
    control->OnClick = [this] { FormClick(); };
  }
  Label4->OnClick = [this] { Label4Click(); };
  Label5->OnClick = [this] { Label5Click(); };
  Label7->OnClick = [this] { Label7Click(); };
  Label8->OnClick = [this] { Label8Click(); };
  const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  for (ui::TLabel* link : {Label4, Label5, Label7, Label8}) {
    link->SetFontColor(kLinkColor);
    link->SetCursor(hand);
  }
  Layout(ui::WindowDpi(Handle()));
  CentreOnScreen();
}

void TForm2::Layout(UINT dpi) {
  const auto scale = [dpi](int value) { return ui::ScaleForDpi(value, dpi); };
  // The new fonts go to the labels before the old ones are deleted.
  ui::UniqueGdiObject font(ui::CreateMessageFont(dpi));
  ui::UniqueGdiObject titleFont(ui::CreateMessageFont(dpi, -16, FW_BOLD));
  const auto normal = static_cast<HFONT>(font.get());
  Label1->Place(static_cast<HFONT>(titleFont.get()), scale(64), scale(24));
  Label2->Place(normal, scale(16), scale(64));
  Label4->Place(normal, scale(16), scale(80));
  Label5->Place(normal, scale(16), scale(96));
  Label6->Place(normal, scale(16), scale(120));
  Label7->Place(normal, scale(16), scale(136));
  Label8->Place(normal, scale(16), scale(152));
  Label9->Place(normal, scale(16), scale(176));
  font_ = std::move(font);
  titleFont_ = std::move(titleFont);

  const int iconSize = scale(32);
  ui::UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM),
                                                    IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR)));
  Image1->SetIcon(static_cast<HICON>(icon.get()));
  icon_ = std::move(icon);
  Image1->SetBounds(scale(16), scale(16), scale(41), scale(41));

  // The client area is 226 x 200 at 96 dots per inch, wider only where a text would not fit:
  // labels take the size of their text, and no text is cut off. Only the title can need more:
  // bold at 16 pixels from x 64 it is 177 pixels wide in Tahoma and 193 in DejaVu Sans.
  int clientWidth = scale(kClientWidth);
  for (const ui::TLabel* label : {Label1, Label2, Label4, Label5, Label6, Label7, Label8, Label9}) {
    RECT place{};
    GetWindowRect(label->Handle(), &place);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
    clientWidth = std::max(clientWidth, static_cast<int>(place.right) + scale(kMargin));
  }
  RECT frame{0, 0, clientWidth, scale(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm2::CentreOnScreen() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  ui::CentreWindow(Handle(), monitor.rcMonitor);
}

void TForm2::ShowModal() {
  // Given back once the modal loop is over, however the window was closed.
  const clipboard::ReactionPause pause = pauseReactions_();
  ui::TForm::ShowModal();
}

void TForm2::FormClick() { Close(); }

void TForm2::Label4Click() { ShellOpen(Label4->Text()); }

void TForm2::Label5Click() { ShellOpen(L"mailto:" + Label5->Text()); }

void TForm2::Label7Click() { ShellOpen(Label7->Text()); }

void TForm2::Label8Click() { ShellOpen(L"mailto:" + Label8->Text()); }

}  // namespace shell
