#include "shell/TJclAppInstances.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "shell/CommandLine.h"
#include "ui/Module.h"

namespace shell {
namespace {

std::wstring ClassNameOf(HWND window, int bufferLength) {
  std::wstring name(static_cast<std::size_t>(bufferLength), L'\0');
  const int length = GetClassNameW(window, name.data(), bufferLength);
  name.resize(static_cast<std::size_t>(std::max(length, 0)));
  return name;
}

DWORD ProcessOf(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

// What an enumeration of windows collects. No exception may unwind out of the callback: the
// system's frames between EnumWindows and the callback cannot be unwound on i686. A failure
// stops the enumeration instead and is raised again once EnumWindows has returned.
struct WindowCollector {
  std::vector<HWND> windows;
  std::exception_ptr failure;

  std::vector<HWND> Result() {
    if (failure) std::rethrow_exception(failure);
    return std::move(windows);
  }
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM collector) noexcept {
  auto& into = *reinterpret_cast<WindowCollector*>(collector);
  try {
    into.windows.push_back(window);
    return TRUE;
  } catch (...) {
    into.failure = std::current_exception();
    return FALSE;
  }
}

}  // namespace

TJclAppInstances::TJclAppInstances() : TJclAppInstances(ui::ModuleFileName()) {}

TJclAppInstances::TJclAppInstances(const std::wstring& programPath)
    : processId_(GetCurrentProcessId()),
      baseName_(BaseNameFor(programPath)),
      optex_(baseName_ + L"_Otx", TJclOptex::kDefaultSpinCount) {
  {
    OptexLock lock(optex_);
    mapping_.emplace(baseName_ + L"_Map", PAGE_READWRITE, instance_table::kSize);
    view_.emplace(*mapping_, FILE_MAP_ALL_ACCESS, instance_table::kSize);
    if (!mapping_->Existed()) std::ranges::fill(Table(), std::uint8_t{0});
  }
  messageId_ = RegisterWindowMessageW((baseName_ + L"_Msg").c_str());
}

TJclAppInstances::~TJclAppInstances() {
  try {
    LeaveRegistry();
  } catch (...) {
    // Nothing can be reported at the end of the run. The entry may stay: one of a copy that
    // is gone no longer counts.
  }
}

std::wstring TJclAppInstances::BaseNameFor(const std::wstring& programPath) {
  std::wstring name = L"Jcl" + programPath;
  CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  std::ranges::replace(name, L'\\', L'_');
  return name;
}

instance_table::Block TJclAppInstances::Table() const noexcept {
  return instance_table::Block(static_cast<std::uint8_t*>(view_->Memory()), instance_table::kSize);
}

bool TJclAppInstances::JoinRegistry(std::uint16_t limit) {
  bool accepted = false;
  {
    OptexLock lock(optex_);
    // A killed copy leaves its entry behind for as long as others keep the table open. Were
    // they never cleared, a table full of them would keep every later copy out, and copies
    // that are not in the table cannot see each other.
    instance_table::DropEntries(Table(), [](std::uint32_t processId) { return !ProcessIsRunning(processId); });
    accepted = instance_table::Join(Table(), limit, processId_);
  }
  if (accepted) BroadcastNotice(kInstanceCreated, static_cast<LPARAM>(processId_));
  return accepted;
}

void TJclAppInstances::LeaveRegistry() {
  {
    OptexLock lock(optex_);
    instance_table::Leave(Table(), processId_);
  }
  BroadcastNotice(kInstanceDestroyed, static_cast<LPARAM>(processId_));
}

std::size_t TJclAppInstances::CountInstances() {
  OptexLock lock(optex_);
  return instance_table::Count(Table());
}

DWORD TJclAppInstances::ProcessIdAt(std::size_t index) {
  OptexLock lock(optex_);
  return instance_table::ProcessIdAt(Table(), index);
}

std::optional<std::size_t> TJclAppInstances::IndexOf(DWORD processId) {
  OptexLock lock(optex_);
  return instance_table::IndexOf(Table(), processId);
}

std::vector<DWORD> TJclAppInstances::RunningInstances() {
  std::vector<DWORD> entries;
  {
    OptexLock lock(optex_);
    const std::size_t count = instance_table::Count(Table());
    for (std::size_t index = 0; index < count; ++index) entries.push_back(instance_table::ProcessIdAt(Table(), index));
  }
  std::erase_if(entries, [](DWORD processId) { return !ProcessIsRunning(processId); });
  return entries;
}

bool TJclAppInstances::ProcessIsRunning(DWORD processId) {
  if (processId == 0) return false;
  const ui::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  // Refused access still means that the process exists; an unknown id is an invalid parameter.
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  // A process that has ended but whose handle someone still holds opens all the same.
  return WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0;
}

HWND TJclAppInstances::ApplicationWindowOf(DWORD processId) {
  if (processId == 0) return nullptr;
  for (HWND window : TopLevelWindows()) {
    // The process comes first, so another program's "TApplication" window is never taken.
    if (ProcessOf(window) == processId && ClassNameOf(window, 14) == L"TApplication") return window;
  }
  return nullptr;
}

HWND TJclAppInstances::ApplicationWindowAt(std::size_t index) { return ApplicationWindowOf(ProcessIdAt(index)); }

void TJclAppInstances::BroadcastNotice(WPARAM kind, LPARAM value) {
  OptexLock lock(optex_);
  const std::size_t count = instance_table::Count(Table());
  for (std::size_t index = 0; index < count; ++index) {
    HWND window = ApplicationWindowOf(instance_table::ProcessIdAt(Table(), index));
    if (!window) continue;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    PostWithRetry([&] { return PostThreadMessageW(thread, messageId_, kind, value) ? DWORD{0} : GetLastError(); },
                  kNoticeRetryLimitMs);
    for (HWND target : ThreadWindows(thread)) SendNotifyMessageW(target, messageId_, kind, value);
  }
}

bool TJclAppInstances::ActivateInstance(std::size_t index) {
  HWND window = ApplicationWindowAt(index);
  if (!window) return false;
  if (IsIconic(window)) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_RESTORE, 0, kCrossProcessSendFlags, kCrossProcessTimeoutMs, &ignored);
  }
  return PushToForeground(window);
}

bool TJclAppInstances::PushToForeground(HWND window) {
  HWND foreground = GetForegroundWindow();
  if (window == foreground) return true;
  const DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
  const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
  if (windowThread != GetCurrentThreadId()) {
    // Once input is shared, the activation waits for the window's thread: a hung copy would
    // hang this one with it. Only a copy that answers in time is brought forward.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, kCrossProcessSendFlags, kCrossProcessTimeoutMs, &ignored))
      return false;
  }
  if (foregroundThread == windowThread) return SetForegroundWindow(window) != FALSE;
  // Windows lets a thread take the foreground only while it shares input with the thread
  // that has it.
  AttachThreadInput(foregroundThread, windowThread, TRUE);
  const bool pushed = SetForegroundWindow(window) != FALSE;
  AttachThreadInput(foregroundThread, windowThread, FALSE);
  if (!pushed) return false;
  return SetForegroundWindow(window) != FALSE;
}

bool TJclAppInstances::SendCommandLine(const wchar_t* className, HWND originator) {
  return SendCommandLine(className, originator, GetCommandLineW());
}

bool TJclAppInstances::SendCommandLine(const wchar_t* className, HWND originator, const std::wstring& commandLine) {
  const std::wstring text = CommandLineText(commandLine);
  return SendCopyData(className, kCommandLineData, text.empty() ? nullptr : text.data(), text.size() * sizeof(wchar_t),
                      originator);
}

bool TJclAppInstances::SendCopyData(const wchar_t* className, ULONG_PTR kind, const void* data, std::size_t size,
                                    HWND originator) {
  if (size > MAXDWORD) return false;
  COPYDATASTRUCT copy{kind, static_cast<DWORD>(size), const_cast<void*>(data)};
  for (HWND window : TopLevelWindows()) {
    if (ClassNameOf(window, 201) != className || !IndexOf(ProcessOf(window))) continue;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(originator), reinterpret_cast<LPARAM>(&copy),
                        kCrossProcessSendFlags, kCrossProcessTimeoutMs, &ignored);
  }
  return true;
}

void TJclAppInstances::TerminateSelf() { throw EndOfRun{0}; }

std::vector<HWND> TopLevelWindows() {
  WindowCollector collector;
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&collector));
  return collector.Result();
}

std::vector<HWND> ThreadWindows(DWORD thread) {
  WindowCollector collector;
  if (thread != 0) EnumThreadWindows(thread, &CollectWindow, reinterpret_cast<LPARAM>(&collector));
  return collector.Result();
}

TJclAppInstances& InstanceRegistryOwner::Registry() {
  if (!registry_) registry_ = std::make_unique<TJclAppInstances>();
  return *registry_;
}

bool PostWithRetry(const std::function<DWORD()>& post, DWORD limitMs) {
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  for (;;) {
    const DWORD error = post();
    if (error == 0) return true;
    if (error == ERROR_INVALID_THREAD_ID || GetTickCount64() >= deadline) return false;
    Sleep(1);
  }
}

}  // namespace shell
