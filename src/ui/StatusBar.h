#pragma once
// The common-controls status bar at the bottom of a form, in panels of fixed widths.
#include <string>
#include <vector>

#include "ui/Form.h"

namespace ui {

class TStatusBar : public TControl {
 public:
  TStatusBar(TForm* form, std::wstring name, const std::vector<int>& panelWidths);

  void SetPanelText(int panel, const std::wstring& text);
  [[nodiscard]] std::wstring PanelText(int panel) const;
};

}  // namespace ui
