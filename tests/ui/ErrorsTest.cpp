#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "ui/Application.h"
#include "ui/Errors.h"
#include "ui/Form.h"
#include "ui/MessageWindow.h"

namespace {

TEST(DisplayText, AddsPeriodOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(ui::DisplayText(L"Zwischenablage kann nicht geöffnet werden"),
            L"Zwischenablage kann nicht geöffnet werden.");
  EXPECT_EQ(ui::DisplayText(L"Systemressourcen erschöpft."), L"Systemressourcen erschöpft.");
  EXPECT_EQ(ui::DisplayText(L"JPEG-Fehler #36"), L"JPEG-Fehler #36.");  // '6' sorts after '.'
  EXPECT_EQ(ui::DisplayText(L"Fertig!"), L"Fertig!");                   // '!' sorts before '.'
  EXPECT_EQ(ui::DisplayText(L"a-"), L"a-");
  EXPECT_EQ(ui::DisplayText(L""), L"");
}

TEST(FormatMessageText, ReplacesFirstPlaceholderOnly) {
  EXPECT_EQ(ui::FormatMessageText(L"Datei %s kann nicht erstellt werden", L"C:\\x.bmp"),
            L"Datei C:\\x.bmp kann nicht erstellt werden");
  EXPECT_EQ(ui::FormatMessageText(L"JPEG-Fehler #%d", L"36"), L"JPEG-Fehler #36");
  EXPECT_EQ(ui::FormatMessageText(L"%s und %s", L"a"), L"a und %s");
  EXPECT_EQ(ui::FormatMessageText(L"ohne", L"x"), L"ohne");
}

TEST(RaiseLastOSError, FallsBackToGermanTextWithoutCode) {
  try {
    ui::RaiseLastOSError(0);
  } catch (const ui::EOutOfResources& e) {
    EXPECT_EQ(e.Message(), L"Systemressourcen erschöpft.");
    return;
  }
  FAIL() << "no error raised";
}

void Raise(const wchar_t* text) {
  try {
    throw ui::Exception(text);
  } catch (...) {
    ui::TApplication::HandleCurrentException();
  }
}

TEST(DefaultErrorHandler, ShowsOneBoxAtATimeAndNeverTheSameTextTwiceWhileItIsOpen) {
  testing_support::ClearShownErrors();
  // The box's modal loop lets further errors in while it is open.
  testing_support::WhileNextErrorShows([] {
    Raise(L"Zwischenablage kann nicht geöffnet werden");
    Raise(L"Stream-Write-Fehler");
    Raise(L"Stream-Write-Fehler");
  });
  Raise(L"Zwischenablage kann nicht geöffnet werden");
  EXPECT_EQ(testing_support::ShownErrors(),
            (std::vector<std::wstring>{L"Zwischenablage kann nicht geöffnet werden.", L"Stream-Write-Fehler."}));
  EXPECT_FALSE(ui::TApplication::Current()->ShowingError());
}

TEST(DefaultErrorHandler, AFailureWhileReportingNeverLeavesAWindowProcedure) {
  testing_support::WhileNextErrorShows([] { throw std::bad_alloc(); });
  const ui::UniqueWindow window(ui::AllocateHWnd(nullptr, [](void*, ui::TMessage& message) {
    if (message.Msg == WM_APP) throw ui::Exception(L"Systemressourcen erschöpft.");
    message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
  }));
  EXPECT_NO_THROW(SendMessageW(window.get(), WM_APP, 0, 0));
  EXPECT_FALSE(ui::TApplication::Current()->ShowingError());
}

LRESULT CALLBACK RefuseEveryWindow(int code, WPARAM wParam, LPARAM lParam) {
  return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Form, AWindowThatCannotBeCreatedRaisesAnError) {
  // The system refuses the window, as it does when it runs out of window handles.
  HHOOK refuse = SetWindowsHookExW(WH_CBT, &RefuseEveryWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(refuse, nullptr);
  EXPECT_THROW(ui::TForm(nullptr, L"Form", L"TRefusedForm", L"", 0, 0, 10, 10), ui::EOutOfResources);
  UnhookWindowsHookEx(refuse);
}

}  // namespace
