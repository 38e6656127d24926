#pragma once
// Rules of the notification-area icon that need no operating system: the tooltip text the
// shell gets and the common-controls version from which the taskbar announces a restart.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace shell {

// szTip of the notification record: 128 UTF-16 units including the closing zero.
inline constexpr std::size_t kTipCapacity = 128;

// Fills the tooltip buffer: the first 127 units of `hint` followed by zeros, or all zeros when
// `hint` is empty or `showHint` is off. A character written as a surrogate pair that would be
// cut in half at the limit is left out whole, so the shell never sees half a character.
void FillTip(std::span<wchar_t, kTipCapacity> tip, std::wstring_view hint, bool showHint) noexcept;

// The taskbar broadcasts "TaskbarCreated" from common controls 4.71 on; `fileVersionMS` is
// major * 65536 + minor, 0 when the version could not be read.
[[nodiscard]] constexpr bool SupportsTaskbarCreated(std::uint32_t fileVersionMS) noexcept {
  return fileVersionMS >= ((std::uint32_t{4} << 16) | 71u);
}

}  // namespace shell
