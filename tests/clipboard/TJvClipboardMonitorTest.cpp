#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clipboard/TJvClipboardMonitor.h"
#include "support/ClipboardViewer.h"
#include "support/TestSupport.h"
#include "ui/Errors.h"
#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::SetClipboardUnicodeText;

// Everything the viewers and the monitor saw, in order.
struct Journal {
  std::vector<std::wstring> events;
  void Add(const std::wstring& event) { events.push_back(event); }
  [[nodiscard]] int Count(const std::wstring& event) const {
    int n = 0;
    for (const auto& e : events) n += e == event ? 1 : 0;
    return n;
  }
};

// Another program's viewer that writes into the journal when told of a change.
class TestViewer : public testing_support::TestClipboardViewer {
 public:
  TestViewer(Journal& journal, const std::wstring& name)
      : TestClipboardViewer([&journal, name] { journal.Add(name + L" draw"); }) {}
};

class ClipboardMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ClearShownErrors();
    owner_ = std::make_unique<ui::TComponent>(nullptr);
  }
  void TearDown() override {
    owner_.reset();
    PumpFor(50);
  }

  // Created as the main window does: registered first, handler attached afterwards.
  clipboard::TJvClipboardMonitor& CreateMonitor() {
    auto* monitor = new clipboard::TJvClipboardMonitor(owner_.get());
    monitor->OnChange = [this](clipboard::TJvClipboardMonitor&) { journal_.Add(L"change"); };
    return *monitor;
  }

  void Copy(const std::wstring& text) { SetClipboardUnicodeText(text); }
  // Every viewer is told once when it joins; those notifications are not what a test looks at.
  void ForgetRegistrations() {
    PumpFor(50);
    journal_.events.clear();
  }

  Journal journal_;
  std::unique_ptr<ui::TComponent> owner_;
};

TEST_F(ClipboardMonitorTest, ReportsCopiesButNotItsOwnRegistration) {
  Copy(L"already there");
  CreateMonitor();
  PumpFor(200);
  EXPECT_EQ(journal_.Count(L"change"), 0) << "registration must not look like a change";

  Copy(L"first copy");
  ASSERT_TRUE(PumpUntil([&] { return journal_.Count(L"change") == 1; }));
  Copy(L"second copy");
  ASSERT_TRUE(PumpUntil([&] { return journal_.Count(L"change") == 2; }));
}

TEST_F(ClipboardMonitorTest, JoiningLaterWithTheHandlerAttachedReportsNothingYet) {
  auto* monitor = new clipboard::TJvClipboardMonitor(owner_.get(), L"ClipboardMonitor", false);
  monitor->OnChange = [this](clipboard::TJvClipboardMonitor&) { journal_.Add(L"change"); };
  Copy(L"before joining");
  monitor->SetEnabled(true);
  PumpFor(100);
  EXPECT_EQ(journal_.Count(L"change"), 0);
  Copy(L"after joining");
  EXPECT_EQ(journal_.Count(L"change"), 1);
}

TEST_F(ClipboardMonitorTest, AHungViewerAfterItDelaysAChangeByAShortLimitOnly) {
  std::atomic<HWND> hungWindow{nullptr};
  std::atomic<bool> armed{false};
  std::atomic<bool> finished{false};
  ui::UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread hung([&] {
    {
      testing_support::TestClipboardViewer viewer([&] {
        if (armed) WaitForSingleObject(release.get(), 10000);  // stops answering, as a hung program does
      });
      hungWindow = viewer.Window();
      PumpUntil([&] { return armed && WaitForSingleObject(release.get(), 0) == WAIT_OBJECT_0; }, 20000);
    }
    finished = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return hungWindow.load() != nullptr; }));
  auto& monitor = CreateMonitor();
  ASSERT_EQ(monitor.NextViewer(), hungWindow.load());
  ForgetRegistrations();
  armed = true;
  const ULONGLONG start = GetTickCount64();
  Copy(L"text");
  const ULONGLONG took = GetTickCount64() - start;
  SetEvent(release.get());
  PumpUntil([&] { return finished.load(); }, 15000);  // the viewer leaves the chain through us
  hung.join();
  EXPECT_EQ(journal_.Count(L"change"), 1);
  EXPECT_LT(took, 2000u) << "a hung viewer after us held every reaction up";
}

TEST_F(ClipboardMonitorTest, AViewerEndingWithoutLeavingTheChainDoesNotLeaveItDeaf) {
  CreateMonitor();
  ASSERT_TRUE(testing_support::RunCarelessViewer());
  ForgetRegistrations();
  Copy(L"missed");  // nobody living heads the chain now
  PumpFor(2500);    // the health check finds the change that went by unannounced
  EXPECT_EQ(journal_.Count(L"change"), 0) << "the missed change itself must get no reaction";
  Copy(L"heard");
  EXPECT_TRUE(PumpUntil([&] { return journal_.Count(L"change") == 1; }));
}

// Dispatches messages until the monitor's window has had its next health check.
bool AwaitHealthCheck(HWND monitorWindow) {
  const ULONGLONG deadline = GetTickCount64() + 3000;
  while (GetTickCount64() < deadline) {
    MSG msg{};
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (msg.message == WM_TIMER && msg.hwnd == monitorWindow) return true;
  }
  return false;
}

TEST_F(ClipboardMonitorTest, WhenAskedItReportsTheMissedCopyOnceIfItIsStillRecent) {
  auto& monitor = CreateMonitor();
  monitor.ReportMissedChanges = true;
  for (const bool old : {false, true}) {
    SCOPED_TRACE(old ? "old" : "recent");
    ASSERT_TRUE(testing_support::RunCarelessViewer());
    ForgetRegistrations();
    const int rejoins = monitor.Rejoins();
    Copy(L"missed");
    ASSERT_TRUE(AwaitHealthCheck(monitor.NotifierWindow()));  // sees the change, not yet called missed
    if (old) Sleep(2100);                                     // busy elsewhere: the user has moved on
    ASSERT_TRUE(AwaitHealthCheck(monitor.NotifierWindow()));  // finds it missed and rejoins
    EXPECT_EQ(monitor.Rejoins(), rejoins + 1);
    PumpFor(1200);  // neither the rejoin's own notice nor a later check reports it again
    EXPECT_EQ(journal_.Count(L"change"), old ? 0 : 1);
  }
}

TEST_F(ClipboardMonitorTest, ChangesWaitWhileAnErrorBoxIsOpen) {
  auto& monitor = CreateMonitor();
  int calls = 0;
  monitor.OnChange = [&](clipboard::TJvClipboardMonitor&) {
    ++calls;
    throw ui::Exception(L"Zwischenablage kann nicht geöffnet werden");
  };
  testing_support::WhileNextErrorShows([this] {
    Copy(L"two");  // arrive while the box is open
    Copy(L"three");
  });
  Copy(L"one");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(testing_support::ShownErrors().size(), 1u);
  // Once the box is closed, the changes that waited get one report.
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }));
  PumpFor(1200);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(testing_support::ShownErrors().size(), 2u);
}

TEST_F(ClipboardMonitorTest, ServesTheViewerBehindItFirstWithUnchangedArguments) {
  TestViewer earlier(journal_, L"earlier");
  auto& monitor = CreateMonitor();
  ASSERT_EQ(monitor.NextViewer(), earlier.Window());
  ForgetRegistrations();

  Copy(L"text");
  ASSERT_TRUE(PumpUntil([&] { return journal_.Count(L"change") == 1; }));
  ASSERT_EQ(journal_.events, (std::vector<std::wstring>{L"earlier draw", L"change"}));

  SendMessageW(monitor.NotifierWindow(), WM_DRAWCLIPBOARD, 0x1234, 0x5678);
  EXPECT_EQ(earlier.lastWParam, 0x1234u);
  EXPECT_EQ(earlier.lastLParam, 0x5678);
  Copy(L"more");  // a notice without a change reports nothing; the next change is reported last
  EXPECT_EQ(journal_.events.back(), L"change");
}

TEST_F(ClipboardMonitorTest, AloneInTheChainItOnlyReportsTheChange) {
  auto& monitor = CreateMonitor();
  ASSERT_EQ(monitor.NextViewer(), nullptr);
  Copy(L"text");
  EXPECT_EQ(journal_.events, std::vector<std::wstring>{L"change"});
}

TEST_F(ClipboardMonitorTest, FollowsChainChangesAndPassesOnOthersUnchanged) {
  TestViewer earlier(journal_, L"earlier");
  auto& monitor = CreateMonitor();
  HWND notifier = monitor.NotifierWindow();

  // Some other window leaves: passed on untouched, next viewer kept.
  SendMessageW(notifier, WM_CHANGECBCHAIN, 0x4444, 0x5555);
  ASSERT_EQ(earlier.chainChanges.size(), 1u);
  EXPECT_EQ(earlier.chainChanges[0], (std::pair<WPARAM, LPARAM>{0x4444, 0x5555}));
  EXPECT_EQ(monitor.NextViewer(), earlier.Window());

  // The next viewer leaves: replaced by its successor, nothing sent.
  SendMessageW(notifier, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(earlier.Window()), 0);
  EXPECT_EQ(monitor.NextViewer(), nullptr);
  EXPECT_EQ(earlier.chainChanges.size(), 1u);
}

TEST_F(ClipboardMonitorTest, SettingTheSameEnabledValueAgainChangesNothing) {
  auto& monitor = CreateMonitor();
  TestViewer later(journal_, L"later");  // heads the chain now
  monitor.SetEnabled(true);              // a second registration would put the monitor in front
  EXPECT_EQ(monitor.NextViewer(), nullptr);

  monitor.SetEnabled(false);
  monitor.SetEnabled(false);
  EXPECT_FALSE(monitor.Enabled());
  ForgetRegistrations();
  Copy(L"text");
  ASSERT_TRUE(PumpUntil([&] { return journal_.Count(L"later draw") == 1; }));
  PumpFor(100);
  EXPECT_EQ(journal_.Count(L"change"), 0);
}

TEST_F(ClipboardMonitorTest, AnErrorInTheHandlerIsShownOnceAndLaterChangesStillArrive) {
  auto& monitor = CreateMonitor();
  int calls = 0;
  monitor.OnChange = [&](clipboard::TJvClipboardMonitor&) {
    if (++calls == 1) throw ui::Exception(L"Zwischenablage kann nicht geöffnet werden");
  };
  Copy(L"one");
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));
  ASSERT_EQ(testing_support::ShownErrors(), std::vector<std::wstring>{L"Zwischenablage kann nicht geöffnet werden."});

  Copy(L"two");
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }));
  EXPECT_EQ(testing_support::ShownErrors().size(), 1u);
  EXPECT_TRUE(monitor.Enabled());
}

TEST_F(ClipboardMonitorTest, AViewerBeforeItIsAnsweredBeforeTheHandlerWaitsForTheUser) {
  auto& monitor = CreateMonitor();
  std::atomic<bool> answered{false};
  bool answeredWhileHandling = false;
  bool handled = false;
  // The handler waits as a menu would, until the sending viewer has its answer.
  monitor.OnChange = [&](clipboard::TJvClipboardMonitor&) {
    answeredWhileHandling = PumpUntil([&] { return answered.load(); }, 2000);
    handled = true;
  };
  std::thread viewer([&answered] {
    SetClipboardUnicodeText(L"from another program");  // its close tells the monitor, and waits for it
    answered = true;
  });
  PumpUntil([&] { return handled; }, 5000);
  viewer.join();
  EXPECT_TRUE(answeredWhileHandling) << "the viewer before us hung until the handler was done";
}

TEST_F(ClipboardMonitorTest, LeavingKeepsTheViewersBeforeAndAfterItLinked) {
  TestViewer earlier(journal_, L"earlier");
  CreateMonitor();
  TestViewer later(journal_, L"later");
  ForgetRegistrations();

  owner_.reset();  // destroys the monitor
  Copy(L"after teardown");
  ASSERT_TRUE(PumpUntil([&] { return journal_.Count(L"earlier draw") == 1; }));
  EXPECT_EQ(journal_.Count(L"later draw"), 1);
  EXPECT_EQ(journal_.Count(L"change"), 0);
}

}  // namespace
