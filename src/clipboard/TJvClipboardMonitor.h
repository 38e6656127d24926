#pragma once
// Tells its owner whenever the clipboard content changes. It joins the clipboard viewer chain
// with a hidden window, serves the rest of the chain first, then calls OnChange.
#include <windows.h>

#include <functional>

#include "ui/Component.h"
#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace clipboard {

class TJvClipboardMonitor : public ui::TComponent {
 public:
  explicit TJvClipboardMonitor(ui::TComponent* owner, std::wstring name = L"ClipboardMonitor");
  ~TJvClipboardMonitor() override;

  [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
  // true joins the viewer chain at its head, false leaves it; the same value again does nothing.
  void SetEnabled(bool value);

  [[nodiscard]] HWND NotifierWindow() const noexcept { return window_.get(); }
  [[nodiscard]] HWND NextViewer() const noexcept { return nextViewer_; }

  std::function<void(TJvClipboardMonitor& sender)> OnChange;

 private:
  void WndProc(ui::TMessage& message);
  void PassOn(const ui::TMessage& message) const;
  void Change();

  ui::UniqueWindow window_;
  HWND nextViewer_ = nullptr;
  bool enabled_ = false;
};

}  // namespace clipboard
