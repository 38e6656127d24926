#include "clipboard/TJvClipboardMonitor.h"

#include "ui/Application.h"

namespace clipboard {

TJvClipboardMonitor::TJvClipboardMonitor(ui::TComponent* owner, std::wstring name)
    : ui::TComponent(owner, std::move(name)),
      window_(ui::AllocateHWnd(this, &ui::MessageThunk<TJvClipboardMonitor, &TJvClipboardMonitor::WndProc>)) {
  SetEnabled(true);
}

TJvClipboardMonitor::~TJvClipboardMonitor() {
  // No change report during shutdown; leave the chain before the window goes, so the
  // viewers before and after this one stay linked.
  OnChange = nullptr;
  SetEnabled(false);
  window_.reset();
}

void TJvClipboardMonitor::SetEnabled(bool value) {
  if (value == enabled_) return;
  if (value) {
    // The registration notification arrives inside this call, while the next viewer is
    // still unknown: it is passed on to nobody.
    enabled_ = true;
    nextViewer_ = SetClipboardViewer(window_.get());
  } else {
    ChangeClipboardChain(window_.get(), nextViewer_);
    nextViewer_ = nullptr;
    enabled_ = false;
  }
}

void TJvClipboardMonitor::WndProc(ui::TMessage& message) {
  message.Result = 0;
  switch (message.Msg) {
    case WM_DRAWCLIPBOARD:
      PassOn(message);
      // The handler may sit in a menu until the user answers. A viewer before us that sent
      // this notification must not hang that long, so it gets its answer now.
      if (InSendMessage()) ReplyMessage(0);
      Change();
      break;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(message.WParam) == nextViewer_) {
        nextViewer_ = reinterpret_cast<HWND>(message.LParam);
      } else {
        PassOn(message);
      }
      break;
    case WM_DESTROYCLIPBOARD:
      Change();
      break;
    case WM_DESTROY:
      SetEnabled(false);
      break;
    default:
      message.Result = DefWindowProcW(message.Window, message.Msg, message.WParam, message.LParam);
      break;
  }
}

void TJvClipboardMonitor::PassOn(const ui::TMessage& message) const {
  if (nextViewer_) SendMessageW(nextViewer_, message.Msg, message.WParam, message.LParam);
}

void TJvClipboardMonitor::Change() {
  if (!OnChange) return;
  try {
    OnChange(*this);
  } catch (...) {
    ui::TApplication::HandleCurrentException();
  }
}

}  // namespace clipboard
