#include "clipboard/TJvClipboardMonitor.h"

#include "ui/Application.h"

namespace clipboard {
namespace {

constexpr UINT_PTR kHealthTimer = 1;

// While the default error handler's box is open, reactions wait: each would meet the same
// cause (another program holding the clipboard) and stack one box on the other.
bool ErrorBoxOpen() {
  const ui::TApplication* application = ui::TApplication::Current();
  return application && application->ShowingError();
}

}  // namespace

TJvClipboardMonitor::TJvClipboardMonitor(ui::TComponent* owner, std::wstring name, bool enabled)
    : ui::TComponent(owner, std::move(name)),
      window_(ui::AllocateHWnd(this, &ui::MessageThunk<TJvClipboardMonitor, &TJvClipboardMonitor::WndProc>)) {
  SetEnabled(enabled);
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
  enabled_ = value;
  if (value) {
    Join();
    SetTimer(window_.get(), kHealthTimer, kHealthCheckIntervalMs, nullptr);
  } else {
    KillTimer(window_.get(), kHealthTimer);
    Leave();
  }
}

void TJvClipboardMonitor::Join() {
  // The registration notice arrives inside this call, while the next viewer is still unknown:
  // it is passed on to nobody, and what the clipboard holds already is taken as reported.
  nextViewer_ = SetClipboardViewer(window_.get());
  reported_ = announced_ = seenAtLastCheck_ = GetClipboardSequenceNumber();
  seenSince_ = GetTickCount64();
}

void TJvClipboardMonitor::TakeCurrentAsReported() noexcept { reported_ = GetClipboardSequenceNumber(); }

void TJvClipboardMonitor::Leave() {
  ChangeClipboardChain(window_.get(), nextViewer_);
  nextViewer_ = nullptr;
}

void TJvClipboardMonitor::CheckHealth() {
  // A notification may be on its way through a slow viewer before us; only a change that was
  // already there at the last check and is still unannounced counts as missed. (The numbers
  // only grow; the difference keeps the comparison right when they wrap.)
  const bool missed = static_cast<LONG>(seenAtLastCheck_ - announced_) > 0;
  const DWORD holds = GetClipboardSequenceNumber();
  const ULONGLONG now = GetTickCount64();
  // Reported late only while it is still the clipboard's content, settled for a whole check
  // (a newer number may belong to a copy still being written), and while the user is still
  // waiting for it.
  const bool reportLate =
      ReportMissedChanges && missed && holds == seenAtLastCheck_ && now - seenSince_ < kLateReportMaxAgeMs;
  if (holds != seenAtLastCheck_) {
    seenAtLastCheck_ = holds;
    seenSince_ = now;
  }
  if (missed) {
    Leave();
    Join();  // its registration notice reports nothing, as at start-up
    ++rejoins_;
    changeWaiting_ = changeWaiting_ || reportLate;
  }
  if (changeWaiting_ && !ErrorBoxOpen()) {
    changeWaiting_ = false;
    Change();
  }
}

void TJvClipboardMonitor::WndProc(ui::TMessage& message) {
  message.Result = 0;
  switch (message.Msg) {
    case WM_DRAWCLIPBOARD:
      announced_ = GetClipboardSequenceNumber();
      PassOn(message);
      // The handler may sit in a menu until the user answers, and the writer that sent this
      // notice, or a viewer before us, must not wait that long: the report runs from the
      // message loop, once this notice has its answer.
      if (!changePosted_) changePosted_ = PostMessageW(window_.get(), kChangeMessage, 0, 0) != FALSE;
      break;
    case kChangeMessage:
      changePosted_ = false;
      ReportIfNew();
      break;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(message.WParam) == nextViewer_) {
        nextViewer_ = reinterpret_cast<HWND>(message.LParam);
      } else {
        PassOn(message);
      }
      break;
    case WM_TIMER:
      if (message.WParam == kHealthTimer) CheckHealth();
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
  if (!nextViewer_) return;
  // One hung viewer after us must not freeze the tray, the menus and every later reaction.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(nextViewer_, message.Msg, message.WParam, message.LParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                      kPassOnTimeoutMs, &ignored);
}

void TJvClipboardMonitor::ReportIfNew() {
  // Looked at now, not when the notice came: notices that came meanwhile are one change, and
  // one the owner has taken as reported since is none.
  const DWORD holds = GetClipboardSequenceNumber();
  if (holds == reported_) return;
  reported_ = holds;
  Change();
}

void TJvClipboardMonitor::Change() {
  if (!OnChange) return;
  if (ErrorBoxOpen()) {
    changeWaiting_ = true;  // reported once the box is closed, at the next health check
    return;
  }
  try {
    OnChange(*this);
  } catch (...) {
    ui::TApplication::HandleCurrentException();
  }
}

}  // namespace clipboard
