#pragma once
// What a modal window does to the rest of the program: the visible windows of the GUI thread
// are disabled while it is open and enabled again afterwards.
#include <windows.h>

#include <vector>

namespace ui {

// Disables the visible windows of this thread but `keep` and enables them again at scope end.
class DisabledThreadWindows {
 public:
  explicit DisabledThreadWindows(HWND keep);
  ~DisabledThreadWindows();
  DisabledThreadWindows(const DisabledThreadWindows&) = delete;
  DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

 private:
  std::vector<HWND> windows_;
};

}  // namespace ui
