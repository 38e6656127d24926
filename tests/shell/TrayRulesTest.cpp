#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "shell/TrayRules.h"

namespace {

TEST(TrayRules, TipKeepsFirst127UnitsAndNeverHalfACharacter) {
  wchar_t tip[shell::kTipCapacity];
  shell::FillTip(tip, std::wstring(127, L'x'), true);
  EXPECT_EQ(std::wstring(tip), std::wstring(127, L'x'));

  // A pair that would straddle the limit is left out whole. Written as its two units, so the
  // host build, whose wchar_t holds a whole character, gets the pair as well.
  const std::wstring pair{wchar_t{0xD83D}, wchar_t{0xDE00}};
  shell::FillTip(tip, std::wstring(126, L'x') + pair + L"tail", true);
  EXPECT_EQ(std::wstring(tip), std::wstring(126, L'x'));
  shell::FillTip(tip, std::wstring(125, L'x') + pair + L"tail", true);
  EXPECT_EQ(std::wstring(tip), std::wstring(125, L'x') + pair);

  std::fill(std::begin(tip), std::end(tip), L'?');
  shell::FillTip(tip, L"hint", false);
  EXPECT_TRUE(std::all_of(std::begin(tip), std::end(tip), [](wchar_t c) { return c == L'\0'; }));
}

TEST(TrayRules, TaskbarCreatedNeedsCommonControls471) {
  EXPECT_FALSE(shell::SupportsTaskbarCreated(0));
  EXPECT_FALSE(shell::SupportsTaskbarCreated((4u << 16) | 70u));
  EXPECT_TRUE(shell::SupportsTaskbarCreated((4u << 16) | 71u));
  EXPECT_TRUE(shell::SupportsTaskbarCreated((4u << 16) | 72u));
  EXPECT_TRUE(shell::SupportsTaskbarCreated(5u << 16));
  EXPECT_FALSE(shell::SupportsTaskbarCreated((3u << 16) | 95u));
}

}  // namespace
