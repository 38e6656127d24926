#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/AutoSaveName.h"
#include "app/LocalDateTime.h"

namespace {

using app::AutoSaveFileName;
using app::LocalDateTimeText;

// Two-digit days and months, since regional formats differ between systems in their leading
// zeros ("d.M.yyyy" or "dd.MM.yyyy") but not in their order and separators.
TEST(LocalDateTimeText, WritesTheShortDateAndLongTimeOfEachRegionalFormat) {
  const SYSTEMTIME afternoon{2026, 12, 4, 17, 14, 5, 9, 0};
  EXPECT_EQ(LocalDateTimeText(afternoon, L"de-DE"), L"17.12.2026 14:05:09");
  EXPECT_EQ(LocalDateTimeText(afternoon, L"en-US"), L"12/17/2026 2:05:09 PM");
  EXPECT_EQ(LocalDateTimeText(afternoon, L"pl-PL"), L"17.12.2026 14:05:09");
  EXPECT_EQ(AutoSaveFileName(L"C:\\Bilder", L"Pic", LocalDateTimeText(afternoon, L"en-US"), L".bmp", 1),
            L"C:\\Bilder\\Pic12-17-2026 2-05-09 PM.bmp");
  // Midnight, milliseconds aside, leaves the time out; one second later it is back.
  EXPECT_EQ(LocalDateTimeText(SYSTEMTIME{2026, 12, 5, 18, 0, 0, 0, 999}, L"de-DE"), L"18.12.2026");
  EXPECT_EQ(LocalDateTimeText(SYSTEMTIME{2026, 12, 5, 18, 0, 0, 1, 0}, L"de-DE"), L"18.12.2026 00:00:01");
}

}  // namespace
