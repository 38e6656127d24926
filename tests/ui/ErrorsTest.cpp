#include <gtest/gtest.h>

#include "ui/Errors.h"

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

}  // namespace
