#pragma once
// A well-behaved clipboard viewer of the kind other programs register: it joins the chain at
// its head, passes every notification on, and follows the chain when a viewer leaves. Tests use
// it as "another program's viewer" before or after the one under test.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace testing_support {

class TestClipboardViewer {
 public:
  // At once, or later from the viewer's own message queue, as slow clipboard managers do.
  enum class PassOn { AtOnce, Later };

  explicit TestClipboardViewer(std::function<void()> onDraw = {}, PassOn passOn = PassOn::AtOnce);
  ~TestClipboardViewer();
  TestClipboardViewer(const TestClipboardViewer&) = delete;
  TestClipboardViewer& operator=(const TestClipboardViewer&) = delete;

  [[nodiscard]] HWND Window() const noexcept { return window_.get(); }

  int notifications = 0;  // change notifications received (its own registration included)
  int passedOn = 0;       // notifications handed to the next viewer
  WPARAM lastWParam = 0;
  LPARAM lastLParam = 0;
  std::vector<std::pair<WPARAM, LPARAM>> chainChanges;  // every WM_CHANGECBCHAIN received

 private:
  void WndProc(ui::TMessage& message);
  void PassOnNow(WPARAM wParam, LPARAM lParam);

  std::function<void()> onDraw_;
  PassOn passOn_;
  ui::UniqueWindow window_;
  HWND next_ = nullptr;
};

}  // namespace testing_support
