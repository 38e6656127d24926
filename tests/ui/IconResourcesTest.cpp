#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "resource.h"

namespace {

using Entries = std::vector<std::pair<int, int>>;  // size in pixels, bits per pixel

// The icon directory as the resource compiler stores it: packed, the last field a resource id.
#pragma pack(push, 2)
struct GroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

const BYTE* ResourceBytes(int id, LPCWSTR type, DWORD& size) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!found) return nullptr;
  size = SizeofResource(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

// Every image the program may load is there as a BMP entry of its bit depth: the 16- and
// 256-colour ones are what LoadImage picks on displays with that few colours.
TEST(IconResources, EveryIconHoldsItsSizesAsBitmapsOfTheirColourDepth) {
  const Entries menu{{16, 32}, {16, 8}};
  const std::pair<int, Entries> icons[] = {
      {IDI_PROGRAM, {{48, 4}, {48, 8}, {48, 32}, {32, 4}, {32, 8}, {32, 32}, {16, 4}, {16, 8}, {16, 32}}},
      {IDI_DIRECTORY_GLYPH, {{16, 32}, {20, 32}, {24, 32}, {32, 32}, {16, 8}}},
      {IDI_MENU_EXIT, menu},
      {IDI_MENU_SHOW, menu},
      {IDI_MENU_REMOVE_FORMAT, menu},
      {IDI_MENU_SHORTCUT, menu},
      {IDI_MENU_OPTIONS, menu},
      {IDI_MENU_KEEP_FORMAT, menu},
      {IDI_MENU_SAVE, menu},
      {IDI_MENU_ABOUT, menu},
      {IDI_MENU_CANCEL, menu},
      {IDI_MENU_FLAG_DE, menu},
      {IDI_MENU_FLAG_PL, menu},
      {IDI_MENU_FLAG_EN, menu},
      {IDI_MENU_HELP, menu},
  };
  for (const auto& [id, expected] : icons) {
    DWORD size = 0;
    const BYTE* group = ResourceBytes(id, RT_GROUP_ICON, size);
    ASSERT_NE(group, nullptr) << id;
    WORD count = 0;
    std::memcpy(&count, group + 4, sizeof count);
    ASSERT_EQ(size, 6 + std::size_t{count} * sizeof(GroupEntry)) << id;
    Entries found;
    for (std::size_t k = 0; k < count; ++k) {
      GroupEntry entry{};
      std::memcpy(&entry, group + 6 + k * sizeof(GroupEntry), sizeof entry);
      DWORD imageSize = 0;
      const BYTE* image = ResourceBytes(entry.id, RT_ICON, imageSize);
      ASSERT_NE(image, nullptr) << id << " entry " << k;
      BITMAPINFOHEADER header{};
      ASSERT_GE(imageSize, sizeof header) << id << " entry " << k;
      std::memcpy(&header, image, sizeof header);
      EXPECT_EQ(header.biSize, sizeof header) << id << " entry " << k << " is no bitmap";
      EXPECT_EQ(header.biHeight, 2 * header.biWidth) << id << " entry " << k;
      EXPECT_EQ(header.biBitCount, entry.bitCount) << id << " entry " << k;
      EXPECT_EQ(entry.colours, entry.bitCount == 4 ? 16 : 0) << id << " entry " << k;
      found.emplace_back(header.biWidth, header.biBitCount);
    }
    EXPECT_EQ(found, expected) << id;
  }
}

}  // namespace
