// The tray icon against the real notification area (Wine's tray on the X display) and the
// real application window: the icon comes and goes, comes back after the taskbar was created
// anew, and minimising, closing and showing move the main window and the taskbar button.
#include "TrayIconFixture.h"
#include "app/RunObjects.h"
#include "support/TrayWindows.h"

namespace tray_test {
namespace {

using testing_support::NewWindows;
using testing_support::PumpUntil;
using testing_support::TrayIconWindows;

class TrayShellTest : public TrayIconTest {
 protected:
  void SetUp() override {
    TrayIconTest::SetUp();
    before = TrayIconWindows();
    ui::TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    tray->SetIcon(icon);
    tray->SetHint(L"Velmo Clipboard V0.2");
    tray->SetIconVisible(true);
    form->LoadedAll();
  }

  // The one tray icon window this test's icon added, or null once it is gone.
  HWND OwnIcon() const {
    const auto added = NewWindows(before, TrayIconWindows());
    return added.size() == 1 ? added.front() : nullptr;
  }

  bool Shown(HWND window) const { return IsWindowVisible(window) != FALSE; }
  HWND Application() const { return ui::TApplication::Current()->Handle(); }

  std::vector<HWND> before;
};

TEST_F(TrayShellTest, IconEntersTheNotificationAreaAndLeavesWithTheComponent) {
  ASSERT_TRUE(PumpUntil([this] { return OwnIcon() != nullptr; }));
  const HWND icon = OwnIcon();
  delete tray;
  tray = nullptr;
  EXPECT_TRUE(PumpUntil([icon] { return !IsWindow(icon); }));
}

TEST_F(TrayShellTest, TaskbarCreatedBroadcastPutsTheIconBack) {
  ASSERT_TRUE(PumpUntil([this] { return OwnIcon() != nullptr; }));
  // The shell forgets the icon, as when it restarts.
  NOTIFYICONDATAW forget = tray->NotifyData();
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &forget));
  ASSERT_TRUE(PumpUntil([this] { return OwnIcon() == nullptr; }));

  ASSERT_NE(shell::TaskbarCreatedMessage(), 0u);
  PostMessageW(HWND_BROADCAST, shell::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(PumpUntil([this] { return OwnIcon() != nullptr; }));
  EXPECT_TRUE(tray->IconVisible());
  EXPECT_EQ(std::wstring(tray->NotifyData().szTip), L"Velmo Clipboard V0.2");
}

TEST_F(TrayShellTest, TaskbarCreatedLeavesARemovedIconAway) {
  ASSERT_TRUE(PumpUntil([this] { return OwnIcon() != nullptr; }));
  tray->SetIconVisible(false);
  ASSERT_TRUE(PumpUntil([this] { return OwnIcon() == nullptr; }));
  SendMessageW(Application(), shell::TaskbarCreatedMessage(), 0, 0);
  testing_support::PumpFor(200);
  EXPECT_EQ(OwnIcon(), nullptr);
}

TEST_F(TrayShellTest, MinimiseHidesWindowAndTaskbarButtonAndShowMainWindowRestoresThem) {
  tray->SetMinimizeToTray(true);
  tray->ShowMainWindow();
  ASSERT_TRUE(Shown(form->Handle()));
  ASSERT_TRUE(Shown(Application()));

  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(Shown(form->Handle()));
  EXPECT_FALSE(Shown(Application()));
  EXPECT_TRUE(IsIconic(Application()));
  EXPECT_TRUE(tray->IconVisible());

  tray->ShowMainWindow();
  EXPECT_TRUE(Shown(form->Handle()));
  EXPECT_TRUE(Shown(Application()));
  EXPECT_FALSE(IsIconic(Application()));
  EXPECT_FALSE(IsIconic(form->Handle()));
}

TEST_F(TrayShellTest, MinimiseWithoutMinimizeToTrayKeepsTheTaskbarButton) {
  tray->SetMinimizeToTray(false);
  tray->ShowMainWindow();
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(Application()));
  EXPECT_TRUE(Shown(Application()));
}

TEST_F(TrayShellTest, RestoreCommandOfTheApplicationShowsTheMainWindow) {
  tray->SetMinimizeToTray(true);
  tray->ShowMainWindow();
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_FALSE(Shown(form->Handle()));
  SendMessageW(Application(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(Shown(form->Handle()));
  EXPECT_FALSE(IsIconic(Application()));
}

TEST_F(TrayShellTest, HideMainWindowHidesWindowAndTaskbarButtonAndShowMainWindowBringsThemBack) {
  tray->ShowMainWindow();
  tray->HideMainWindow();
  EXPECT_FALSE(Shown(form->Handle()));
  EXPECT_FALSE(Shown(Application()));
  EXPECT_FALSE(IsIconic(Application()));
  EXPECT_NE(OwnIcon(), nullptr);  // the icon stays

  tray->ShowMainWindow();
  EXPECT_TRUE(Shown(form->Handle()));
  EXPECT_TRUE(Shown(Application()));
  tray->ShowMainWindow();  // already shown: stays shown
  EXPECT_TRUE(Shown(form->Handle()));
}

TEST_F(TrayShellTest, OwnerFormIsHookedForTheIconsLifetime) {
  HWND window = form->Handle();
  const bool hooked = static_cast<bool>(form->OnShow);
  delete tray;
  tray = nullptr;
  const bool original = static_cast<bool>(form->OnShow);
  EXPECT_NE(hooked, original);
  auto* again = new shell::TCoolTrayIcon(form.get(), testing_support::Run().Application(),
                                         testing_support::Run().TrayIconHandler(), L"TrayIcon");
  EXPECT_EQ(static_cast<bool>(form->OnShow), hooked);
  delete again;
  EXPECT_EQ(static_cast<bool>(form->OnShow), original);
  // The window still works through its own procedure.
  PostMessageW(window, WM_NULL, 0, 0);
  EXPECT_TRUE(PumpUntil([this] { return !log.empty(); }));
}

}  // namespace
}  // namespace tray_test
