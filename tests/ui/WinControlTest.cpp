// Controls whose window procedure is the toolkit's: an error in a handler reaches the default
// error handler, and a window destroyed with its parent leaves its object without a handle.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "ui/Errors.h"
#include "ui/WinControl.h"

namespace {

class Probe : public ui::TWinControl {
 public:
  Probe(ui::TForm* form, HWND parent) : ui::TWinControl(form, L"Probe") {
    CreateOwnWindow(L"TWinControlProbe", parent, WS_CHILD | WS_VISIBLE);
  }

 protected:
  bool MouseDown(POINT at) override {
    if (at.x > 5) throw ui::Exception(L"Klick abgelehnt");
    return true;
  }
};

TEST(WinControl, AHandlerErrorIsShownAndAWindowDestroyedWithItsParentLeavesTheObjectWithoutAHandle) {
  testing_support::ClearShownErrors();
  ui::TForm form{nullptr, L"ProbeHost", L"TWinControlHost", L"Host", 100, 100, 200, 100};
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, form.Handle(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  auto* probe = new Probe(&form, parent);
  ASSERT_TRUE(IsWindow(probe->Handle()));
  EXPECT_EQ(SendMessageW(probe->Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(9, 1)), 0);
  EXPECT_EQ(testing_support::ShownErrors(), std::vector<std::wstring>{L"Klick abgelehnt."});

  DestroyWindow(parent);
  EXPECT_EQ(probe->Handle(), nullptr) << "the form must not destroy a handle Windows may have given out anew";
}

}  // namespace
