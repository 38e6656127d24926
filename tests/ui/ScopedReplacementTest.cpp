#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/ScopedReplacement.h"

namespace {

// Guards nest as fixtures and tests stack them: each puts back what it found, not an empty
// slot, so an outer stand-in keeps working after an inner one has gone.
TEST(ScopedReplacement, NestedGuardsPutBackWhatEachFound) {
  std::function<std::string()> slot = [] { return std::string("real"); };
  {
    const ui::ScopedReplacement<std::function<std::string()>> outer(slot, [] { return std::string("outer"); });
    {
      const ui::ScopedReplacement<std::function<std::string()>> inner(slot, [] { return std::string("inner"); });
      EXPECT_EQ(slot(), "inner");
    }
    EXPECT_EQ(slot(), "outer");
  }
  EXPECT_EQ(slot(), "real");
}

}  // namespace
