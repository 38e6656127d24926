#include "ui/Icon.h"

#include "ui/Errors.h"

namespace ui {

void TIcon::SetHandle(HICON icon) {
  icon_.reset(icon);
  Changed();
}

void TIcon::Assign(const TIcon& source) {
  if (&source == this) return;
  HICON copy = nullptr;
  if (!source.Empty()) {
    copy = CopyIcon(source.Handle());
    if (!copy) RaiseLastOSError(GetLastError());
  }
  SetHandle(copy);
}

void TIcon::LoadFromResource(int resourceId, int size) {
  SetHandle(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

}  // namespace ui
