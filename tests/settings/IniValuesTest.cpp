#include <gtest/gtest.h>

#include <vector>

#include "settings/IniValues.h"

namespace {

using settings::IniFileEncoding;
using settings::ParseIniInteger;

TEST(ParseIniInteger, ReadsDecimalNumbersWithinThe32BitRange) {
  EXPECT_EQ(ParseIniInteger(L"0"), 0);
  EXPECT_EQ(ParseIniInteger(L"2"), 2);
  EXPECT_EQ(ParseIniInteger(L"-17"), -17);
  EXPECT_EQ(ParseIniInteger(L"+5"), 5);
  EXPECT_EQ(ParseIniInteger(L"2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger(L"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseIniInteger(L"2147483648"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(L"-2147483649"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(L"99999999999999999999"), std::nullopt);
}

TEST(ParseIniInteger, ReadsHexadecimalOnlyAfterTheZeroXPrefix) {
  EXPECT_EQ(ParseIniInteger(L"0x0"), 0);
  EXPECT_EQ(ParseIniInteger(L"0X1f"), 31);
  EXPECT_EQ(ParseIniInteger(L"0xFF"), 255);
  EXPECT_EQ(ParseIniInteger(L"0x7FFFFFFF"), 2147483647);
  EXPECT_EQ(ParseIniInteger(L"0xFFFFFFFF"), -1);
  EXPECT_EQ(ParseIniInteger(L"0x000000010"), 16);  // leading zeros do not count against the range
  EXPECT_EQ(ParseIniInteger(L"0x100000000"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(L"0x"), std::nullopt);  // the prefix alone is no number
  EXPECT_EQ(ParseIniInteger(L"0x1G"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(L"-0x1"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(L"$1F"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(L"1F"), std::nullopt);
}

TEST(ParseIniInteger, RejectsWordsEmptyTextAndStrayCharacters) {
  for (const wchar_t* text : {L"", L"yes", L"on", L"true", L"-", L"+", L"1 ", L" 1", L"1.0", L"12a", L"\u0661"}) {
    EXPECT_EQ(ParseIniInteger(text), std::nullopt) << "value: " << testing::PrintToString(std::wstring(text));
  }
}

TEST(IniIntegerOrDefault, GivesTheDefaultForAnythingThatIsNoNumber) {
  EXPECT_EQ(settings::IniIntegerOrDefault(L"yes", 1), 1);
  EXPECT_EQ(settings::IniIntegerOrDefault(L"yes", 0), 0);
  EXPECT_EQ(settings::IniIntegerOrDefault(L"", 7), 7);
  EXPECT_EQ(settings::IniIntegerOrDefault(L"0x0", 1), 0);
  EXPECT_EQ(settings::IniIntegerOrDefault(L"2", 0), 2);
}

TEST(DetectIniFileEncoding, ByteOrderMarksSelectUnicodeEverythingElseIsAnsi) {
  using Bytes = std::vector<unsigned char>;
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{0xFF, 0xFE, 0x5B}), IniFileEncoding::Utf16LittleEndian);
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{0xFF, 0xFE}), IniFileEncoding::Utf16LittleEndian);
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{0xFE, 0xFF, 0x00}), IniFileEncoding::Utf16BigEndian);
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{0xEF, 0xBB, 0xBF}), IniFileEncoding::Utf8);
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{0xEF, 0xBB}), IniFileEncoding::Ansi);
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{'[', 'P', 'r'}), IniFileEncoding::Ansi);
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{0xFF}), IniFileEncoding::Ansi);
  EXPECT_EQ(settings::DetectIniFileEncoding(Bytes{}), IniFileEncoding::Ansi);
}

TEST(Utf16LeFileBytes, PutsTheMarkFirstAndEachUnitLowByteFirst) {
  EXPECT_EQ(settings::Utf16LeFileBytes(L""), (std::vector<unsigned char>{0xFF, 0xFE}));
  EXPECT_EQ(settings::Utf16LeFileBytes(L"A\u041f\u6587"),
            (std::vector<unsigned char>{0xFF, 0xFE, 0x41, 0x00, 0x1F, 0x04, 0x87, 0x65}));
}

}  // namespace
