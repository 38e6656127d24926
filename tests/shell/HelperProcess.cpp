#include "HelperProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/RunObjects.h"
#include "shell/CommandLine.h"
#include "shell/EJclWin32Error.h"
#include "shell/TJclAppInstances.h"
#include "shell/TJclOptex.h"
#include "shell/TJclSwapFileMapping.h"
#include "shell/TJvAppInstances.h"
#include "support/TestSupport.h"
#include "ui/Application.h"

namespace shell_test {
namespace {

constexpr DWORD kHelperLifetimeMs = 60000;  // a helper never outlives a forgotten test for long

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

ui::UniqueKernelHandle Start(const std::wstring& arguments) {
  return ui::UniqueKernelHandle(
      testing_support::StartProcess(L"\"" + ThisProgram() + L"\" --shell-helper " + arguments).release());
}

int RunLockHammer(const std::wstring& lockName, const std::wstring& counterName, int rounds) {
  shell::TJclOptex optex(lockName);
  shell::TJclSwapFileMapping mapping(counterName, PAGE_READWRITE, sizeof(LONG));
  shell::TJclFileMappingView view(mapping, FILE_MAP_WRITE, sizeof(LONG));
  auto* counter = static_cast<volatile LONG*>(view.Memory());
  for (int round = 0; round < rounds; ++round) {
    shell::OptexLock outer(optex);
    // Every few rounds the holder takes the lock again and lets others run in between, so
    // recursion and waiting both happen under contention.
    if (round % 8 == 0) {
      shell::OptexLock inner(optex);
      const LONG value = *counter;
      SwitchToThread();
      *counter = value + 1;
    } else {
      const LONG value = *counter;
      *counter = value + 1;
    }
  }
  return 0;
}

int RunCopy(const std::wstring& readyName, const std::wstring& quitName, const std::wstring& behaviour) {
  ui::UniqueKernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName.c_str()));
  ui::UniqueKernelHandle quit(OpenEventW(SYNCHRONIZE, FALSE, quitName.c_str()));
  if (!ready || !quit) return 2;
  {
    app::RunObjects run;  // its application window is what other copies find this one by
    shell::TJvAppInstances guard(nullptr, run.Registry());
    guard.SetActive(behaviour != L"inactive");
    SetEvent(ready.get());
    if (behaviour == L"hung") {
      WaitForSingleObject(quit.get(), kHelperLifetimeMs);
    } else {
      HANDLE quitHandle = quit.get();
      const ULONGLONG deadline = GetTickCount64() + kHelperLifetimeMs;
      while (GetTickCount64() < deadline &&
             MsgWaitForMultipleObjects(1, &quitHandle, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        run.Application().ProcessMessages();
      }
    }
  }
  return 0;
}

// Runs before the test framework starts: a helper does its work and ends here.
[[maybe_unused]] const bool helperRan = [] {
  const std::vector<std::wstring> arguments = shell::SplitCommandLine(GetCommandLineW());
  if (arguments.size() < 3 || arguments[1] != L"--shell-helper") return false;
  int code = 2;
  if (arguments[2] == L"lock" && arguments.size() == 6) {
    code = RunLockHammer(arguments[3], arguments[4], std::stoi(arguments[5]));
  } else if (arguments[2] == L"copy" && arguments.size() == 6) {
    code = RunCopy(arguments[3], arguments[4], arguments[5]);
  } else if (arguments[2] == L"end") {
    code = 0;
  }
  std::exit(code);  // runs the end-of-program clean-up, which leaves the registry
}();

}  // namespace

std::wstring UniqueName(const std::wstring& stem) {
  static int counter = 0;
  return L"VelmoTest_" + stem + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

HelperCopy::HelperCopy(CopyBehaviour behaviour) {
  const std::wstring readyName = UniqueName(L"Ready");
  const std::wstring quitName = UniqueName(L"Quit");
  readyEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
  quitEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, quitName.c_str()));
  const wchar_t* mode = behaviour == CopyBehaviour::Active     ? L"active"
                        : behaviour == CopyBehaviour::Inactive ? L"inactive"
                                                               : L"hung";
  process_ = Start(L"copy " + readyName + L" " + quitName + L" " + mode);
  if (!process_) return;
  // Pumps meanwhile: the helper's join notifies this process too.
  ready_ = testing_support::PumpUntil(
               [this] {
                 return WaitForSingleObject(readyEvent_.get(), 0) == WAIT_OBJECT_0 ||
                        WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
               },
               20000) &&
           WaitForSingleObject(readyEvent_.get(), 0) == WAIT_OBJECT_0;
}

HelperCopy::~HelperCopy() {
  if (!process_) return;
  SetEvent(quitEvent_.get());
  // Pumps while it ends: leaving the registry notifies this process.
  if (!testing_support::PumpUntil([this] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, 10000)) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 10000);
  }
}

DWORD HelperCopy::Id() const { return GetProcessId(process_.get()); }

ui::UniqueKernelHandle StartLockHammer(const std::wstring& lockName, const std::wstring& counterName, int rounds) {
  return Start(L"lock " + lockName + L" " + counterName + L" " + std::to_wstring(rounds));
}

ui::UniqueKernelHandle StartEndedProcess() {
  ui::UniqueKernelHandle process = Start(L"end");
  if (process) WaitForSingleObject(process.get(), 20000);
  return process;
}

namespace {

constexpr DWORD kBlockSize = 4 * sizeof(LONG);
constexpr std::size_t kLockCountField = 1;
constexpr std::size_t kOwnerThreadField = 2;

}  // namespace

DeadOwnerLock::DeadOwnerLock(const std::wstring& lockName)
    : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize,
                                  (L"Optex_MMF_" + lockName).c_str())),
      view_(mapping_ ? MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, kBlockSize) : nullptr) {
  if (!view_) {
    ADD_FAILURE() << "no lock block";
    return;
  }
  auto* fields = static_cast<volatile LONG*>(view_.get());
  fields[kLockCountField] = 1;
  fields[kOwnerThreadField] = 0x4242;
}

LONG DeadOwnerLock::LockCount() const {
  return view_ ? static_cast<const volatile LONG*>(view_.get())[kLockCountField] : -1;
}

LONG DeadOwnerLock::OwnerThread() const {
  return view_ ? static_cast<const volatile LONG*>(view_.get())[kOwnerThreadField] : -1;
}

LockWait RunAgainstLock(const std::wstring& lockName, const std::function<void()>& attempt, DWORD limitMs) {
  LockWait wait;
  ui::UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const ULONGLONG start = GetTickCount64();
  std::thread thread([&] {
    try {
      attempt();
    } catch (const shell::EJclLockError& e) {
      wait.lockError = e.Message();
    } catch (...) {
      ADD_FAILURE() << "another error than the lock error";
    }
    wait.tookMs = GetTickCount64() - start;
    SetEvent(done.get());
  });
  wait.cameBack = WaitForSingleObject(done.get(), limitMs) == WAIT_OBJECT_0;
  if (!wait.cameBack) {
    ui::UniqueKernelHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"Optex_Event_" + lockName).c_str()));
    SetEvent(event.get());
  }
  thread.join();
  return wait;
}

}  // namespace shell_test
