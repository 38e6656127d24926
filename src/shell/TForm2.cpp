#include "shell/TForm2.h"

#include <algorithm>
#include <utility>

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
constexpr const wchar_t* kTitle = L"Velmo Clipboard V0.2";
constexpr const wchar_t* kAuthor = L"Autor: Velmo-Team";
constexpr const wchar_t* kAuthorWeb = L"https://velmo.example.org";
constexpr const wchar_t* kAuthorMail = L"team@velmo.example.org";
constexpr const wchar_t* kTranslator = L"Übersetzung: Velmo-Team";
constexpr const wchar_t* kTranslatorWeb = L"https://velmo.example.org/i18n";
constexpr const wchar_t* kTranslatorMail = L"i18n@velmo.example.org";
constexpr const wchar_t* kLicence = L"Lizenz: MIT";

HWND CreateStatic(HWND parent, DWORD style, const wchar_t* text) {
  return CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_NOTIFY | style, 0, 0, 0, 0, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// A TrueType face: the bitmap "MS Sans Serif" comes in a few sizes only and does not grow with
// the screen's density.
HFONT CreateFormFont(int height, int weight) {
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

}  // namespace

TForm2::TForm2(std::function<clipboard::ReactionPause()> pauseReactions)
    : ui::TForm(nullptr, L"Form2", L"TForm2", L"Info", 0, 0, 0, 0, kStyle), pauseReactions_(std::move(pauseReactions)) {
  HWND self = Handle();
  Image1.reset(CreateStatic(self, SS_ICON | SS_CENTERIMAGE, nullptr));
  Label1.reset(CreateStatic(self, 0, kTitle));
  Label2.reset(CreateStatic(self, 0, kAuthor));
  Label4.reset(CreateStatic(self, 0, kAuthorWeb));
  Label5.reset(CreateStatic(self, 0, kAuthorMail));
  Label6.reset(CreateStatic(self, 0, kTranslator));
  Label7.reset(CreateStatic(self, 0, kTranslatorWeb));
  Label8.reset(CreateStatic(self, 0, kTranslatorMail));
  Label9.reset(CreateStatic(self, 0, kLicence));
  Layout(ui::WindowDpi(self));
  CentreOnScreen();
}

void TForm2::Layout(UINT dpi) {
  const auto scale = [dpi](int value) { return ui::ScaleForDpi(value, dpi); };
  // The new fonts go to the labels before the old ones are deleted.
  ui::UniqueGdiObject font(CreateFormFont(scale(-11), FW_NORMAL));
  ui::UniqueGdiObject titleFont(CreateFormFont(scale(-16), FW_BOLD));
  const auto normal = static_cast<HFONT>(font.get());
  ui::PlaceLabel(Label1.get(), static_cast<HFONT>(titleFont.get()), scale(64), scale(24));
  ui::PlaceLabel(Label2.get(), normal, scale(16), scale(64));
  ui::PlaceLabel(Label4.get(), normal, scale(16), scale(80));
  ui::PlaceLabel(Label5.get(), normal, scale(16), scale(96));
  ui::PlaceLabel(Label6.get(), normal, scale(16), scale(120));
  ui::PlaceLabel(Label7.get(), normal, scale(16), scale(136));
  ui::PlaceLabel(Label8.get(), normal, scale(16), scale(152));
  ui::PlaceLabel(Label9.get(), normal, scale(16), scale(176));
  font_ = std::move(font);
  titleFont_ = std::move(titleFont);

  const int iconSize = scale(32);
  ui::UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM),
                                                    IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR)));
  SendMessageW(Image1.get(), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  icon_ = std::move(icon);
  SetWindowPos(Image1.get(), nullptr, scale(16), scale(16), scale(41), scale(41), SWP_NOZORDER | SWP_NOACTIVATE);

  // The client area is 226 x 200 at 96 dots per inch, wider only where a text would not fit:
  // labels take the size of their text, and no text is cut off. Only the title can need more:
  // bold at 16 pixels from x 64 it is 177 pixels wide in Tahoma and 193 in DejaVu Sans.
  int clientWidth = scale(kClientWidth);
  for (HWND label : {Label1.get(), Label2.get(), Label4.get(), Label5.get(), Label6.get(), Label7.get(), Label8.get(),
                     Label9.get()}) {
    RECT place{};
    GetWindowRect(label, &place);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
    clientWidth = std::max(clientWidth, static_cast<int>(place.right) + scale(kMargin));
  }
  RECT frame{0, 0, clientWidth, scale(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm2::CentreOnScreen() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  SetWindowPos(Handle(), nullptr, (screen.left + screen.right - (window.right - window.left)) / 2,
               (screen.top + screen.bottom - (window.bottom - window.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm2::ShowModal() {
  // Given back once the modal loop is over, however the window was closed.
  const clipboard::ReactionPause pause = pauseReactions_();
  ui::TForm::ShowModal();
}

void TForm2::FormClick() { Close(); }

void TForm2::Label4Click() { ShellOpen(Text(Label4.get())); }

void TForm2::Label5Click() { ShellOpen(L"mailto:" + Text(Label5.get())); }

void TForm2::Label7Click() { ShellOpen(Text(Label7.get())); }

void TForm2::Label8Click() { ShellOpen(L"mailto:" + Text(Label8.get())); }

bool TForm2::IsLink(HWND control) const {
  return control == Label4.get() || control == Label5.get() || control == Label7.get() || control == Label8.get();
}

std::wstring TForm2::Text(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

LRESULT TForm2::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == STN_CLICKED && lParam != 0) {
        const auto control = reinterpret_cast<HWND>(lParam);
        if (control == Label4.get()) {
          Label4Click();
        } else if (control == Label5.get()) {
          Label5Click();
        } else if (control == Label7.get()) {
          Label7Click();
        } else if (control == Label8.get()) {
          Label8Click();
        } else {
          FormClick();
        }
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:  // the free area
      FormClick();
      return 0;
    case WM_CTLCOLORSTATIC:
      if (IsLink(reinterpret_cast<HWND>(lParam))) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kLinkColor);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (IsLink(reinterpret_cast<HWND>(wParam))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_DPICHANGED:
      Layout(ui::TakeSuggestedPlace(Handle(), wParam, lParam));
      return 0;
    default:
      break;
  }
  return DefaultHandler(msg, wParam, lParam);
}

}  // namespace shell
