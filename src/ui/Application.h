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

  // Runs the message loop until Terminate; returns the exit code.
  int Run();
  void Terminate();
  // Dispatches every message already waiting in this thread's queue.
  void ProcessMessages();

  std::size_t AddHook(Hook hook);
  void RemoveHook(std::size_t id);

  // Shows the message of the exception being handled; call it from a catch block. Ends any
  // mouse capture first. The program goes on running.
  void HandleException();
  static void HandleCurrentException();
  void SetErrorPresenter(ErrorPresenter presenter) { presenter_ = std::move(presenter); }

  // Minimises or restores the application window, which hides or brings back the windows it
  // owns, as the caption buttons of the main window ask for.
  void Minimize();
  void Restore();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void ShowError(const std::wstring& message);

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
  struct HookEntry {
    std::size_t id;
    Hook hook;
  };
  std::vector<HookEntry> hooks_;
  std::size_t nextHookId_ = 1;
};

}  // namespace ui
