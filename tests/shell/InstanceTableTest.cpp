#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "shell/InstanceTable.h"

namespace {

namespace table = shell::instance_table;

// A table with a few guard bytes behind it, to see that nothing writes past its end.
struct Fixture {
  std::array<std::uint8_t, table::kSize + 4> bytes{};
  Fixture() { bytes.fill(0); }
  table::Block Table() { return table::Block(bytes.data(), table::kSize); }
  [[nodiscard]] bool TailUntouched() const {
    for (std::size_t i = table::kSize; i < bytes.size(); ++i)
      if (bytes[i] != 0xEE) return false;
    return true;
  }
  void MarkTail() {
    for (std::size_t i = table::kSize; i < bytes.size(); ++i) bytes[i] = 0xEE;
  }
};

TEST(InstanceTable, FirstJoinWritesTheLimitAndTheLittleEndianLayout) {
  Fixture f;
  EXPECT_EQ(table::Count(f.Table()), 0u);
  EXPECT_EQ(table::Limit(f.Table()), 0u);
  EXPECT_TRUE(table::Join(f.Table(), 65535, 0x12345678u));
  EXPECT_EQ(f.bytes[0], 0xFF);  // limit
  EXPECT_EQ(f.bytes[1], 0xFF);
  EXPECT_EQ(f.bytes[2], 1);  // count
  EXPECT_EQ(f.bytes[3], 0);
  EXPECT_EQ(f.bytes[4], 0x78);  // first process id
  EXPECT_EQ(f.bytes[7], 0x12);
  // Later joins keep the limit they find.
  EXPECT_TRUE(table::Join(f.Table(), 1, 7));
  EXPECT_EQ(table::Limit(f.Table()), 65535u);
  EXPECT_EQ(table::Count(f.Table()), 2u);
  EXPECT_EQ(table::ProcessIdAt(f.Table(), 1), 7u);
}

TEST(InstanceTable, JoinBeyondTheLimitIsAddedButNotAccepted) {
  Fixture f;
  EXPECT_TRUE(table::Join(f.Table(), 2, 10));
  EXPECT_TRUE(table::Join(f.Table(), 2, 11));
  EXPECT_FALSE(table::Join(f.Table(), 2, 12));
  EXPECT_EQ(table::Count(f.Table()), 3u);
  EXPECT_EQ(table::IndexOf(f.Table(), 12), 2u);
}

TEST(InstanceTable, LeaveInTheMiddleKeepsTheOrderOfTheOthers) {
  Fixture f;
  for (std::uint32_t id : {1u, 2u, 3u, 2u}) table::Join(f.Table(), 65535, id);
  EXPECT_TRUE(table::Leave(f.Table(), 2));  // only the first entry of 2 goes
  ASSERT_EQ(table::Count(f.Table()), 3u);
  EXPECT_EQ(table::ProcessIdAt(f.Table(), 0), 1u);
  EXPECT_EQ(table::ProcessIdAt(f.Table(), 1), 3u);
  EXPECT_EQ(table::ProcessIdAt(f.Table(), 2), 2u);
  EXPECT_EQ(table::IndexOf(f.Table(), 3), 1u);
}

TEST(InstanceTable, LeaveOfAnAbsentIdChangesNothing) {
  Fixture f;
  table::Join(f.Table(), 65535, 1);
  table::Join(f.Table(), 65535, 2);
  const auto before = f.bytes;
  EXPECT_FALSE(table::Leave(f.Table(), 3));
  EXPECT_EQ(f.bytes, before);
  // An id that stands only in the stale part beyond the count is absent too.
  table::Leave(f.Table(), 2);
  EXPECT_FALSE(table::Leave(f.Table(), 2));
  EXPECT_EQ(table::Count(f.Table()), 1u);
}

TEST(InstanceTable, IndexBeyondTheCountGivesNoProcess) {
  Fixture f;
  table::Join(f.Table(), 65535, 5);
  table::Join(f.Table(), 65535, 6);
  table::Leave(f.Table(), 6);  // 6 still stands in the bytes, but no longer counts
  EXPECT_EQ(table::ProcessIdAt(f.Table(), 1), 0u);
  EXPECT_EQ(table::ProcessIdAt(f.Table(), 1000), 0u);
  EXPECT_EQ(table::IndexOf(f.Table(), 6), std::nullopt);
}

TEST(InstanceTable, FullTableTakesNoFurtherEntryAndNothingIsWrittenPastIt) {
  Fixture f;
  f.MarkTail();
  for (std::uint32_t id = 1; id <= table::kCapacity; ++id) table::Join(f.Table(), 65535, id);
  ASSERT_EQ(table::Count(f.Table()), table::kCapacity);
  EXPECT_EQ(table::ProcessIdAt(f.Table(), table::kCapacity - 1), table::kCapacity);
  EXPECT_FALSE(table::Join(f.Table(), 65535, 9999));
  EXPECT_EQ(table::Count(f.Table()), table::kCapacity);
  EXPECT_EQ(table::IndexOf(f.Table(), 9999), std::nullopt);
  EXPECT_TRUE(f.TailUntouched());
}

TEST(InstanceTable, DroppingEntriesCompactsTheRestInOrderWithinTheTable) {
  // Even ids stand for copies that are gone.
  const auto gone = [](std::uint32_t id) { return id % 2 == 0; };
  struct Case {
    std::vector<std::uint32_t> entries;
    std::uint16_t countField;  // as the table says it, which another process may have overdone
    std::vector<std::uint32_t> left;
  };
  std::vector<std::uint32_t> fullOfGone(table::kCapacity);
  for (std::size_t i = 0; i < fullOfGone.size(); ++i) fullOfGone[i] = static_cast<std::uint32_t>(2 * i);
  std::vector<std::uint32_t> fullWithTwoRunning = fullOfGone;
  fullWithTwoRunning[3] = 7;
  fullWithTwoRunning[table::kCapacity - 1] = 5;
  const Case cases[] = {
      {{}, 0, {}},
      {{1, 3}, 2, {1, 3}},
      {{2, 1, 4, 6, 3, 8, 5, 10}, 8, {1, 3, 5}},
      {{1, 2, 3}, 2, {1}},  // the entry beyond the count is no entry
      {fullOfGone, static_cast<std::uint16_t>(table::kCapacity), {}},
      {fullOfGone, 65535, {}},
      {fullWithTwoRunning, 65535, {7, 5}},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.MarkTail();
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
      for (std::size_t byte = 0; byte < 4; ++byte)
        f.bytes[4 + 4 * i + byte] = static_cast<std::uint8_t>(c.entries[i] >> (8 * byte));
    }
    f.bytes[0] = 0xFF;  // limit 65535
    f.bytes[1] = 0xFF;
    f.bytes[2] = static_cast<std::uint8_t>(c.countField & 0xFFu);
    f.bytes[3] = static_cast<std::uint8_t>(c.countField >> 8);
    const std::size_t before = table::Count(f.Table());
    EXPECT_EQ(table::DropEntries(f.Table(), gone), before - c.left.size());
    std::vector<std::uint32_t> left;
    for (std::size_t i = 0; i < table::Count(f.Table()); ++i) left.push_back(table::ProcessIdAt(f.Table(), i));
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(f.bytes[2] | f.bytes[3] << 8, static_cast<int>(c.left.size()));
    EXPECT_EQ(table::Limit(f.Table()), 65535u);
    EXPECT_TRUE(f.TailUntouched());
    // There is room again for a copy that joins.
    EXPECT_TRUE(table::Join(f.Table(), 1, 99));
    EXPECT_EQ(table::IndexOf(f.Table(), 99), c.left.size());
  }
}

TEST(InstanceTable, CountWrittenByAnotherProcessBeyondTheRoomIsReadAsTheRoom) {
  Fixture f;
  f.MarkTail();
  f.bytes[2] = 0xFF;  // count 65535
  f.bytes[3] = 0xFF;
  table::Block t = f.Table();
  EXPECT_EQ(table::Count(t), table::kCapacity);
  EXPECT_EQ(table::ProcessIdAt(t, table::kCapacity), 0u);
  EXPECT_EQ(table::IndexOf(t, 0xEEEEEEEEu), std::nullopt);  // the guard bytes are never read
  EXPECT_FALSE(table::Join(t, 65535, 42));
  EXPECT_FALSE(table::Leave(t, 42));
  EXPECT_TRUE(table::Leave(t, 0));  // the zero entries count as entries now
  EXPECT_EQ(table::Count(t), table::kCapacity - 1);
  EXPECT_TRUE(f.TailUntouched());
}

}  // namespace
