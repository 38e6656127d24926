#include "support/ClipboardViewer.h"

namespace testing_support {
namespace {
constexpr UINT kPassOnLater = WM_APP + 1;
}

TestClipboardViewer::TestClipboardViewer(std::function<void()> onDraw, PassOn passOn)
    : onDraw_(std::move(onDraw)), passOn_(passOn) {
  window_ =
      ui::AllocateHWnd(this, &ui::MessageThunk<TestClipboardViewer, &TestClipboardViewer::WndProc>, L"VelmoTestViewer");
  next_ = SetClipboardViewer(window_.get());
}

TestClipboardViewer::~TestClipboardViewer() { ChangeClipboardChain(window_.get(), next_); }

void TestClipboardViewer::PassOnNow(WPARAM wParam, LPARAM lParam) {
  if (next_) SendMessageW(next_, WM_DRAWCLIPBOARD, wParam, lParam);
  ++passedOn;
}

void TestClipboardViewer::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_DRAWCLIPBOARD:
      ++notifications;
      lastWParam = message.WParam;
      lastLParam = message.LParam;
      if (onDraw_) onDraw_();
      if (passOn_ == PassOn::Later) {
        PostMessageW(message.Window, kPassOnLater, message.WParam, message.LParam);
      } else {
        PassOnNow(message.WParam, message.LParam);
      }
      break;
    case kPassOnLater:
      PassOnNow(message.WParam, message.LParam);
      break;
    case WM_CHANGECBCHAIN:
      chainChanges.emplace_back(message.WParam, message.LParam);
      if (reinterpret_cast<HWND>(message.WParam) == next_) {
        next_ = reinterpret_cast<HWND>(message.LParam);
      } else if (next_) {
        SendMessageW(next_, message.Msg, message.WParam, message.LParam);
      }
      break;
    default:
      message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
      break;
  }
}

}  // namespace testing_support
