#pragma once
// Answers a modal dialog box from a thread of its own, so a test can run code that blocks
// in the dialog (a message box, the save dialog) in its own process or drive one in the
// program under test. The answering thread only finds windows and posts to them.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// The visible dialog boxes (class "#32770") of a process that are not in `except`.
std::vector<HWND> VisibleDialogs(DWORD processId, const std::vector<HWND>& except = {});
// Waits for a visible dialog box of the process not in `except`; null when none came in time.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs, const std::vector<HWND>& except = {});

// The caption and the texts of a dialog's static controls (a message box's text).
std::wstring WindowText(HWND window);
std::wstring StaticTexts(HWND dialog);
// Whether a message box shows an icon.
bool HasIcon(HWND dialog);
// Presses a button of the dialog as a click does.
void PressButton(HWND dialog, int id);
// Types a full name into a save dialog's file name field and presses Save.
void SaveUnderName(HWND dialog, const std::wstring& path);

class DialogAnswerer {
 public:
  // `answer` runs on the answering thread with each dialog that shows, up to `count` of them,
  // within the time (counted from now).
  DialogAnswerer(DWORD processId, std::function<void(HWND dialog)> answer, int count = 1, DWORD timeoutMs = 15000);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // How many dialogs have been answered so far.
  [[nodiscard]] int Answered() const noexcept { return answered_.load(); }

 private:
  std::atomic<int> answered_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace testing_support
