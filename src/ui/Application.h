#pragma once
// The application object: the hidden top-level window of class "TApplication" that carries
// the taskbar button, the title, the message loop and the default error handler.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Com.h"
#include "ui/Handle.h"

namespace ui {

class TForm;

class TApplication {
 public:
  // Sees every message sent to the application window before the application handles it.
  // Answer true to mark the message handled (the result is then `result`).
  using Hook = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
  // Shows an error text to the user; replaceable so tests can look at what would be shown.
  using ErrorPresenter = std::function<void(const std::wstring& text, const std::wstring& caption)>;

  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // The one application object of the process, or null before it exists.
  static TApplication* Current() noexcept { return current_; }

  [[nodiscard]] HWND Handle() const noexcept { return window_.get(); }
  [[nodiscard]] const std::wstring& Title() const noexcept { return title_; }
  void SetTitle(const std::wstring& title);

  [[nodiscard]] TForm* MainForm() const noexcept { return mainForm_; }
  // The first form created becomes the main form; closing it ends the message loop.
  void FormCreated(TForm* form);
  void FormDestroyed(TForm* form);

  void SetShowMainForm(bool value) noexcept { showMainForm_ = value; }
  // The window that ends up with the focus when the application window gets it: the main
  // form while it shows, otherwise the application window itself.
  [[nodiscard]] HWND FocusWindow() const;

  // Runs the message loop until Terminate; returns the exit code.
  int Run();
  void Terminate();
  // Dispatches every message already waiting in this thread's queue.
  void ProcessMessages();

  std::size_t AddHook(Hook hook);
  void RemoveHook(std::size_t id);

  // Shows the message of the exception being handled; call it from a catch block. Ends any
  // mouse capture first. The program goes on running. One box at a time: while a box is open,
  // the same text again is dropped and another waits until the box is closed. Throws nothing,
  // so it can stand at the edge of every window procedure and callback.
  void HandleException() noexcept;
  static void HandleCurrentException() noexcept;
  void SetErrorPresenter(ErrorPresenter presenter) { presenter_ = std::move(presenter); }
  // Whether an error box is open right now (its modal loop lets other messages in).
  [[nodiscard]] bool ShowingError() const noexcept { return showingError_; }

  // Minimises or restores the application window, which hides or brings back the windows it
  // owns, as the caption buttons of the main window ask for.
  void Minimize();
  void Restore();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void ShowError(const std::wstring& message);
  void Present(const std::wstring& text);

  static TApplication* current_;
  // First in, last out: COM serves every window and component of the program, on its one
  // GUI thread (shell links, ShellExecute).
  ComApartment com_;
  UniqueWindow window_;
  std::wstring title_;
  TForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  ErrorPresenter presenter_;
  bool showingError_ = false;
  std::wstring shownError_;                  // the text of the open box
  std::vector<std::wstring> waitingErrors_;  // other texts that came while it was open
  struct HookEntry {
    std::size_t id;
    Hook hook;
  };
  std::vector<HookEntry> hooks_;
  std::size_t nextHookId_ = 1;
};

}  // namespace ui
