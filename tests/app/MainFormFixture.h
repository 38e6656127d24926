#pragma once
// A main window started in a folder of its own, so each test has its own settings file.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/RunObjects.h"
#include "app/TForm1.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"

namespace app_test {

class MainFormFixture : public testing::Test {
 protected:
  void SetUp() override {
    testing_support::ClearShownErrors();
    TakeQuitMessage();
  }
  void TearDown() override {
    form_.reset();
    TakeQuitMessage();
  }

  // A form started before ends first, so the new one becomes the application's main form.
  app::TForm1& StartForm() {
    form_.reset();
    form_ = std::make_unique<app::TForm1>(testing_support::Run());
    return *form_;
  }
  void WriteIni(const std::string& ansiText) {
    testing_support::WriteFileBytes(IniPath(), std::vector<unsigned char>(ansiText.begin(), ansiText.end()));
  }
  [[nodiscard]] std::wstring IniPath() const { return folder_.Path() + L"VelmoClipboard.ini"; }
  [[nodiscard]] std::vector<std::wstring> IniLines() const { return testing_support::ReadTextLines(IniPath()); }

  // Puts in force the settings as `change` leaves them.
  void ChangeSettings(const std::function<void(settings::Settings&)>& change) {
    settings::Settings values = form_->Settings();
    change(values);
    form_->SetSettings(values);
  }

  // Chooses a menu item the way a click does: the command arrives as WM_COMMAND.
  void Choose(const ui::TMenuItem* item) { SendMessageW(form_->Handle(), WM_COMMAND, item->Command(), 0); }

  // True when the message loop was told to end (and takes that request back).
  static bool TakeQuitMessage() {
    MSG msg{};
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  }

  testing_support::TemporaryFolder folder_;
  testing_support::WorkingDirectory workingDirectory_{folder_.Path()};
  std::unique_ptr<app::TForm1> form_;
};

}  // namespace app_test
