#include <gtest/gtest.h>

#include "ui/Com.h"

namespace {

TEST(Com, TheApplicationHoldsTheGuiThreadInAnApartmentAndFailingCodesBecomeErrors) {
  // Already initialised by the application object: a further call only counts up.
  const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(again, S_FALSE);
  if (SUCCEEDED(again)) CoUninitialize();

  EXPECT_EQ(ui::OleCheck(S_FALSE), S_FALSE);
  try {
    ui::OleCheck(E_NOINTERFACE);
    ADD_FAILURE() << "no error";
  } catch (const ui::EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), E_NOINTERFACE);
    EXPECT_FALSE(error.Message().empty());
  }
  try {
    ui::OleCheck(static_cast<HRESULT>(0x8004ABCDu));
    ADD_FAILURE() << "no error";
  } catch (const ui::EOleSysError& error) {
    EXPECT_EQ(error.Message(), L"OLE-Fehler 8004ABCD");
  }
}

}  // namespace
