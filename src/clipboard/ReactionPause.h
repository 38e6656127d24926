#pragma once
// The program's clipboard reactions rest while it works on the clipboard or on a picture itself,
// and while the About window is open: each of them holds a pause on the reaction flag.
#include <utility>

namespace clipboard {

// Clears the reaction flag for its life and gives it back the value it had, however the work
// ends: one failed clipboard write cannot silence every later reaction, and a command that ends
// while the flag is held clear by someone else (the About window) does not turn reactions back
// on behind that one's back, nor does the About window behind a command's.
class ReactionPause {
 public:
  explicit ReactionPause(bool& flag) noexcept : flag_(&flag), previous_(flag) { flag = false; }
  // Moved from the one who knows the flag to the one who holds the pause; the moved-from pause
  // gives nothing back.
  ReactionPause(ReactionPause&& other) noexcept
      : flag_(std::exchange(other.flag_, nullptr)), previous_(other.previous_) {}
  ReactionPause& operator=(ReactionPause&&) = delete;
  ~ReactionPause() {
    if (flag_) *flag_ = previous_;
  }

 private:
  bool* flag_;
  bool previous_;
};

}  // namespace clipboard
