#pragma once
// Limits how many copies of the program run at once. The first guard of a process enters the
// process in the instance registry; once the owner is loaded, a copy beyond the limit asks the
// older copies whether they are active and, if one is, refuses itself: it reports the
// refusal, brings the oldest copy to the front, hands its command line over and ends.
//
// The copies question and answer each other through a hidden window of class
// "JvAppInstances_WindowClass" and the registry message.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace shell {

class InstanceRegistryOwner;
class TJclAppInstances;

inline constexpr const wchar_t* kAppInstancesWindowClass = L"JvAppInstances_WindowClass";

class TJvAppInstances : public ui::TComponent {
 public:
  // Raises the registry's errors when the registry cannot be created. The first guard of the
  // owner's process joins the registry.
  TJvAppInstances(ui::TComponent* owner, InstanceRegistryOwner& registry, std::wstring name = L"JvAppInstanz");
  ~TJvAppInstances() override;

  [[nodiscard]] HWND Handle() const noexcept { return window_.get(); }

  // Whether the guard checks at all; the answers of other copies overwrite it.
  [[nodiscard]] bool Active() const noexcept { return active_; }
  void SetActive(bool value) noexcept { active_ = value; }
  // On refusal, bring the oldest copy to the front.
  [[nodiscard]] bool AutoActivate() const noexcept { return autoActivate_; }
  void SetAutoActivate(bool value) noexcept { autoActivate_ = value; }
  // The most copies allowed; 0 or less means no limit.
  [[nodiscard]] int MaxInstances() const noexcept { return maxInstances_; }
  void SetMaxInstances(int value) noexcept { maxInstances_ = value; }
  // On refusal, send the command line to the other copies.
  [[nodiscard]] bool SendCmdLine() const noexcept { return sendCmdLine_; }
  void SetSendCmdLine(bool value) noexcept { sendCmdLine_ = value; }

  std::function<void(TJvAppInstances& sender, DWORD processId)> OnInstanceCreated;
  std::function<void(TJvAppInstances& sender, DWORD processId)> OnInstanceDestroyed;
  std::function<void(TJvAppInstances& sender, LPARAM param)> OnUserNotify;
  // Data of any kind but the command line; `data` lives only during the call.
  std::function<void(TJvAppInstances& sender, ULONG_PTR kind, const void* data, std::size_t size)> OnDataAvailable;
  std::function<void(TJvAppInstances& sender, const std::vector<std::wstring>& commandLine)> OnCmdLineReceived;
  std::function<void(TJvAppInstances& sender)> OnRejected;

 protected:
  // The limit check. Refusing ends the run (the registry's TerminateSelf); it does not return.
  void Loaded() override;

  virtual void DoInstanceCreated(DWORD processId);
  virtual void DoInstanceDestroyed(DWORD processId);
  virtual void DoUserNotify(LPARAM param);
  virtual void DoDataAvailable(ULONG_PTR kind, const void* data, std::size_t size);
  virtual void DoCmdLineReceived(const std::vector<std::wstring>& commandLine);
  virtual void DoRejected();

 private:
  void WndProc(ui::TMessage& message);
  void RegistryMessage(const ui::TMessage& message);
  void CopyData(const COPYDATASTRUCT& copy);
  // Asks the running copies older than this one whether they are active; true refuses this
  // copy.
  bool OlderCopyIsActive(std::span<const DWORD> copies);
  void AskThread(DWORD thread);
  // Brings `oldestCopy` to the front, hands the command line over and ends the run.
  [[noreturn]] void Refuse(DWORD oldestCopy);

  ui::UniqueWindow window_;
  TJclAppInstances* registry_ = nullptr;
  bool active_ = true;
  bool autoActivate_ = true;
  int maxInstances_ = 1;
  bool sendCmdLine_ = true;
};

}  // namespace shell
