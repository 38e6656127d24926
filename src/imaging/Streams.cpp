#include "imaging/Streams.h"

#include <cstring>
#include <limits>

#include "ui/Errors.h"

namespace imaging {

void TStream::WriteBuffer(const void* data, std::size_t count) {
  if (count != 0 && Write(data, count) != count) throw ui::EWriteError(L"Stream-Write-Fehler");
}

std::size_t TMemoryStream::GrownCapacity(std::size_t current, std::size_t needed) noexcept {
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max() / 2;
  if (needed > kMax) return 0;  // no block can be that large
  std::size_t wanted = current <= kMax / 3 * 2 ? current + current / 2 : kMax;
  if (wanted < needed) wanted = needed;
  return (wanted + kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta;
}

std::size_t TMemoryStream::Write(const void* data, std::size_t count) {
  if (count == 0) return 0;
  if (count > capacity_ - size_) {
    const std::size_t capacity =
        count > std::numeric_limits<std::size_t>::max() - size_ ? 0 : GrownCapacity(capacity_, size_ + count);
    void* grown = capacity != 0 ? std::realloc(memory_.get(), capacity) : nullptr;
    if (!grown) throw ui::EStreamError(L"Expandieren des Speicher-Stream wegen Speichermangel nicht möglich");
    static_cast<void>(memory_.release());  // realloc has taken over the old block
    memory_.reset(static_cast<std::uint8_t*>(grown));
    capacity_ = capacity;
  }
  std::memcpy(memory_.get() + size_, data, count);
  size_ += count;
  return count;
}

void TMemoryStream::Clear() noexcept {
  memory_.reset();
  size_ = 0;
  capacity_ = 0;
}

}  // namespace imaging
