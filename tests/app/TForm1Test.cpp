#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/RunObjects.h"
#include "app/TForm1.h"
#include "support/TemporaryFolder.h"
#include "support/TestSupport.h"
#include "ui/Application.h"

namespace {

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return text;
}

bool HasBitmap(HMENU menu, UINT position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_BITMAP;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return info.hbmpItem != nullptr;
}

bool IsChecked(HMENU menu, UINT position) { return (GetMenuState(menu, position, MF_BYPOSITION) & MF_CHECKED) != 0; }

class MainWindowTest : public ::testing::Test {
 protected:
  // The form reads its settings file from, and Exit writes it to, the working directory.
  testing_support::TemporaryFolder folder_;
  testing_support::WorkingDirectory workingDirectory_{folder_.Path()};
  app::TForm1 form_{testing_support::Run()};
};

TEST_F(MainWindowTest, TheTrayMenuHoldsEveryItemAsARealMenuString) {
  HMENU tray = form_.PopupMenuTray().Handle();
  ASSERT_EQ(GetMenuItemCount(tray), 6);
  const wchar_t* captions[] = {L"Verknüpfungen", L"Optionen", L"Sprache", L"Über...", L"Hilfe", L"Beenden"};
  for (UINT i = 0; i < 6; ++i) EXPECT_EQ(MenuText(tray, i), captions[i]);
  for (UINT i : {0u, 1u, 3u, 4u, 5u}) EXPECT_TRUE(HasBitmap(tray, i)) << "item " << i << " has no icon";

  HMENU shortcuts = GetSubMenu(tray, 0);
  EXPECT_EQ(MenuText(shortcuts, 0), L"Autostartverknüpfung erstellen");
  EXPECT_EQ(MenuText(shortcuts, 1), L"Desktopverknüpfung erstellen");

  HMENU options = GetSubMenu(tray, 1);
  ASSERT_EQ(GetMenuItemCount(options), 4);
  EXPECT_EQ(MenuText(options, 0), L"Auf Text reagieren");
  EXPECT_EQ(MenuText(options, 1), L"Nur formatierten Text");
  EXPECT_EQ(MenuText(options, 3), L"Bilder automatisch speichern");
  // Without a settings file: text on, formatted text only off, pictures on, autosave off.
  EXPECT_TRUE(IsChecked(options, 0));
  EXPECT_FALSE(IsChecked(options, 1));
  EXPECT_TRUE(IsChecked(options, 2));
  EXPECT_FALSE(IsChecked(options, 3));
  EXPECT_FALSE(HasBitmap(options, 0));

  HMENU languages = GetSubMenu(tray, 2);
  EXPECT_EQ(MenuText(languages, 0), L"Deutsch");
  EXPECT_EQ(MenuText(languages, 1), L"English");
  EXPECT_EQ(MenuText(languages, 2), L"Polski");
  for (UINT i = 0; i < 3; ++i) EXPECT_TRUE(HasBitmap(languages, i));
}

TEST_F(MainWindowTest, FormattedTextOnlyIsGrayedWhileTheTextSwitchIsOff) {
  HMENU options = GetSubMenu(form_.PopupMenuTray().Handle(), 1);
  const auto grayed = [&] { return (GetMenuState(options, 1, MF_BYPOSITION) & MF_GRAYED) != 0; };
  const auto choose = [&](const ui::TMenuItem* item) { SendMessageW(form_.Handle(), WM_COMMAND, item->Command(), 0); };
  EXPECT_FALSE(grayed());
  choose(&form_.NurFormatiert1());
  EXPECT_TRUE(IsChecked(options, 1));
  choose(&form_.AufTextReagieren1());
  EXPECT_TRUE(grayed());
  choose(&form_.NurFormatiert1());  // posted by another program: a grayed item does nothing
  EXPECT_TRUE(form_.NurFormatiert1().Checked());
  choose(&form_.AufTextReagieren1());
  EXPECT_FALSE(grayed());
  choose(&form_.NurFormatiert1());
  EXPECT_FALSE(IsChecked(options, 1));
}

TEST_F(MainWindowTest, TheClipboardMenusOfferTheirCommands) {
  HMENU text = form_.PopupMenuText().Handle();
  EXPECT_EQ(MenuText(text, 0), L"Formatierung entfernen");
  EXPECT_EQ(MenuText(text, 1), L"Formatireung behalten");  // the language table's text, not the design's
  HMENU picture = form_.PopupMenuBitmap().Handle();
  EXPECT_EQ(MenuText(picture, 0), L"Bild speichern unter...");
  EXPECT_EQ(MenuText(picture, 1), L"Bild anzeigen");
  EXPECT_EQ(MenuText(picture, 2), L"Abbrechen");
  EXPECT_EQ(MenuText(form_.PopupMenuAnzeige().Handle(), 0), L"Bild speichern unter...");
  EXPECT_EQ(form_.Image().PopupMenu, &form_.PopupMenuAnzeige());
}

TEST_F(MainWindowTest, ClosingHidesUntilExitIsChosen) {
  form_.Show();
  ASSERT_TRUE(form_.Visible());
  SendMessageW(form_.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form_.Visible());
  EXPECT_FALSE(IsWindowVisible(ui::TApplication::Current()->Handle())) << "the taskbar button stays";
  EXPECT_FALSE(form_.ExitFlag());

  SendMessageW(form_.Handle(), WM_COMMAND, form_.Beenden1().Command(), 0);
  EXPECT_TRUE(form_.ExitFlag());
}

TEST_F(MainWindowTest, TheStatusBarHasTwoPanelsForDimensionsAndSize) {
  int edges[4] = {};
  ASSERT_EQ(SendMessageW(form_.StatusBar().Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 150);
  EXPECT_EQ(edges[1], 200) << "the size panel is 50 pixels wide, not stretched to the window's edge";
  form_.StatusBar().SetPanelText(0, L"Abmessungen: 640x480");
  form_.StatusBar().SetPanelText(1, L"Größe im Speicher: 900 KB");
  EXPECT_EQ(form_.StatusBar().PanelText(0), L"Abmessungen: 640x480");
  EXPECT_EQ(form_.StatusBar().PanelText(1), L"Größe im Speicher: 900 KB");
  // A text wider than its panel widens the panel rather than being cut; a short one gives the
  // set width back.
  SendMessageW(form_.StatusBar().Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  EXPECT_GE(edges[0], 150);
  EXPECT_GT(edges[1] - edges[0], 100) << "the size text is cut";
  form_.StatusBar().SetPanelText(1, L"");
  SendMessageW(form_.StatusBar().Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  EXPECT_EQ(edges[1] - edges[0], 50);
}

TEST_F(MainWindowTest, CaptionAndLayoutFollowTheDesign) {
  EXPECT_EQ(form_.Caption(), L"Velmo Clipboard V0.2");
  RECT window{};
  GetWindowRect(form_.Handle(), &window);
  EXPECT_EQ(window.right - window.left, 526);
  EXPECT_EQ(window.bottom - window.top, 496);
  RECT client{};
  GetClientRect(form_.Handle(), &client);
  EXPECT_EQ(form_.Image().ClientWidth(), client.right);
  EXPECT_EQ(form_.Image().ClientHeight() + form_.StatusBar().Height(), client.bottom);
}

TEST_F(MainWindowTest, OnAScreenOfAnotherDensityTheWindowTakesTheSuggestedPlaceAndItsSizeScaled) {
  for (const UINT dpi : {120u, 96u}) {
    RECT suggested{40, 30, 50, 60};
    SendMessageW(form_.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT window{};
    GetWindowRect(form_.Handle(), &window);
    EXPECT_EQ(window.left, 40) << dpi;
    EXPECT_EQ(window.top, 30) << dpi;
    EXPECT_EQ(window.right - window.left, MulDiv(526, static_cast<int>(dpi), 96)) << dpi;
    EXPECT_EQ(window.bottom - window.top, MulDiv(496, static_cast<int>(dpi), 96)) << dpi;
  }
}

}  // namespace
