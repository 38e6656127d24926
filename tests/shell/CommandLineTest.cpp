#include <gtest/gtest.h>

#include "shell/CommandLine.h"

namespace {

using Strings = std::vector<std::wstring>;

TEST(SplitCommandLine, SeparatesAtBlanksAndControlCharactersAndJoinsQuotedStretches) {
  EXPECT_EQ(shell::SplitCommandLine(L"prog.exe a \"b c\""), (Strings{L"prog.exe", L"a", L"b c"}));
  EXPECT_EQ(shell::SplitCommandLine(L"  prog\ta\r\nb  "), (Strings{L"prog", L"a", L"b"}));
  EXPECT_EQ(shell::SplitCommandLine(L"\"C:\\Program Files\\x.exe\" -n"), (Strings{L"C:\\Program Files\\x.exe", L"-n"}));
  // A quoted stretch belongs to the argument it stands in, without its quotes.
  EXPECT_EQ(shell::SplitCommandLine(L"p a\"b c\"d \"e\"f"), (Strings{L"p", L"ab cd", L"ef"}));
  // An unclosed quote runs to the end.
  EXPECT_EQ(shell::SplitCommandLine(L"p \"a b"), (Strings{L"p", L"a b"}));
  EXPECT_EQ(shell::SplitCommandLine(L"p grün 東京"), (Strings{L"p", L"grün", L"東京"}));
}

TEST(SplitCommandLine, EmptyQuotesWhereAnArgumentWouldBeginSeparate) {
  EXPECT_EQ(shell::SplitCommandLine(L"p \"\" a"), (Strings{L"p", L"a"}));
  EXPECT_EQ(shell::SplitCommandLine(L"p \"\"\"\"a"), (Strings{L"p", L"a"}));
  EXPECT_EQ(shell::SplitCommandLine(L"p \"\""), (Strings{L"p"}));
  // Inside an argument they are an empty quoted stretch.
  EXPECT_EQ(shell::SplitCommandLine(L"p a\"\"b"), (Strings{L"p", L"ab"}));
  EXPECT_EQ(shell::SplitCommandLine(L""), Strings{});
}

TEST(CommandLineText, EveryArgumentButTheProgramEndsWithCrLf) {
  EXPECT_EQ(shell::CommandLineText(L"prog.exe a \"b c\""), L"a\r\nb c\r\n");
  EXPECT_EQ(shell::CommandLineText(L"\"C:\\My Tools\\prog.exe\""), L"");
  EXPECT_EQ(shell::CommandLineText(L"prog.exe   "), L"");
}

TEST(SplitLines, BreaksAtCrLfCrAndLfWithoutAnEmptyLastLine) {
  EXPECT_EQ(shell::SplitLines(L"a\r\nb c\r\n"), (Strings{L"a", L"b c"}));
  EXPECT_EQ(shell::SplitLines(L"a\rb\nc"), (Strings{L"a", L"b", L"c"}));
  EXPECT_EQ(shell::SplitLines(L"a\r\n\r\nb"), (Strings{L"a", L"", L"b"}));
  EXPECT_EQ(shell::SplitLines(L"\r\n"), (Strings{L""}));
  EXPECT_EQ(shell::SplitLines(L""), Strings{});
}

}  // namespace
