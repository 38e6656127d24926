// Starts the real program and works it from outside, as Windows and the user would.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "support/StartedProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"

namespace {

using testing_support::ProcessWindows;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    process_ = std::make_unique<testing_support::StartedProgram>(folder_.Path());
    mainWindow_ = process_->WaitUntilReady();
    ASSERT_NE(mainWindow_, nullptr) << "the program never got to its message loop";
  }

  // In a folder of its own: the end of the session writes the settings file there.
  testing_support::TemporaryFolder folder_;
  std::unique_ptr<testing_support::StartedProgram> process_;
  HWND mainWindow_ = nullptr;
};

TEST_F(ProgramTest, StartsWithAnApplicationWindowAndNothingVisible) {
  const auto applicationWindows = ProcessWindows(process_->Id(), L"TApplication");
  ASSERT_EQ(applicationWindows.size(), 1u);
  wchar_t title[64] = {};
  GetWindowTextW(applicationWindows[0], title, 64);
  EXPECT_STREQ(title, L"Velmo Clipboard");
  EXPECT_EQ(GetWindow(mainWindow_, GW_OWNER), applicationWindows[0]) << "the main window must not get a taskbar button";

  testing_support::PumpFor(300);
  for (HWND window : ProcessWindows(process_->Id())) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    EXPECT_FALSE(IsWindowVisible(window)) << "visible window of class " << testing::PrintToString(std::wstring(name));
  }
}

// Under Wine every DLL the program imports is loaded at start and stays: the common dialogs
// bring the print spooler and the printing system's client with them.
TEST_F(ProgramTest, AtRestItHasNotLoadedTheCommonDialogsOrThePrintSpooler) {
  std::vector<HMODULE> modules(512);
  DWORD bytes = 0;
  ASSERT_TRUE(EnumProcessModules(process_->Handle(), modules.data(),
                                 static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes));
  modules.resize(std::min<std::size_t>(modules.size(), bytes / sizeof(HMODULE)));
  ASSERT_GT(modules.size(), 5u);
  for (HMODULE module : modules) {
    wchar_t name[MAX_PATH] = {};
    GetModuleBaseNameW(process_->Handle(), module, name, MAX_PATH);
    std::wstring lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    for (const wchar_t* unwanted : {L"comdlg32.dll", L"winspool.drv", L"compstui.dll"}) EXPECT_NE(lower, unwanted);
  }
}

TEST_F(ProgramTest, ClosingTheMainWindowOnlyHidesIt) {
  ShowWindow(mainWindow_, SW_SHOW);
  ASSERT_TRUE(testing_support::PumpUntil([&] { return IsWindowVisible(mainWindow_) != FALSE; }));
  PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(testing_support::PumpUntil([&] { return !IsWindowVisible(mainWindow_); }));
  EXPECT_EQ(process_->Wait(300), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(IsWindow(mainWindow_));
}

TEST_F(ProgramTest, AgreesToEndTheSessionAndEndsCleanlyWhenItEnds) {
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(mainWindow_, WM_QUERYENDSESSION, 0, static_cast<LPARAM>(ENDSESSION_LOGOFF),
                                  SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "a logoff must not be refused";
  EXPECT_EQ(process_->Wait(300), static_cast<DWORD>(STILL_ACTIVE)) << "asking is not ending";

  SendMessageTimeoutW(mainWindow_, WM_ENDSESSION, TRUE, static_cast<LPARAM>(ENDSESSION_LOGOFF), SMTO_ABORTIFHUNG, 5000,
                      &answer);
  EXPECT_EQ(process_->Wait(10000), 0u);
}

TEST_F(ProgramTest, ASessionThatGoesOnAfterAllKeepsTheProgramRunning) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(mainWindow_, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_EQ(process_->Wait(300), static_cast<DWORD>(STILL_ACTIVE));
}

}  // namespace
