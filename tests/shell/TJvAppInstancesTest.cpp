#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "HelperProcess.h"
#include "app/RunObjects.h"
#include "shell/InstanceTable.h"
#include "shell/TJclAppInstances.h"
#include "shell/TJclOptex.h"
#include "shell/TJvAppInstances.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Errors.h"

namespace {

using shell_test::CopyBehaviour;
using shell_test::HelperCopy;

// The guards under test work with this test program's own registry, which the helper
// copies share. Each test decides where this process stands in the table.
class Guard : public ::testing::Test {
 protected:
  void SetUp() override {
    // The first guard of the process joins; have that happen now, then start each test
    // with this process out of the table.
    static const bool firstGuardSpent = [] {
      shell::TJvAppInstances first(nullptr, testing_support::Run().Registry());
      return true;
    }();
    (void)firstGuardSpent;
    LeaveCompletely();
  }
  void TearDown() override {
    LeaveCompletely();
    testing_support::ClearShownErrors();
  }

  static shell::TJclAppInstances& Registry() { return testing_support::Run().Registry().Registry(); }
  static void Join() { Registry().JoinRegistry(65535); }
  static void LeaveCompletely() {
    while (Registry().IndexOf(GetCurrentProcessId())) Registry().LeaveRegistry();
  }
  static LRESULT SendNotice(HWND guardWindow, WPARAM kind, LPARAM value) {
    return SendMessageW(guardWindow, Registry().MessageId(), kind, value);
  }
  static LRESULT SendData(HWND guardWindow, HWND sender, ULONG_PTR kind, const void* data, DWORD size) {
    COPYDATASTRUCT copy{kind, size, const_cast<void*>(data)};
    return SendMessageW(guardWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&copy));
  }
};

TEST_F(Guard, OnlyTheFirstGuardOfTheProcessJoins) {
  shell::TJvAppInstances later(nullptr, testing_support::Run().Registry());
  EXPECT_EQ(Registry().IndexOf(GetCurrentProcessId()), std::nullopt);
  wchar_t className[64] = {};
  GetClassNameW(later.Handle(), className, 64);
  EXPECT_STREQ(className, L"JvAppInstances_WindowClass");
}

TEST_F(Guard, AnswersTheActivityQueryWithItsActiveState) {
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  shell::TJvAppInstances asking(nullptr, testing_support::Run().Registry());
  // The answer lands on the asking guard and overwrites its Active.
  asking.SetActive(false);
  SendNotice(guard.Handle(), shell::kActivityQuery, reinterpret_cast<LPARAM>(asking.Handle()));
  EXPECT_TRUE(asking.Active());
  guard.SetActive(false);
  SendNotice(guard.Handle(), shell::kActivityQuery, reinterpret_cast<LPARAM>(asking.Handle()));
  EXPECT_FALSE(asking.Active());
  // A query naming no window is answered into the void.
  SendNotice(guard.Handle(), shell::kActivityQuery, 0);
}

TEST_F(Guard, CommandLineArrivesAsLinesAndOtherDataAsACopy) {
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  std::vector<std::vector<std::wstring>> lines;
  std::vector<std::pair<ULONG_PTR, std::vector<char>>> data;
  guard.OnCmdLineReceived = [&](shell::TJvAppInstances&, const std::vector<std::wstring>& l) { lines.push_back(l); };
  guard.OnDataAvailable = [&](shell::TJvAppInstances&, ULONG_PTR kind, const void* bytes, std::size_t size) {
    const auto* begin = static_cast<const char*>(bytes);
    data.emplace_back(kind, std::vector<char>(begin, begin + size));
  };
  HWND sender = ui::TApplication::Current()->Handle();
  const std::wstring text = L"a\r\nb c\r\n";
  EXPECT_EQ(SendData(guard.Handle(), sender, shell::kCommandLineData, text.data(),
                     static_cast<DWORD>(text.size() * sizeof(wchar_t))),
            1);
  EXPECT_EQ(SendData(guard.Handle(), sender, shell::kCommandLineData, nullptr, 0), 1);
  EXPECT_EQ(SendData(guard.Handle(), sender, 7, "xyz", 3), 1);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (std::vector<std::wstring>{L"a", L"b c"}));
  EXPECT_TRUE(lines[1].empty());
  ASSERT_EQ(data.size(), 1u);
  EXPECT_EQ(data[0].first, 7u);
  EXPECT_EQ(data[0].second, (std::vector<char>{'x', 'y', 'z'}));

  // From its own window, with a size but no address, or with no block at all: nothing.
  EXPECT_EQ(SendData(guard.Handle(), guard.Handle(), 7, "xyz", 3), 0);
  EXPECT_EQ(SendData(guard.Handle(), sender, 7, nullptr, 1000), 1);
  EXPECT_EQ(SendData(guard.Handle(), sender, shell::kCommandLineData, nullptr, 1000), 1);
  EXPECT_EQ(SendMessageW(guard.Handle(), WM_COPYDATA, reinterpret_cast<WPARAM>(sender), 0), 1);
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_EQ(data.size(), 1u);
}

TEST_F(Guard, ErrorInAnEventIsShownAndTheMessageGoesOn) {
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  guard.OnUserNotify = [](shell::TJvAppInstances&, LPARAM) { throw ui::Exception(L"Benachrichtigung fehlgeschlagen"); };
  guard.OnDataAvailable = [](shell::TJvAppInstances&, ULONG_PTR, const void*, std::size_t) {
    throw ui::Exception(L"Daten fehlerhaft");
  };
  EXPECT_EQ(SendNotice(guard.Handle(), shell::kUserNotify, 1), 0);
  EXPECT_EQ(SendData(guard.Handle(), ui::TApplication::Current()->Handle(), 9, "x", 1), 0);
  EXPECT_EQ(testing_support::ShownErrors(),
            (std::vector<std::wstring>{L"Benachrichtigung fehlgeschlagen.", L"Daten fehlerhaft."}));
}

// An entry written into this program's table as a copy would have, removed again at the end.
class TableEntry {
 public:
  explicit TableEntry(DWORD processId) : processId_(processId) {
    Change([&](shell::instance_table::Block table) { shell::instance_table::Join(table, 65535, processId_); });
  }
  ~TableEntry() {
    Change([&](shell::instance_table::Block table) { shell::instance_table::Leave(table, processId_); });
  }
  TableEntry(const TableEntry&) = delete;
  TableEntry& operator=(const TableEntry&) = delete;

 private:
  template <class Edit>
  static void Change(Edit edit) {
    const std::wstring base = testing_support::Run().Registry().Registry().BaseName();
    ui::UniqueKernelHandle mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, (base + L"_Map").c_str()));
    ui::UniqueMappedView view(mapping ? MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, shell::instance_table::kSize)
                                      : nullptr);
    ASSERT_TRUE(view);
    shell::TJclOptex optex(base + L"_Otx");
    const shell::OptexLock lock(optex);
    edit(shell::instance_table::Block(static_cast<std::uint8_t*>(view.get()), shell::instance_table::kSize));
  }

  DWORD processId_;
};

// What a guard's limit check did.
struct Outcome {
  bool refused = false;
  int exitCode = -1;
  int rejectedEvents = 0;
};

Outcome CheckLimit(shell::TJvAppInstances& guard) {
  Outcome outcome;
  guard.OnRejected = [&](shell::TJvAppInstances&) { ++outcome.rejectedEvents; };
  try {
    guard.LoadedAll();
  } catch (const shell::EndOfRun& end) {
    outcome.refused = true;
    outcome.exitCode = end.ExitCode;
  }
  return outcome;
}

TEST_F(Guard, OlderActiveCopyRefusesThisOneAndComesToTheFront) {
  HelperCopy older(CopyBehaviour::Active);
  ASSERT_TRUE(older.Ready());
  Join();
  {
    shell::TJvAppInstances unlimited(nullptr, testing_support::Run().Registry());
    unlimited.SetMaxInstances(0);
    EXPECT_FALSE(CheckLimit(unlimited).refused);
    shell::TJvAppInstances inactive(nullptr, testing_support::Run().Registry());
    inactive.SetActive(false);
    EXPECT_FALSE(CheckLimit(inactive).refused);
    shell::TJvAppInstances allowsTwo(nullptr, testing_support::Run().Registry());
    allowsTwo.SetMaxInstances(2);
    EXPECT_FALSE(CheckLimit(allowsTwo).refused);
  }
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  const Outcome outcome = CheckLimit(guard);
  EXPECT_TRUE(outcome.refused);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.rejectedEvents, 1);
  EXPECT_EQ(GetForegroundWindow(), shell::TJclAppInstances::ApplicationWindowOf(older.Id()));
}

TEST_F(Guard, EntriesOfCopiesThatAreGoneNeitherCountNorRefuse) {
  // Left by copies that were killed while others kept the table: one that has ended (its id
  // still held), and one whose id names no process at all.
  const ui::UniqueKernelHandle ended = shell_test::StartEndedProcess();
  ASSERT_TRUE(ended);
  const TableEntry endedCopy(GetProcessId(ended.get()));
  const TableEntry vanishedCopy(0x7FFFFFFC);
  Join();
  {
    shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
    const Outcome outcome = CheckLimit(guard);
    EXPECT_FALSE(outcome.refused);
    EXPECT_EQ(outcome.rejectedEvents, 0);
  }
  // A running copy behind them refuses this one, and it is the one brought to the front.
  LeaveCompletely();
  HelperCopy older(CopyBehaviour::Active);
  ASSERT_TRUE(older.Ready());
  Join();
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  SetForegroundWindow(ui::TApplication::Current()->Handle());
  EXPECT_TRUE(CheckLimit(guard).refused);
  EXPECT_EQ(GetForegroundWindow(), shell::TJclAppInstances::ApplicationWindowOf(older.Id()));
}

TEST_F(Guard, YoungerCopyIsNotAskedAndThisOneRuns) {
  Join();
  HelperCopy younger(CopyBehaviour::Active);
  ASSERT_TRUE(younger.Ready());
  ASSERT_EQ(Registry().CountInstances(), 2u);
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  const Outcome outcome = CheckLimit(guard);
  EXPECT_FALSE(outcome.refused);
  EXPECT_EQ(outcome.rejectedEvents, 0);
  EXPECT_TRUE(guard.Active());
}

TEST_F(Guard, OlderInactiveCopyLetsThisOneRunAndLeavesItInactive) {
  HelperCopy older(CopyBehaviour::Inactive);
  ASSERT_TRUE(older.Ready());
  Join();
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  const Outcome outcome = CheckLimit(guard);
  EXPECT_FALSE(outcome.refused);
  EXPECT_FALSE(guard.Active());
}

TEST_F(Guard, HungOlderCopyCountsAsActiveWithoutHangingThisOne) {
  HelperCopy hung(CopyBehaviour::Hung);
  ASSERT_TRUE(hung.Ready());
  Join();
  shell::TJvAppInstances guard(nullptr, testing_support::Run().Registry());
  // With this thread in the foreground, bringing another thread's window forward goes
  // through shared input, where the activation waits for that thread.
  SetForegroundWindow(ui::TApplication::Current()->Handle());
  const ULONGLONG start = GetTickCount64();
  const Outcome outcome = CheckLimit(guard);
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_TRUE(outcome.refused);
  // The query, the restore request and the command line each wait a few seconds at most.
  EXPECT_LT(took, 4 * static_cast<ULONGLONG>(shell::kCrossProcessTimeoutMs));
}

}  // namespace
