#include "app/RunObjects.h"

namespace app {
namespace {

// Runs before the members are built: the picture format is registered before any window exists.
clipboard::TClipboard RegisteredClipboard() {
  clipboard::PictureClipboardFormat();
  return {};
}

}  // namespace

RunObjects::RunObjects() : clipboard_(RegisteredClipboard()) { application_.SetTitle(L"Velmo Clipboard"); }

void RunObjects::Start() { trayIconHandler_.emplace(); }

}  // namespace app
