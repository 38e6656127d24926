#pragma once
// A tray icon on a main window of its own, with every event, the menu and the wake-up message
// after the menu written to one log, so a test can check what happened and in which order.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/RunObjects.h"
#include "shell/TCoolTrayIcon.h"
#include "shell/TTrayIconHandler.h"
#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/PopupMenu.h"

namespace tray_test {

using Log = std::vector<std::wstring>;

inline std::wstring At(int x, int y) { return std::to_wstring(x) + L"," + std::to_wstring(y); }

inline std::wstring ButtonName(shell::TMouseButton button) {
  switch (button) {
    case shell::TMouseButton::Left:
      return L"left";
    case shell::TMouseButton::Right:
      return L"right";
    case shell::TMouseButton::Middle:
      return L"middle";
  }
  return L"?";
}

// Logs the message the tray menu posts to its owner window once the menu has closed.
class TrayTestForm : public ui::TForm {
 public:
  explicit TrayTestForm(Log& log)
      : ui::TForm(nullptr, L"TrayTestForm", L"TTrayTestForm", L"Tray test", 100, 100, 320, 240), log_(log) {}

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_NULL) log_.push_back(L"wake");
    return DefaultHandler(msg, wParam, lParam);
  }

 private:
  Log& log_;
};

class TrayIconTest : public testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(200, 150);
    POINT at{};
    GetCursorPos(&at);
    cursor = At(at.x, at.y);
    form = std::make_unique<TrayTestForm>(log);
    menu = new ui::TPopupMenu(form.get(), L"PopupMenuTray", form->Handle(), nullptr);
    menu->Add(L"Beenden1", L"Beenden", ui::TMenuItem::kNoImage);
    menu->OnPopup = [this] { log.push_back(L"popup"); };
    tray = new shell::TCoolTrayIcon(form.get(), testing_support::Run().Application(),
                                    testing_support::Run().TrayIconHandler(), L"TrayIcon");
    tray->SetPopupMenu(menu);
    tray->OnClick = [this](shell::TCoolTrayIcon&) { log.push_back(L"click"); };
    tray->OnDblClick = [this](shell::TCoolTrayIcon&) { log.push_back(L"double click"); };
    tray->OnMouseDown = [this](shell::TCoolTrayIcon&, shell::TMouseButton button, shell::TShiftState shift, int x,
                               int y) {
      log.push_back(L"down " + ButtonName(button) + L" " + std::to_wstring(shift) + L" at " + At(x, y));
    };
    tray->OnMouseUp = [this](shell::TCoolTrayIcon&, shell::TMouseButton button, shell::TShiftState shift, int x,
                             int y) {
      log.push_back(L"up " + ButtonName(button) + L" " + std::to_wstring(shift) + L" at " + At(x, y));
    };
    tray->OnMouseMove = [this](shell::TCoolTrayIcon&, shell::TShiftState shift, int x, int y) {
      log.push_back(L"move " + std::to_wstring(shift) + L" at " + At(x, y));
    };
    tray->OnBalloonHintShow = [this](shell::TCoolTrayIcon&) { log.push_back(L"balloon show"); };
    tray->OnBalloonHintHide = [this](shell::TCoolTrayIcon&) { log.push_back(L"balloon hide"); };
    tray->OnBalloonHintTimeout = [this](shell::TCoolTrayIcon&) { log.push_back(L"balloon timeout"); };
    tray->OnBalloonHintClick = [this](shell::TCoolTrayIcon&) { log.push_back(L"balloon click"); };
  }

  void TearDown() override {
    form.reset();
    // Leave the shared application window as every test finds it: hidden, not minimised.
    HWND application = ui::TApplication::Current()->Handle();
    if (IsIconic(application)) ShowWindow(application, SW_RESTORE);
    ShowWindow(application, SW_HIDE);
  }

  // Posts a shell callback for the icon to the handler window, as the shell does, and waits
  // until it has been handled.
  void Deliver(LPARAM what, WPARAM id) {
    HWND handler = testing_support::Run().TrayIconHandler().Window();
    ASSERT_TRUE(PostMessageW(handler, shell::kTrayCallbackMessage, id, what));
    ASSERT_TRUE(testing_support::PumpUntil([handler] {
      MSG pending{};
      return !PeekMessageW(&pending, handler, shell::kTrayCallbackMessage, shell::kTrayCallbackMessage, PM_NOREMOVE);
    }));
  }
  void Deliver(LPARAM what) { Deliver(what, tray->Id()); }

  Log log;
  const ui::ScopedReplacement<ui::TPopupMenu::PopupFunction> popups_ = ui::TPopupMenu::ReplacePopupFunction(
      [this](ui::TPopupMenu&, int x, int y) { log.push_back(L"menu at " + At(x, y)); });
  std::wstring cursor;
  std::unique_ptr<TrayTestForm> form;
  ui::TPopupMenu* menu = nullptr;
  shell::TCoolTrayIcon* tray = nullptr;
};

}  // namespace tray_test
