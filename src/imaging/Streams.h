#pragma once
// Byte streams the writers put their output into: a file, or a block of memory (the viewer
// measures a picture's size in memory with one). Plain memory handling lives here without
// any Windows types.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace imaging {

class TStream {
 public:
  TStream() = default;
  virtual ~TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Writes up to `count` bytes and answers how many the stream took.
  virtual std::size_t Write(const void* data, std::size_t count) = 0;
  // Writes all `count` bytes; fewer taken raise EWriteError "Stream-Write-Fehler".
  void WriteBuffer(const void* data, std::size_t count);
  // Tells the stream that about `count` more bytes are coming, so it can make room at once.
  virtual void Expect(std::size_t count) noexcept { static_cast<void>(count); }
};

class TMemoryStream : public TStream {
 public:
  static constexpr std::size_t kMemoryDelta = 8192;

  // Appends at the end. A block that cannot grow raises EStreamError.
  std::size_t Write(const void* data, std::size_t count) override;
  void Expect(std::size_t count) noexcept override;

  // Makes room for `capacity` bytes in all (rounded up to kMemoryDelta), so that writing up to
  // there never moves the block. Answers false, changing nothing, when there is no such room.
  [[nodiscard]] bool Reserve(std::size_t capacity) noexcept;

  [[nodiscard]] const std::uint8_t* Memory() const noexcept { return memory_.get(); }
  [[nodiscard]] std::size_t Size() const noexcept { return size_; }
  [[nodiscard]] std::size_t Capacity() const noexcept { return capacity_; }
  void Clear() noexcept;

  // The capacity for at least `needed` bytes when `current` is too small: a multiple of
  // kMemoryDelta, and at least half as much again as before, so that appending piece by
  // piece copies each byte only a few times instead of once per step.
  [[nodiscard]] static std::size_t GrownCapacity(std::size_t current, std::size_t needed) noexcept;

 private:
  bool Resize(std::size_t capacity) noexcept;

  struct FreeMemory {
    void operator()(std::uint8_t* p) const noexcept { std::free(p); }
  };
  std::unique_ptr<std::uint8_t, FreeMemory> memory_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace imaging
