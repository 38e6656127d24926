#pragma once
// The objects that live for the whole run, built in one place for the program, the test
// programs and the benchmarks alike: the clipboard, the application, the tray icon handler and
// the instance registry, created in this order and destroyed in the reverse one. Whoever uses
// one of them is handed it.
#include <optional>

#include "clipboard/Clipboard.h"
#include "shell/TJclAppInstances.h"
#include "shell/TTrayIconHandler.h"
#include "ui/Application.h"

namespace app {

class RunObjects {
 public:
  // The clipboard and the application, titled with the program's name. The picture format is
  // registered before any window exists.
  RunObjects();
  RunObjects(const RunObjects&) = delete;
  RunObjects& operator=(const RunObjects&) = delete;

  // The tray icon handler, whose window can fail: apart from the constructor, so that the
  // application is there to report it.
  void Start();

  [[nodiscard]] clipboard::TClipboard& Clipboard() noexcept { return clipboard_; }
  [[nodiscard]] ui::TApplication& Application() noexcept { return application_; }
  // Both there once Start has returned.
  [[nodiscard]] shell::TTrayIconHandler& TrayIconHandler() { return trayIconHandler_.value(); }
  [[nodiscard]] shell::InstanceRegistryOwner& Registry() noexcept { return registry_; }

 private:
  clipboard::TClipboard clipboard_;
  ui::TApplication application_;
  // Receives the shell's callbacks for the tray icons.
  std::optional<shell::TTrayIconHandler> trayIconHandler_;
  // Joined by the guard while the main window is built; created on that first use.
  shell::InstanceRegistryOwner registry_;
};

}  // namespace app
