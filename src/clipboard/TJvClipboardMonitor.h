#pragma once
// Tells its owner whenever the clipboard content changes. It joins the clipboard viewer chain
// with a hidden window and serves the rest of the chain at once; OnChange runs later, from the
// message loop (a menu's or a dialog's nested one included), for the clipboard as it is then.
//
// The clipboard's sequence number decides what is a change: a notice whose number has been
// reported already reports nothing. So the notice that joining the chain brings, a viewer
// after us passing on its own registration notice, and the notices of content the owner has
// taken as reported (its own writes) call no handler, and a burst of notices (Wine tells of
// one copy in a Linux program twice) calls it once.
//
// The chain is a linked list of which every member keeps one piece, and one careless member
// breaks it for everybody behind: a viewer that ends without leaving leaves the chain's head
// pointing at a dead window. So the monitor also watches the chain's health: once a second it
// compares the system's clipboard sequence number with the last change it was told of, and
// when a change has gone by unannounced it leaves and joins the chain anew.
#include <windows.h>

#include <functional>

#include "ui/Component.h"
#include "ui/Handle.h"
#include "ui/MessageWindow.h"

namespace clipboard {

class TJvClipboardMonitor : public ui::TComponent {
 public:
  // With `enabled` false the monitor waits outside the chain until SetEnabled(true).
  explicit TJvClipboardMonitor(ui::TComponent* owner, std::wstring name = L"ClipboardMonitor", bool enabled = true);
  ~TJvClipboardMonitor() override;

  [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
  // true joins the viewer chain at its head, false leaves it; the same value again does nothing.
  // What the clipboard holds when the monitor joins is not reported as a change.
  void SetEnabled(bool value);

  [[nodiscard]] HWND NotifierWindow() const noexcept { return window_.get(); }
  [[nodiscard]] HWND NextViewer() const noexcept { return nextViewer_; }
  // How often the monitor has had to join the chain again because changes went by unannounced.
  [[nodiscard]] int Rejoins() const noexcept { return rejoins_; }

  // The clipboard as it holds now gets no report, also from a notice still on its way: the
  // owner has written it itself, or had reactions paused while it came.
  void TakeCurrentAsReported() noexcept;
  // Whether a change newer than the one being reported has come and waits for its own report,
  // which will look at the clipboard as it is then.
  [[nodiscard]] bool Superseded() const noexcept { return changePosted_ && GetClipboardSequenceNumber() != reported_; }

  std::function<void(TJvClipboardMonitor& sender)> OnChange;
  // Whether the change that went by unannounced is reported once the chain is mended, while
  // the clipboard still holds it and it is recent: a user who has just copied expects the
  // reaction a moment late rather than not at all. Off unless the owner asks for it, since
  // the report comes up to two seconds after the copy.
  bool ReportMissedChanges = false;

  // The longest a notification waits for the next viewer before the monitor goes on without
  // it; a viewer the system sees as hung is not waited for at all.
  static constexpr UINT kPassOnTimeoutMs = 500;
  // How often the chain's health is looked at.
  static constexpr UINT kHealthCheckIntervalMs = 1000;
  // A missed change first seen longer ago than this gets no late report: the user has moved on.
  static constexpr ULONGLONG kLateReportMaxAgeMs = 2000;
  // Posted to the notifier window for a notice; one waits at a time.
  static constexpr UINT kChangeMessage = WM_APP + 0x100;

 private:
  void WndProc(ui::TMessage& message);
  void PassOn(const ui::TMessage& message) const;
  void ReportIfNew();
  void Change();
  void Join();
  void Leave();
  void CheckHealth();

  ui::UniqueWindow window_;
  HWND nextViewer_ = nullptr;
  bool enabled_ = false;
  bool changePosted_ = false;   // a kChangeMessage waits in the queue
  bool changeWaiting_ = false;  // a change to report later: an error box was open, or it was missed
  DWORD announced_ = 0;         // sequence number at the last notification
  DWORD reported_ = 0;          // sequence number last reported, or found on joining, or taken as reported
  DWORD seenAtLastCheck_ = 0;   // sequence number at the last health check
  ULONGLONG seenSince_ = 0;     // when that number was first seen
  int rejoins_ = 0;
};

}  // namespace clipboard
