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

bool TMemoryStream::Resize(std::size_t capacity) noexcept {
  void* grown = capacity != 0 ? std::realloc(memory_.get(), capacity) : nullptr;
  if (!grown) return false;
  static_cast<void>(memory_.release());  // realloc has taken over the old block
  memory_.reset(static_cast<std::uint8_t*>(grown));
  capacity_ = capacity;
  return true;
}

bool TMemoryStream::Reserve(std::size_t capacity) noexcept {
  if (capacity <= capacity_) return true;
  if (capacity > std::numeric_limits<std::size_t>::max() - kMemoryDelta) return false;
  return Resize((capacity + kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta);
}

void TMemoryStream::Expect(std::size_t count) noexcept {
  if (count <= std::numeric_limits<std::size_t>::max() - size_) static_cast<void>(Reserve(size_ + count));
}

std::size_t TMemoryStream::Write(const void* data, std::size_t count) {
  if (count == 0) return 0;
  if (count > capacity_ - size_) {
    const std::size_t capacity =
        count > std::numeric_limits<std::size_t>::max() - size_ ? 0 : GrownCapacity(capacity_, size_ + count);
    if (!Resize(capacity))
      throw ui::EStreamError(L"Expandieren des Speicher-Stream wegen Speichermangel nicht möglich");
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
