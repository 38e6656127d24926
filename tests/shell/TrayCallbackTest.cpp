// The shell's mouse callbacks reaching the tray icon through the handler window: which events
// each one fires, in which order, and when the tray menu opens.
#include <algorithm>

#include "TrayIconFixture.h"
#include "app/RunObjects.h"
#include "ui/Errors.h"

namespace tray_test {
namespace {

bool Contains(const Log& log, const std::wstring& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

TEST_F(TrayIconTest, LeftClickFiresDownClickUpAtTheCursor) {
  Deliver(WM_LBUTTONDOWN);
  Deliver(WM_LBUTTONUP);
  EXPECT_EQ(log, (Log{L"down left 8 at " + cursor, L"click", L"up left 8 at " + cursor}));
}

TEST_F(TrayIconTest, DoubleClickFiresClickOnceThenDoubleClick) {
  Deliver(WM_LBUTTONDOWN);
  Deliver(WM_LBUTTONUP);
  Deliver(WM_LBUTTONDBLCLK);
  Deliver(WM_LBUTTONUP);
  EXPECT_EQ(log, (Log{L"down left 8 at " + cursor, L"click", L"up left 8 at " + cursor, L"double click",
                      L"up left 8 at " + cursor}));
}

TEST_F(TrayIconTest, ReleaseWithoutPressFiresNoClick) {
  Deliver(WM_LBUTTONUP);
  EXPECT_EQ(log, (Log{L"up left 8 at " + cursor}));
}

TEST_F(TrayIconTest, RightPressFiresDownThenOpensMenuAtCursorThenWakesOwner) {
  Deliver(WM_RBUTTONDOWN);
  ASSERT_TRUE(testing_support::PumpUntil([this] { return Contains(log, L"wake"); }, 2000));
  EXPECT_EQ(log, (Log{L"down right 16 at " + cursor, L"popup", L"menu at " + cursor, L"wake"}));
}

TEST_F(TrayIconTest, RightReleaseOnlyFiresUp) {
  Deliver(WM_RBUTTONUP);
  EXPECT_EQ(log, (Log{L"up right 16 at " + cursor}));
}

TEST_F(TrayIconTest, MiddleButtonFiresDownAndUpWithMiddleFlag) {
  Deliver(WM_MBUTTONDOWN);
  Deliver(WM_MBUTTONUP);
  EXPECT_EQ(log, (Log{L"down middle 32 at " + cursor, L"up middle 32 at " + cursor}));
}

TEST_F(TrayIconTest, MouseMoveReportsCursorWithoutButtonFlag) {
  Deliver(WM_MOUSEMOVE);
  EXPECT_EQ(log, (Log{L"move 0 at " + cursor}));
}

TEST_F(TrayIconTest, HeldKeysShowInShiftState) {
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_SHIFT;
  keys[1].ki.wVk = VK_CONTROL;
  ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
  Deliver(WM_LBUTTONDOWN);
  keys[0].ki.dwFlags = keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  testing_support::PumpFor(20);
  EXPECT_EQ(log, (Log{L"down left 13 at " + cursor}));  // Shift 1 + Ctrl 4 + left button 8
}

TEST_F(TrayIconTest, NewerCallbackMessagesAndUnknownOnesDoNothing) {
  for (LPARAM what : {LPARAM{WM_CONTEXTMENU}, LPARAM{NIN_SELECT}, LPARAM{NIN_KEYSELECT}, LPARAM{WM_RBUTTONDBLCLK},
                      LPARAM{0x0406}, LPARAM{0x10204}}) {
    Deliver(what);
  }
  EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(TrayIconTest, BalloonNotificationsFireTheirEventsAlsoWhileDisabled) {
  tray->SetEnabled(false);
  Deliver(NIN_BALLOONSHOW);
  Deliver(NIN_BALLOONHIDE);
  Deliver(NIN_BALLOONTIMEOUT);
  Deliver(NIN_BALLOONUSERCLICK);
  EXPECT_EQ(log, (Log{L"balloon show", L"balloon hide", L"balloon timeout", L"balloon click"}));
}

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouse) {
  tray->SetEnabled(false);
  for (LPARAM what : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                      WM_MBUTTONDOWN, WM_MBUTTONUP}) {
    Deliver(what);
  }
  testing_support::PumpFor(50);
  EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(TrayIconTest, CallbackForAnotherIdReachesNobody) {
  Deliver(WM_LBUTTONDOWN, tray->Id() + 1000);
  // On 64-bit an id must not be cut down to 32 bits and so match this icon by accident.
  Deliver(WM_LBUTTONDOWN, WPARAM{tray->Id()} | WPARAM{1} << (sizeof(WPARAM) * 8 - 1));
  EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(TrayIconTest, LeftPopupOpensMenuOnLeftPress) {
  tray->SetLeftPopup(true);
  Deliver(WM_LBUTTONDOWN);
  ASSERT_TRUE(testing_support::PumpUntil([this] { return Contains(log, L"wake"); }, 2000));
  EXPECT_EQ(log, (Log{L"down left 8 at " + cursor, L"popup", L"menu at " + cursor, L"wake"}));
}

TEST_F(TrayIconTest, NoMenuOpensWithoutMenuOrWithAutoPopupOff) {
  menu->AutoPopup = false;
  Deliver(WM_RBUTTONDOWN);
  tray->SetPopupMenu(nullptr);
  Deliver(WM_RBUTTONDOWN);
  testing_support::PumpFor(50);
  EXPECT_EQ(log, (Log{L"down right 16 at " + cursor, L"down right 16 at " + cursor}));
}

TEST_F(TrayIconTest, DestroyedMenuIsForgotten) {
  delete menu;
  menu = nullptr;
  EXPECT_EQ(tray->PopupMenu(), nullptr);
  Deliver(WM_RBUTTONDOWN);
  testing_support::PumpFor(50);
  EXPECT_EQ(log, (Log{L"down right 16 at " + cursor}));
}

TEST_F(TrayIconTest, HandlerWindowCannotBeClosedFromOutside) {
  HWND handler = testing_support::Run().TrayIconHandler().Window();
  for (UINT msg : {UINT{WM_CLOSE}, UINT{WM_QUERYENDSESSION}, UINT{WM_ENDSESSION}, UINT{WM_QUIT}, UINT{WM_DESTROY},
                   UINT{WM_NCDESTROY}}) {
    EXPECT_EQ(SendMessageW(handler, msg, 0, 0), 1) << msg;
  }
  EXPECT_TRUE(IsWindow(handler));
  Deliver(WM_LBUTTONDOWN);
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(TrayIconTest, ErrorInAnEventReachesTheDefaultErrorHandler) {
  testing_support::ClearShownErrors();
  tray->OnClick = [](shell::TCoolTrayIcon&) { throw ui::Exception(L"Fehler im Klick"); };
  Deliver(WM_LBUTTONDOWN);
  Deliver(WM_LBUTTONUP);
  EXPECT_EQ(testing_support::ShownErrors(), (std::vector<std::wstring>{L"Fehler im Klick."}));
  testing_support::ClearShownErrors();
}

}  // namespace
}  // namespace tray_test
