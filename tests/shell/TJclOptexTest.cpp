#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "HelperProcess.h"
#include "shell/EJclWin32Error.h"
#include "shell/TJclOptex.h"
#include "shell/TJclSwapFileMapping.h"

namespace {

using shell_test::UniqueName;

// Whether another thread could take the lock right now (it gives it back at once).
bool FreeForAnotherThread(const std::wstring& name) {
  bool taken = false;
  std::thread other([&] {
    shell::TJclOptex optex(name);
    taken = optex.TryAcquire();
    if (taken) optex.Release();
  });
  other.join();
  return taken;
}

TEST(TJclOptex, HolderTakesItAgainAndFreesItWithTheLastRelease) {
  const std::wstring name = UniqueName(L"Optex");
  shell::TJclOptex optex(name);
  EXPECT_FALSE(optex.Existed());
  optex.Acquire();
  EXPECT_TRUE(optex.TryAcquire());
  optex.Acquire();
  optex.Release();
  optex.Release();
  EXPECT_FALSE(FreeForAnotherThread(name));
  optex.Release();
  EXPECT_TRUE(FreeForAnotherThread(name));
  // A second object under the same name is the same lock.
  shell::TJclOptex same(name);
  EXPECT_TRUE(same.Existed());
}

TEST(TJclOptex, WaitingThreadGetsTheLockWhenTheHolderReleasesIt) {
  const std::wstring name = UniqueName(L"Optex");
  shell::TJclOptex optex(name);
  optex.Acquire();
  std::atomic<bool> acquired = false;
  std::thread waiter([&] {
    shell::TJclOptex mine(name);
    mine.Acquire();
    acquired = true;
    mine.Release();
  });
  Sleep(200);  // long past the busy phase: the waiter sleeps on the event by now
  EXPECT_FALSE(acquired);
  optex.Release();
  waiter.join();
  EXPECT_TRUE(acquired);
  EXPECT_TRUE(FreeForAnotherThread(name));
}

TEST(TJclOptex, ThreadsAndProcessesContendingLoseNoUpdate) {
  const std::wstring lockName = UniqueName(L"Optex");
  const std::wstring counterName = UniqueName(L"Counter");
  shell::TJclSwapFileMapping mapping(counterName, PAGE_READWRITE, sizeof(LONG));
  shell::TJclFileMappingView view(mapping, FILE_MAP_WRITE, sizeof(LONG));
  auto* counter = static_cast<volatile LONG*>(view.Memory());

  constexpr int kProcesses = 3;
  constexpr int kRounds = 3000;
  constexpr int kThreadRounds = 2000;
  std::vector<ui::UniqueKernelHandle> helpers;
  for (int i = 0; i < kProcesses; ++i) helpers.push_back(shell_test::StartLockHammer(lockName, counterName, kRounds));
  // Two threads of this process join in.
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&] {
      shell::TJclOptex mine(lockName);
      for (int round = 0; round < kThreadRounds; ++round) {
        mine.Acquire();
        const LONG value = *counter;
        if (round % 16 == 0) SwitchToThread();
        *counter = value + 1;
        mine.Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const ui::UniqueKernelHandle& helper : helpers) {
    ASSERT_TRUE(helper);
    ASSERT_EQ(WaitForSingleObject(helper.get(), 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(helper.get(), &code);
    EXPECT_EQ(code, 0u);
  }
  EXPECT_EQ(*counter, kProcesses * kRounds + 2 * kThreadRounds);
  EXPECT_TRUE(FreeForAnotherThread(lockName));
}

TEST(TJclOptex, LockWhoseOwnerIsGoneRaisesTheLockErrorInsteadOfHanging) {
  const std::wstring name = UniqueName(L"Optex");
  const shell_test::DeadOwnerLock dead(name);
  shell::TJclOptex optex(name);
  const shell_test::LockWait wait = shell_test::RunAgainstLock(
      name, [&] { optex.Acquire(); }, shell::TJclOptex::kAcquireTimeoutMs + 5000);
  ASSERT_TRUE(wait.cameBack);
  ASSERT_TRUE(wait.lockError);
  EXPECT_EQ(wait.lockError->rfind(L"Failed to acquire lock\r\nWin32: ", 0), 0u);
  EXPECT_TRUE(wait.lockError->ends_with(L" (" + std::to_wstring(WAIT_TIMEOUT) + L")"));
  EXPECT_GE(wait.tookMs + 50, shell::TJclOptex::kAcquireTimeoutMs);  // the tick count moves in steps
  // The waiter counted itself out again: every start that gives up leaves the block as it found it.
  EXPECT_EQ(dead.LockCount(), 1);
  EXPECT_EQ(dead.OwnerThread(), 0x4242);
}

TEST(TJclOptex, NamesTakenByOtherKindsOfObjectGiveTheLockErrors) {
  const std::wstring eventTaken = UniqueName(L"Optex");
  shell::TJclSwapFileMapping mappingInTheWay(L"Optex_Event_" + eventTaken, PAGE_READWRITE, 16);
  EXPECT_THROW(shell::TJclOptex{eventTaken}, shell::EJclEventError);

  const std::wstring blockTaken = UniqueName(L"Optex");
  ui::UniqueKernelHandle eventInTheWay(CreateEventW(nullptr, FALSE, FALSE, (L"Optex_MMF_" + blockTaken).c_str()));
  try {
    shell::TJclOptex optex(blockTaken);
    ADD_FAILURE() << "no error";
  } catch (const shell::EJclFileMappingError& e) {
    EXPECT_EQ(e.Message().rfind(L"Failed to create FileMapping\r\nWin32: ", 0), 0u);
    EXPECT_TRUE(e.Message().ends_with(L" (" + std::to_wstring(e.ErrorCode()) + L")"));
    EXPECT_NE(e.ErrorCode(), 0u);
  }
}

}  // namespace
