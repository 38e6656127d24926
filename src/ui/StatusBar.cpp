#include "ui/StatusBar.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

TStatusBar::TStatusBar(TForm* form, std::wstring name, const std::vector<int>& panelWidths)
    : TControl(form, std::move(name), TAlign::Bottom) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_BAR_CLASSES};
  InitCommonControlsEx(&init);
  SetWindow(CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                            form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr));
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(form->Font()), FALSE);
  setWidths_ = widths_ = panelWidths;
  ApplyWidths();
}

void TStatusBar::ApplyWidths() {
  // The parts message wants right edges, not widths. Every panel keeps its own width, the last
  // one too: a right edge of -1 would stretch it to the window's edge.
  std::vector<int> edges;
  int edge = 0;
  for (int width : widths_) edges.push_back(edge += width);
  SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void TStatusBar::SetPanelText(int panel, const std::wstring& text) {
  const auto index = static_cast<std::size_t>(panel);
  if (panel >= 0 && index < widths_.size()) {
    // The text's width in the bar's font, with the room the panel's borders and margins take.
    HDC dc = GetDC(Handle());
    SIZE extent{};
    if (dc) {
      HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      SelectObject(dc, previous);
      ReleaseDC(Handle(), dc);
    }
    const int needed = std::max(setWidths_[index], static_cast<int>(extent.cx) + 4 * GetSystemMetrics(SM_CXEDGE) + 6);
    if (needed != widths_[index]) {
      widths_[index] = needed;
      ApplyWidths();
    }
  }
  SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring TStatusBar::PanelText(int panel) const {
  const auto length = LOWORD(SendMessageW(Handle(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(Handle(), SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return text;
}

}  // namespace ui
