// What the tray icon sends to the shell: the record's fixed fields, the tooltip and icon it
// carries, and the sequence of shell calls from construction to destruction.
#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "TrayIconFixture.h"
#include "app/RunObjects.h"
#include "shell/TrayRules.h"

namespace tray_test {
namespace {

struct ShellCall {
  DWORD message;
  std::wstring tip;
  HICON icon;
  UINT version;
  bool operator==(const ShellCall&) const = default;
};

// Records every shell call; the shell's answer is `answer`.
class RecordingShell {
 public:
  explicit RecordingShell(bool answer = true)
      : replacement_(testing_support::Run().TrayIconHandler().ReplaceShellFunction(
            [this, answer](DWORD message, const NOTIFYICONDATAW& data) {
              calls.push_back({message, data.szTip, data.hIcon, data.uVersion});
              return answer;
            })) {}
  std::vector<ShellCall> calls;

 private:
  ui::ScopedReplacement<shell::TTrayIconHandler::ShellFunction> replacement_;
};

std::wstring TipOf(const shell::TCoolTrayIcon& tray) { return tray.NotifyData().szTip; }

bool TipIsAllZero(const shell::TCoolTrayIcon& tray) {
  for (wchar_t c : tray.NotifyData().szTip) {
    if (c != L'\0') return false;
  }
  return true;
}

TEST_F(TrayIconTest, RecordUsesTheWideWindows2000LayoutAndTheHandlerWindow) {
  tray->UpdateTrayIcon();
  const NOTIFYICONDATAW& data = tray->NotifyData();
  EXPECT_EQ(data.cbSize, sizeof(void*) == 8 ? 952u : 936u);
  EXPECT_EQ(data.cbSize, offsetof(NOTIFYICONDATAW, guidItem));
  EXPECT_EQ(data.hWnd, testing_support::Run().TrayIconHandler().Window());
  EXPECT_EQ(data.uFlags, 7u);
  EXPECT_EQ(data.uCallbackMessage, 0x0800u);
  EXPECT_EQ(testing_support::Run().TrayIconHandler().Find(data.uID), tray);
}

TEST_F(TrayIconTest, TooltipIsCutAt127Characters) {
  std::wstring hint;
  for (int i = 0; i < 200; ++i) hint += static_cast<wchar_t>(L'A' + i % 26);
  tray->SetHint(hint);
  EXPECT_EQ(TipOf(*tray), hint.substr(0, 127));
  EXPECT_EQ(tray->NotifyData().szTip[127], L'\0');
  EXPECT_EQ(tray->Hint(), hint);  // the property keeps the whole text

  tray->SetHint(L"Zwischenablage – 剪贴板 ✓ Łódź");
  EXPECT_EQ(TipOf(*tray), L"Zwischenablage – 剪贴板 ✓ Łódź");
}

TEST_F(TrayIconTest, TooltipIsEmptyWhenShowHintIsOffOrHintEmpty) {
  tray->SetHint(L"Velmo Clipboard V0.2");
  tray->SetShowHint(false);
  EXPECT_TRUE(TipIsAllZero(*tray));
  tray->SetShowHint(true);
  EXPECT_EQ(TipOf(*tray), L"Velmo Clipboard V0.2");
  tray->SetHint(L"");
  EXPECT_TRUE(TipIsAllZero(*tray));
}

TEST_F(TrayIconTest, IconWriteSendsOneUpdateWithItsOwnCopy) {
  RecordingShell shell;
  ui::TIcon source;
  source.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  tray->SetIcon(source);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].message, DWORD{NIM_MODIFY});
  EXPECT_NE(shell.calls[0].icon, nullptr);
  EXPECT_NE(shell.calls[0].icon, source.Handle());
  EXPECT_EQ(tray->Icon().Handle(), shell.calls[0].icon);

  // A later change of the icon's content goes to the shell too; an empty icon is sent as 0.
  tray->Icon().SetHandle(nullptr);
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[1], (ShellCall{NIM_MODIFY, L"", nullptr, 0}));
}

TEST_F(TrayIconTest, IconVisibleFollowsTheOperationsWhateverTheShellAnswers) {
  RecordingShell shell(false);
  tray->SetIconVisible(true);
  EXPECT_TRUE(tray->IconVisible());
  EXPECT_FALSE(tray->AddTrayIcon());
  EXPECT_TRUE(tray->IconVisible());
  tray->SetIconVisible(false);
  EXPECT_FALSE(tray->IconVisible());
  EXPECT_EQ(shell.calls.size(), 3u);
}

TEST_F(TrayIconTest, IconIndexStaysZeroWithoutIconList) {
  RecordingShell shell;
  tray->SetIconIndex(3);
  EXPECT_EQ(tray->IconIndex(), 0);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].message, DWORD{NIM_MODIFY});
}

TEST(TrayIconStartUp, StoredSettingsLoadedAndHintGiveTheShellCallsInOrder) {
  RecordingShell shell;
  Log log;
  auto form = std::make_unique<TrayTestForm>(log);
  auto* trayMenu = new ui::TPopupMenu(form.get(), L"PopupMenuTray", form->Handle(), nullptr);
  auto* tray = new shell::TCoolTrayIcon(form.get(), testing_support::Run().Application(),
                                        testing_support::Run().TrayIconHandler(), L"TrayIcon");
  ui::TIcon programIcon;
  programIcon.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));

  tray->SetIcon(programIcon);
  tray->SetIconVisible(true);
  tray->SetIconIndex(0);
  tray->SetPopupMenu(trayMenu);
  tray->SetMinimizeToTray(true);
  form->LoadedAll();
  tray->SetHint(L"Velmo Clipboard V0.2");
  const HICON icon = tray->Icon().Handle();
  form.reset();

  EXPECT_EQ(shell.calls, (std::vector<ShellCall>{
                             {NIM_MODIFY, L"", icon, 0},      // the icon, before the icon is shown
                             {NIM_ADD, L"", icon, 0},         // IconVisible: shown with an empty tooltip
                             {NIM_MODIFY, L"", icon, 0},      // IconIndex
                             {NIM_MODIFY, L"", icon, 0},      // loaded: update,
                             {NIM_ADD, L"", icon, 0},         // IconVisible applied again,
                             {NIM_SETVERSION, L"", icon, 0},  // the classic callback set
                             {NIM_MODIFY, L"Velmo Clipboard V0.2", icon, 0},
                             {NIM_DELETE, L"Velmo Clipboard V0.2", icon, 0},  // destruction
                         }));
}

TEST(TrayIconHandler, IconsShareOneWindowUnderDistinctIds) {
  Log log;
  auto form = std::make_unique<TrayTestForm>(log);
  auto* first = new shell::TCoolTrayIcon(form.get(), testing_support::Run().Application(),
                                         testing_support::Run().TrayIconHandler(), L"TrayIcon1");
  auto* second = new shell::TCoolTrayIcon(form.get(), testing_support::Run().Application(),
                                          testing_support::Run().TrayIconHandler(), L"TrayIcon2");
  HWND handler = testing_support::Run().TrayIconHandler().Window();
  EXPECT_NE(first->Id(), second->Id());
  EXPECT_EQ(first->NotifyData().hWnd, handler);
  EXPECT_EQ(second->NotifyData().hWnd, handler);
  EXPECT_EQ(testing_support::Run().TrayIconHandler().Count(), 2u);
  EXPECT_EQ(testing_support::Run().TrayIconHandler().Find(first->Id()), first);
  EXPECT_EQ(testing_support::Run().TrayIconHandler().Find(second->Id()), second);

  const UINT firstId = first->Id();
  delete first;
  EXPECT_EQ(testing_support::Run().TrayIconHandler().Find(firstId), nullptr);
  EXPECT_TRUE(IsWindow(handler));
  form.reset();
  EXPECT_EQ(testing_support::Run().TrayIconHandler().Count(), 0u);
}

TEST(TrayRules, TaskbarCreatedIsRegisteredWithTheSystemsCommonControls) {
  EXPECT_GE(shell::CommonControlsVersion(), (4u << 16) | 71u);
  EXPECT_EQ(shell::TaskbarCreatedMessage(), RegisterWindowMessageW(L"TaskbarCreated"));
}

}  // namespace
}  // namespace tray_test
