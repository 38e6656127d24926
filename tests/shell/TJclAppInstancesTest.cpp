#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "HelperProcess.h"
#include "shell/EJclWin32Error.h"
#include "shell/TJclAppInstances.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/MessageWindow.h"

namespace {

using shell_test::UniqueName;

// A program path of its own for each registry under test, so every test starts fresh.
std::wstring UniqueProgramPath() { return L"C:\\VelmoTests\\" + UniqueName(L"Program") + L".exe"; }

// A window of some class in this process that keeps what it is sent.
class Recorder {
 public:
  explicit Recorder(const wchar_t* className)
      : window_(ui::AllocateHWnd(this, &ui::MessageThunk<Recorder, &Recorder::WndProc>, className)) {}
  struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    ULONG_PTR kind;
    std::vector<std::uint8_t> data;
    bool nullData;
  };
  [[nodiscard]] HWND Handle() const { return window_.get(); }
  [[nodiscard]] std::vector<Message> Received(UINT msg) const {
    std::vector<Message> found;
    for (const Message& m : received_)
      if (m.msg == msg) found.push_back(m);
    return found;
  }
  void Clear() { received_.clear(); }

 private:
  void WndProc(ui::TMessage& message) {
    Message m{message.Msg, message.WParam, message.LParam, 0, {}, false};
    if (message.Msg == WM_COPYDATA) {
      const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(message.LParam);
      m.kind = copy->dwData;
      m.nullData = copy->lpData == nullptr;
      if (copy->lpData) {
        const auto* bytes = static_cast<const std::uint8_t*>(copy->lpData);
        m.data.assign(bytes, bytes + copy->cbData);
      }
    }
    if (message.Msg >= 0xC000 || message.Msg == WM_COPYDATA) received_.push_back(m);
    message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
  }

  ui::UniqueWindow window_;
  std::vector<Message> received_;
};

// Removes the registry message from this thread's queue; answers how many there were.
int TakeThreadNotices(UINT message, WPARAM kind, LPARAM value) {
  int found = 0;
  MSG msg{};
  while (PeekMessageW(&msg, reinterpret_cast<HWND>(-1), message, message, PM_REMOVE)) {
    if (msg.wParam == kind && msg.lParam == value) ++found;
  }
  return found;
}

TEST(TJclAppInstances, BaseNameIsThePathInUpperCaseWithUnderscores) {
  EXPECT_EQ(shell::TJclAppInstances::BaseNameFor(L"C:\\Tools\\clip.exe"), L"JCLC:_TOOLS_CLIP.EXE");
  EXPECT_EQ(shell::TJclAppInstances::BaseNameFor(L"Z:\\Bilder\\grün.exe"), L"JCLZ:_BILDER_GRÜN.EXE");
}

TEST(TJclAppInstances, FirstCopyStartsAFreshTableAndAnnouncesItselfToItself) {
  const DWORD self = GetCurrentProcessId();
  Recorder recorder(L"VelmoTestRecorder");
  shell::TJclAppInstances registry(UniqueProgramPath());
  EXPECT_EQ(registry.ProcessId(), self);
  EXPECT_NE(registry.MessageId(), 0u);
  EXPECT_EQ(registry.CountInstances(), 0u);

  EXPECT_TRUE(registry.JoinRegistry(1));
  EXPECT_EQ(registry.CountInstances(), 1u);
  EXPECT_EQ(registry.ProcessIdAt(0), self);
  EXPECT_EQ(registry.IndexOf(self), 0u);
  // Every top-level window of this thread is told at once, the thread by a posted message.
  const auto notices = recorder.Received(registry.MessageId());
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, shell::kInstanceCreated);
  EXPECT_EQ(notices[0].lParam, static_cast<LPARAM>(self));
  EXPECT_EQ(TakeThreadNotices(registry.MessageId(), shell::kInstanceCreated, static_cast<LPARAM>(self)), 1);

  // The first join set the limit to 1: a further join is entered but not accepted, and
  // nobody is told.
  recorder.Clear();
  EXPECT_FALSE(registry.JoinRegistry(65535));
  EXPECT_EQ(registry.CountInstances(), 2u);
  EXPECT_TRUE(recorder.Received(registry.MessageId()).empty());

  registry.LeaveRegistry();
  registry.LeaveRegistry();
  EXPECT_EQ(registry.CountInstances(), 0u);
}

// Fills the table of the registry of `path` as another process might: `entry(i)` for each
// of its entries.
template <typename Entry>
void FillTable(const std::wstring& path, Entry entry) {
  const std::wstring name = shell::TJclAppInstances::BaseNameFor(path) + L"_Map";
  ui::UniqueKernelHandle mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, name.c_str()));
  ASSERT_TRUE(mapping);
  ui::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, shell::instance_table::kSize));
  const shell::instance_table::Block table(static_cast<std::uint8_t*>(view.get()), shell::instance_table::kSize);
  for (std::uint32_t i = 0; i < shell::instance_table::kCapacity; ++i)
    shell::instance_table::Join(table, 65535, entry(i));
}

TEST(TJclAppInstances, FullTableTakesNoFurtherCopyAndAnnouncesNothing) {
  Recorder recorder(L"VelmoTestRecorder");
  const std::wstring path = UniqueProgramPath();
  shell::TJclAppInstances registry(path);
  // Full of a copy that runs: this one.
  FillTable(path, [](std::uint32_t) { return GetCurrentProcessId(); });
  ASSERT_EQ(registry.CountInstances(), shell::instance_table::kCapacity);
  EXPECT_FALSE(registry.JoinRegistry(65535));
  EXPECT_EQ(registry.CountInstances(), shell::instance_table::kCapacity);
  EXPECT_TRUE(recorder.Received(registry.MessageId()).empty());
  registry.LeaveRegistry();
  EXPECT_EQ(registry.CountInstances(), shell::instance_table::kCapacity - 1);
}

TEST(TJclAppInstances, JoiningATableFullOfCopiesThatAreGoneMakesRoomAndKeepsTheRunningOnes) {
  Recorder recorder(L"VelmoTestRecorder");
  const std::wstring path = UniqueProgramPath();
  shell::TJclAppInstances registry(path);
  // Ids of no running process (0, and ids far above any Windows or Wine gives out), with
  // this one in the middle.
  FillTable(path, [](std::uint32_t i) { return i == 100 ? GetCurrentProcessId() : i == 0 ? 0 : 0x7FFF0000u + 4 * i; });
  ASSERT_EQ(registry.CountInstances(), shell::instance_table::kCapacity);
  EXPECT_TRUE(registry.JoinRegistry(65535));
  ASSERT_EQ(registry.CountInstances(), 2u);
  EXPECT_EQ(registry.ProcessIdAt(0), GetCurrentProcessId());
  EXPECT_EQ(registry.ProcessIdAt(1), GetCurrentProcessId());
  // Announced as accepted, once for each of its two entries.
  const auto notices = recorder.Received(registry.MessageId());
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1].wParam, shell::kInstanceCreated);
  registry.LeaveRegistry();
  registry.LeaveRegistry();
  EXPECT_EQ(registry.CountInstances(), 0u);
}

TEST(TJclAppInstances, NamesTakenByOtherKindsOfObjectGiveTheRegistryErrors) {
  const std::wstring path = UniqueProgramPath();
  const std::wstring base = shell::TJclAppInstances::BaseNameFor(path);
  {
    ui::UniqueKernelHandle inTheWay(CreateEventW(nullptr, FALSE, FALSE, (base + L"_Map").c_str()));
    try {
      shell::TJclAppInstances registry(path);
      ADD_FAILURE() << "no error";
    } catch (const shell::EJclFileMappingError& e) {
      EXPECT_EQ(e.Message().rfind(L"Failed to create FileMapping\r\nWin32: ", 0), 0u);
    }
  }
  // The lock was given back on the way out: the next attempt gets through.
  shell::TJclAppInstances registry(path);
  EXPECT_TRUE(registry.JoinRegistry(65535));

  const std::wstring lockTaken = UniqueProgramPath();
  ui::UniqueKernelHandle blockInTheWay(CreateEventW(
      nullptr, FALSE, FALSE, (L"Optex_MMF_" + shell::TJclAppInstances::BaseNameFor(lockTaken) + L"_Otx").c_str()));
  EXPECT_THROW(shell::TJclAppInstances{lockTaken}, shell::EJclFileMappingError);
  registry.LeaveRegistry();
}

TEST(TJclAppInstances, LockWhoseOwnerIsGoneFailsCreationAndJoinButNotTheEnd) {
  constexpr DWORD kLimitMs = shell::TJclOptex::kAcquireTimeoutMs + 5000;
  const std::wstring blockedPath = UniqueProgramPath();
  const std::wstring blockedLock = shell::TJclAppInstances::BaseNameFor(blockedPath) + L"_Otx";
  const shell_test::DeadOwnerLock deadFromTheStart(blockedLock);
  shell_test::LockWait wait = shell_test::RunAgainstLock(
      blockedLock, [&] { shell::TJclAppInstances registry(blockedPath); }, kLimitMs);
  EXPECT_TRUE(wait.cameBack);
  EXPECT_TRUE(wait.lockError);

  // The owner dies while this copy runs: joining fails, and the end of the run leaves the
  // entry where it is, without an error and without hanging.
  const std::wstring path = UniqueProgramPath();
  const std::wstring lock = shell::TJclAppInstances::BaseNameFor(path) + L"_Otx";
  auto registry = std::make_unique<shell::TJclAppInstances>(path);
  ASSERT_TRUE(registry->JoinRegistry(65535));
  const shell_test::DeadOwnerLock deadLater(lock);
  wait = shell_test::RunAgainstLock(
      lock, [&] { registry->JoinRegistry(65535); }, kLimitMs);
  EXPECT_TRUE(wait.cameBack);
  EXPECT_TRUE(wait.lockError);
  // Kept open, as another copy would, so the table outlives the registry.
  const std::wstring tableName = shell::TJclAppInstances::BaseNameFor(path) + L"_Map";
  ui::UniqueKernelHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, tableName.c_str()));
  ASSERT_TRUE(mapping);
  ui::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, shell::instance_table::kSize));
  const shell::instance_table::ConstBlock table(static_cast<const std::uint8_t*>(view.get()),
                                                shell::instance_table::kSize);
  wait = shell_test::RunAgainstLock(
      lock, [&] { registry.reset(); }, kLimitMs);
  EXPECT_TRUE(wait.cameBack);
  EXPECT_FALSE(wait.lockError);
  EXPECT_EQ(shell::instance_table::IndexOf(table, GetCurrentProcessId()), 0u);
}

TEST(TJclAppInstances, ApplicationWindowIsTheTApplicationWindowOfThatProcess) {
  shell::TJclAppInstances registry(UniqueProgramPath());
  // A window whose class only begins with "TApplication" is not taken.
  Recorder lookalike(L"TApplicationX");
  EXPECT_EQ(shell::TJclAppInstances::ApplicationWindowOf(GetCurrentProcessId()), ui::TApplication::Current()->Handle());
  EXPECT_EQ(shell::TJclAppInstances::ApplicationWindowOf(0), nullptr);
  EXPECT_EQ(registry.ApplicationWindowAt(0), nullptr);
  EXPECT_FALSE(registry.ActivateInstance(0));
}

TEST(TJclAppInstances, ActivatingAMinimisedCopyAsksItToRestoreFirst) {
  shell::TJclAppInstances registry(UniqueProgramPath());
  registry.JoinRegistry(65535);
  ui::TApplication& application = *ui::TApplication::Current();
  std::vector<WPARAM> commands;
  const std::size_t hook = application.AddHook([&](UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_SYSCOMMAND) return false;
    commands.push_back(wParam);
    result = 0;
    return true;  // recorded only: the window stays as it is
  });
  // Minimised in its style alone; showing and hiding it again would only slow the test down.
  const LONG_PTR style = GetWindowLongPtrW(application.Handle(), GWL_STYLE);
  registry.ActivateInstance(0);
  SetWindowLongPtrW(application.Handle(), GWL_STYLE, style | WS_MINIMIZE);
  registry.ActivateInstance(0);
  SetWindowLongPtrW(application.Handle(), GWL_STYLE, style);
  application.RemoveHook(hook);
  EXPECT_EQ(commands, std::vector<WPARAM>{SC_RESTORE});
  registry.LeaveRegistry();
}

TEST(TJclAppInstances, CopyDataGoesToWindowsOfExactlyThatClassInCopiesOfTheTable) {
  shell::TJclAppInstances registry(UniqueProgramPath());
  Recorder target(L"VelmoTestTarget");
  Recorder otherClass(L"VelmoTestTargetX");
  const char bytes[] = {1, 2, 3};
  // Not yet in the table: nobody gets it.
  EXPECT_TRUE(registry.SendCopyData(L"VelmoTestTarget", 7, bytes, 3, target.Handle()));
  EXPECT_TRUE(target.Received(WM_COPYDATA).empty());

  registry.JoinRegistry(65535);
  registry.SendCopyData(L"VelmoTestTarget", 7, bytes, 3, otherClass.Handle());
  auto got = target.Received(WM_COPYDATA);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].kind, 7u);
  EXPECT_EQ(got[0].data, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(reinterpret_cast<HWND>(got[0].wParam), otherClass.Handle());
  EXPECT_TRUE(otherClass.Received(WM_COPYDATA).empty());
  EXPECT_TRUE(registry.SendCopyData(L"velmotesttarget", 7, bytes, 3, nullptr));  // the class name is exact
  EXPECT_EQ(target.Received(WM_COPYDATA).size(), 1u);

  target.Clear();
  registry.SendCommandLine(L"VelmoTestTarget", nullptr, L"prog.exe a \"b c\"");
  registry.SendCommandLine(L"VelmoTestTarget", nullptr, L"\"C:\\Some Folder\\prog.exe\"");
  got = target.Received(WM_COPYDATA);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].kind, shell::kCommandLineData);
  const std::wstring text = L"a\r\nb c\r\n";  // no terminating zero
  const auto* textBytes = reinterpret_cast<const std::uint8_t*>(text.data());
  EXPECT_EQ(got[0].data, std::vector<std::uint8_t>(textBytes, textBytes + text.size() * sizeof(wchar_t)));
  EXPECT_TRUE(got[1].data.empty());
  EXPECT_TRUE(got[1].nullData);
  registry.LeaveRegistry();
}

TEST(PostWithRetry, GivesUpAfterAboutASecondWhenTheQueueKeepsRefusing) {
  int attempts = 0;
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(shell::PostWithRetry(
      [&] {
        ++attempts;
        return DWORD{ERROR_NOT_ENOUGH_QUOTA};
      },
      shell::kNoticeRetryLimitMs));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_GE(took, 900u);
  EXPECT_LT(took, 3000u);
  EXPECT_GT(attempts, 1);
}

TEST(PostWithRetry, StopsAtOnceWhenTheThreadIsGoneAndRetriesUntilItGoesThrough) {
  int attempts = 0;
  EXPECT_FALSE(shell::PostWithRetry(
      [&] {
        ++attempts;
        return DWORD{ERROR_INVALID_THREAD_ID};
      },
      shell::kNoticeRetryLimitMs));
  EXPECT_EQ(attempts, 1);
  attempts = 0;
  EXPECT_TRUE(shell::PostWithRetry([&] { return ++attempts < 3 ? DWORD{ERROR_NOT_ENOUGH_QUOTA} : DWORD{0}; },
                                   shell::kNoticeRetryLimitMs));
  EXPECT_EQ(attempts, 3);
}

}  // namespace
