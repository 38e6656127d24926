#pragma once
// The table of running copies that all copies of one program file share: 1032 bytes,
// little-endian. Offset 0: the 16-bit limit (0 until the first join writes it); offset 2: the
// 16-bit count of valid entries; offset 4: room for 257 32-bit process ids, oldest first.
//
// The block is written by other processes too, so nothing here trusts it: a count above the
// room is read as the room, and no operation reads or writes outside the 1032 bytes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace shell::instance_table {

inline constexpr std::size_t kSize = 1032;
inline constexpr std::size_t kCapacity = 257;

using Block = std::span<std::uint8_t, kSize>;
using ConstBlock = std::span<const std::uint8_t, kSize>;

[[nodiscard]] std::uint16_t Limit(ConstBlock table) noexcept;
// The number of valid entries, never more than kCapacity.
[[nodiscard]] std::size_t Count(ConstBlock table) noexcept;
// The process id at `index`, or 0 when the index is not a valid entry.
[[nodiscard]] std::uint32_t ProcessIdAt(ConstBlock table, std::size_t index) noexcept;
// Where `processId` first stands in the table, oldest first.
[[nodiscard]] std::optional<std::size_t> IndexOf(ConstBlock table, std::uint32_t processId) noexcept;

// Adds `processId` as the youngest entry. A table whose limit is still 0 takes `limit` as its
// limit. Answers whether the table held fewer entries than its limit before; the entry is
// added either way, except in a full table, which stays as it is and answers false.
bool Join(Block table, std::uint16_t limit, std::uint32_t processId) noexcept;
// Removes every entry for which `gone` answers true; the others move down in place and keep
// their order, so the table keeps its layout for the copies that read it. Answers how many
// entries went.
std::size_t DropEntries(Block table, const std::function<bool(std::uint32_t processId)>& gone);
// Removes the first entry of `processId`; the younger ones move down and keep their order.
// Answers whether there was such an entry.
bool Leave(Block table, std::uint32_t processId) noexcept;

}  // namespace shell::instance_table
