#include "shell/TrayRules.h"

#include <algorithm>

namespace shell {

void FillTip(std::span<wchar_t, kTipCapacity> tip, std::wstring_view hint, bool showHint) noexcept {
  std::fill(tip.begin(), tip.end(), L'\0');
  if (!showHint || hint.empty()) return;
  std::size_t length = std::min(hint.size(), kTipCapacity - 1);
  const wchar_t last = hint[length - 1];
  if (length < hint.size() && last >= 0xD800 && last <= 0xDBFF) --length;
  std::copy_n(hint.begin(), length, tip.begin());
}

}  // namespace shell
