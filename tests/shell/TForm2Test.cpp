// The About window: its layout at two screen densities, closing on clicks outside the
// addresses, and the addresses handed to the shell.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clipboard/ReactionPause.h"
#include "shell/ShellOpen.h"
#include "shell/TForm2.h"
#include "support/ModalForms.h"
#include "support/TestSupport.h"

namespace {

using testing_support::Click;
using testing_support::WhileModal;

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// Where a control sits in its parent's client area.
POINT PlaceOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  POINT place{rect.left, rect.top};
  ScreenToClient(GetParent(control), &place);
  return place;
}

class AboutTest : public testing::Test {
 protected:
  void SetUp() override { testing_support::ClearShownErrors(); }

  bool reactionFlag_ = true;
  shell::TForm2 form_{[this] { return clipboard::ReactionPause(reactionFlag_); }};
  std::vector<std::wstring> opened_;
  const ui::ScopedReplacement<shell::ShellOpenFunction> shellOpenReplacement_ =
      shell::ReplaceShellOpenFunction([this](const std::wstring& target) { opened_.push_back(target); });
};

TEST_F(AboutTest, LayoutIsForNinetySixDotsPerInchScaledToTheWindowsDensity) {
  EXPECT_EQ(form_.Caption(), L"Info");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(form_.Handle(), GWL_STYLE));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
  EXPECT_NE(style & WS_SYSMENU, 0u);
  EXPECT_EQ(TextOf(form_.Label1->Handle()), L"Velmo Clipboard V0.2");
  EXPECT_EQ(TextOf(form_.Label9->Handle()), L"Lizenz: MIT");
  for (const UINT dpi : {96u, 192u}) {
    form_.Layout(dpi);
    const auto scale = [dpi](LONG value) { return value * static_cast<LONG>(dpi) / 96; };
    RECT client{};
    GetClientRect(form_.Handle(), &client);
    EXPECT_GE(client.right, scale(226)) << dpi;  // wider only to keep every text whole
    EXPECT_EQ(client.bottom, scale(200)) << dpi;
    const struct {
      HWND control;
      LONG left, top;
    } places[] = {
        {form_.Image1->Handle(), 16, 16},  {form_.Label1->Handle(), 64, 24},  {form_.Label2->Handle(), 16, 64},
        {form_.Label4->Handle(), 16, 80},  {form_.Label5->Handle(), 16, 96},  {form_.Label6->Handle(), 16, 120},
        {form_.Label7->Handle(), 16, 136}, {form_.Label8->Handle(), 16, 152}, {form_.Label9->Handle(), 16, 176}};
    for (const auto& place : places) {
      const POINT at = PlaceOf(place.control);
      EXPECT_EQ(at.x, scale(place.left)) << TextOf(place.control) << " at " << dpi;
      EXPECT_EQ(at.y, scale(place.top)) << TextOf(place.control) << " at " << dpi;
      RECT size{};
      GetClientRect(place.control, &size);
      EXPECT_GT(size.right, scale(40)) << TextOf(place.control);
      EXPECT_LE(at.x + size.right + scale(16), client.right) << TextOf(place.control) << " is cut off at " << dpi;
      // The credits are ours to choose: none of them may widen the window. The title's place and
      // size are fixed, and in some faces it needs more than the 226 pixels.
      const LONG needed = std::max(scale(226), at.x + size.right + scale(16));
      if (place.control != form_.Label1->Handle()) {
        EXPECT_EQ(needed, scale(226)) << TextOf(place.control) << " widens the window at " << dpi;
      } else {
        EXPECT_EQ(client.right, needed) << "wider than the title needs at " << dpi;
      }
    }
    LOGFONTW title{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form_.Label1->Handle(), WM_GETFONT, 0, 0)), sizeof(title), &title);
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_EQ(title.lfHeight, -scale(16));
  }
}

TEST_F(AboutTest, ClicksOutsideTheAddressesCloseItAndSetTheReactionFlag) {
  RECT client{};
  GetClientRect(form_.Handle(), &client);
  const struct {
    HWND window;
    int x, y;
  } clicks[] = {{form_.Image1->Handle(), 1, 1}, {form_.Label1->Handle(), 1, 1},
                {form_.Label2->Handle(), 1, 1}, {form_.Label6->Handle(), 1, 1},
                {form_.Label9->Handle(), 1, 1}, {form_.Handle(), client.right - 4, client.bottom - 4}};
  for (const auto& click : clicks) {
    const WhileModal whileOpen(form_, [&] {
      EXPECT_TRUE(form_.Visible());
      EXPECT_FALSE(reactionFlag_);
      Click(click.window, click.x, click.y);
    });
    form_.ShowModal();
    EXPECT_TRUE(reactionFlag_) << TextOf(click.window);
    EXPECT_FALSE(form_.Visible()) << TextOf(click.window);
  }
}

TEST_F(AboutTest, ClosingItKeepsReactionsPausedForTheCommandItWasOpenedDuring) {
  {
    // A picture command waiting in its save dialog, say, from whose loop the tray menu opened About.
    const clipboard::ReactionPause command(reactionFlag_);
    const WhileModal whileOpen(form_, [&] { form_.Close(); });
    form_.ShowModal();
    EXPECT_FALSE(reactionFlag_) << "a copy now would replace the picture the command is about to save";
  }
  EXPECT_TRUE(reactionFlag_);
}

TEST_F(AboutTest, EachAddressIsBlueUnderAHandAndGoesToTheShellWhileTheWindowStaysOpen) {
  const HWND links[] = {form_.Label4->Handle(), form_.Label5->Handle(), form_.Label7->Handle(), form_.Label8->Handle()};
  const WhileModal whileOpen(form_, [&] {
    for (HWND link : links) Click(link);
    testing_support::PumpFor(200);
    EXPECT_TRUE(form_.Visible());
    form_.Close();
  });
  form_.ShowModal();
  EXPECT_EQ(opened_, (std::vector<std::wstring>{TextOf(links[0]), L"mailto:" + TextOf(links[1]), TextOf(links[2]),
                                                L"mailto:" + TextOf(links[3])}));
  for (const std::wstring& address : opened_) EXPECT_NE(address.find(L"example.org"), std::wstring::npos) << address;
  EXPECT_TRUE(testing_support::ShownErrors().empty());

  const ui::WindowDc screen(nullptr);
  for (HWND label : {form_.Label2->Handle(), links[0], links[1], links[2], links[3]}) {
    const bool link = label != form_.Label2->Handle();
    SendMessageW(form_.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(screen.get()),
                 reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(GetTextColor(screen.get()) == RGB(0, 0, 255), link) << TextOf(label);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(form_.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor() == LoadCursorW(nullptr, IDC_HAND), link) << TextOf(label);
  }
}

}  // namespace
