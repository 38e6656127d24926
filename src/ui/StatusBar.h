#pragma once
// The common-controls status bar at the bottom of a form, in panels of set widths. A panel
// whose text needs more room grows to fit it, so no text is ever cut.
#include <string>
#include <vector>

#include "ui/Form.h"

namespace ui {

class TStatusBar : public TControl {
 public:
  TStatusBar(TForm* form, std::wstring name, const std::vector<int>& panelWidths);

  void SetPanelText(int panel, const std::wstring& text);
  [[nodiscard]] std::wstring PanelText(int panel) const;

 private:
  void ApplyWidths();

  std::vector<int> setWidths_;
  std::vector<int> widths_;
};

}  // namespace ui
