#pragma once
// Driving modal windows from a test: the test runs on the GUI thread that the modal loop
// takes over, so what the user would do inside the window is run from a timer in that loop.
// Also shell links read back through the shell, for the shortcut tests.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/Form.h"

namespace testing_support {

// Runs `action` once from inside the next modal loop of `form`, once the form shows. A form
// still modal `timeoutMs` later is closed, so a missing close fails the test instead of hanging it.
class WhileModal {
 public:
  WhileModal(ui::TForm& form, std::function<void()> action, DWORD timeoutMs = 5000);
  ~WhileModal();
  WhileModal(const WhileModal&) = delete;
  WhileModal& operator=(const WhileModal&) = delete;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Step();

  ui::TForm& form_;
  std::function<void()> action_;
  bool done_ = false;
  ULONGLONG deadline_;
  UINT_PTR timer_;
};

// A left click as the window itself gets it, at a point of its client area.
void Click(HWND window, int x = 1, int y = 1);

struct ShellLinkContents {
  std::wstring target;
  std::wstring arguments;
  std::wstring workingDirectory;
  int showCommand = 0;
  std::wstring iconPath;
  int iconIndex = -1;
};
// What a ".lnk" file holds, read through IShellLinkW; an empty target when it cannot be read.
ShellLinkContents ReadShellLink(const std::wstring& path);

}  // namespace testing_support
