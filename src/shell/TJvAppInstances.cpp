#include "shell/TJvAppInstances.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "shell/CommandLine.h"
#include "shell/TJclAppInstances.h"
#include "ui/Application.h"

namespace shell {
namespace {

constexpr std::uint16_t kJoinLimit = 65535;

}  // namespace

TJvAppInstances::TJvAppInstances(ui::TComponent* owner, InstanceRegistryOwner& registry, std::wstring name)
    : ui::TComponent(owner, std::move(name)),
      window_(ui::AllocateHWnd(this, &ui::MessageThunk<TJvAppInstances, &TJvAppInstances::WndProc>,
                               kAppInstancesWindowClass)) {
  const bool joins = registry.TakeFirstJoin();
  registry_ = &registry.Registry();
  // The first join into a fresh table sets its limit so high that every later copy is
  // entered and announced; the guard does the limiting itself, in Loaded.
  if (joins) registry_->JoinRegistry(kJoinLimit);
}

TJvAppInstances::~TJvAppInstances() { window_.reset(); }

void TJvAppInstances::Loaded() {
  ui::TComponent::Loaded();
  if (!active_ || maxInstances_ <= 0) return;
  // Entries of copies that were killed while others kept the table do not count.
  const std::vector<DWORD> running = registry_->RunningInstances();
  // Only this copy and the ones that joined before it count. Copies started together would
  // otherwise each see the others and refuse themselves until none ran; this way the oldest
  // runs and the younger ones defer to it.
  const auto own = std::ranges::find(running, registry_->ProcessId());
  const std::span<const DWORD> copies(running.begin(), own == running.end() ? own : own + 1);
  if (copies.size() <= static_cast<std::size_t>(maxInstances_)) return;
  if (!OlderCopyIsActive(copies)) return;
  Refuse(copies.front());
}

bool TJvAppInstances::OlderCopyIsActive(std::span<const DWORD> copies) {
  for (const DWORD processId : copies) {
    if (!active_) break;
    if (processId == registry_->ProcessId()) continue;
    HWND application = TJclAppInstances::ApplicationWindowOf(processId);
    // A copy without an application window cannot answer and counts as active.
    if (application) AskThread(GetWindowThreadProcessId(application, nullptr));
  }
  return active_;
}

void TJvAppInstances::AskThread(DWORD thread) {
  for (HWND window : ThreadWindows(thread)) {
    // The answer arrives as a message on our own window while this send waits.
    DWORD_PTR ignored = 0;
    const bool delivered =
        SendMessageTimeoutW(window, registry_->MessageId(), kActivityQuery, reinterpret_cast<LPARAM>(window_.get()),
                            kCrossProcessSendFlags, kCrossProcessTimeoutMs, &ignored) != 0;
    // A copy that does not answer in time is hung or busy: it counts as active, and its
    // other windows would not answer either.
    if (!delivered && IsWindow(window)) return;
    if (!active_) return;
  }
}

void TJvAppInstances::Refuse(DWORD oldestCopy) {
  DoRejected();
  if (autoActivate_) {
    if (const std::optional<std::size_t> index = registry_->IndexOf(oldestCopy)) registry_->ActivateInstance(*index);
  }
  if (sendCmdLine_) registry_->SendCommandLine(kAppInstancesWindowClass, window_.get());
  TJclAppInstances::TerminateSelf();
}

void TJvAppInstances::WndProc(ui::TMessage& message) {
  const auto sender = reinterpret_cast<HWND>(message.WParam);
  if (registry_ && message.Msg == registry_->MessageId()) {
    try {
      RegistryMessage(message);
    } catch (...) {
      ui::TApplication::HandleCurrentException();
    }
    message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
  } else if (message.Msg == WM_COPYDATA && sender != window_.get()) {
    message.Result = 1;
    try {
      if (message.LParam != 0) CopyData(*reinterpret_cast<const COPYDATASTRUCT*>(message.LParam));
    } catch (...) {
      ui::TApplication::HandleCurrentException();
      message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
    }
  } else {
    message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
  }
}

void TJvAppInstances::RegistryMessage(const ui::TMessage& message) {
  const auto processId = static_cast<DWORD>(message.LParam);
  switch (message.WParam) {
    case kInstanceCreated:
      if (processId != registry_->ProcessId()) DoInstanceCreated(processId);
      break;
    case kInstanceDestroyed:
      DoInstanceDestroyed(processId);
      break;
    case kUserNotify:
      DoUserNotify(message.LParam);
      break;
    case kActivityQuery: {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(reinterpret_cast<HWND>(message.LParam), registry_->MessageId(), kActivityAnswer,
                          active_ ? 1 : 0, kCrossProcessSendFlags, kCrossProcessTimeoutMs, &ignored);
      break;
    }
    case kActivityAnswer:
      active_ = message.LParam != 0;
      break;
    default:
      break;
  }
}

void TJvAppInstances::CopyData(const COPYDATASTRUCT& copy) {
  // The block comes from another process: a size without an address has nothing to read.
  if (copy.cbData != 0 && !copy.lpData) return;
  if (copy.dwData == kCommandLineData) {
    if (!OnCmdLineReceived) return;
    std::wstring text(copy.cbData / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), copy.lpData, text.size() * sizeof(wchar_t));
    DoCmdLineReceived(SplitLines(text));
  } else {
    if (!OnDataAvailable) return;
    std::vector<std::uint8_t> buffer(copy.cbData);
    if (!buffer.empty()) std::memcpy(buffer.data(), copy.lpData, buffer.size());
    DoDataAvailable(copy.dwData, buffer.data(), buffer.size());
  }
}

void TJvAppInstances::DoInstanceCreated(DWORD processId) {
  if (OnInstanceCreated) OnInstanceCreated(*this, processId);
}

void TJvAppInstances::DoInstanceDestroyed(DWORD processId) {
  if (OnInstanceDestroyed) OnInstanceDestroyed(*this, processId);
}

void TJvAppInstances::DoUserNotify(LPARAM param) {
  if (OnUserNotify) OnUserNotify(*this, param);
}

void TJvAppInstances::DoDataAvailable(ULONG_PTR kind, const void* data, std::size_t size) {
  if (OnDataAvailable) OnDataAvailable(*this, kind, data, size);
}

void TJvAppInstances::DoCmdLineReceived(const std::vector<std::wstring>& commandLine) {
  if (OnCmdLineReceived) OnCmdLineReceived(*this, commandLine);
}

void TJvAppInstances::DoRejected() {
  if (OnRejected) OnRejected(*this);
}

}  // namespace shell
