#pragma once
// A stand-in for one of the program's outside effects (opening a menu, calling the shell),
// for as long as the guard lives: tests watch what would have happened, and the real effect
// is back when the guard goes, whatever way the test ends.
#include <utility>

namespace ui {

template <typename T>
class ScopedReplacement {
 public:
  ScopedReplacement(T& slot, T replacement) : slot_(slot), previous_(std::exchange(slot, std::move(replacement))) {}
  ~ScopedReplacement() { slot_ = std::move(previous_); }
  ScopedReplacement(const ScopedReplacement&) = delete;
  ScopedReplacement& operator=(const ScopedReplacement&) = delete;

 private:
  T& slot_;
  T previous_;
};

}  // namespace ui
