// The main window's tray icon: where it sits among the window's components, the settings the
// window gives it, what reaches the shell while the window is built, and that a refused close
// hides the window through it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/RunObjects.h"
#include "app/TForm1.h"
#include "ui/Application.h"

namespace {

struct ShellCall {
  DWORD message;
  std::wstring tip;
  bool operator==(const ShellCall&) const = default;
};

class TForm1TrayIconTest : public testing::Test {
 protected:
  void SetUp() override { form = std::make_unique<app::TForm1>(testing_support::Run()); }
  void TearDown() override {
    form.reset();
    HWND application = ui::TApplication::Current()->Handle();
    if (IsIconic(application)) ShowWindow(application, SW_RESTORE);
    ShowWindow(application, SW_HIDE);
  }

  std::ptrdiff_t PositionOf(const ui::TComponent* component) const {
    const auto& all = form->Components();
    return std::find(all.begin(), all.end(), component) - all.begin();
  }

  std::vector<ShellCall> calls;
  const ui::ScopedReplacement<shell::TTrayIconHandler::ShellFunction> shell_ =
      testing_support::Run().TrayIconHandler().ReplaceShellFunction([this](DWORD message, const NOTIFYICONDATAW& data) {
        calls.push_back({message, data.szTip});
        return true;
      });
  std::unique_ptr<app::TForm1> form;
};

TEST_F(TForm1TrayIconTest, TrayIconSitsBetweenTextMenuAndTrayMenuWithTheStoredSettings) {
  EXPECT_EQ(PositionOf(&form->TrayIcon()), PositionOf(&form->PopupMenuText()) + 1);
  EXPECT_EQ(PositionOf(&form->PopupMenuTray()), PositionOf(&form->TrayIcon()) + 1);
  EXPECT_EQ(form->TrayIcon().Name(), L"TrayIcon");
  EXPECT_EQ(form->TrayIcon().PopupMenu(), &form->PopupMenuTray());
  EXPECT_TRUE(form->TrayIcon().IconVisible());
  EXPECT_TRUE(form->TrayIcon().MinimizeToTray());
  EXPECT_TRUE(form->TrayIcon().ShowHint());
  EXPECT_TRUE(form->TrayIcon().Enabled());
  EXPECT_FALSE(form->TrayIcon().LeftPopup());
  EXPECT_EQ(form->TrayIcon().IconIndex(), 0);
  EXPECT_EQ(form->TrayIcon().Hint(), L"Velmo Clipboard V0.2");
}

TEST_F(TForm1TrayIconTest, IconIsShownWithoutTooltipFirstAndGetsTheCaptionOnceTheWindowIsBuilt) {
  EXPECT_EQ(calls, (std::vector<ShellCall>{{NIM_MODIFY, L""},
                                           {NIM_ADD, L""},
                                           {NIM_MODIFY, L""},
                                           {NIM_MODIFY, L""},
                                           {NIM_ADD, L""},
                                           {NIM_SETVERSION, L""},
                                           {NIM_MODIFY, L"Velmo Clipboard V0.2"}}));
  calls.clear();
  form.reset();
  EXPECT_EQ(calls, (std::vector<ShellCall>{{NIM_DELETE, L"Velmo Clipboard V0.2"}}));
}

TEST_F(TForm1TrayIconTest, RefusedCloseHidesWindowAndTaskbarButtonAndKeepsTheIcon) {
  form->TrayIcon().ShowMainWindow();
  ASSERT_TRUE(form->Visible());
  HWND application = ui::TApplication::Current()->Handle();
  ASSERT_TRUE(IsWindowVisible(application));
  form->Close();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(application));
  EXPECT_TRUE(form->TrayIcon().IconVisible());
  EXPECT_FALSE(form->ExitFlag());
}

}  // namespace
