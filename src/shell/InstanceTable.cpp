#include "shell/InstanceTable.h"

#include <algorithm>

namespace shell::instance_table {
namespace {

constexpr std::size_t kLimitOffset = 0;
constexpr std::size_t kCountOffset = 2;
constexpr std::size_t kEntriesOffset = 4;
static_assert(kEntriesOffset + kCapacity * sizeof(std::uint32_t) == kSize);

std::uint16_t Read16(ConstBlock table, std::size_t offset) noexcept {
  return static_cast<std::uint16_t>(table[offset] | (table[offset + 1] << 8));
}

void Write16(Block table, std::size_t offset, std::uint16_t value) noexcept {
  table[offset] = static_cast<std::uint8_t>(value & 0xFFu);
  table[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t Entry(ConstBlock table, std::size_t index) noexcept {
  const std::size_t offset = kEntriesOffset + index * sizeof(std::uint32_t);
  return static_cast<std::uint32_t>(table[offset]) | static_cast<std::uint32_t>(table[offset + 1]) << 8 |
         static_cast<std::uint32_t>(table[offset + 2]) << 16 | static_cast<std::uint32_t>(table[offset + 3]) << 24;
}

void SetEntry(Block table, std::size_t index, std::uint32_t value) noexcept {
  const std::size_t offset = kEntriesOffset + index * sizeof(std::uint32_t);
  for (std::size_t byte = 0; byte < sizeof(std::uint32_t); ++byte) {
    table[offset + byte] = static_cast<std::uint8_t>((value >> (8 * byte)) & 0xFFu);
  }
}

void SetCount(Block table, std::size_t count) noexcept {
  Write16(table, kCountOffset, static_cast<std::uint16_t>(count));
}

}  // namespace

std::uint16_t Limit(ConstBlock table) noexcept { return Read16(table, kLimitOffset); }

std::size_t Count(ConstBlock table) noexcept { return std::min<std::size_t>(Read16(table, kCountOffset), kCapacity); }

std::uint32_t ProcessIdAt(ConstBlock table, std::size_t index) noexcept {
  return index < Count(table) ? Entry(table, index) : 0;
}

std::optional<std::size_t> IndexOf(ConstBlock table, std::uint32_t processId) noexcept {
  const std::size_t count = Count(table);
  for (std::size_t index = 0; index < count; ++index) {
    if (Entry(table, index) == processId) return index;
  }
  return std::nullopt;
}

bool Join(Block table, std::uint16_t limit, std::uint32_t processId) noexcept {
  if (Limit(table) == 0) Write16(table, kLimitOffset, limit);
  const std::size_t count = Count(table);
  if (count >= kCapacity) return false;
  const bool accepted = count < Limit(table);
  SetEntry(table, count, processId);
  SetCount(table, count + 1);
  return accepted;
}

std::size_t DropEntries(Block table, const std::function<bool(std::uint32_t processId)>& gone) {
  const std::size_t count = Count(table);
  std::size_t kept = 0;
  for (std::size_t index = 0; index < count; ++index) {
    const std::uint32_t processId = Entry(table, index);
    if (gone(processId)) continue;
    if (kept != index) SetEntry(table, kept, processId);
    ++kept;
  }
  // Also puts right a count beyond the room, as another process may have written it.
  SetCount(table, kept);
  return count - kept;
}

bool Leave(Block table, std::uint32_t processId) noexcept {
  const std::size_t count = Count(table);
  const std::optional<std::size_t> found = IndexOf(table, processId);
  if (!found) return false;
  for (std::size_t index = *found; index + 1 < count; ++index) SetEntry(table, index, Entry(table, index + 1));
  SetCount(table, count - 1);
  return true;
}

}  // namespace shell::instance_table
